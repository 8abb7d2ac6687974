#include "ui/trend_plot_view.h"

#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "model/parameter.h"
#include "platform/qt_strings.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

constexpr const char* kCaption = "Графики";

// The length of each time window; 0: everything kept.
constexpr std::int64_t kWindowMs[] = {60'000, 600'000, 3'600'000, 0};
constexpr const char* kWindowTexts[] = {"1 мин", "10 мин", "1 ч", "Всё"};

// Distinct line colours (no red and no grey: those are the marks' colours);
// more lines than these take them again.
constexpr QRgb kLineColours[] = {0x1f77b4, 0xff7f0e, 0x2ca02c, 0x9467bd, 0x8c564b, 0xe377c2,
                                 0xbcbd22, 0x17becf, 0x393b79, 0x637939, 0x8c6d31, 0x7b4173};

// The list of lines is as wide as its longest name, within these bounds.
constexpr int kListMinWidth = 180;
constexpr int kListMaxWidth = 420;

// Marks of one kind closer than this many pixels are drawn as one.
constexpr int kMarkSpacingPixels = 8;

// Round limits around [low, high] at a step of 1, 2, 2.5 or 5 times a
// power of ten, about six steps; the number of ticks with them.
struct NiceRange {
    double low;
    double high;
    int ticks;
};
NiceRange niceRange(double low, double high) {
    const double rough = (high - low) / 6;
    if (!(rough > 0) || !std::isfinite(rough)) {
        return {low, high, 6};
    }
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude * 10;
    for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (magnitude * factor >= rough) {
            step = magnitude * factor;
            break;
        }
    }
    const double niceLow = std::floor(low / step) * step;
    const double niceHigh = std::ceil(high / step) * step;
    return {niceLow, niceHigh, static_cast<int>(std::lround((niceHigh - niceLow) / step)) + 1};
}

// Whether a number is drawn (a gap is NaN).
bool drawn(double value) {
    return !std::isnan(value);
}

}  // namespace

TrendPlotView::TrendPlotView(UserInteraction& ui, QWidget* parent)
    : QWidget(parent), ui_(ui), clock_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    setObjectName("trendPlot");
    setWindowTitle(QString::fromUtf8(kCaption));

    windowBox_ = new QComboBox(this);
    windowBox_->setObjectName("trendWindow");
    for (const char* text : kWindowTexts) {
        windowBox_->addItem(QString::fromUtf8(text));
    }
    windowBox_->setCurrentIndex(static_cast<int>(TimeWindow::Minute));
    autoRangeBox_ = new QCheckBox("Автомасштаб", this);
    autoRangeBox_->setObjectName("trendAutoRange");
    autoRangeBox_->setChecked(true);
    const auto makeLimit = [this](const char* name, double value) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(name);
        box->setRange(-1e9, 1e9);
        box->setDecimals(3);
        box->setValue(value);
        box->setEnabled(false);
        return box;
    };
    lowBox_ = makeLimit("trendLow", 0);
    highBox_ = makeLimit("trendHigh", 100);
    pauseButton_ = new QPushButton("Пауза", this);
    pauseButton_->setObjectName("trendPause");
    pauseButton_->setCheckable(true);
    clearButton_ = new QPushButton("Убрать все", this);
    clearButton_->setObjectName("trendClear");
    csvButton_ = new QPushButton("Сохранить CSV...", this);
    csvButton_->setObjectName("trendCsv");
    pngButton_ = new QPushButton("Сохранить PNG...", this);
    pngButton_->setObjectName("trendPng");

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel("Интервал:", this));
    controls->addWidget(windowBox_);
    controls->addSpacing(12);
    controls->addWidget(autoRangeBox_);
    controls->addWidget(new QLabel("от", this));
    controls->addWidget(lowBox_);
    controls->addWidget(new QLabel("до", this));
    controls->addWidget(highBox_);
    controls->addSpacing(12);
    controls->addWidget(pauseButton_);
    controls->addStretch(1);
    controls->addWidget(clearButton_);
    controls->addWidget(csvButton_);
    controls->addWidget(pngButton_);

    chart_ = new QChart;
    chart_->setObjectName("trendChart");
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    timeAxis_ = new QDateTimeAxis(chart_);
    timeAxis_->setFormat("hh:mm:ss");
    timeAxis_->setTickCount(7);
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    valueAxis_ = new QValueAxis(chart_);
    valueAxis_->setLabelFormat("%.6g");
    valueAxis_->setTickCount(7);
    // The labels' room follows the range; they are never cut to "...".
    valueAxis_->setTruncateLabels(false);
    chart_->addAxis(valueAxis_, Qt::AlignLeft);
    itemAxis_ = new QCategoryAxis(chart_);
    itemAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    itemAxis_->setGridLineVisible(false);
    itemAxis_->setTruncateLabels(false);
    chart_->addAxis(itemAxis_, Qt::AlignRight);
    itemAxis_->setVisible(false);

    const auto makeMarks = [this](const char* name, QColor colour,
                                  QScatterSeries::MarkerShape shape) {
        auto* marks = new QScatterSeries(chart_);
        marks->setName(QString::fromUtf8(name));
        marks->setColor(colour);
        marks->setBorderColor(colour.darker(130));
        marks->setMarkerShape(shape);
        marks->setMarkerSize(9);
        chart_->addSeries(marks);
        marks->attachAxis(timeAxis_);
        marks->attachAxis(valueAxis_);
        return marks;
    };
    failedMarks_ =
        makeMarks("Ошибка опроса", QColor(220, 0, 0), QScatterSeries::MarkerShapeTriangle);
    noDataMarks_ =
        makeMarks("Нет данных", QColor(150, 150, 150), QScatterSeries::MarkerShapeCircle);
    for (QScatterSeries* marks : {failedMarks_, noDataMarks_}) {
        connect(marks, &QScatterSeries::hovered, this, [marks](const QPointF& point, bool state) {
            if (!state) {
                QToolTip::hideText();
                return;
            }
            const auto texts = marks->property("texts").toStringList();
            const auto points = marks->points();
            for (qsizetype i = 0; i < points.size() && i < texts.size(); ++i) {
                if (qFuzzyCompare(points[i].x(), point.x())) {
                    QToolTip::showText(QCursor::pos(), texts[i]);
                    return;
                }
            }
        });
    }

    chartView_ = new QChartView(chart_, this);
    chartView_->setObjectName("trendChartView");
    chartView_->setRenderHint(QPainter::Antialiasing, false);
    chartView_->setMinimumSize(480, 240);

    // The lines by name and colour: a tick shows or hides one, the context
    // menu takes it off. The chart's own legend explains only the marks.
    linesList_ = new QListWidget(this);
    linesList_->setObjectName("trendLines");
    linesList_->setFixedWidth(kListMinWidth);
    linesList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(linesList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const auto* parameter =
            static_cast<const Parameter*>(item->data(Qt::UserRole).value<const void*>());
        setLineShown(parameter, item->checkState() == Qt::Checked);
    });
    connect(linesList_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QListWidgetItem* item = linesList_->itemAt(at);
        if (item == nullptr) {
            return;
        }
        const auto* parameter =
            static_cast<const Parameter*>(item->data(Qt::UserRole).value<const void*>());
        QMenu menu;
        QAction* remove = menu.addAction("Убрать с графика");
        if (menu.exec(linesList_->viewport()->mapToGlobal(at)) == remove) {
            removeParameter(parameter);
        }
    });
    auto* plotRow = new QHBoxLayout;
    plotRow->addWidget(chartView_, 1);
    plotRow->addWidget(linesList_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(controls);
    layout->addLayout(plotRow, 1);

    const auto changed = [this] {
        settingsChanged_ = true;
        redraw();
    };
    connect(windowBox_, &QComboBox::currentIndexChanged, this, changed);
    connect(autoRangeBox_, &QCheckBox::toggled, this, [this, changed](bool automatic) {
        lowBox_->setEnabled(!automatic);
        highBox_->setEnabled(!automatic);
        if (!automatic) {
            // The fixed range starts out as the range shown.
            const auto [low, high] = valueRange();
            lowBox_->setValue(low);
            highBox_->setValue(high);
        }
        changed();
    });
    connect(lowBox_, &QDoubleSpinBox::valueChanged, this, changed);
    connect(highBox_, &QDoubleSpinBox::valueChanged, this, changed);
    connect(pauseButton_, &QPushButton::toggled, this, [this](bool on) { setPaused(on); });
    connect(clearButton_, &QPushButton::clicked, this, &TrendPlotView::clearSeries);
    connect(csvButton_, &QPushButton::clicked, this, &TrendPlotView::chooseCsvFile);
    connect(pngButton_, &QPushButton::clicked, this, &TrendPlotView::choosePngFile);

    timer_ = new QTimer(this);
    timer_->setInterval(kRedrawIntervalMs);
    connect(timer_, &QTimer::timeout, this, &TrendPlotView::onTimer);
    // The timer runs while the plot is shown (showEvent, hideEvent).
    redraw();
}

TrendPlotView::~TrendPlotView() = default;

bool TrendPlotView::plottable(const Parameter& parameter) {
    return TrendScale::of(parameter).has_value();
}

bool TrendPlotView::addParameter(const Parameter& parameter, const QString& name) {
    if (!trends_.add(parameter, utf8(name))) {
        return false;
    }
    rebuildLines();
    emit shownRequested();
    redraw();
    return true;
}

bool TrendPlotView::removeParameter(const Parameter* parameter) {
    if (!trends_.remove(parameter)) {
        return false;
    }
    rebuildLines();
    redraw();
    return true;
}

void TrendPlotView::clearSeries() {
    trends_.clear();
    rebuildLines();
    redraw();
}

void TrendPlotView::receivePollResult(const PollResult& result) {
    // Only a sample is taken here; drawing waits for the timer.
    trends_.receive(result);
}

void TrendPlotView::rebuildLines() {
    for (const Drawn& line : drawn_) {
        chart_->removeSeries(line.series);
        delete line.series;
    }
    drawn_.clear();
    const QSignalBlocker block(linesList_);
    linesList_->clear();
    if (trends_.empty()) {
        nextColour_ = 0;
    }
    for (std::size_t i = 0; i < trends_.size(); ++i) {
        const TrendLine& line = trends_.line(i);
        // A line keeps its colour while it is on the plot.
        auto colour = colours_.find(line.parameter);
        if (colour == colours_.end()) {
            colour =
                colours_.emplace(line.parameter, nextColour_++ % std::size(kLineColours)).first;
        }
        const QColor rgb(kLineColours[colour->second]);
        auto* series = new QLineSeries(chart_);
        series->setName(qstr(line.name));
        // A one-pixel cosmetic pen draws without joining the segments, many
        // times faster than a wider one on lines of thousands of points.
        QPen pen(rgb);
        pen.setWidth(1);
        pen.setCosmetic(true);
        series->setPen(pen);
        chart_->addSeries(series);
        series->attachAxis(timeAxis_);
        series->attachAxis(line.scale.enumeration() ? static_cast<QAbstractAxis*>(itemAxis_)
                                                    : valueAxis_);
        for (QLegendMarker* marker : chart_->legend()->markers(series)) {
            marker->setVisible(false);
        }
        const bool shown = hidden_.count(line.parameter) == 0;
        series->setVisible(shown);
        drawn_.push_back({line.parameter, series});

        QPixmap swatch(12, 12);
        swatch.fill(rgb);
        auto* item = new QListWidgetItem(QIcon(swatch), qstr(line.name), linesList_);
        item->setToolTip(qstr(line.name));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<const void*>(line.parameter)));
    }
    int widest = 0;
    for (int row = 0; row < linesList_->count(); ++row) {
        widest = std::max(
            widest, linesList_->fontMetrics().horizontalAdvance(linesList_->item(row)->text()));
    }
    // The text, the tick and the colour, the frame and a scroll bar.
    linesList_->setFixedWidth(std::clamp(widest + 70, kListMinWidth, kListMaxWidth));
    // What is no longer on the plot forgets its colour and state.
    for (auto it = colours_.begin(); it != colours_.end();) {
        it = trends_.contains(it->first) ? std::next(it) : colours_.erase(it);
    }
    for (auto it = hidden_.begin(); it != hidden_.end();) {
        it = trends_.contains(*it) ? std::next(it) : hidden_.erase(it);
    }
    updateItemAxis();
    settingsChanged_ = true;
}

void TrendPlotView::setLineShown(const Parameter* parameter, bool shown) {
    QLineSeries* series = lineOf(parameter);
    if (series == nullptr) {
        return;
    }
    if (shown) {
        hidden_.erase(parameter);
    } else {
        hidden_.insert(parameter);
    }
    series->setVisible(shown);
    for (int row = 0; row < linesList_->count(); ++row) {
        QListWidgetItem* item = linesList_->item(row);
        if (item->data(Qt::UserRole).value<const void*>() == parameter) {
            const QSignalBlocker block(linesList_);
            item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
        }
    }
    settingsChanged_ = true;
    redraw();
}

bool TrendPlotView::lineShown(const Parameter* parameter) const {
    return contains(parameter) && hidden_.count(parameter) == 0;
}

void TrendPlotView::updateItemAxis() {
    // The labels of every enumeration on the plot: the items of one index
    // joined when the enumerations differ.
    std::vector<QStringList> labels;
    for (std::size_t i = 0; i < trends_.size(); ++i) {
        const TrendScale& scale = trends_.line(i).scale;
        if (!scale.enumeration()) {
            continue;
        }
        const auto& items = scale.labels();
        if (labels.size() < items.size()) {
            labels.resize(items.size());
        }
        for (std::size_t k = 0; k < items.size(); ++k) {
            const QString item = qstr(items[k]);
            if (!labels[k].contains(item)) {
                labels[k].append(item);
            }
        }
    }
    for (const QString& label : itemAxis_->categoriesLabels()) {
        itemAxis_->remove(label);
    }
    itemAxis_->setVisible(!labels.empty());
    if (labels.empty()) {
        itemAxis_->setRange(0, 1);
        return;
    }
    itemAxis_->setStartValue(-0.5);
    for (std::size_t k = 0; k < labels.size(); ++k) {
        itemAxis_->append(labels[k].join(" / "), static_cast<double>(k));
    }
    itemAxis_->setRange(-0.5, static_cast<double>(labels.size()) - 0.5);
}

QLineSeries* TrendPlotView::lineOf(const Parameter* parameter) const {
    for (const Drawn& line : drawn_) {
        if (line.parameter == parameter) {
            return line.series;
        }
    }
    return nullptr;
}

// ---- Settings --------------------------------------------------------------

void TrendPlotView::setTimeWindow(TimeWindow window) {
    windowBox_->setCurrentIndex(static_cast<int>(window));
}

TrendPlotView::TimeWindow TrendPlotView::timeWindow() const {
    return static_cast<TimeWindow>(windowBox_->currentIndex());
}

void TrendPlotView::setAutoRange(bool automatic) {
    autoRangeBox_->setChecked(automatic);
}

bool TrendPlotView::autoRange() const {
    return autoRangeBox_->isChecked();
}

void TrendPlotView::setFixedRange(double low, double high) {
    autoRangeBox_->setChecked(false);
    lowBox_->setValue(low);
    highBox_->setValue(high);
}

void TrendPlotView::setPaused(bool paused) {
    if (paused == this->paused()) {
        return;
    }
    if (paused) {
        pausedAt_ = shownRange().second;
    } else {
        pausedAt_.reset();
    }
    {
        const QSignalBlocker block(pauseButton_);
        pauseButton_->setChecked(paused);
    }
    settingsChanged_ = true;
    redraw();
}

void TrendPlotView::setClock(std::function<std::int64_t()> now) {
    clock_ = std::move(now);
    settingsChanged_ = true;
}

std::int64_t TrendPlotView::now() const {
    return clock_();
}

std::pair<std::int64_t, std::int64_t> TrendPlotView::shownRange() const {
    std::int64_t to = 0;
    if (pausedAt_) {
        to = *pausedAt_;
    } else {
        to = std::max(now(), trends_.lastTime().value_or(0));
    }
    const std::int64_t length = kWindowMs[static_cast<int>(timeWindow())];
    std::int64_t from = to - (length > 0 ? length : 60'000);
    if (length == 0) {
        from = std::min(from, trends_.firstTime().value_or(from));
    }
    return {from, to};
}

std::pair<double, double> TrendPlotView::valueRange() const {
    return {valueAxis_->min(), valueAxis_->max()};
}

// ---- Drawing ---------------------------------------------------------------

void TrendPlotView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // What came while nobody could see it is drawn at once.
    settingsChanged_ = true;
    redraw();
    timer_->start();
}

void TrendPlotView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_->stop();
}

void TrendPlotView::onTimer() {
    if (!isVisible() || paused()) {
        return;
    }
    if (!settingsChanged_) {
        // Nothing new and no line whose window moves: nothing to draw.
        if (trends_.version() == drawnVersion_ && trends_.empty()) {
            return;
        }
        // A long window moves by a pixel only every so often, and a plot
        // that takes long to draw waits the longer, so that drawing never
        // takes more than a fifth of the time.
        const auto [from, to] = shownRange();
        const std::int64_t width =
            std::max<std::int64_t>(1, std::lround(chart_->plotArea().width()));
        const std::int64_t wait =
            std::max<std::int64_t>({kRedrawIntervalMs, (to - from) / width, 5 * lastDrawMs_});
        if (sinceDrawn_.isValid() && sinceDrawn_.elapsed() + kRedrawIntervalMs / 2 < wait) {
            return;
        }
    }
    redraw();
}

void TrendPlotView::redraw() {
    QElapsedTimer drawing;
    drawing.start();
    sinceDrawn_.start();
    drawRange();
    lastDrawMs_ = drawing.elapsed();
}

void TrendPlotView::drawRange() {
    ++redraws_;
    settingsChanged_ = false;
    drawnVersion_ = trends_.version();
    const auto [from, to] = shownRange();
    drawnRange_ = {from, to};
    const int buckets = std::max(100, static_cast<int>(chart_->plotArea().width()));

    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    QList<QPointF> failed;
    QList<QPointF> noData;
    QStringList failedTexts;
    QStringList noDataTexts;
    const std::int64_t markSpacing = (to - from) * kMarkSpacingPixels / buckets;
    // Every line's points are made first and handed over once the axes have
    // their new ranges: a series with points recomputes its whole drawing
    // (path and hover shape) for each change of an axis it is attached to,
    // an empty one does nothing, so each line is computed once per drawing
    // instead of once for its points and again for every axis that moved.
    std::vector<QList<QPointF>> lists(drawn_.size());
    for (std::size_t i = 0; i < trends_.size() && i < drawn_.size(); ++i) {
        const TrendLine& line = trends_.line(i);
        if (hidden_.count(line.parameter) != 0) {
            // A hidden line is neither drawn nor counted for the range.
            continue;
        }
        const TrendPlotPoints points = line.series.plotPoints(from, to, buckets);
        QList<QPointF>& list = lists[i];
        list.reserve(static_cast<qsizetype>(points.line.size()));
        for (const TrendPoint& point : points.line) {
            list.append(QPointF(static_cast<qreal>(point.timeMs), point.value));
            if (!line.scale.enumeration() && drawn(point.value) && point.timeMs >= from) {
                low = std::min(low, point.value);
                high = std::max(high, point.value);
            }
        }
        std::int64_t lastFailed = std::numeric_limits<std::int64_t>::min() / 2;
        std::int64_t lastNoData = lastFailed;
        for (const TrendSample& mark : points.marks) {
            const bool failure = mark.note == TrendNote::Failed;
            std::int64_t& last = failure ? lastFailed : lastNoData;
            if (mark.timeMs - last < markSpacing) {
                continue;
            }
            last = mark.timeMs;
            const QString text =
                qstr(line.name) + "\n" + qstr(trendTimeText(mark.timeMs)) + "\n" +
                (failure ? qstr(line.series.statusText(mark)) : QString("Нет данных"));
            (failure ? failed : noData).append(QPointF(static_cast<qreal>(mark.timeMs), 0));
            (failure ? failedTexts : noDataTexts).append(text);
        }
    }

    for (const Drawn& line : drawn_) {
        line.series->clear();
    }
    failedMarks_->clear();
    noDataMarks_->clear();
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
    timeAxis_->setFormat(to - from > 86'400'000 ? "dd.MM hh:mm" : "hh:mm:ss");
    bool numbers = false;
    for (std::size_t i = 0; i < trends_.size(); ++i) {
        numbers = numbers || !trends_.line(i).scale.enumeration();
    }
    if (!autoRange()) {
        double axisLow = std::min(lowBox_->value(), highBox_->value());
        double axisHigh = std::max(lowBox_->value(), highBox_->value());
        if (axisHigh - axisLow < 1e-9) {
            axisHigh = axisLow + 1;
        }
        valueAxis_->setRange(axisLow, axisHigh);
        valueAxis_->setTickCount(6);
    } else if (low <= high) {
        const double margin =
            high > low ? (high - low) * 0.05 : std::max(std::abs(high) * 0.05, 1.0);
        // Round limits and steps for the labels.
        const NiceRange nice = niceRange(low - margin, high + margin);
        valueAxis_->setRange(nice.low, nice.high);
        valueAxis_->setTickCount(nice.ticks);
    } else {
        const NiceRange nice = niceRange(0, 1);
        valueAxis_->setRange(nice.low, nice.high);
        valueAxis_->setTickCount(nice.ticks);
    }
    valueAxis_->setVisible(numbers || trends_.empty());

    // The marks sit on the time axis.
    const double bottom = valueAxis_->min();
    for (QPointF& point : failed) {
        point.setY(bottom);
    }
    for (QPointF& point : noData) {
        point.setY(bottom);
    }
    for (std::size_t i = 0; i < drawn_.size(); ++i) {
        if (!lists[i].isEmpty()) {
            drawn_[i].series->replace(lists[i]);
        }
    }
    failedMarks_->replace(failed);
    noDataMarks_->replace(noData);
    failedMarks_->setProperty("texts", failedTexts);
    noDataMarks_->setProperty("texts", noDataTexts);
}

// ---- Export ----------------------------------------------------------------

bool TrendPlotView::saveBytes(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ui_.showMessage("Не удалось записать файл " + utf8(path), kCaption, MessageIcon::Error);
        return false;
    }
    return true;
}

bool TrendPlotView::exportCsv(const QString& path) {
    const auto [from, to] = shownRange();
    const std::string text = trends_.csv(from, to);
    return saveBytes(path, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

bool TrendPlotView::exportPng(const QString& path) {
    redraw();
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!chartView_->grab().save(&buffer, "PNG")) {
            ui_.showMessage("Не удалось записать файл " + utf8(path), kCaption, MessageIcon::Error);
            return false;
        }
    }
    return saveBytes(path, bytes);
}

void TrendPlotView::chooseCsvFile() {
    const QString path =
        QFileDialog::getSaveFileName(this, "Сохранить данные графика", "trends.csv", "CSV (*.csv)");
    if (!path.isEmpty()) {
        exportCsv(path);
    }
}

void TrendPlotView::choosePngFile() {
    const QString path = QFileDialog::getSaveFileName(this, "Сохранить рисунок графика",
                                                      "trends.png", "PNG (*.png)");
    if (!path.isEmpty()) {
        exportPng(path);
    }
}

}  // namespace tarn
