#include "app/qt_service_dialogs.h"

#include "comm/apply_command.h"
#include "dialogs/apply_dialog.h"
#include "dialogs/calibration_dialog.h"
#include "dialogs/change_password_dialog.h"
#include "dialogs/single_point.h"
#include "document/password_change.h"
#include "document/password_store.h"
#include "document/tarn_document.h"

namespace tarn {

void QtServiceDialogs::singlePoint() {
    CSinglePoint dialog(context_.link, context_.ui, context_.document.parameterTemplates(),
                        window());
    dialog.exec();
}

ApplyDialogResult QtServiceDialogs::apply() {
    ApplyCommand command(context_.link, context_.document.networkSettings(),
                         context_.document.programSettings());
    CApply dialog(&command, context_.ui, context_.silent && context_.silent(), window());
    ApplyDialogResult result;
    result.accepted = dialog.exec() == QDialog::Accepted;
    result.switchProgramSettings = dialog.changeProgramSettings();
    return result;
}

void QtServiceDialogs::calibration() {
    CCalibration dialog(context_.engine, context_.ui, &context_.document.outputs(), window());
    dialog.exec();
}

void QtServiceDialogs::changePasswords() {
    PasswordStore store(context_.settings);
    PasswordChange change(store, context_.ui, context_.accessLevel ? context_.accessLevel() : 0);
    CChangePassword dialog(change, window());
    dialog.exec();
}

}  // namespace tarn
