// The parameter tree view on a real window (offscreen) over a document of
// a small tree, with the exchange engine on the simulated module on a
// pseudo-terminal.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>
#include <string>

#include "comm/device_detection.h"
#include "document/tarn_document.h"
#include "engine/engine_fixture.h"
#include "model/desc_branch.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "sim/tree_parameters.h"
#include "support/scratch_folder.h"
#include "support/tool_run.h"
#include "ui/tarn_tree_view.h"
#include "widget_helpers.h"

namespace tarn::testing {

// The tree of mode 1 in the tests' container: values of every kind, the
// module's network settings, two repeated outputs and two polled branches.
inline constexpr std::string_view kViewDescription = R"(
type РЕЖИМ Авто Ручной_режим Старый<hide> Ремонт
type СКОРОСТЬ 2400 4800 9600 14400 19200 28800 38400 57600 115200
type ДЛИНА_СЛОВА 7 8
type ЧЕТНОСТЬ Отсутствует Четность Нечетность
type СТОП_БИТЫ 1 2
type ДЛИНА_АДРЕСА 8 11
type ПРОТОКОЛ BRIX Modbus_RTU Modbus_ASCII DCON
parameter SP float Уставка
rule SP 0 100
parameter HYS float Гистерезис
parameter SErN int Серийный_номер
parameter Mode РЕЖИМ Режим_работы
parameter !HID int Скрытый_параметр
parameter bPS СКОРОСТЬ Скорость_обмена
parameter LEn ДЛИНА_СЛОВА Длина_слова_данных
parameter PrtY ЧЕТНОСТЬ Четность
parameter Sbit СТОП_БИТЫ Кол-во_стоп-бит
parameter A.Len ДЛИНА_АДРЕСА Длина_адреса_RS-485
parameter Addr int Базовый_адрес_прибора
parameter Prot ПРОТОКОЛ Протокол_обмена
branch Сетевые_параметры_прибора 1 4 4 bPS LEn PrtY Sbit A.Len Addr Prot
parameter o.Lo float Нижняя_граница
rule o.Lo 0 20
parameter A10 int A10
parameter A9 int A9
parameter a2 int a2
branch Выход# 2 6 6 A9 o.Lo a2 A10
root Прибор_TARN 1 1 1 SP HYS SErN Mode !HID Сетевые_параметры_прибора Выход#
parameter @r.oe.s float Состояние noattr
parameter @r.Ao float Сигнал noattr
branch Опрос# 2 17 17 r.oe.s r.Ao
scanners Опрашиваемые 1 17 17 Опрос#
)";

class TreeViewTest : public SimulatedLine {
protected:
    void SetUp() override {
        SimulatedLine::SetUp();
        const auto tree = scratch_.write("tarn_direct_off.tree", text::toCp1251(kViewDescription));
        const auto pack = runTool(std::string(TARN_BIN_DIR) + "/tarn-pack",
                                  {"build", (scratch_ / "tarn.tree.dat").string(), tree.string()});
        ASSERT_EQ(pack.exitCode, 0) << pack.err;
        ASSERT_GT(sim::addTreeParameters(module, scratch_ / "tarn.tree.dat").parameters, 0);

        module.setActiveSettings({{115200, 8, Parity::None, 1}, 16, 8});
        PortSettings line;
        line.baudRate = 115200;
        openLink(line);
        EngineSettings engineSettings;
        engineSettings.closingPause = std::chrono::milliseconds(0);
        engineSettings.mainWindowExists = true;
        engine.setSettings(engineSettings);

        document = std::make_unique<TarnDocument>(ui, settings, scratch_ / "tarn.tree.dat");
        ASSERT_TRUE(document->switchToMode(1));
        ASSERT_NE(document->root(), nullptr);
        ASSERT_NE(document->scanners(), nullptr);
        NetRS485prg& program = document->programSettings();
        ASSERT_EQ(program.setValueByName("Port", "COM9", false), kValueSet);
        ASSERT_EQ(program.setValueByName("bPS", "115200", false), kValueSet);

        auto* layout = new QVBoxLayout(&window);
        view = new CTARNTreeListView(ui, &window);
        other = new QLineEdit(&window);
        layout->addWidget(view);
        layout->addWidget(other);
        window.resize(1100, 700);
        view->setEngine(&engine);
        view->setImmediateWrite([this] { return context.immediateWrite(); });
        view->setPortSettingsApply([this] {
            ++portApplications;
            link.OpenLink(portSettingsFrom(document->programSettings()), true);
        });
    }

    void TearDown() override {
        engine.StopThreads();
        window.hide();
        view->showDocument(nullptr, {});
        document.reset();
        SimulatedLine::TearDown();
    }

    // Shows the document's tree in the window.
    void show() {
        view->showDocument(document.get(), "test.tarn");
        ASSERT_TRUE(showAndActivate(window));
    }

    ParameterTreeModel& model() { return view->treeModel(); }

    // The first parameter of that name (and linear index) anywhere.
    Parameter& parameter(std::string_view name, int index = -1) {
        Parameter* found = nullptr;
        const auto look = [&](Parameter& p) {
            if (found == nullptr && p.hasName(name) &&
                (index < 0 || p.linearIndex() == index || p.addressOffset() == index)) {
                found = &p;
            }
        };
        forEachParameter(*document->root(), look);
        forEachParameter(*document->scanners(), look);
        for (const auto& p : document->programSettings().parameters()) {
            look(*p);
        }
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }

    // The cell of a parameter's row, made visible.
    QModelIndex cell(const Parameter& p, int column) {
        const QModelIndex index = model().indexOfParameter(&p, column);
        EXPECT_TRUE(index.isValid());
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
            view->expand(up);
        }
        view->scrollTo(index);
        return index;
    }

    QPoint centre(const QModelIndex& index) { return view->visualRect(index).center(); }

    QString text(const Parameter& p, int column) {
        return model().data(model().indexOfParameter(&p, column)).toString();
    }
    QColor colour(const Parameter& p) {
        return model()
            .data(model().indexOfParameter(&p, 0), Qt::ForegroundRole)
            .value<QBrush>()
            .color();
    }

    // Double-clicks the cell; returns the editor that opened (or null).
    template <typename Editor>
    Editor* openEditor(const Parameter& p, int column) {
        const QModelIndex index = cell(p, column);
        doubleClick(view->viewport(), centre(index));
        return qobject_cast<Editor*>(view->cellEditor());
    }

    // Opens a text box on the cell, types `typed` over its text and ends
    // with `key`.
    void typeInto(const Parameter& p, int column, const QString& typed,
                  Qt::Key key = Qt::Key_Return) {
        auto* box = openEditor<QLineEdit>(p, column);
        ASSERT_NE(box, nullptr) << p.networkName() << " column " << column;
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, key);
        EXPECT_EQ(view->cellEditor(), nullptr);
    }

    // Log lines of frames that wrote `name`.
    int writesOf(std::string_view name) {
        int count = 0;
        for (const auto& line : received()) {
            if (line.find(", write,") != std::string::npos &&
                line.find(" " + std::string(name) + ",") != std::string::npos) {
                ++count;
            }
        }
        return count;
    }

    ScratchFolder scratch_;
    SettingsStore settings{(scratch_ / "settings").string()};
    RecordingProgressDisplay display;
    ExchangeEngine engine{link, ui, display};
    std::unique_ptr<TarnDocument> document;
    QWidget window;
    CTARNTreeListView* view = nullptr;
    QLineEdit* other = nullptr;
    int portApplications = 0;
};

}  // namespace tarn::testing
