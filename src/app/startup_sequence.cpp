#include "app/startup_sequence.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/file_commands.h"
#include "app/installation_record.h"
#include "app/main_frame.h"
#include "app/network_options.h"
#include "app/startup_window.h"
#include "app/tarn_application.h"
#include "app/unattended_run.h"
#include "comm/connection_worker.h"
#include "comm/device_detection.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "dialogs/setup_carrier.h"
#include "document/command_ids.h"
#include "document/document_commands.h"
#include "document/tarn_document.h"

namespace tarn {
namespace {

std::string executablePath() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

}  // namespace

StartupSequence::StartupSequence(TarnApplication& program) : program_(program) {}

bool StartupSequence::run() {
    prepareCommandLine();
    const bool keepGoing = constructDocument();
    const CommandLine& line = program_.commandLine();
    if (!keepGoing && line.fileName.empty()) {
        // A document marked to quit fails its new-document step.
        return false;
    }
    const bool opened =
        line.fileName.empty() ? program_.files().newDocument() : openConfiguration();
    if (!opened || !keepGoing) {
        return false;
    }
    program_.createMainWindow();
    placeMainWindow();
    TarnApplication* program = &program_;
    QTimer::singleShot(0, &program_, [program] { runStartupRunner(*program); });
    return true;
}

void StartupSequence::prepareCommandLine() {
    CommandLine& line = program_.commandLine();
    LinkContext& context = program_.linkContext();
    // An unattended run without a port works offline.
    if (line.unattended() && line.port == 0) {
        line.flagsA |= CommandLine::kOffline;
    }
    context.setPortSuppressed(line.offline());
    context.setPortMessagesSuppressed(line.silent());
    context.setAutoRead(!line.offline() && !line.silent());
    // The command line's automatic reading holds from the first rows the
    // view shows on (the runner only ticks the menu item).
    if (line.has(CommandLine::kAutoreadOn) || line.has(CommandLine::kAutoreadOff)) {
        context.setAutoRead(line.has(CommandLine::kAutoreadOn));
    }
    if (!line.errorLogPath.empty()) {
        createErrorLog(line.errorLogPath);
    }
}

bool StartupSequence::constructDocument() {
    CommandLine& line = program_.commandLine();
    std::unique_ptr<StartupWindow> window;
    if (!line.unattended() && !program_.headless()) {
        window = std::make_unique<StartupWindow>();
        window->showText("Инициализация дерева...");
    }
    program_.createParts();
    TarnDocument& document = program_.document();
    if (line.unattended()) {
        applyCommandLineNetworkSettings(line, document.programSettings(), nullptr);
    }
    checkInstallationRecord(program_.settings(), program_.ui(), executablePath());

    if (window) {
        window->showText("Настройка соединения с прибором...");
    }
    LinkContext& context = program_.linkContext();
    const bool connected = line.offline()
                               ? true
                               : DetectDevice(program_.link(), document.programSettings(),
                                              &program_.unattendedRun().identity());
    if (line.silent()) {
        context.setRunResultCode(0);
    }
    window.reset();

    bool keepGoing = true;
    if (!connected && !line.unattended()) {
        ConnectionWorker search(program_.link(), document.programSettings());
        CSetupCarrier dialog(document.programSettings(), search);
        if (dialog.exec() != CSetupCarrier::kCommandOk) {
            keepGoing = false;
        } else if (dialog.offlineChosen()) {
            line.flagsA = CommandLine::kAutoreadOff;
            context.setAutoRead(false);
        }
    }
    if (line.has(CommandLine::kTest)) {
        keepGoing = false;
    }
    return keepGoing;
}

bool StartupSequence::openConfiguration() {
    CommandLine& line = program_.commandLine();
    FileCommands& files = program_.files();
    const QString path = QString::fromStdString(line.fileName);
    if (!QFileInfo::exists(path)) {
        // A write or a compare needs the file.
        if (line.hasB(CommandLine::kWrite) || line.hasB(CommandLine::kCompare)) {
            program_.linkContext().addRunResultBits(kRunWriteFileMissing);
            return false;
        }
        // A read names the file it stores into.
        if (!files.newDocument()) {
            return false;
        }
        files.setDocumentPath(path);
        return true;
    }
    const bool silentRecovery = line.unattended() && line.silent();
    const auto result = files.openDocument(path, silentRecovery);
    if (result != TarnDocument::LoadResult::Loaded) {
        // A calling program must not read success from a run whose file
        // could not be used; the file stays as it is.
        if (line.unattended()) {
            program_.linkContext().addRunResultBits(kRunWriteFileMissing);
        }
        return false;
    }
    if (line.has(CommandLine::kNewNetParam)) {
        TarnDocument& document = program_.document();
        applyCommandLineNetworkSettings(line, document.programSettings(),
                                        document.networkSettings());
        document.saveFile(path.toStdString());
        document.setModified(false);
        return false;
    }
    return true;
}

void StartupSequence::placeMainWindow() {
    const CommandLine& line = program_.commandLine();
    CMainFrame& frame = *program_.mainFrame();
    const std::uint8_t given = line.flagsC;
    const bool sizeGiven = (given & CommandLine::kWGiven) && (given & CommandLine::kHGiven);
    const bool placeGiven = (given & CommandLine::kXGiven) && (given & CommandLine::kYGiven);
    // Maximized: the window manager makes it so; without one the window
    // still takes the screen's free area.
    const auto showMaximized = [&frame] {
        if (const QScreen* screen = frame.screen()) {
            frame.setGeometry(screen->availableGeometry());
        }
        frame.showMaximized();
    };
    if (!sizeGiven) {
        showMaximized();
    } else if (line.w == 0 && line.h == 0) {
        frame.move(line.x, line.y);
        frame.showMinimized();
    } else if (!placeGiven) {
        showMaximized();
    } else {
        // Locked before it is shown: the window manager learns the fixed
        // size and the missing buttons with the first mapping.
        frame.lockGeometry(QRect(line.x, line.y, line.w, line.h));
        frame.show();
    }
}

void runStartupRunner(TarnApplication& program) {
    const CommandLine& line = program.commandLine();
    CMainFrame& frame = *program.mainFrame();
    if (line.converter != 0) {
        program.commands().setDirectionMode(line.converter == CommandLine::kConverterOff ? 1 : 0);
        frame.showDirectionMode(program.link().port().directionMode());
    }
    if (line.has(CommandLine::kAutoreadOn) || line.has(CommandLine::kAutoreadOff)) {
        frame.setChecked(command::kAutoRead, program.linkContext().autoRead());
    }
    program.unattendedRun().start();
}

}  // namespace tarn
