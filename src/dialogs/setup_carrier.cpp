#include "dialogs/setup_carrier.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/net_rs485_prg.h"
#include "model/parameter.h"
#include "ui/gui_relay.h"
#include "ui/table_ctrl.h"

namespace tarn {
namespace {

const QColor kAlarmColour(255, 0, 0);
const QColor kInfoColour(0, 0, 255);
constexpr int kRowHeight = 18;

QString qstr(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CSetupCarrier::CSetupCarrier(NetRS485prg& settings, ConnectionSearch& worker, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      worker_(worker),
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
    // A dialog destroyed without closing still leaves no worker running.
    if (workerStarted_ && !worker_.finished()) {
        worker_.interrupt(kCommandExit);
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
    startWorker();
}

void CSetupCarrier::startWorker() {
    if (workerStarted_) {
        return;
    }
    workerStarted_ = true;
    // Every report travels through the relay, which drops it once the
    // dialog is gone.
    std::shared_ptr<GuiRelay> relay = relay_;
    ConnectionEvents events;
    events.status = [this, relay](const std::string& text, bool alarm) {
        relay->post([this, text, alarm] { setStatus(text, alarm); });
    };
    events.settingsEnabled = [this, relay](bool enabled) {
        relay->post([this, enabled] { setSettingsEnabled(enabled); });
    };
    events.valueChanged = [this, relay](const Parameter& parameter, const std::string& value) {
        const Parameter* changed = &parameter;
        relay->post([this, changed, value] { showValue(changed, value); });
    };
    events.command = [this, relay](int code) { relay->post([this, code] { runCommand(code); }); };
    worker_.start(std::move(events));
}

bool CSetupCarrier::workerFinished() const {
    // A worker that never started has nothing to finish.
    return !workerStarted_ || worker_.finished();
}

void CSetupCarrier::interruptWorker(int code) {
    resultCode_ = code;
    worker_.interrupt(code);
}

void CSetupCarrier::runCommand(int command) {
    switch (command) {
        case kCommandFactory:
            loadFactorySettings();
            [[fallthrough]];
        case kCommandConnect:
            setSettingsEnabled(false);
            worker_.connect();
            setStatus(std::string(kConnectingText), false);
            break;
        case kCommandScan:
            setSettingsEnabled(false);
            worker_.scan();
            break;
        case kCommandOk:
            if (workerFinished()) {
                done(kCommandOk);
            } else {
                interruptWorker(kCommandOk);
            }
            break;
        case kCommandOffline:
            if (workerFinished()) {
                offline_ = true;
                done(kCommandOk);
            } else {
                setStatus(std::string(kInterruptingText), false);
                interruptWorker(kCommandOffline);
            }
            break;
        case kCommandExit:
            if (workerFinished()) {
                done(kCommandExit);
            } else {
                setStatus(std::string(kInterruptingText), false);
                interruptWorker(kCommandExit);
            }
            break;
        default:
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
    // While the worker uses the settings, nothing else may change them:
    // neither an edit nor the factory settings, nor a second request.
    list_->setEnabled(enabled);
    connectButton_->setEnabled(enabled);
    scanButton_->setEnabled(enabled);
    factoryButton_->setEnabled(enabled);
}

void CSetupCarrier::showValue(const Parameter* parameter, const std::string& value) {
    const int row = list_->rowOf(parameter);
    if (row >= 0) {
        list_->setCellText(row, 1, value);
    }
}

void CSetupCarrier::loadFactorySettings() {
    const int rows = std::min(list_->rowCount(), static_cast<int>(std::size(kFactorySettings)));
    for (int row = 0; row < rows; ++row) {
        const std::string value(kFactorySettings[row]);
        if (Parameter* parameter = list_->boundParameter(row, 1)) {
            parameter->setValueText(value);
        }
        list_->setCellText(row, 1, value);
    }
}

}  // namespace tarn
