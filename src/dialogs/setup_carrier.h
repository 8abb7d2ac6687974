// CSetupCarrier: "Установка связи с прибором", the connection set-up dialog.
//
// Shows the program's own port settings in a table the user can edit,
// and lets a ConnectionSearch try them ("Установить связь"), scan all baud
// rates ("Сканирование сети"), restore the factory settings and try them
// ("Заводские сетевые настройки"), or leave: "Работать offline" and a found
// module close with 1, "Выход" with 2. The dialog never closes while the
// worker is busy: it interrupts it first and closes when the worker reports
// back after finishing.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "dialogs/connection_search.h"

class QLabel;
class QPushButton;

namespace tarn {

class CTableCtrl;
class GuiRelay;
class NetRS485prg;
class Parameter;

class CSetupCarrier : public QDialog {
    Q_OBJECT

public:
    // The dialog's commands: its buttons, and the OK the worker asks for.
    enum Command : int {
        kCommandOk = 1,
        kCommandExit = 2,
        kCommandOffline = 3,
        kCommandScan = 4,
        kCommandConnect = 5,
        kCommandFactory = 6,
    };

    // Status texts of the dialog itself.
    static constexpr std::string_view kConnectingText = "Идет сканирование...";
    static constexpr std::string_view kInterruptingText = "Прерывание операции...";

    // The factory port settings, by row: baud rate, data bits, parity, stop
    // bits, address length, address, port.
    static constexpr std::string_view kFactorySettings[] = {"9600", "8",  "Отсутствует", "1",
                                                            "8",    "16", "COM1"};

    // The rows are the parameters of `settings`, edited in place. The
    // worker is started when the dialog is first shown; both must outlive
    // the dialog.
    CSetupCarrier(NetRS485prg& settings, ConnectionSearch& worker, QWidget* parent = nullptr);
    ~CSetupCarrier() override;

    // Runs a command as its button does.
    void runCommand(int command);

    // After the dialog closed with 1: the user chose to work without the
    // module (the caller then turns automatic reading off).
    bool offlineChosen() const { return offline_; }

    QString statusText() const;
    bool statusIsAlarm() const { return alarm_; }
    CTableCtrl* settingsList() const { return list_; }
    QLabel* statusLine() const { return status_; }
    // The button of a command (1 has none), or null.
    QPushButton* button(int command) const;

    // The warning sound of alarm texts (the desktop's beep by default).
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

public slots:
    // Escape and the close box act as "Выход".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void startWorker();
    bool workerFinished() const;
    // Stores the code and interrupts the worker, which then asks for the
    // command of that code.
    void interruptWorker(int code);
    void setStatus(const std::string& text, bool alarm);
    void setSettingsEnabled(bool enabled);
    void showValue(const Parameter* parameter, const std::string& value);
    void loadFactorySettings();

    NetRS485prg& settings_;
    ConnectionSearch& worker_;
    std::shared_ptr<GuiRelay> relay_;
    CTableCtrl* list_;
    QLabel* status_;
    QPushButton* connectButton_;
    QPushButton* scanButton_;
    QPushButton* factoryButton_;
    QPushButton* offlineButton_;
    QPushButton* exitButton_;
    std::function<void()> beep_;
    bool workerStarted_ = false;
    int resultCode_ = kCommandExit;
    bool offline_ = false;
    bool alarm_ = false;
};

}  // namespace tarn
