#include "dialogs/setup_carrier.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "model/net_rs485_prg.h"
#include "model/parameter.h"
#include "platform/qt_strings.h"
#include "ui/gui_relay.h"
#include "ui/table_ctrl.h"

namespace tarn {
namespace {

const QColor kAlarmColour(255, 0, 0);
const QColor kInfoColour(0, 0, 255);
constexpr int kRowHeight = 18;

}  // namespace

CSetupCarrier::CSetupCarrier(NetRS485prg& settings, ConnectionSearch& search, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      search_(search),
      relay_(std::make_shared<GuiRelay>(this)),
      list_(new CTableCtrl(this)),
      status_(new QLabel(this)),
      connectButton_(new QPushButton(QStringLiteral("Установить связь"), this)),
      scanButton_(new QPushButton(QStringLiteral("Сканирование сети"), this)),
      factoryButton_(new QPushButton(QStringLiteral("Заводские сетевые настройки"), this)),
      offlineButton_(new QPushButton(QStringLiteral("Работать offline"), this)),
      exitButton_(new QPushButton(QStringLiteral("Выход"), this)),
      beep_([] { QApplication::beep(); }) {
    setWindowTitle(QStringLiteral("Установка связи с прибором"));

    list_->setObjectName(QStringLiteral("settings"));
    list_->addColumn("Параметры порта");
    list_->addColumn("Значение");
    list_->setColumnShares({3, 1});
    list_->setRowsHeight(kRowHeight);
    list_->setMinimumSize(400, kRowHeight * 7 + 40);
    for (const auto& parameter : settings_.parameters()) {
        const int row = list_->appendRow(parameter->caption());
        list_->setCellText(row, 1, parameter->valueText());
        list_->setRowBinding(row, parameter.get(), 0);
    }

    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setMinimumHeight(status_->fontMetrics().height() * 2);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button :
         {connectButton_, scanButton_, factoryButton_, offlineButton_, exitButton_}) {
        // Enter in the settings list ends an edit; it never presses a button.
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->insertSpacing(3, 12);
    buttons->addStretch(1);

    auto* layout = new QGridLayout(this);
    layout->addWidget(list_, 0, 0);
    layout->addWidget(status_, 1, 0);
    layout->addLayout(buttons, 0, 1, 2, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(0, 1);

    const std::pair<QPushButton*, int> commands[] = {{connectButton_, kCommandConnect},
                                                     {scanButton_, kCommandScan},
                                                     {factoryButton_, kCommandFactory},
                                                     {offlineButton_, kCommandOffline},
                                                     {exitButton_, kCommandExit}};
    for (const auto& [button, command] : commands) {
        connect(button, &QPushButton::clicked, this,
                [this, command = command] { runCommand(command); });
    }
}

CSetupCarrier::~CSetupCarrier() {
    relay_->detach();
    // A dialog destroyed without closing still leaves no search running.
    if (searchStarted_ && !search_.finished()) {
        search_.requestClose(ConnectionClose::Exit);
    }
}

QPushButton* CSetupCarrier::button(int command) const {
    switch (command) {
        case kCommandExit:
            return exitButton_;
        case kCommandOffline:
            return offlineButton_;
        case kCommandScan:
            return scanButton_;
        case kCommandConnect:
            return connectButton_;
        case kCommandFactory:
            return factoryButton_;
        default:
            return nullptr;
    }
}

QString CSetupCarrier::statusText() const {
    return status_->text();
}

void CSetupCarrier::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    startSearch();
}

// Reports of the search go to the dialog: at once when they come on the
// dialog's thread within one of its own calls, otherwise through the relay.
// The search may outlive the dialog; once the relay is detached every
// report is dropped.
class CSetupCarrier::Listener : public ConnectionListener {
public:
    Listener(CSetupCarrier& dialog, std::shared_ptr<GuiRelay> relay)
        : dialog_(&dialog), thread_(dialog.thread()), relay_(std::move(relay)) {}

    void settingsListEnabled(bool enabled) override {
        forward([enabled](CSetupCarrier& d) { d.setSettingsEnabled(enabled); });
    }
    void statusChanged(const std::string& text, bool alarm) override {
        forward([text, alarm](CSetupCarrier& d) { d.setStatus(text, alarm); });
    }
    void settingChanged(std::size_t row, const std::string& value) override {
        forward([row, value](CSetupCarrier& d) { d.showValue(row, value); });
    }
    void closeRequested(ConnectionClose code) override {
        // As the button of that code does, from the event loop: the search
        // may report within a call of the dialog, which must not close
        // inside it.
        CSetupCarrier* dialog = dialog_;
        relay_->post([dialog, code] { dialog->closeWith(code); });
    }

private:
    void forward(std::function<void(CSetupCarrier&)> work) {
        CSetupCarrier* dialog = dialog_;
        if (QThread::currentThread() == thread_) {
            // The relay is detached only on this thread, when the dialog
            // goes: attached, the dialog is there.
            if (relay_->attached()) {
                work(*dialog);
            }
        } else {
            relay_->post([dialog, work = std::move(work)] { work(*dialog); });
        }
    }

    CSetupCarrier* dialog_;
    QThread* thread_;
    std::shared_ptr<GuiRelay> relay_;
};

void CSetupCarrier::startSearch() {
    if (searchStarted_) {
        return;
    }
    searchStarted_ = true;
    search_.start(std::make_shared<Listener>(*this, relay_));
}

bool CSetupCarrier::searchFinished() const {
    // A search that never started has nothing to finish.
    return !searchStarted_ || search_.finished();
}

void CSetupCarrier::runCommand(int command) {
    switch (command) {
        case kCommandFactory:
            setSettingsEnabled(false);
            search_.restoreFactorySettings();
            break;
        case kCommandConnect:
            setSettingsEnabled(false);
            search_.connect();
            break;
        case kCommandScan:
            setSettingsEnabled(false);
            search_.scan();
            break;
        case kCommandOk:
            closeWith(ConnectionClose::Connected);
            break;
        case kCommandOffline:
            closeWith(ConnectionClose::Offline);
            break;
        case kCommandExit:
            closeWith(ConnectionClose::Exit);
            break;
        default:
            break;
    }
}

void CSetupCarrier::closeWith(ConnectionClose code) {
    if (searchFinished()) {
        finish(code);
        return;
    }
    if (const auto now = search_.requestClose(code)) {
        finish(*now);
    }
}

void CSetupCarrier::finish(ConnectionClose code) {
    switch (code) {
        case ConnectionClose::Offline:
            offline_ = true;
            done(kCommandOk);
            break;
        case ConnectionClose::Connected:
            done(kCommandOk);
            break;
        case ConnectionClose::Exit:
            done(kCommandExit);
            break;
    }
}

void CSetupCarrier::reject() {
    runCommand(kCommandExit);
}

void CSetupCarrier::setStatus(const std::string& text, bool alarm) {
    alarm_ = alarm;
    QPalette palette = status_->palette();
    palette.setColor(QPalette::WindowText, alarm ? kAlarmColour : kInfoColour);
    status_->setPalette(palette);
    status_->setText(qstr(text));
    if (alarm && beep_) {
        beep_();
    }
}

void CSetupCarrier::setSettingsEnabled(bool enabled) {
    // While the search uses the settings, nothing else may change them:
    // neither an edit nor the factory settings, nor a second request.
    list_->setEnabled(enabled);
    connectButton_->setEnabled(enabled);
    scanButton_->setEnabled(enabled);
    factoryButton_->setEnabled(enabled);
}

void CSetupCarrier::showValue(std::size_t row, const std::string& value) {
    if (row < static_cast<std::size_t>(list_->rowCount())) {
        list_->setCellText(static_cast<int>(row), 1, value);
    }
}

}  // namespace tarn
