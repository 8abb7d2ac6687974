#include "app/command_router.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <utility>

#include "app/about_dialog.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/tarn_application.h"
#include "comm/device_link.h"
#include "document/command_ids.h"
#include "document/document_commands.h"
#include "document/tarn_document.h"
#include "platform/companion_files.h"
#include "ui/bus_monitor_dock.h"
#include "ui/parameter_list_export.h"
#include "ui/tarn_tree_view.h"
#include "ui/trend_plot_dock.h"
#include "ui/wait_cursor.h"

namespace tarn {
namespace {

constexpr const char* kManualFile = "tarn-manual.html";

void programModeToggled(TarnApplication& program, int id) {
    CMainFrame& frame = *program.mainFrame();
    const bool checked = frame.isChecked(id);  // the action has toggled already
    if (id == command::kShowIndices) {
        program.view()->treeModel().setShowIndices(checked);
        return;
    }
    program.commands().programModeChanged(id, checked);
}

void openHelp() {
    WaitCursor wait;
    const auto manual = companionFilePath(kManualFile);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(manual.string())));
}

void showAbout(TarnApplication& program) {
    const Parameter* version =
        program.document().serviceParameters().find(CommonParams::kVersionName);
    AboutDialog about(QString::fromStdString(version ? version->valueText() : ""),
                      program.mainFrame());
    about.exec();
}

}  // namespace

void routeCommand(TarnApplication& program, int id) {
    const CommandLine& line = program.commandLine();
    DocumentCommands& commands = program.commands();
    FileCommands& files = program.files();
    CMainFrame& frame = *program.mainFrame();
    CTARNTreeListView* view = program.view();
    if (line.offline() && command::isDeviceCommand(id)) {
        return;  // grey in offline operation
    }
    static constexpr std::pair<int, TreeTask> kTreeTasks[] = {
        {command::kReadAll, TreeTask::Read},
        {command::kWriteAll, TreeTask::Write},
        {command::kWriteChanged, TreeTask::WriteChanged},
        {command::kCompare, TreeTask::Compare},
        {command::kViewReadBranch, TreeTask::Read},
        {command::kViewWriteBranch, TreeTask::Write},
        {command::kViewWriteChangedBranch, TreeTask::WriteChanged},
        {command::kViewCompareBranch, TreeTask::Compare},
    };
    for (const auto& [command, task] : kTreeTasks) {
        if (id == command) {
            if (id >= command::kViewReadBranch && id <= command::kViewCompareBranch) {
                commands.exchangeBranch(task, view != nullptr ? view->selectedBranch() : nullptr);
            } else {
                commands.exchangeTree(task);
            }
            return;
        }
    }
    switch (id) {
        case command::kIdentify:
            commands.identifyDevice();
            return;
        case command::kInit:
            commands.sendInit();
            return;
        case command::kInitialiseDevice:
            commands.initialiseDevice();
            return;
        case command::kAply:
            commands.aply();
            return;
        case command::kSinglePoint:
            commands.singlePoint();
            return;
        case command::kCalibrate:
            commands.calibrate();
            return;
        case command::kChangePasswords:
            commands.changePasswords(program.accessLevel());
            return;
        case command::kShowIndices:
        case command::kAutoRead:
        case command::kImmediateWrite:
        case command::kNoAttributes:
            programModeToggled(program, id);
            return;
        case command::kConverterSemiAutomatic:
        case command::kConverterAutomatic:
            commands.setDirectionMode(id == command::kConverterAutomatic ? 1 : 0);
            frame.showDirectionMode(program.link().port().directionMode());
            return;
        case command::kPreviousProblem:
        case command::kNextProblem:
        case command::kReadParameter:
        case command::kWriteParameter:
        case command::kForgetValue:
            view->runCommand(id);
            return;
        case command::kHelp:
        case command::kHelpButton:
            openHelp();
            return;
        case command::kAbout:
            showAbout(program);
            return;
        case command::kTrendPlots:
            program.trendPlots()->toggle();
            return;
        case command::kBusMonitor:
            program.busMonitor()->toggle();
            return;
        case command::kExportHtml:
            frame.showStatus(exportParameterList(program.document().root(), program.ui()));
            return;
        case command::kNew:
            files.newDocument();
            return;
        case command::kOpen:
            files.chooseAndOpen();
            return;
        case command::kSave:
            files.save(false);
            return;
        case command::kSaveAs:
            files.save(true);
            return;
        case command::kExit:
            frame.close();
            return;
        default:
            return;
    }
}

}  // namespace tarn
