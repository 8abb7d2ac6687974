// Device tasks of the exchange engine against the simulated module: the
// progress window, the branch operations, the compare report, the time-out
// rules, interruption and the end of a task.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "comm/error_texts.h"
#include "document/access_level.h"
#include "engine_fixture.h"
#include "model/parameter.h"
#include "platform/text.h"

namespace tarn::testing {
namespace {

using namespace std::chrono_literals;

class EngineTasks : public EngineLine {};

TEST_F(EngineTasks, ReadsTheWholeTreeOnAPortOpenedForTheTask) {
    openFastLink();
    loadTree();
    startThreads();
    module.setValue("nPCP", 3, "5");
    module.setValue("SP", 0, "12.750");
    ASSERT_EQ(link.CloseLink(), PortCloseResult::Closed);

    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));

    EXPECT_EQ(display.titles(), std::vector<std::string>{"Идет чтение параметров из прибора"});
    EXPECT_EQ(display.totals(), std::vector<int>{kTestParameterCount});
    EXPECT_EQ(parameter("SP").valueText(), "12.750");
    EXPECT_EQ(parameter("nPCP", 3).valueText(), "5");
    EXPECT_EQ(parameter("POUt", 1).valueText(), "Аналоговый 0-20 мА");
    EXPECT_EQ(parameter("bPS").valueText(), "115200");
    EXPECT_EQ(parameter("CLB.K", 2).valueText(), "2048");
    EXPECT_EQ(parameter("nPCP", 3).statusText(), "");
    EXPECT_EQ(observer.redraws(), kTestParameterCount);

    const auto lines = display.lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "Читаем ветвь 'TARN'");
    EXPECT_EQ(countStartingWith(lines, "Читаем ветвь '"), 1 + 1 + 8 + 4);
    EXPECT_EQ(countStartingWith(lines, "  Чтение: "), kTestParameterCount);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Читаем ветвь 'Выход №4'"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  Чтение: nPCP:3 = 5"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  Чтение: SP = 12.750"), lines.end());
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_EQ(lines.back(), kTextTaskDone);

    // The figures beside the log follow the processed parameters.
    const auto updates = display.updates();
    const std::regex elapsed("\\d\\d:\\d\\d:\\d\\d");
    for (const auto& update : updates) {
        EXPECT_TRUE(std::regex_match(update.elapsed, elapsed)) << update.elapsed;
    }
    EXPECT_EQ(updates.front().counts, "0 из 32");
    EXPECT_EQ(updates.back().counts, "32 из 32");
    EXPECT_EQ(updates.back().position, kTestParameterCount);
    EXPECT_TRUE(updates.back().scrollToEnd);
    EXPECT_TRUE(updates[4].scrollToEnd);
    EXPECT_FALSE(updates[5].scrollToEnd);

    // The task opened the port for itself and closed it again.
    EXPECT_FALSE(link.port().isOpen());
    EXPECT_EQ(context.runResultCode(), 0u);
    EXPECT_FALSE(engine.interruptSignalled());
    EXPECT_EQ(observer.events(), std::vector<std::string>{});
}

TEST_F(EngineTasks, StartersNeedTheTransmitThread) {
    openFastLink();
    loadTree();
    EXPECT_FALSE(engine.RunReadBranch(tree.root.get()));
    EXPECT_TRUE(display.titles().empty());
    EXPECT_EQ(module.requestsSeen(), 0);

    startThreads();
    EXPECT_TRUE(engine.RunReadParameter(&parameter("HYS")));
    EXPECT_EQ(parameter("HYS").valueText(), "0.500");
}

TEST_F(EngineTasks, WritesEveryValueButNeverNoData) {
    openFastLink();
    loadTree();
    startThreads();
    ASSERT_TRUE(parameter("SP").setValueChecked("31.5"));
    parameter("bPS").setValueText("19200");
    parameter("Addr").setValueText("24");

    ASSERT_TRUE(engine.RunWriteBranch(tree.root.get()));

    EXPECT_EQ(display.titles(), std::vector<std::string>{"Идет запись параметров в прибор"});
    EXPECT_EQ(module.value("SP"), "31.500");
    EXPECT_EQ(module.value("bPS"), "19200");
    EXPECT_EQ(module.value("Addr"), "24");
    EXPECT_FALSE(parameter("SP").valueChanged());
    // Everything else still reads "Нет данных": it is never sent.
    EXPECT_EQ(module.requestsFor("HYS"), 0);
    EXPECT_EQ(module.requestsFor("nPCP"), 0);
    EXPECT_EQ(parameter("HYS").statusText(), kTextNotInitialised);
    EXPECT_EQ(parameter("nPCO", 7).statusText(), kTextNotInitialised);

    const auto lines = display.lines();
    EXPECT_EQ(countStartingWith(lines, "Пишем ветвь '"), 1 + 1 + 8 + 4);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  Запись: SP = 31.500 [новое значение]"),
              lines.end());
    EXPECT_EQ(countStartingWith(lines, "  Запись: "), 3);

    // A network setting of the module was written: the document is asked
    // to apply it once the window has closed.
    EXPECT_EQ(observer.events(), std::vector<std::string>{"apply"});
}

TEST_F(EngineTasks, WritesOnlyWhatChanged) {
    openFastLink();
    loadTree();
    startThreads();
    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));
    module.clearCounters();
    display.clear();

    // Nothing changed: no branch line and no frame.
    ASSERT_TRUE(engine.RunWriteChanged(tree.root.get()));
    EXPECT_EQ(display.titles(),
              std::vector<std::string>{"Идет запись измененных значений параметров в прибор"});
    EXPECT_EQ(display.totals(), std::vector<int>{0});
    EXPECT_EQ(countStartingWith(display.lines(), "Пишем ветвь"), 0);
    EXPECT_EQ(module.requestsSeen(), 0);

    display.clear();
    ASSERT_TRUE(parameter("nPCP", 5).setValueChecked("3"));
    parameter("nPCO", 2).setEditableChanged(true);
    ASSERT_TRUE(engine.RunWriteChanged(tree.root.get()));
    EXPECT_EQ(display.totals(), std::vector<int>{2});
    const auto lines = display.lines();
    EXPECT_EQ(countStartingWith(lines, "Пишем ветвь"), 2);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Пишем ветвь 'Выход №6'"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Пишем ветвь 'Выход №3'"), lines.end());
    EXPECT_EQ(module.value("nPCP", 5), "3");
    EXPECT_EQ(module.requestsFor("nPCP"), 1);
    EXPECT_EQ(module.requestsFor("nPCO"), 1);
    EXPECT_FALSE(parameter("nPCP", 5).hasAnyChange());
    EXPECT_EQ(observer.events(), std::vector<std::string>{});
}

TEST_F(EngineTasks, InitialisesWithFullAccessOnly) {
    openFastLink();
    loadTree();
    startThreads();

    // The program's access-level check decides and says why.
    engine.setDangerousOperationCheck(
        [this](bool fullAccess) { return checkDangerousOperation(fullAccess, ui); });
    EXPECT_FALSE(engine.RunInitialise(tree.root.get()));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Авторизация относится к устаревшим функциям.\n"
              "В этой версии конфигуратора 'опасные операции'\n"
              "(инициализация прибора и доступ к специальным атрибутам)\n"
              "автоматически доступны на максимальном уровне доступа.");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
    EXPECT_TRUE(display.titles().empty());
    EXPECT_EQ(module.requestsSeen(), 0);

    context.setFullAccess(true);
    ASSERT_TRUE(engine.RunInitialise(tree.root.get()));
    EXPECT_EQ(display.titles(), std::vector<std::string>{"Идет инициализация прибора"});
    // Four calibration coefficients and the set point have initial values.
    EXPECT_EQ(display.totals(), std::vector<int>{5});
    EXPECT_EQ(module.value("CLB.K", 0), "0");
    EXPECT_EQ(module.value("CLB.K", 1), "4095");
    EXPECT_EQ(module.value("CLB.K", 2), "0");
    EXPECT_EQ(module.value("CLB.K", 3), "4095");
    EXPECT_EQ(module.value("CLB.K", 4), "2048");  // not in the tree
    EXPECT_EQ(module.value("SP"), "30.000");
    EXPECT_EQ(parameter("CLB.K", 3).valueText(), "4095");
    EXPECT_EQ(module.requestsFor("HYS"), 0);
    EXPECT_EQ(module.requestsFor("nPCP"), 0);
    const auto lines = display.lines();
    EXPECT_EQ(countStartingWith(lines, "Пишем ветвь"), 1 + 4);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  Запись: CLB.K:1 = 4095 [новое значение]"),
              lines.end());
}

TEST_F(EngineTasks, CompareReportsTheFirstTenOfTwelveDifferences) {
    openFastLink();
    loadTree();
    startThreads();
    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));

    // No difference after a read.
    ASSERT_TRUE(engine.RunCompare(tree.root.get()));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Отличий не обнаружено");
    EXPECT_EQ(ui.messages[0].caption, "Результат сравнения");

    for (int i = 0; i < 8; ++i) {
        parameter("nPCP", i).setValueText("7");
    }
    for (int i = 0; i < 4; ++i) {
        parameter("nPCO", i).setValueText("7");
    }
    parameter("nPCO", 0).setStatusText("старая ошибка");
    display.clear();
    ASSERT_TRUE(engine.RunCompare(tree.root.get()));

    EXPECT_EQ(display.titles(),
              std::vector<std::string>{"Идет сравнение параметров в конфигурации и в приборе"});
    EXPECT_EQ(engine.compareDifferences(), 12);
    ASSERT_EQ(ui.messages.size(), 2u);
    const std::string& report = ui.messages[1].text;
    EXPECT_EQ(ui.messages[1].caption, "Результат сравнения");
    EXPECT_EQ(report.rfind("Обнаружено 12 отличий (показанны только первые 10):\n", 0), 0u)
        << report;
    EXPECT_NE(report.find("\n1) Параметер 'nPCP (Режим P) в конфигурации: значение=7,"
                          "Редактируемый,принадлежит пользователю; в приборе: значение=0,"
                          "Редактируемый,принадлежит пользователю.\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\n10) Параметер 'nPCP"), std::string::npos);
    EXPECT_EQ(report.find("\n11) "), std::string::npos);

    // Tree order: nPCP and nPCO of outputs 1 to 4, then nPCP of 5 and 6.
    int marked = 0;
    for (int i = 0; i < 8; ++i) {
        for (const char* name : {"nPCP", "nPCO"}) {
            const Parameter& p = parameter(name, i);
            if (p.statusIsMismatch()) {
                ++marked;
            }
            EXPECT_EQ(p.valueText(), (i < 4 || name[3] == 'P') ? "7" : "0");
        }
    }
    EXPECT_EQ(marked, 10);
    EXPECT_EQ(parameter("nPCP", 5).statusText(), "Знач-е в приборе: '0',Ред-ый,польз.");
    EXPECT_EQ(parameter("nPCP", 6).statusText(), "");
    EXPECT_EQ(parameter("nPCO", 0).statusText(),
              "Знач-е в приборе: '0',Ред-ый,польз.; старая ошибка");

    const auto lines = display.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  Сравниваем: nPCP=7:6<>0"), lines.end());
    EXPECT_EQ(countStartingWith(lines, "Сравниваем ветвь '"), 1 + 1 + 8 + 4);
}

TEST_F(EngineTasks, CompareKeepsEveryOutcomeBeyondTheReportedTen) {
    openFastLink();
    loadTree();
    startThreads();
    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));
    EXPECT_EQ(engine.lastTaskCounts().handled, kTestParameterCount);
    for (int i = 0; i < 8; ++i) {
        parameter("nPCP", i).setValueText("7");
    }
    for (int i = 0; i < 4; ++i) {
        parameter("nPCO", i).setValueText("7");
    }
    parameter("POUt", 6).setOwnerIsFirm(true);
    ASSERT_TRUE(engine.RunCompare(tree.root.get()));

    const auto outcomes = engine.compareOutcomes();
    ASSERT_EQ(outcomes.size(), static_cast<std::size_t>(kTestParameterCount));
    EXPECT_EQ(engine.lastTaskCounts().handled, kTestParameterCount);
    EXPECT_FALSE(engine.lastTaskStopped());
    int differing = 0;
    for (const CompareOutcome& outcome : outcomes) {
        differing += outcome.differs ? 1 : 0;
    }
    EXPECT_EQ(differing, 13);
    EXPECT_EQ(engine.compareDifferences(), 13);
    // The last difference, far beyond the ten of the report box.
    const auto last = std::find_if(outcomes.begin(), outcomes.end(), [](const CompareOutcome& o) {
        return o.networkName == "nPCP" && o.linearIndex == 7;
    });
    ASSERT_NE(last, outcomes.end());
    EXPECT_TRUE(last->differs);
    EXPECT_EQ(last->parameter, &parameter("nPCP", 7));
    EXPECT_EQ(last->configurationValue, "7");
    EXPECT_EQ(last->moduleValue, "0");
    EXPECT_TRUE(last->moduleStatus.empty());
    EXPECT_EQ(parameter("nPCP", 7).statusText(), "") << "the status texts stay as they were";
    const auto owner = std::find_if(outcomes.begin(), outcomes.end(), [](const CompareOutcome& o) {
        return o.networkName == "POUt" && o.linearIndex == 6;
    });
    ASSERT_NE(owner, outcomes.end());
    EXPECT_TRUE(owner->differs);
    EXPECT_EQ(owner->configurationValue, owner->moduleValue);
    EXPECT_TRUE(owner->configurationOwnerIsFirm);
    EXPECT_FALSE(owner->moduleOwnerIsFirm);

    // A stopped compare keeps what it compared and says it was stopped; the
    // next compare starts its list afresh.
    display.setOnLine([this](const std::string& line) {
        if (line.rfind("  Сравниваем: POUt=", 0) == 0) {
            display.pressInterrupt();
        }
    });
    ASSERT_TRUE(engine.RunCompare(tree.root.get()));
    display.setOnLine(nullptr);
    EXPECT_TRUE(engine.lastTaskStopped());
    EXPECT_GT(engine.compareOutcomes().size(), 0u);
    EXPECT_LT(engine.compareOutcomes().size(), outcomes.size());
    EXPECT_EQ(engine.compareOutcomes().size(),
              static_cast<std::size_t>(engine.lastTaskCounts().handled));
}

TEST_F(EngineTasks, TheFifthReadTimeoutPausesTheExchangeOnce) {
    openFastLink();
    loadTree();
    startThreads();
    TemporaryFolder logs;
    const std::string logPath = (logs.path() / "errors.log").string();
    changeSettings([&](EngineSettings& s) { s.errorLogPath = logPath; });
    context.setAutoRead(true);
    module.setFaults({.silent = true});

    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));

    const auto lines = display.lines();
    EXPECT_EQ(countStartingWith(lines, "  Чтение: "), 5);
    EXPECT_EQ(lines.back(), kTextTaskDone);
    // Each read failed on its attribute request after four sendings.
    EXPECT_EQ(module.requestsSeen(), 5 * 4);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Так как прошло 5 неудачных попыток чтения параметров подряд,\n"
              "похоже что прибор TARN не подключен к компьютеру\n"
              "(или связь стабильно отсутствует по какой-либо другой причине). \n"
              "Ради избежания бессмысленных задержек и торможения компьютера\n"
              "режим автоматического чтения параметров был отключен.\n"
              "Вы можете заново включить этот режим в меню 'Вид'.\n\n"
              "Операции обмена приостановлены.");
    EXPECT_EQ(ui.messages[0].caption, "");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.messages[0].flags & kMessageTopmost, kMessageTopmost);
    EXPECT_FALSE(context.autoRead());
    EXPECT_EQ(observer.events(), std::vector<std::string>{"autoread off"});
    EXPECT_EQ(engine.consecutiveFailures(), 0);

    // The error log got one CP1251 line per failed read.
    std::ifstream file(logPath, std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(file)), {});
    const std::string line = "Таймаут при передаче данных (нет связи)\n";
    EXPECT_EQ(log, text::toCp1251("SP - " + line + "HYS - " + line + "bPS - " + line + "Addr - " +
                                  line + "POUt:0 - " + line));

    // The count started again: one more time-out shows nothing, and with
    // automatic reading already off the message leaves that sentence out.
    EXPECT_FALSE(engine.ReadParameter(parameter("nPCP", 0)).succeeded());
    EXPECT_EQ(engine.consecutiveFailures(), 1);
    EXPECT_EQ(ui.messages.size(), 1u);
    for (int i = 1; i < 5; ++i) {
        engine.ReadParameter(parameter("nPCO", i));
    }
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text.find("режим автоматического"), std::string::npos);
    EXPECT_EQ(observer.events(), std::vector<std::string>{"autoread off"});
}

TEST_F(EngineTasks, FiveWriteTimeoutsEndTheTask) {
    openFastLink();
    loadTree();
    startThreads();
    for (const char* name : {"SP", "HYS", "Addr", "nPCP", "nPCO"}) {
        parameter(name).setValueText("1");
    }
    parameter("bPS").setValueText("9600");
    parameter("POUt").setValueText("Дискретный");
    context.setRunResultCode(kRunNoDevice);
    module.setFaults({.silent = true});

    ASSERT_TRUE(engine.RunWriteBranch(tree.root.get()));

    const auto lines = display.lines();
    EXPECT_EQ(countStartingWith(lines, "  Запись: "), 5);
    EXPECT_EQ(countStartingWith(lines, "Прошло 5 безуспешных попыток записи!"), 1);
    EXPECT_EQ(module.requestsSeen(), 5 * 4);
    EXPECT_EQ(context.runResultCode(), kRunTimeout);
    EXPECT_EQ(engine.consecutiveFailures(), 0);
    // Writes report no message box of their own.
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(observer.events(), std::vector<std::string>{});
}

TEST_F(EngineTasks, AnInterruptStopsAfterTheParameterInHand) {
    openFastLink();
    loadTree();
    startThreads();
    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));
    display.clear();
    module.clearCounters();
    // A pause no test would wait for: only the interrupt ends it.
    changeSettings([](EngineSettings& s) { s.closingPause = std::chrono::minutes(5); });
    display.setOnLine([this](const std::string& line) {
        if (line == "  Запись: nPCP:2 = 0 [новое значение]") {
            display.pressInterrupt();
        }
    });

    ASSERT_TRUE(engine.RunWriteBranch(tree.root.get()));

    auto lines = display.lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "  Запись: nPCP:2 = 0 [новое значение]");
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_EQ(lines.back(), kTextTaskDone);
    EXPECT_EQ(module.requestsFor("nPCO"), 2);  // outputs 1 and 2 only
    EXPECT_EQ(context.runResultCode(), kRunInterrupted);
    // The next task starts without the interrupt.
    EXPECT_FALSE(engine.interruptSignalled());

    // A read stops after the parameter in hand; the branches that follow
    // are not entered.
    display.clear();
    display.setOnLine([this](const std::string& line) {
        if (line == "  Чтение: POUt:2 = Дискретный") {
            display.pressInterrupt();
        }
    });
    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));
    lines = display.lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "  Чтение: POUt:2 = Дискретный");
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "  Чтение: nPCO:2 = 0"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "Читаем ветвь 'Выход №4'"), lines.end());

    // A compare asked to stop compares nothing more.
    display.setOnLine(nullptr);
    engine.signalInterrupt();
    EXPECT_EQ(engine.CompareParameter(parameter("SP")), OperationSkip::Interrupted);
}

TEST_F(EngineTasks, StopThreadsEndsATaskWaitingForAnAnswer) {
    // At 2400 baud one unanswered request waits 410 ms, and the read of
    // the tree would take minutes.
    module.setActiveSettings({{2400, 8, Parity::None, 1}, 16, 8});
    PortSettings slow;
    slow.baudRate = 2400;
    openLink(slow);
    loadTree();
    startThreads();
    changeSettings([](EngineSettings& s) {
        s.mainWindowExists = false;
        s.closingPause = std::chrono::minutes(5);
    });
    module.setFaults({.silent = true});
    // An exit request has already decided the exit code.
    context.setRunResultCode(kRunInterrupted);

    bool ran = false;
    std::thread ui([&] { ran = engine.RunReadBranch(tree.root.get()); });
    ASSERT_TRUE(waitFor([&] { return module.requestsSeen() >= 1; }));
    EXPECT_TRUE(engine.StopThreads());
    ui.join();

    EXPECT_TRUE(ran);
    EXPECT_FALSE(engine.transmitThreadRunning());
    EXPECT_EQ(display.closes(), 1);
    EXPECT_EQ(display.lines().back(), kTextTaskDone);
    EXPECT_EQ(parameter("SP").statusText(), kTextLostStart);
    EXPECT_EQ(context.runResultCode(), kRunInterrupted);
    EXPECT_LE(module.requestsSeen(), 2);

    // The threads start again and the line works: the stop is over.
    changeSettings([](EngineSettings& s) { s.closingPause = std::chrono::milliseconds(0); });
    module.setFaults({});
    startThreads();
    EXPECT_TRUE(engine.RunReadParameter(&parameter("SP")));
    EXPECT_EQ(parameter("SP").valueText(), "25.000");
}

TEST_F(EngineTasks, SingleParameterTasks) {
    openFastLink();
    loadTree();
    startThreads();

    EXPECT_FALSE(engine.RunReadParameter(nullptr));
    EXPECT_FALSE(engine.RunWriteParameter(nullptr));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Ничего не выбрано!");
    EXPECT_EQ(ui.messages[0].caption, "Операция невозможна");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(display.titles().empty());

    module.setValue("nPCO", 6, "4");
    std::atomic<bool> runningDuring{false};
    std::atomic<bool> nestedStarted{true};
    display.setOnLine([&](const std::string&) {
        runningDuring = engine.taskRunning();
        // A command that reaches a starter while the window is up.
        nestedStarted = engine.RunReadBranch(tree.root.get());
    });
    EXPECT_FALSE(engine.taskRunning());
    ASSERT_TRUE(engine.RunReadParameter(&parameter("nPCO", 6)));
    EXPECT_TRUE(runningDuring);
    EXPECT_FALSE(nestedStarted);
    EXPECT_FALSE(engine.taskRunning());
    display.setOnLine(nullptr);
    EXPECT_EQ(parameter("nPCO", 6).valueText(), "4");
    ASSERT_TRUE(parameter("nPCO", 6).setValueChecked("9"));
    ASSERT_TRUE(engine.RunWriteParameter(&parameter("nPCO", 6)));
    EXPECT_EQ(module.value("nPCO", 6), "9");
    EXPECT_EQ(display.titles(), (std::vector<std::string>{"Идет чтение параметра из прибора",
                                                          "Идет запись параметра в прибор"}));
    EXPECT_EQ(display.totals(), (std::vector<int>{1, 1}));
    const auto updates = display.updates();
    EXPECT_EQ(updates.front().line, "  Чтение: nPCO:6 = 4");
    EXPECT_EQ(updates.front().counts, "1 из 1");
}

TEST_F(EngineTasks, UnattendedTasksStoreAndReportTheirEnd) {
    openFastLink();
    loadTree();
    startThreads();
    changeSettings([](EngineSettings& s) {
        s.unattended = true;
        s.storeAfterTask = true;
    });
    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));
    EXPECT_EQ(observer.events(), (std::vector<std::string>{"store", "task done"}));

    // A read stopped by the fifth time-out holds only part of the module:
    // its file is not replaced.
    observer.clear();
    module.setFaults({.silent = true});
    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));
    EXPECT_EQ(observer.events(), (std::vector<std::string>{"task done"}));
    module.setFaults({});
    observer.clear();
    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));
    EXPECT_EQ(observer.events(), (std::vector<std::string>{"store", "task done"}));

    // A task that wrote the module's address asks for the apply first.
    observer.clear();
    changeSettings([](EngineSettings& s) { s.storeAfterTask = false; });
    ASSERT_TRUE(engine.RunWriteParameter(&parameter("Addr")));
    EXPECT_EQ(observer.events(), (std::vector<std::string>{"apply", "task done"}));

    // A write that failed asks for nothing.
    observer.clear();
    module.setFaults({.errorCode = 51});
    ASSERT_TRUE(engine.RunWriteParameter(&parameter("bPS")));
    EXPECT_EQ(parameter("bPS").statusText(),
              "Редактирование параметра запрещено атрибутами доступа");
    EXPECT_EQ(observer.events(), (std::vector<std::string>{"task done"}));
}

TEST_F(EngineTasks, DirectCallsOutsideATask) {
    openFastLink();
    loadTree();
    // No thread and no window: the operations work on the calling thread
    // and write no progress line.
    Parameter& sp = parameter("SP");
    EXPECT_TRUE(engine.ReadParameter(sp).succeeded());
    EXPECT_EQ(sp.valueText(), "25.000");
    sp.setValueText(std::string(kNoData));
    EXPECT_EQ(engine.WriteParameter(sp, kWriteAll), OperationSkip::NoData);
    EXPECT_EQ(sp.statusText(), kTextNotInitialised);
    sp.setLinearIndex(-1);
    EXPECT_EQ(engine.ReadParameter(sp), OperationSkip::NegativeIndex);
    sp.setValueText("1");
    EXPECT_EQ(engine.WriteParameter(sp, kWriteAll), OperationSkip::NegativeIndex);
    EXPECT_EQ(engine.CompareParameter(sp), OperationSkip::NegativeIndex);
    EXPECT_EQ(module.requestsFor("SP"), 1);
    EXPECT_TRUE(display.updates().empty());
}

}  // namespace
}  // namespace tarn::testing
