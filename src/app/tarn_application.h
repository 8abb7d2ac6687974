// TarnApplication: the program as a whole — start-up, the document and its
// commands, the exchange engine, the main window, unattended operation and
// the exit code.
//
// Start-up, in order: the settings, the command line, the program's port
// settings and service parameters, the installation record, the search for
// the module (the connection dialog when it fails in interactive use), the
// configuration file or a new document (the operating mode), the main
// window, and in unattended operation the task the command line asks for.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "comm/engine_observer.h"
#include "comm/link_context.h"
#include "platform/settings_store.h"
#include "platform/user_interaction.h"

namespace tarn {

class CMainFrame;
class CTARNTreeListView;
class DescBranch;
class DeviceLink;
class ExchangeEngine;
class ExitWatcher;
class QtProgressDisplay;
class RecentFiles;
class StartupWindow;
class TarnDocument;

class TarnApplication : public QObject, public EngineObserver {
    Q_OBJECT

public:
    // `headless`: no person at a screen (the offscreen platform): every box
    // goes to standard error with its default answer, and an unattended run
    // ends when its task has ended.
    // `ui`, when given, takes the place of the boxes (tests answer them).
    TarnApplication(CommandLine line, bool headless, std::unique_ptr<UserInteraction> ui = {},
                    QObject* parent = nullptr);
    ~TarnApplication() override;

    // Runs the start-up. False when the program ends without a main window
    // (the connection test, a cancelled start, a file that cannot be used).
    bool start();
    // The exit code: chosen from the run result code; `normal` without bits.
    int exitCode(int normal = 0) const;

    CMainFrame* mainFrame() const { return frame_.get(); }
    CTARNTreeListView* view() const { return view_; }
    TarnDocument& document() { return *document_; }
    LinkContext& linkContext() { return context_; }
    const CommandLine& commandLine() const { return line_; }
    UserInteraction& ui() { return *ui_; }

    // What the last whole-tree task did ("чтение: параметров 336, с
    // ошибками 0, время 2.1 с"); empty when none ran.
    QString taskSummary() const;

    // Runs a command as its menu item does.
    void runCommand(int id);
    // Opens a configuration file as "Открыть" does.
    bool openFile(const QString& path);
    bool saveFile(const QString& path);

    // EngineObserver.
    void viewRedrawRequested() override;
    void autoReadSwitchedOff() override;
    void applyNetworkSettingsRequested() override;
    void storeDocumentRequested() override;
    void taskDone() override;

private:
    bool constructDocument();
    bool newDocument();
    bool openDocument(const QString& path);
    void documentChanged();
    void detachView();
    void createMainWindow();
    void placeMainWindow();
    void startupRunner();
    void unattendedTaskEnded();
    void exitRequested();
    void showTitle();

    void wholeTreeExchange(int id, DescBranch* branch);
    void identifyDevice();
    bool sendInit();
    void initialiseDevice();
    void aplyCommand();
    void toggleProgramMode(int id);
    void openHelp();
    void fileOpen();
    void fileSave(bool askForName);

    CommandLine line_;
    bool headless_;
    std::string programPath_;
    SettingsStore settings_;
    LinkContext context_;
    std::unique_ptr<UserInteraction> ui_;
    std::unique_ptr<QtProgressDisplay> progress_;
    std::unique_ptr<RecentFiles> recent_;
    std::unique_ptr<TarnDocument> document_;
    std::unique_ptr<DeviceLink> link_;
    std::unique_ptr<ExchangeEngine> engine_;
    std::unique_ptr<CMainFrame> frame_;
    CTARNTreeListView* view_ = nullptr;
    std::unique_ptr<ExitWatcher> exitWatcher_;
    std::unique_ptr<StartupWindow> startupWindow_;
    QString documentPath_;
    int accessLevel_ = 0;
    bool quit_ = false;
    bool taskPosted_ = false;
    bool taskEnded_ = false;
    std::atomic<bool> exitRequested_{false};
    struct TaskSummary {
        bool ran = false;
        QString task;
        int parameters = 0;
        int problems = 0;
        double seconds = 0;
    } summary_;
};

}  // namespace tarn
