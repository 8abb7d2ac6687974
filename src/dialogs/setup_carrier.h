// CSetupCarrier: "Установка связи с прибором", the connection set-up dialog.
//
// Shows the program's own port settings in a table the user can edit,
// and lets a ConnectionSearch try them ("Установить связь"), scan all baud
// rates ("Сканирование сети"), restore the factory settings and try them
// ("Заводские сетевые настройки"), or leave: "Работать offline" and a found
// module close with 1, "Выход" with 2. The dialog never closes while the
// search is busy: it asks it to close and closes when the search reports
// back after finishing. What the search reports from its own thread is
// carried to the dialog's thread; what it reports within a button's call
// is shown at once.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "comm/connection_search.h"

class QLabel;
class QPushButton;

namespace tarn {

class CTableCtrl;
class GuiRelay;
class NetRS485prg;

class CSetupCarrier : public QDialog {
    Q_OBJECT

public:
    // The dialog's commands: its buttons, and the OK the search asks for.
    // The dialog's result is kCommandOk or kCommandExit.
    enum Command : int {
        kCommandOk = 1,
        kCommandExit = 2,
        kCommandOffline = 3,
        kCommandScan = 4,
        kCommandConnect = 5,
        kCommandFactory = 6,
    };

    // The rows are the parameters of `settings`, edited in place. The
    // search is started when the dialog is first shown; both must outlive
    // the dialog.
    CSetupCarrier(NetRS485prg& settings, ConnectionSearch& search, QWidget* parent = nullptr);
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
    // What the search reports, for the dialog while it exists.
    class Listener;

    void startSearch();
    bool searchFinished() const;
    // Asks the search to close with `code`; closes at once when it has
    // ended already.
    void closeWith(ConnectionClose code);
    void finish(ConnectionClose code);
    void setStatus(const std::string& text, bool alarm);
    void setSettingsEnabled(bool enabled);
    void showValue(std::size_t row, const std::string& value);

    NetRS485prg& settings_;
    ConnectionSearch& search_;
    std::shared_ptr<GuiRelay> relay_;
    CTableCtrl* list_;
    QLabel* status_;
    QPushButton* connectButton_;
    QPushButton* scanButton_;
    QPushButton* factoryButton_;
    QPushButton* offlineButton_;
    QPushButton* exitButton_;
    std::function<void()> beep_;
    bool searchStarted_ = false;
    bool offline_ = false;
    bool alarm_ = false;
};

}  // namespace tarn
