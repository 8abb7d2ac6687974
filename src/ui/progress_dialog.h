// CProgressDialog: the window "Прибор <==> программа" of a device task.
//
// A log of lines, the time since the task began ("Обмен идет:"), the
// processed and total counts ("Обработано пар-ов:"), a progress bar and the
// button "Прервать!". The window shows what it is given; the exchange engine
// computes every text. QtProgressDisplay opens it for each task.
//
// The log (ProgressLog) paints only the rows that came in: following the
// end moves the rows shown. The bar (TaskProgressBar) paints only the strip
// its end moved by. The figures have fixed sizes (room for the
// task's total), so a new text repaints the label alone and never lays the
// window out again.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "comm/progress_display.h"
#include "ui/progress_log.h"
#include "ui/task_progress_bar.h"

class QLabel;
class QPushButton;

namespace tarn {

class CProgressDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr std::string_view kDefaultTitle = "Прибор <==> программа";

    explicit CProgressDialog(QWidget* parent = nullptr);

    // The task's title; an empty title keeps "Прибор <==> программа".
    void setTaskTitle(const std::string& title);
    // Bar range 0..total, bar at 0; the counts get room for "total из total".
    void setTotal(int total);
    // What "Прервать!" (and the window's close box or Escape) does.
    void setInterruptHandler(std::function<void()> handler) { interrupt_ = std::move(handler); }

    // Adds the update's line to the log and shows its figures.
    void applyUpdate(const ProgressUpdate& update);
    // The same for several updates at once: the log takes their lines in
    // one insertion and scrolls once, the figures are the last ones given.
    void applyUpdates(const std::vector<ProgressUpdate>& updates);
    // Closes the window and ends its modal loop.
    void finish();

    QStringList logLines() const;
    QString elapsedText() const;
    QString countsText() const;
    int barValue() const;
    int barMaximum() const;
    ProgressLog* log() const { return log_; }
    QPushButton* interruptButton() const { return interruptButton_; }

public slots:
    // The user cannot close the window while the task runs: closing asks
    // the task to stop, and the task closes the window when it has.
    void reject() override;

private:
    void requestInterrupt();

    ProgressLog* log_;
    QLabel* elapsed_;
    QLabel* counts_;
    TaskProgressBar* bar_;
    QPushButton* interruptButton_;
    std::function<void()> interrupt_;
};

}  // namespace tarn
