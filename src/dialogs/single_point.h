// CSinglePoint: "Произвольный доступ к отдельным параметрам (Single Point)",
// reading or writing any one parameter of the module by its network name,
// with the bytes of the exchange in its log.
//
// The work is SinglePointAccess's; the dialog forwards its fields and shows
// the lines it gets back. The exchange runs on the dialog's worker, so the
// window keeps painting (with the wait cursor) while a task or a scanner
// holds the line.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "comm/single_point_access.h"
#include "dialogs/dialog_worker.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tarn {

class CSinglePoint : public QDialog {
    Q_OBJECT

public:
    // `templates`: the parameter templates of the loaded description.
    // `link` and `ui` must outlive the dialog.
    CSinglePoint(DeviceLink& link, UserInteraction& ui, std::vector<ParameterTemplate> templates,
                 QWidget* parent = nullptr);
    ~CSinglePoint() override;

    // "Выполнить!": one exchange as the fields stand.
    void execute();
    // An exchange is on its way.
    bool busy() const { return worker_.busy(); }

    QComboBox* commandBox() const { return command_; }
    QLineEdit* hashField() const { return hash_; }
    QLineEdit* descriptionField() const { return description_; }
    QCheckBox* indexCheck() const { return indexPresent_; }
    QLineEdit* indexField() const { return index_; }
    QRadioButton* indexInData() const { return inData_; }
    QRadioButton* indexInAddress() const { return inAddress_; }
    QRadioButton* readButton() const { return read_; }
    QRadioButton* writeButton() const { return write_; }
    QComboBox* valueBox() const { return value_; }
    QListWidget* exchangeLog() const { return log_; }
    QPushButton* executeButton() const { return execute_; }
    QPushButton* exitButton() const { return exit_; }

public slots:
    // "Выход", Escape and the close box; an exchange on its way ends first.
    void reject() override;

private:
    void describeCommand(const QString& command);
    void showOperation();
    void showLog(const std::vector<std::string>& lines);

    SinglePointAccess access_;
    QComboBox* command_;
    QLineEdit* hash_;
    QLineEdit* description_;
    QCheckBox* indexPresent_;
    QLineEdit* index_;
    QRadioButton* inData_;
    QRadioButton* inAddress_;
    QRadioButton* read_;
    QRadioButton* write_;
    QLabel* valueLabel_;
    QComboBox* value_;
    QListWidget* log_;
    QPushButton* execute_;
    QPushButton* exit_;
    bool closeWhenDone_ = false;
    // Last: its jobs use everything above.
    DialogWorker worker_;
};

}  // namespace tarn
