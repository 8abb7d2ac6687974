// The tarn executable: the TARN configurator.
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/exit_watcher.h"
#include "app/html_export_run.h"
#include "app/tarn_application.h"
#include "platform/companion_files.h"

namespace {

bool displayAvailable() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    tarn::CommandLine line = tarn::parseCommandLine(arguments);
    if (line.versionRequested) {
        std::fputs(tarn::versionText().c_str(), stdout);
        return 0;
    }
    if (line.helpRequested) {
        std::fputs(tarn::usageText().c_str(), stdout);
        return 0;
    }
    // The parameter list needs neither a display nor a module; relative
    // paths still mean the caller's folder here.
    if (line.htmlRequested) {
        return tarn::runHtmlExport(line);
    }

    // Stop requests (SIGTERM, SIGINT) are taken by the exit watcher only.
    tarn::blockStopSignals();

    // Without a display an unattended run needs no screen: it runs on Qt's
    // offscreen platform. An interactive start cannot work without one.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool platformChosen = platform != nullptr && *platform != '\0';
    if (!platformChosen && !displayAvailable()) {
        if (!line.unattended()) {
            std::fputs(
                "tarn: no display (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                "Start the configurator on a desktop, or run it unattended with options,\n"
                "for example: tarn -port:1 -read -close configuration.tarn (see tarn -help)\n",
                stderr);
            return 2;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    // The offscreen platform's remarks about window hints mean nothing to a
    // caller; everything else Qt says is kept.
    static QtMessageHandler qtHandler = nullptr;
    qtHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.contains("propagateSizeHints") || message.contains("XDG_RUNTIME_DIR")) {
                return;
            }
            if (qtHandler != nullptr) {
                qtHandler(type, context, message);
            } else {
                std::fprintf(stderr, "%s\n",
                             qFormatLogMessage(type, context, message).toUtf8().constData());
            }
        });
    QApplication application(argc, argv);
    application.setApplicationName("TARN");
    application.setOrganizationName("BRIX");
    const bool headless = QGuiApplication::platformName() == "offscreen";
    if (headless && line.hasB(tarn::CommandLine::kCalibrate)) {
        // The calibration is adjusted by a person watching the outputs: it
        // cannot run without a screen, and nothing is sent to the module.
        std::fputs(
            "tarn: -calibrate needs a display: the analogue outputs are calibrated by a person\n"
            "watching them at the screen; nothing was sent to the module\n",
            stderr);
        return 2;
    }
    if (headless && !line.unattended()) {
        std::fputs(
            "tarn: the offscreen platform has no person to answer; "
            "run it unattended (see tarn -help)\n",
            stderr);
        return 2;
    }

    // The program's folder is its current folder: the tree container, the
    // manual and relative paths of the start-up are found there.
    const std::filesystem::path folder = tarn::programFolder();
    // Paths on the command line are the caller's: relative to its folder.
    for (std::string* path :
         {&line.fileName, &line.errorLogPath, &line.reportPath, &line.tracePath}) {
        if (!path->empty() && std::filesystem::path(*path).is_relative()) {
            *path = (std::filesystem::current_path() / *path).string();
        }
    }
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::current_path(folder, ec);
    }

    tarn::TarnApplication program(std::move(line), headless);
    if (!program.start()) {
        const int code = program.exitCode(0);
        program.writeReport(code);
        return code;
    }
    const int normal = application.exec();
    const int code = program.exitCode(normal);
    program.writeReport(code);
    if (headless) {
        // A calling program or a script sees what the run did.
        const QString summary = program.taskSummary();
        std::printf("tarn: %s%sкод выхода %d\n", summary.toUtf8().constData(),
                    summary.isEmpty() ? "" : ", ", code);
    }
    return code;
}
