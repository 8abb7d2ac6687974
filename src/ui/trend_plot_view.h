// TrendPlotView: the plot "Графики" of the polled values chosen in the tree
// (Qt Charts), one line each, over a window of time.
//
// Numbers are drawn against the left axis; enumerations against the right
// one, whose labels are their items. A poll that failed or gave "Нет
// данных" breaks the line and is marked on the time axis. The view takes
// the poll results as the tree view receives them and keeps them in a
// TrendSet; it draws a few times a second at most, only while it can be
// seen and is not paused, however fast the scanners poll.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/trend_set.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;
class QChart;
class QChartView;
class QCategoryAxis;
class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace tarn {

class Parameter;
class UserInteraction;

class TrendPlotView : public QWidget {
    Q_OBJECT

public:
    // The time windows, in the order of the choice box.
    enum class TimeWindow { Minute, TenMinutes, Hour, All };
    static constexpr int kRedrawIntervalMs = 250;

    explicit TrendPlotView(UserInteraction& ui, QWidget* parent = nullptr);
    ~TrendPlotView() override;

    // Puts a polled value on the plot under `name`; false when it is there
    // already or its value does not plot. Asks to be shown
    // (shownRequested).
    bool addParameter(const Parameter& parameter, const QString& name);
    bool removeParameter(const Parameter* parameter);
    bool contains(const Parameter* parameter) const { return trends_.contains(parameter); }
    // Shows or hides a line (the tick in the list of lines); a hidden line
    // keeps its samples and does not count for the automatic range.
    void setLineShown(const Parameter* parameter, bool shown);
    bool lineShown(const Parameter* parameter) const;
    // Takes every line off (the tree they came from is dropped).
    void clearSeries();
    // Whether a parameter's value can be plotted at all.
    static bool plottable(const Parameter& parameter);

    // A poll result, on the GUI thread: a sample of its line when it has one.
    void receivePollResult(const PollResult& result);

    const TrendSet& trends() const { return trends_; }

    void setTimeWindow(TimeWindow window);
    TimeWindow timeWindow() const;
    // Automatic value range (from the values shown), or a fixed one.
    void setAutoRange(bool automatic);
    bool autoRange() const;
    void setFixedRange(double low, double high);
    // Paused: the plot stands still at the moment of the pause; the samples
    // are still kept and appear when it goes on.
    void setPaused(bool paused);
    bool paused() const { return pausedAt_.has_value(); }

    // The time range shown, in milliseconds since the epoch.
    std::pair<std::int64_t, std::int64_t> shownRange() const;
    // The range of the value axis (numbers).
    std::pair<double, double> valueRange() const;

    // The samples of the shown range as CSV, and the picture as PNG; false
    // when the file cannot be written (the user was told).
    bool exportCsv(const QString& path);
    bool exportPng(const QString& path);

    // Draws the shown range now. The timer does so while there is news, a
    // few times a second at most; less often for a long window (once per
    // pixel of time) and for a plot that takes long to draw (at most a
    // fifth of the time is spent drawing).
    void redraw();
    // How often the plot was drawn.
    int redrawCount() const { return redraws_; }

    QChart* chart() const { return chart_; }
    // The drawn line of a parameter (null when it has none).
    QLineSeries* lineOf(const Parameter* parameter) const;
    QListWidget* linesList() const { return linesList_; }
    QScatterSeries* failureMarks() const { return failedMarks_; }
    QScatterSeries* noDataMarks() const { return noDataMarks_; }

    // The present moment (the system clock); tests and pictures set another.
    void setClock(std::function<std::int64_t()> now);

signals:
    // A line was added: the window holding the plot should be shown.
    void shownRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Drawn {
        const Parameter* parameter;
        QLineSeries* series;
    };

    void chooseCsvFile();
    void choosePngFile();
    void onTimer();
    void drawRange();
    void rebuildLines();
    void updateItemAxis();
    bool saveBytes(const QString& path, const QByteArray& bytes);
    std::int64_t now() const;

    UserInteraction& ui_;
    TrendSet trends_;
    std::vector<Drawn> drawn_;

    QComboBox* windowBox_ = nullptr;
    QCheckBox* autoRangeBox_ = nullptr;
    QDoubleSpinBox* lowBox_ = nullptr;
    QDoubleSpinBox* highBox_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    QPushButton* pngButton_ = nullptr;
    QChartView* chartView_ = nullptr;
    QListWidget* linesList_ = nullptr;
    QChart* chart_ = nullptr;
    QDateTimeAxis* timeAxis_ = nullptr;
    QValueAxis* valueAxis_ = nullptr;
    QCategoryAxis* itemAxis_ = nullptr;
    QScatterSeries* failedMarks_ = nullptr;
    QScatterSeries* noDataMarks_ = nullptr;
    QTimer* timer_ = nullptr;

    std::unordered_map<const Parameter*, std::size_t> colours_;
    std::size_t nextColour_ = 0;
    std::unordered_set<const Parameter*> hidden_;
    std::function<std::int64_t()> clock_;
    std::optional<std::int64_t> pausedAt_;
    // What was last drawn: a redraw with nothing new is skipped.
    std::uint64_t drawnVersion_ = ~std::uint64_t{0};
    std::pair<std::int64_t, std::int64_t> drawnRange_{0, 0};
    bool settingsChanged_ = true;
    int redraws_ = 0;
    // Since the last drawing, and how long it took.
    QElapsedTimer sinceDrawn_;
    std::int64_t lastDrawMs_ = 0;
};

}  // namespace tarn
