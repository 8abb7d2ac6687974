#include "ui/bus_monitor_view.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "comm/frame_text.h"
#include "ui/bus_monitor_export.h"
#include "ui/bus_monitor_model.h"
#include "ui/cached_text_delegate.h"

namespace tarn {
namespace {

// Starting widths of the columns, in characters.
constexpr int kColumnCharacters[kFrameColumnCount] = {12, 5, 4, 10, 30, 9, 5, 5, 6, 18, 10, 30};

}  // namespace

BusMonitorView::BusMonitorView(FrameQueue& queue, QWidget* parent)
    : QWidget(parent),
      queue_(queue),
      model_(new BusMonitorModel(this)),
      filter_(new QSortFilterProxyModel(this)),
      table_(new QTableView(this)),
      filterBox_(new QLineEdit(this)),
      status_(new QLabel(this)),
      timer_(new QTimer(this)) {
    setObjectName("busMonitor");
    filter_->setSourceModel(model_);
    filter_->setFilterKeyColumn(-1);
    filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);

    table_->setObjectName("frames");
    table_->setModel(filter_);
    // The table is repainted with every batch of frames: texts it has laid
    // out before (addresses, names, outcomes) are only drawn.
    table_->setItemDelegate(new CachedTextDelegate(table_));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setWordWrap(false);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    // Rows of one height: the view never measures a row's contents.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->horizontalHeader()->setStretchLastSection(true);
    const int character = table_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < kFrameColumnCount; ++column) {
        table_->setColumnWidth(column, kColumnCharacters[column] * character + 12);
    }

    auto* bar = new QToolBar(this);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    pause_ = bar->addAction(style()->standardIcon(QStyle::SP_MediaPause), "Пауза");
    pause_->setObjectName("pause");
    pause_->setCheckable(true);
    QAction* clearAction =
        bar->addAction(style()->standardIcon(QStyle::SP_DialogResetButton), "Очистить");
    follow_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowDown), "Следить за концом");
    follow_->setObjectName("follow");
    follow_->setCheckable(true);
    follow_->setChecked(true);
    QAction* copy = bar->addAction("Копировать");
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QAction* save =
        bar->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton), "Сохранить...");
    bar->addSeparator();
    filterBox_->setObjectName("filter");
    filterBox_->setPlaceholderText("Фильтр: сетевое имя или текст");
    filterBox_->setClearButtonEnabled(true);
    filterBox_->setMaximumWidth(260);
    bar->addWidget(filterBox_);
    addAction(copy);

    status_->setObjectName("status");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(bar);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);

    connect(clearAction, &QAction::triggered, this, [this] { clear(); });
    connect(copy, &QAction::triggered, this, [this] { copySelection(); });
    connect(save, &QAction::triggered, this, [this] { saveAs(); });
    connect(filterBox_, &QLineEdit::textChanged, filter_,
            &QSortFilterProxyModel::setFilterFixedString);
    connect(follow_, &QAction::toggled, this, [this](bool on) {
        if (on) {
            table_->scrollToBottom();
        }
    });
    connect(timer_, &QTimer::timeout, this, [this] { takeFrames(); });
    timer_->start(kTakeIntervalMs);
    showStatus();
}

void BusMonitorView::takeFrames() {
    std::vector<FrameRecord> frames = queue_.takeAll();
    const std::uint64_t lost = queue_.takeDropped();
    lost_ += lost;
    if (frames.empty() && lost == 0) {
        return;
    }
    bool flood = false;
    if (pause_->isChecked()) {
        skipped_ += frames.size();
    } else {
        const int shownBefore = filter_->rowCount();
        model_->append(std::move(frames));
        if (follow_->isChecked() && table_->isVisible()) {
            table_->scrollToBottom();
            flood = filter_->rowCount() - shownBefore >= pageRows();
        }
    }
    // Setting an interval restarts the timer: only a change of pace does.
    if (const int pace = flood ? kFloodTakeIntervalMs : kTakeIntervalMs;
        timer_->interval() != pace) {
        timer_->setInterval(pace);
    }
    showStatus();
}

int BusMonitorView::takeInterval() const {
    return timer_->interval();
}

int BusMonitorView::pageRows() const {
    const int rowHeight = std::max(1, table_->verticalHeader()->defaultSectionSize());
    return std::max(1, table_->viewport()->height() / rowHeight);
}

std::vector<const FrameRecord*> BusMonitorView::shownRows(bool selectedOnly) const {
    std::vector<int> rows;
    if (selectedOnly) {
        for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
            rows.push_back(filter_->mapToSource(index).row());
        }
        std::sort(rows.begin(), rows.end());
    } else {
        for (int row = 0; row < filter_->rowCount(); ++row) {
            rows.push_back(filter_->mapToSource(filter_->index(row, 0)).row());
        }
    }
    std::vector<const FrameRecord*> records;
    records.reserve(rows.size());
    for (const int row : rows) {
        records.push_back(&model_->record(row));
    }
    return records;
}

QString BusMonitorView::statusText() const {
    QString text = QStringLiteral("Посылок: %1").arg(model_->rowCount());
    if (filter_->rowCount() != model_->rowCount()) {
        text += QStringLiteral(", показано: %1").arg(filter_->rowCount());
    }
    if (model_->droppedCount() > 0) {
        text += QStringLiteral("; старых отброшено: %1").arg(model_->droppedCount());
    }
    if (lost_ > 0) {
        text += QStringLiteral("; потеряно (очередь полна): %1").arg(lost_);
    }
    if (skipped_ > 0) {
        text += QStringLiteral("; пропущено на паузе: %1").arg(skipped_);
    }
    return text;
}

void BusMonitorView::showStatus() {
    status_->setText(statusText());
}

void BusMonitorView::clear() {
    queue_.takeAll();
    queue_.takeDropped();
    model_->clear();
    lost_ = 0;
    skipped_ = 0;
    showStatus();
}

void BusMonitorView::copySelection() const {
    const auto rows = shownRows(true);
    if (rows.empty()) {
        return;
    }
    QString text;
    for (const FrameRecord* row : rows) {
        text += QString::fromStdString(frameTextLine(*row)) + QLatin1Char('\n');
    }
    QApplication::clipboard()->setText(text);
}

void BusMonitorView::saveAs() {
    QString chosenFilter;
    const QString path =
        QFileDialog::getSaveFileName(this, "Сохранить посылки", QStringLiteral("обмен.txt"),
                                     "Текст (*.txt);;CSV (*.csv)", &chosenFilter);
    if (path.isEmpty()) {
        return;
    }
    QString error;
    if (!writeFrameRows(path, shownRows(false), exportFormatFor(path), &error)) {
        QMessageBox::warning(this, "Монитор обмена",
                             QStringLiteral("Не удается записать файл %1: %2").arg(path, error));
    }
}

}  // namespace tarn
