// StartupSequence: the program's start-up in its fixed order.
//
// The command line first (an unattended run without a port works
// offline), then the document: the program's service parameters and port
// settings, the command line's network settings, the installation record,
// the search for the module and, when it fails in interactive use, the
// connection dialog. Then the configuration file named on the command line
// or a new document (the operating mode), the main window and its
// placement, and, once the window is shown, the start-up runner: the
// converter and automatic reading of the command line, the unattended task
// and the watch for a calling program's stop request.
#pragma once

namespace tarn {

class TarnApplication;

class StartupSequence {
public:
    explicit StartupSequence(TarnApplication& program);

    // Runs the start-up up to the shown main window and schedules the
    // start-up runner. False when the program ends without a main window.
    bool run();

private:
    void prepareCommandLine();
    // The document's construction; false marks the program to quit.
    bool constructDocument();
    // A configuration file that cannot be used ends the start.
    bool openConfiguration();
    void placeMainWindow();

    TarnApplication& program_;
};

// The start-up runner: runs from the event loop once the window is shown.
void runStartupRunner(TarnApplication& program);

}  // namespace tarn
