#include "app/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "description/tree_modes.h"
#include "document/command_ids.h"

namespace tarn {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName("mainFrame");
    setAcceptDrops(true);
    buildMenus();
    buildToolBar();
    statusLabel_ = new QLabel(this);
    statusBar()->addWidget(statusLabel_, 1);
    // The lock-key indicators stay while a prompt covers the message pane.
    for (std::size_t i = 0; i < indicators_.size(); ++i) {
        auto* indicator = new QLabel(QString::fromUtf8(kIndicatorTexts[i]), this);
        indicator->setAlignment(Qt::AlignCenter);
        indicator->setMinimumWidth(indicator->fontMetrics().horizontalAdvance("SCRL") + 12);
        indicator->setEnabled(false);
        statusBar()->addPermanentWidget(indicator);
        indicators_[i] = indicator;
    }
    lockKeysReader_ = [] { return readLockKeys(); };
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &CMainFrame::refreshIndicators);
    poll->start(kIndicatorPollMs);
    refreshIndicators();
    showStatus("Готово");
    showTitle(0, {});
}

QAction* CMainFrame::addCommand(QMenu* menu, int id, const QString& text, const QString& shortcut) {
    auto* action = new QAction(text, this);
    action->setData(id);
    if (!shortcut.isEmpty()) {
        action->setShortcut(QKeySequence(shortcut));
    }
    connect(action, &QAction::triggered, this, [this, id] { emit commandRaised(id); });
    if (menu != nullptr) {
        menu->addAction(action);
    }
    actions_.insert(id, action);
    return action;
}

void CMainFrame::buildMenus() {
    using namespace command;
    fileMenu_ = menuBar()->addMenu("&Файл");
    addCommand(fileMenu_, kNew, "&Новый\tCtrl+N", "Ctrl+N");
    addCommand(fileMenu_, kOpen, "&Открыть...\tCtrl+O", "Ctrl+O");
    addCommand(fileMenu_, kSave, "&Сохранить\tCtrl+S", "Ctrl+S");
    addCommand(fileMenu_, kSaveAs, "Сохранить &как...");
    recentSeparator_ = fileMenu_->addSeparator();
    for (int i = 0; i < 4; ++i) {
        auto* recent = new QAction(this);
        recent->setVisible(false);
        connect(recent, &QAction::triggered, this,
                [this, recent] { emit recentFileChosen(recent->data().toString()); });
        fileMenu_->addAction(recent);
        recentActions_.push_back(recent);
    }
    fileMenu_->addSeparator();
    addCommand(fileMenu_, kExit, "В&ыход");

    deviceMenu_ = menuBar()->addMenu("&Прибор");
    addCommand(deviceMenu_, kReadAll, "Прочитать все параметры\tAlt+R", "Alt+R");
    addCommand(deviceMenu_, kWriteAll, "Записать все параметры\tAlt+W", "Alt+W");
    addCommand(deviceMenu_, kWriteChanged, "Записать только измененные\tAlt+U", "Alt+U");
    addCommand(deviceMenu_, kCompare, "Сравнить с реальными значениями\tAlt+C", "Alt+C");
    deviceMenu_->addSeparator();
    addCommand(deviceMenu_, kIdentify, "Проверка связи с прибором\tAlt+N", "Alt+N");
    addCommand(deviceMenu_, kSinglePoint, "Опрос отдельного параметра\tAlt+S", "Alt+S");
    deviceMenu_->addSeparator();
    addCommand(deviceMenu_, kAply, "Послать команду &APLY\tAlt+A", "Alt+A");
    addCommand(deviceMenu_, kInit, "Послать команду &INIT\tAlt+I", "Alt+I");
    addCommand(deviceMenu_, kInitialiseDevice, "Инициализировать прибор")
        ->setStatusTip("Инициализировать основные параметры значениями по умолчанию");
    deviceMenu_->addSeparator();
    addCommand(deviceMenu_, kCalibrate, "Юстировка");

    treeMenu_ = menuBar()->addMenu("&Дерево");
    addCommand(treeMenu_, kViewReadBranch, "Прочитать все параметры выделеной ветви\tAlt+Ctrl+R",
               "Alt+Ctrl+R");
    addCommand(treeMenu_, kViewWriteBranch, "Записать все параметры выделеной ветви\tAlt+Ctrl+W",
               "Alt+Ctrl+W");
    addCommand(treeMenu_, kViewWriteChangedBranch,
               "Записать только измененные параметры ветви\tAlt+Ctrl+U", "Alt+Ctrl+U");
    addCommand(treeMenu_, kViewCompareBranch,
               "Сравнить значения с реальными в рамках ветви\tAlt+Ctrl+C", "Alt+Ctrl+C");
    treeMenu_->addSeparator();
    addCommand(treeMenu_, kPreviousProblem, "К предыдущему проблемному параметру\tAtl+вверх",
               "Alt+Up");
    addCommand(treeMenu_, kNextProblem, "К следующему проблемному параметру\tAlt+вниз  ",
               "Alt+Down");

    QMenu* modes = menuBar()->addMenu("Режимы программы");
    for (const auto& [id, text] : {std::pair{kShowIndices, "Показывать линейные индексы"},
                                   std::pair{kAutoRead, "Режим автоматического чтения"},
                                   std::pair{kImmediateWrite, "Режим немедленной записи"},
                                   std::pair{kNoAttributes, "Не передавать атрибуты параметров"}}) {
        addCommand(modes, id, QString::fromUtf8(text))->setCheckable(true);
    }
    modes->addSeparator();
    QMenu* converter = modes->addMenu("Преобразователь RS-485");
    auto* group = new QActionGroup(this);
    for (const auto& [id, text] : {std::pair{kConverterSemiAutomatic, "Полуавтоматический (VZ-3)"},
                                   std::pair{kConverterAutomatic, "Автоматический"}}) {
        QAction* item = addCommand(converter, id, QString::fromUtf8(text));
        item->setCheckable(true);
        group->addAction(item);
    }

    modes->addSeparator();
    addCommand(modes, kChangePasswords, "Смена паролей...")
        ->setStatusTip(
            "Смена паролей среднего и полного уровней доступа. Функция разрешена только с "
            "полного уровня доступа");

    QMenu* view = menuBar()->addMenu("&Вид");
    addCommand(view, kTrendPlots, "Графики\tCtrl+G", "Ctrl+G")->setCheckable(true);
    addCommand(view, kBusMonitor, "Монитор обмена\tCtrl+M", "Ctrl+M")->setCheckable(true);

    QMenu* help = menuBar()->addMenu("&Справка");
    helpMenu_ = help;
    addCommand(help, kHelp, "&Справка\tF1");
    addCommand(help, kExportHtml, "Экспорт списка параметров в HTML");
    help->addSeparator();
    addCommand(help, kAbout, "&О программе TARN...");
    // F1 is the help button of the window: it works wherever the focus is.
    addAction(addCommand(nullptr, kHelpButton, "Справка", "F1"));
}

void CMainFrame::buildToolBar() {
    using namespace command;
    QToolBar* bar = addToolBar("Панель инструментов");
    bar->setObjectName("toolBar");
    bar->setMovable(true);
    const auto icon = [this](QStyle::StandardPixmap pixmap) {
        return style()->standardIcon(pixmap);
    };
    const std::pair<int, QStyle::StandardPixmap> buttons[] = {
        {kNew, QStyle::SP_FileIcon},
        {kOpen, QStyle::SP_DialogOpenButton},
        {kSave, QStyle::SP_DialogSaveButton},
        {0, {}},
        {kReadAll, QStyle::SP_ArrowDown},
        {kWriteAll, QStyle::SP_ArrowUp},
        {kWriteChanged, QStyle::SP_DialogApplyButton},
        {0, {}},
        {kViewReadBranch, QStyle::SP_FileDialogDetailedView},
        {kViewWriteBranch, QStyle::SP_FileDialogListView},
        {kViewWriteChangedBranch, QStyle::SP_FileDialogContentsView},
        {0, {}},
        {kInit, QStyle::SP_BrowserReload},
        {0, {}},
        {kPreviousProblem, QStyle::SP_ArrowBack},
        {kNextProblem, QStyle::SP_ArrowForward},
        {0, {}},
        {kBusMonitor, QStyle::SP_FileDialogInfoView},
        {0, {}},
        {kAbout, QStyle::SP_MessageBoxInformation},
    };
    for (const auto& [id, pixmap] : buttons) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = actions_.value(id);
        action->setIcon(icon(pixmap));
        bar->addAction(action);
    }
}

QString CMainFrame::titleFor(std::uint32_t mode, const QString& documentTitle) {
    const ModeTree tree = treeFileForMode(mode);
    QString title = "TARN <" + QString::fromStdString(std::string(tree.caption)) + ">";
    if (!documentTitle.isEmpty()) {
        title += " - " + documentTitle;
    }
    return title;
}

void CMainFrame::showTitle(std::uint32_t mode, const QString& documentTitle) {
    setWindowTitle(titleFor(mode, documentTitle));
}

void CMainFrame::setOffline(bool offline) {
    offline_ = offline;
    deviceMenu_->setEnabled(!offline);
    treeMenu_->setEnabled(!offline);
    deviceMenu_->menuAction()->setEnabled(!offline);
    treeMenu_->menuAction()->setEnabled(!offline);
    for (auto it = actions_.begin(); it != actions_.end(); ++it) {
        if (command::isDeviceCommand(it.key())) {
            it.value()->setEnabled(!offline);
        }
    }
}

void CMainFrame::setChecked(int id, bool checked) {
    if (QAction* a = actions_.value(id)) {
        a->setChecked(checked);
    }
}

bool CMainFrame::isChecked(int id) const {
    const QAction* a = actions_.value(id);
    return a != nullptr && a->isChecked();
}

void CMainFrame::showDirectionMode(int mode) {
    setChecked(command::kConverterSemiAutomatic, mode == 0);
    setChecked(command::kConverterAutomatic, mode == 1);
}

void CMainFrame::lockGeometry(const QRect& geometry) {
    // Changing the window flags of a shown window hides it: they are set
    // first, and a window that was shown is shown again.
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    locked_ = true;
    lockedGeometry_ = geometry;
    setGeometry(geometry);
    setFixedSize(geometry.size());
    if (visible) {
        show();
    }
}

void CMainFrame::unlockGeometry() {
    if (!locked_) {
        return;
    }
    locked_ = false;
    const bool visible = isVisible();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    if (visible) {
        show();  // the window flags took it off the screen
    }
}

void CMainFrame::waitWithoutCommands(std::chrono::milliseconds duration) {
    const bool enabled = commandsEnabled_;
    setCommandsEnabled(false);
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    setCommandsEnabled(enabled);
}

void CMainFrame::setCommandsEnabled(bool enabled) {
    commandsEnabled_ = enabled;
    menuBar()->setEnabled(enabled);
    for (QToolBar* bar : findChildren<QToolBar*>()) {
        bar->setEnabled(enabled);
    }
}

void CMainFrame::setRecentFiles(const QStringList& paths) {
    for (int i = 0; i < recentActions_.size(); ++i) {
        QAction* recent = recentActions_[i];
        if (i < paths.size()) {
            recent->setText(QString("&%1 %2").arg(i + 1).arg(QFileInfo(paths[i]).fileName()));
            recent->setData(paths[i]);
            recent->setToolTip(paths[i]);
            recent->setVisible(true);
        } else {
            recent->setVisible(false);
        }
    }
    recentSeparator_->setVisible(!paths.isEmpty());
}

void CMainFrame::showStatus(const QString& text) {
    statusLabel_->setText(text);
}

void CMainFrame::setLockKeysReader(std::function<LockKeys()> reader) {
    lockKeysReader_ = std::move(reader);
    refreshIndicators();
}

void CMainFrame::refreshIndicators() {
    const LockKeys keys = lockKeysReader_ ? lockKeysReader_() : LockKeys{};
    const bool on[] = {keys.capsLock, keys.numLock, keys.scrollLock};
    for (std::size_t i = 0; i < indicators_.size(); ++i) {
        indicators_[i]->setEnabled(on[i]);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    emit closeRequested();
    if (closeAllowed_) {
        event->accept();
        emit closed();
    } else {
        event->ignore();
    }
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (locked_ && pos() != lockedGeometry_.topLeft()) {
        move(lockedGeometry_.topLeft());
    }
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (locked_ && event->type() == QEvent::WindowStateChange &&
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) != 0) {
        setWindowState(Qt::WindowNoState);
    }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile());
        }
    }
    if (!paths.isEmpty()) {
        emit filesDropped(paths);
    }
}

}  // namespace tarn
