// The progress window over a real task: the engine reads the full tree from
// the simulated module while the window shows the log, and "Прервать!"
// stops the task.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "description/description_parser.h"
#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "model/instantiation_context.h"
#include "platform/text.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "sim/tree_parameters.h"
#include "support/private_files.h"
#include "support/recording_interaction.h"
#include "ui/progress_dialog.h"
#include "ui/qt_progress_display.h"
#include "widget_helpers.h"

namespace tarn::testing {
namespace {

constexpr int kCom = 33;

TEST(ProgressTask, AReadOfTheTreeIsShownAndInterrupted) {
    ScratchFolder scratch;
    const auto container = privateContainer(scratch);
    QTemporaryDir ports;
    setenv("TARN_PORTS_DIR", ports.path().toLocal8Bit().constData(), 1);

    sim::SimulatedModule module;
    ASSERT_EQ(sim::addTreeParameters(module, container).modes, 7);
    sim::addModuleCommands(module);
    module.setActiveSettings(sim::NetworkSettings{});
    sim::ServerOptions options;
    options.comNumber = kCom;
    options.delayMs = 5;  // slow enough to interrupt half-way
    sim::PtyServer server(module, options);
    std::string error;
    ASSERT_TRUE(server.start(&error)) << error;

    RecordingInteraction ui;
    InstantiationContext context(ui);
    const TreeText text = readTreeText(container, treeFileForMode(19).fileName);
    ASSERT_TRUE(text.usable());
    ParameterTree tree = buildParameterTree(text::fromCp1251(text.bytes), context);
    ASSERT_TRUE(tree.root);

    LinkContext link;
    DeviceLink device(link, &ui);
    device.port().setDirectionMode(SerialPort::kDirectionAutomatic);
    PortSettings settings;
    settings.port = "COM" + std::to_string(kCom);
    ASSERT_EQ(device.OpenLink(settings, true), PortOpenResult::Opened);
    QtProgressDisplay display;
    ExchangeEngine engine(device, ui, display);
    EngineSettings engineSettings;
    engineSettings.closingPause = std::chrono::minutes(1);  // only the interrupt ends it
    engine.setSettings(engineSettings);
    ASSERT_TRUE(engine.StartThreads({}));

    // Once the window shows twenty lines, press its button.
    QStringList seen;
    QString counts;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        CProgressDialog* window = display.window();
        if (window == nullptr || window->logLines().size() < 20 || !seen.isEmpty()) {
            return;
        }
        seen = window->logLines();
        counts = window->countsText();
        QTest::mouseClick(window->interruptButton(), Qt::LeftButton);
    });
    poll.start(10);

    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));
    poll.stop();

    EXPECT_EQ(display.window(), nullptr) << "the task closed its window";
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.front(), QStringLiteral("Читаем ветвь 'Прибор TARN'"));
    EXPECT_TRUE(counts.endsWith(QStringLiteral(" из 312"))) << counts.toStdString();
    EXPECT_EQ(link.runResultCode(), kRunInterrupted);
    // The read stopped long before the end of the tree.
    EXPECT_LT(engine.processedCount(), 200);
    EXPECT_GE(engine.processedCount(), 10);

    engine.StopThreads();
    device.CloseLink();
    server.stop();
    unsetenv("TARN_PORTS_DIR");
}

}  // namespace
}  // namespace tarn::testing
