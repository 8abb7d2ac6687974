// CMainFrame: the program's one top-level window — menus, toolbar, status
// bar, the title with the operating mode, the enabling of the device
// commands, and a window that the command line placed and locked.
//
// The frame only raises commands (commandRaised); the application carries
// them out.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

#include "app/lock_keys.h"

class QAction;
class QLabel;
class QMenu;

namespace tarn {

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(QWidget* parent = nullptr);

    // The action of a command; null for a command the frame does not offer.
    QAction* action(int id) const { return actions_.value(id, nullptr); }
    QMenu* deviceMenu() const { return deviceMenu_; }
    QMenu* treeMenu() const { return treeMenu_; }
    // Room for the items other parts of the program add to "&Справка".
    QMenu* helpMenu() const { return helpMenu_; }

    // "TARN <mode caption> - document title".
    static QString titleFor(std::uint32_t mode, const QString& documentTitle);
    void showTitle(std::uint32_t mode, const QString& documentTitle);

    // Offline operation: the menus "&Прибор" and "&Дерево" and every device
    // command are grey; the file commands work.
    void setOffline(bool offline);
    bool offline() const { return offline_; }

    // The check mark of a program mode or a converter item.
    void setChecked(int id, bool checked);
    bool isChecked(int id) const;
    // Checks "Полуавтоматический (VZ-3)" (mode 0) or "Автоматический" (1).
    void showDirectionMode(int mode);

    // A window placed by the command line cannot be moved, minimized,
    // maximized or resized until the unattended task has ended.
    void lockGeometry(const QRect& geometry);
    void unlockGeometry();
    bool locked() const { return locked_; }

    void setRecentFiles(const QStringList& paths);
    void showStatus(const QString& text);

    // Menus and toolbar take commands (false: grey while the program
    // waits; the offline greying stays as it is).
    void setCommandsEnabled(bool enabled);
    bool commandsEnabled() const { return commandsEnabled_; }
    // Waits `duration` while the window keeps painting and takes no
    // commands (the module restarts after INIT).
    void waitWithoutCommands(std::chrono::milliseconds duration);
    // The status bar's indicators "CAP", "NUM" and "SCRL": bright while the
    // key is on. They follow the keyboard (polled); tests give a reader.
    static constexpr std::array<const char*, 3> kIndicatorTexts = {"CAP", "NUM", "SCRL"};
    QLabel* indicator(int index) const { return indicators_[static_cast<std::size_t>(index)]; }
    void setLockKeysReader(std::function<LockKeys()> reader);
    void refreshIndicators();

signals:
    void commandRaised(int id);
    void recentFileChosen(const QString& path);
    void filesDropped(const QStringList& paths);
    // The user (or a close request) wants the window closed; the receiver
    // decides (closeAllowed).
    void closeRequested();
    // The window was closed (the close was allowed).
    void closed();

public:
    // Whether a close request is carried out (set by the application).
    void setCloseAllowed(bool allowed) { closeAllowed_ = allowed; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* addCommand(QMenu* menu, int id, const QString& text, const QString& shortcut = {});
    void buildMenus();
    void buildToolBar();

    QHash<int, QAction*> actions_;
    QMenu* deviceMenu_ = nullptr;
    QMenu* treeMenu_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    static constexpr int kIndicatorPollMs = 250;
    std::array<QLabel*, 3> indicators_{};
    std::function<LockKeys()> lockKeysReader_;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentActions_;
    QLabel* statusLabel_ = nullptr;
    bool offline_ = false;
    bool locked_ = false;
    bool commandsEnabled_ = true;
    bool closeAllowed_ = true;
    QRect lockedGeometry_;
};

}  // namespace tarn
