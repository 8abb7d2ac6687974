// CCalibration: "Юстировка аналоговых выходов", adjusting the two
// calibration coefficients of each analogue output while the output is
// watched.
//
// The work is OutputCalibration's and runs on the dialog's worker, one
// operation after another: choosing a coefficient and finishing show the
// wait cursor; every value typed is written as it is typed, the value on
// the line first and then only the latest of those typed meanwhile.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "comm/output_calibration.h"
#include "dialogs/dialog_worker.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tarn {

class ExchangeEngine;
class UserInteraction;

class CCalibration : public QDialog {
    Q_OBJECT

public:
    // The step buttons' amounts, in the order of the buttons.
    static constexpr std::array<int, 6> kSteps = {-2, 2, -5, 5, -10, 10};

    // `outputs`: the document's table of outputs, null without a document.
    // Outputs whose type is not known yet are read first through the
    // engine when "Режим автоматического чтения" is on. `engine` (with its
    // link) and `ui` must outlive the dialog.
    CCalibration(ExchangeEngine& engine, UserInteraction& ui, const OutputTable* outputs,
                 QWidget* parent = nullptr);
    ~CCalibration() override;

    // Choosing the coefficient of list row `row`.
    void chooseRow(int row);
    // Step button `index` of kSteps.
    void step(int index);
    // "Закончить".
    void finish();

    // Device work is queued or on its way.
    bool idle() const { return worker_.idle(); }
    const std::vector<CoefficientEntry>& entries() const { return entries_; }

    QListWidget* coefficientList() const { return list_; }
    QLineEdit* valueBox() const { return value_; }
    QPushButton* stepButton(int index) const { return steps_[static_cast<std::size_t>(index)]; }
    QPushButton* finishButton() const { return finish_; }

public slots:
    // The close box and Escape finish as "Закончить" does.
    void reject() override;

private:
    void setAdjustable(bool adjustable);
    void valueTyped();
    void writeValue(int value);
    void chosen(bool kept, int value);

    OutputCalibration calibration_;
    std::vector<CoefficientEntry> entries_;
    QListWidget* list_;
    QLineEdit* value_;
    std::array<QPushButton*, 6> steps_{};
    QPushButton* finish_;
    bool adjusting_ = false;  // a coefficient was chosen (on the dialog's side)
    bool finishing_ = false;
    bool closed_ = false;
    // Last: its jobs use everything above.
    DialogWorker worker_;
};

}  // namespace tarn
