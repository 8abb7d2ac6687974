// The progress window driven as the exchange engine drives it: opened
// modally on the GUI thread, fed and closed by a worker thread.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "ui/progress_dialog.h"
#include "ui/qt_progress_display.h"
#include "widget_helpers.h"

namespace tarn::testing {
namespace {

using namespace std::chrono_literals;

ProgressUpdate lineUpdate(int processed, int total) {
    ProgressUpdate update;
    update.line = "Параметр " + std::to_string(processed);
    update.elapsed = "00:00:0" + std::to_string(processed % 10);
    update.counts = std::to_string(processed) + " из " + std::to_string(total);
    update.position = processed;
    update.scrollToEnd = processed % 5 == 0;
    return update;
}

// Closes a window that a broken test would leave open, so a failure never
// blocks the run; `fired` tells the test it happened.
class Watchdog {
public:
    explicit Watchdog(QtProgressDisplay& display) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this, &display] {
            fired = true;
            display.close();
        });
        timer_.start(15000);
    }
    bool fired = false;

private:
    QTimer timer_;
};

TEST(ProgressDisplay, AWorkerThreadFillsTheWindowAndClosesIt) {
    QtProgressDisplay display;
    Watchdog watchdog(display);
    constexpr int kTotal = 40;
    std::atomic<bool> allSent{false};
    std::atomic<bool> mayClose{false};
    std::thread worker;
    bool shownWhenStarted = false;
    int startedCalls = 0;

    struct Seen {
        QString title;
        QStringList lines;
        QString elapsed;
        QString counts;
        int bar = -1;
        int barMaximum = -1;
        bool atEnd = false;
        bool modal = false;
    } seen;

    // The GUI thread looks at the window once every update has arrived,
    // then lets the worker close it.
    QTimer inspector;
    QObject::connect(&inspector, &QTimer::timeout, [&] {
        CProgressDialog* window = display.window();
        if (window == nullptr || !allSent || window->log()->count() < kTotal || mayClose) {
            return;
        }
        seen = {window->windowTitle(),
                window->logLines(),
                window->elapsedText(),
                window->countsText(),
                window->barValue(),
                window->barMaximum(),
                false,
                window->isModal()};
        QScrollBar* scroll = window->log()->verticalScrollBar();
        seen.atEnd = scroll->value() == scroll->maximum() && scroll->maximum() > 0;
        mayClose = true;
    });
    inspector.start(5);

    display.runModal(
        "Идет чтение параметров из прибора", kTotal,
        [&] {
            ++startedCalls;
            shownWhenStarted = display.window() != nullptr && display.window()->isVisible();
            worker = std::thread([&] {
                for (int i = 1; i <= kTotal; ++i) {
                    display.update(lineUpdate(i, kTotal));
                }
                allSent = true;
                while (!mayClose) {
                    std::this_thread::sleep_for(1ms);
                }
                display.close();
            });
        },
        [] {});
    worker.join();

    EXPECT_FALSE(watchdog.fired);
    EXPECT_EQ(startedCalls, 1);
    EXPECT_TRUE(shownWhenStarted);
    EXPECT_EQ(display.window(), nullptr);
    EXPECT_TRUE(seen.modal);
    EXPECT_EQ(seen.title, QStringLiteral("Идет чтение параметров из прибора"));
    ASSERT_EQ(seen.lines.size(), kTotal);
    // In the order sent.
    EXPECT_EQ(seen.lines.front(), QStringLiteral("Параметр 1"));
    EXPECT_EQ(seen.lines.back(), QStringLiteral("Параметр 40"));
    EXPECT_EQ(seen.elapsed, QStringLiteral("00:00:00"));
    EXPECT_EQ(seen.counts, QStringLiteral("40 из 40"));
    EXPECT_EQ(seen.bar, kTotal);
    EXPECT_EQ(seen.barMaximum, kTotal);
    EXPECT_TRUE(seen.atEnd);
}

// Lines written just before the task closes its window are still in the
// batch on its way: the window shows them before it closes.
TEST(ProgressDisplay, TheLastLinesShowBeforeTheWindowCloses) {
    QtProgressDisplay display;
    Watchdog watchdog(display);
    constexpr int kTotal = 30;
    std::thread worker;
    QStringList linesAtClose;
    QString countsAtClose;
    display.runModal(
        "Идет чтение параметров из прибора", kTotal,
        [&] {
            CProgressDialog* window = display.window();
            QObject::connect(window, &QDialog::finished, [&, window] {
                linesAtClose = window->logLines();
                countsAtClose = window->countsText();
            });
            worker = std::thread([&] {
                for (int i = 1; i <= kTotal; ++i) {
                    display.update(lineUpdate(i, kTotal));
                }
                display.close();
            });
        },
        [] {});
    worker.join();

    EXPECT_FALSE(watchdog.fired);
    ASSERT_EQ(linesAtClose.size(), kTotal);
    EXPECT_EQ(linesAtClose.back(), QStringLiteral("Параметр 30"));
    EXPECT_EQ(countsAtClose, QStringLiteral("30 из 30"));
}

TEST(ProgressDisplay, UpdatesWithoutCountsKeepTheFiguresAndScrollOnlyWhenAsked) {
    CProgressDialog window;
    window.setTotal(10);
    window.resize(480, 260);
    ASSERT_TRUE(showAndActivate(window));
    window.applyUpdate(lineUpdate(3, 10));
    ProgressUpdate plain;
    plain.line = "Читаем ветвь 'Выходы'";
    plain.elapsed = "00:01:05";
    window.applyUpdate(plain);
    EXPECT_EQ(window.countsText(), QStringLiteral("3 из 10"));
    EXPECT_EQ(window.barValue(), 3);
    EXPECT_EQ(window.elapsedText(), QStringLiteral("00:01:05"));
    EXPECT_EQ(window.logLines().back(), QStringLiteral("Читаем ветвь 'Выходы'"));

    // Many lines without the scroll request leave the view where it was.
    for (int i = 0; i < 60; ++i) {
        plain.line = "строка " + std::to_string(i);
        window.applyUpdate(plain);
    }
    QScrollBar* scroll = window.log()->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return scroll->maximum() > 0; }));
    EXPECT_EQ(scroll->value(), 0);
    plain.scrollToEnd = true;
    window.applyUpdate(plain);
    EXPECT_EQ(scroll->value(), scroll->maximum());
}

// The log, its scroll bar and the bar paint only what a batch changed (the
// rows shown are moved, the bar's strip); what is on the screen after many
// batches must be what a whole repaint shows.
TEST(ProgressDisplay, BatchesPaintWhatAWholeRepaintWouldShow) {
    CProgressDialog window;
    constexpr int kTotal = 90;
    window.setTotal(kTotal);
    window.resize(480, 260);
    ASSERT_TRUE(showAndActivate(window));
    const auto onScreen = [&window] {
        QApplication::processEvents();
        return QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
    };
    const auto repaintAll = [&window] {
        window.update();
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            widget->update();
        }
    };
    ProgressUpdate quiet;
    for (int i = 1; i <= kTotal; ++i) {
        // Batches of one to three lines; a few without following the end.
        std::vector<ProgressUpdate> batch;
        for (int k = 0; k <= i % 3; ++k) {
            batch.push_back(lineUpdate(i, kTotal));
            batch.back().line += "." + std::to_string(k);
            batch.back().scrollToEnd = i % 7 != 0;
        }
        window.applyUpdates(batch);
        if (i == 2 || i % 10 == 0) {
            QApplication::processEvents();
            const QImage shown = onScreen();
            repaintAll();
            ASSERT_EQ(shown, onScreen()) << "after " << i << " batches";
        } else {
            QApplication::processEvents();
        }
    }
    // A line wider than the log ends in "…" instead of running out of it.
    quiet.line = std::string(300, 'W');
    quiet.scrollToEnd = true;
    window.applyUpdate(quiet);
    const QImage shown = onScreen();
    repaintAll();
    EXPECT_EQ(shown, onScreen());
    EXPECT_EQ(window.logLines().back(), QString(300, QLatin1Char('W')));
}

TEST(ProgressDisplay, TheTitleFallsBackAndTheBarNeverSpins) {
    CProgressDialog window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Прибор <==> программа"));
    window.setTaskTitle("Идет запись параметра в прибор");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Идет запись параметра в прибор"));
    window.setTaskTitle("");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Прибор <==> программа"));
    // A task without a total shows an empty bar, not Qt's busy animation.
    window.setTotal(0);
    EXPECT_GT(window.barMaximum(), 0);
    EXPECT_EQ(window.barValue(), 0);
    EXPECT_EQ(window.interruptButton()->text(), QStringLiteral("Прервать!"));
}

// The task loop stops when interrupted, writes its last lines and closes
// the window, as the engine's end of task does.
TEST(ProgressDisplay, InterruptStopsTheTaskWhichThenClosesTheWindow) {
    QtProgressDisplay display;
    Watchdog watchdog(display);
    std::atomic<bool> interrupted{false};
    std::atomic<int> interruptCalls{0};
    std::atomic<int> sent{0};
    std::thread worker;
    std::thread::id interruptThread;
    bool clicked = false;

    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        CProgressDialog* window = display.window();
        if (!clicked && window != nullptr && window->isVisible() && sent > 3) {
            clicked = true;
            QTest::mouseClick(window->interruptButton(), Qt::LeftButton);
        }
    });
    clicker.start(5);

    display.runModal(
        "Идет чтение параметров из прибора", 1000,
        [&] {
            worker = std::thread([&] {
                for (int i = 1; i <= 1000 && !interrupted; ++i) {
                    display.update(lineUpdate(i, 1000));
                    ++sent;
                    std::this_thread::sleep_for(2ms);
                }
                ProgressUpdate last;
                last.line = "Задание выполнено. Окно будет закрыто автоматически.";
                last.scrollToEnd = true;
                display.update(last);
                display.close();
            });
        },
        [&] {
            ++interruptCalls;
            interruptThread = std::this_thread::get_id();
            interrupted = true;
        });
    worker.join();

    EXPECT_FALSE(watchdog.fired);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(interruptCalls, 1);
    EXPECT_EQ(interruptThread, std::this_thread::get_id());
    EXPECT_LT(sent, 1000);
}

TEST(ProgressDisplay, TheCloseBoxOnlyAsksTheTaskToStop) {
    QtProgressDisplay display;
    Watchdog watchdog(display);
    int interruptCalls = 0;
    bool stillOpen = false;

    display.runModal(
        "", 0,
        [&] {
            CProgressDialog* window = display.window();
            window->close();  // the window's close box
            QTest::keyClick(window, Qt::Key_Escape);
            stillOpen = window->isVisible();
            display.close();
        },
        [&] { ++interruptCalls; });

    EXPECT_FALSE(watchdog.fired);
    EXPECT_EQ(interruptCalls, 2);
    EXPECT_TRUE(stillOpen);
}

TEST(ProgressDisplay, CallsWithoutAWindowAreDropped) {
    QtProgressDisplay display;
    // A late close of an earlier task must not end the next one.
    display.update(lineUpdate(1, 1));
    display.close();
    Watchdog watchdog(display);
    int linesSeen = -1;
    display.runModal(
        "Идет сравнение параметров в конфигурации и в приборе", 2,
        [&] {
            QTimer::singleShot(100, [&] {
                linesSeen = static_cast<int>(display.window()->logLines().size());
                display.close();
            });
        },
        [] {});
    EXPECT_FALSE(watchdog.fired);
    EXPECT_EQ(linesSeen, 0);
}

}  // namespace
}  // namespace tarn::testing
