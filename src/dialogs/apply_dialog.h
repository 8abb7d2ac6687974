// CApply: "Перевод прибора на новый режим работы", sending the APLY command
// that switches the module to the network settings held in it.
//
// Shows the module's settings and three check boxes; OK hands the work to
// ApplyCommand on the dialog's worker (the window keeps painting through the
// pauses), shows the error box when the first sending failed, and closes.
// Afterwards the caller reads whether OK was pressed (exec() returns
// Accepted) and changeProgramSettings(): the document then copies the
// module's settings into the program's and re-opens the port.
#pragma once

#include <QDialog>

#include "comm/apply_command.h"
#include "dialogs/dialog_worker.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace tarn {

class UserInteraction;

class CApply : public QDialog {
    Q_OBJECT

public:
    // `command`: the document's exchange context; null when there is none
    // (the dialog then says so and OK sends nothing). `silent`: the start-up
    // option that keeps the error box away. Both `command` and `ui` must
    // outlive the dialog.
    CApply(ApplyCommand* command, UserInteraction& ui, bool silent, QWidget* parent = nullptr);
    ~CApply() override;

    // The check boxes as they stand.
    ApplyOptions options() const;
    // "Поменять сразу сетевые настройки программы" (1219).
    bool changeProgramSettings() const;
    bool busy() const { return worker_.busy(); }

    QLabel* settingsText() const { return settings_; }
    QCheckBox* changeProgramBox() const { return changeProgram_; }
    QCheckBox* broadcastBox() const { return broadcast_; }
    QCheckBox* threeTimesBox() const { return threeTimes_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void accept() override;
    // "Отмена": sends nothing; while the command is on its way, nothing.
    void reject() override;

private:
    ApplyCommand* command_;
    UserInteraction& ui_;
    bool silent_;
    QLabel* settings_;
    QCheckBox* changeProgram_;
    QCheckBox* broadcast_;
    QCheckBox* threeTimes_;
    QPushButton* ok_;
    QPushButton* cancel_;
    // Last: its jobs use everything above.
    DialogWorker worker_;
};

}  // namespace tarn
