// TarnApplication: the program as a whole. It owns the settings, the
// program-wide link values, the boxes, the document, the link to the module,
// the exchange engine and the main window, connects them, and hands each
// menu command to the part that carries it out.
//
// The start-up order lives in StartupSequence, the unattended task in
// UnattendedRun, the file commands in FileCommands and the document's
// device and service commands in DocumentCommands.
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
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
class DeviceLink;
class DocumentCommands;
class ExchangeEngine;
class FileCommands;
class QtProgressDisplay;
class QtServiceDialogs;
class RecentFiles;
class TarnDocument;
class TrendPlotDock;
class BusMonitorDock;
class FrameQueue;
class FrameTraceFile;
class UnattendedRun;

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
    TrendPlotDock* trendPlots() const { return plotDock_; }
    BusMonitorDock* busMonitor() const { return monitorDock_; }
    TarnDocument& document() { return *document_; }
    DeviceLink& link() { return *link_; }
    ExchangeEngine& engine() { return *engine_; }
    LinkContext& linkContext() { return context_; }
    SettingsStore& settings() { return settings_; }
    const CommandLine& commandLine() const { return line_; }
    CommandLine& commandLine() { return line_; }
    UserInteraction& ui() { return *ui_; }
    FileCommands& files() { return *files_; }
    DocumentCommands& commands() { return *commands_; }
    UnattendedRun& unattendedRun() { return *unattended_; }
    bool headless() const { return headless_; }
    int accessLevel() const { return accessLevel_; }

    // The JSON report of an unattended run that asked for one ("report").
    void writeReport(int exitCode) const;

    // The one-line account of an unattended run's task ("чтение: параметров
    // 336, с ошибками 0, время 2.1 с"); empty when none ran.
    QString taskSummary() const;

    // Runs a command as its menu item does.
    void runCommand(int id);
    // Opens a configuration file as "Открыть" does.
    bool openFile(const QString& path);

    // ---- Wiring used by the start-up ----------------------------------
    // The boxes, the document, the link and the engine.
    void createParts();
    // The main window with its view, connected to the commands.
    void createMainWindow();
    // The view shows the document anew and the worker threads run over its
    // scanners.
    void documentChanged();

    // EngineObserver.
    void viewRedrawRequested() override;
    void autoReadSwitchedOff() override;
    void applyNetworkSettingsRequested() override;
    void storeDocumentRequested() override;
    void taskDone() override;

private:
    void showTitle();
    void quitWhenIdle();

    CommandLine line_;
    bool headless_;
    SettingsStore settings_;
    LinkContext context_;
    std::unique_ptr<UserInteraction> ui_;
    std::unique_ptr<QtProgressDisplay> progress_;
    std::unique_ptr<RecentFiles> recent_;
    std::unique_ptr<TarnDocument> document_;
    // The bus monitor's queue and the -trace file, the link's frame
    // observers from the start.
    std::unique_ptr<FrameQueue> monitorQueue_;
    std::unique_ptr<FrameTraceFile> trace_;
    std::unique_ptr<DeviceLink> link_;
    std::unique_ptr<ExchangeEngine> engine_;
    std::unique_ptr<DocumentCommands> commands_;
    std::unique_ptr<FileCommands> files_;
    std::unique_ptr<UnattendedRun> unattended_;
    std::unique_ptr<QtServiceDialogs> dialogs_;
    std::unique_ptr<CMainFrame> frame_;
    CTARNTreeListView* view_ = nullptr;
    TrendPlotDock* plotDock_ = nullptr;
    BusMonitorDock* monitorDock_ = nullptr;
    int accessLevel_ = 0;
};

}  // namespace tarn
