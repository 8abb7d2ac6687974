// The service dialogs as the document's commands see them.
//
// The dialogs are windows of the Qt layer; the document's commands open
// them through this interface, so that the commands stay free of widgets
// and can be run by tests with a scripted stand-in.
#pragma once

namespace tarn {

// How the network-settings dialog ("Перевод прибора на новый режим работы")
// ended.
struct ApplyDialogResult {
    bool accepted = false;  // closed with OK (APLY was sent)
    // "Поменять сразу сетевые настройки программы" was checked.
    bool switchProgramSettings = false;
};

class ServiceDialogs {
public:
    virtual ~ServiceDialogs() = default;

    // "Произвольный доступ к отдельным параметрам (Single Point)", modal.
    virtual void singlePoint() = 0;
    // "Перевод прибора на новый режим работы", modal; the dialog sends APLY.
    virtual ApplyDialogResult apply() = 0;
    // "Юстировка аналоговых выходов", modal.
    virtual void calibration() = 0;
    // The password change, modal.
    virtual void changePasswords() = 0;
};

}  // namespace tarn
