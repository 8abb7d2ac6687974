// What an edit of a tree cell does: the editors and list entries a cell
// offers, the refusals with their texts, the polling period, the immediate
// write and the program's port settings, against the simulated module on a
// pseudo-terminal.
#include "document/parameter_edit.h"

#include <gtest/gtest.h>

#include <fstream>

#include "engine/engine_fixture.h"
#include "model/net_rs485_prg.h"
#include "model/network_checks.h"
#include "platform/settings_store.h"
#include "support/scratch_folder.h"

namespace tarn::testing {
namespace {

constexpr std::string_view kDescription = R"(
parameter SP float Уставка
rule SP 0 100
parameter HYS float Гистерезис
parameter SErN int Серийный_номер
parameter bPS 2400:4800:9600:14400:19200:28800:38400:57600:115200 Скорость
parameter LEn 7:8 Длина_слова
parameter PrtY Отсутствует:Четность:Нечетность Четность
parameter Sbit 1:2 Стоп-биты
parameter A.Len 8:11 Длина_адреса
parameter Addr int Адрес
parameter Prot BRIX:Modbus_RTU:Modbus_ASCII:DCON Протокол
branch Сетевые_параметры_прибора 1 4 4 bPS LEn PrtY Sbit A.Len Addr Prot
root TARN 1 25 25 SP HYS SErN Сетевые_параметры_прибора
)";

class ParameterEditTest : public EngineLine {
protected:
    void SetUp() override {
        EngineLine::SetUp();
        openFastLink();
        loadTree(kDescription);
        for (const char* name : {"SP", "HYS", "SErN"}) {
            ASSERT_TRUE(engine.ReadParameter(parameter(name)).succeeded()) << name;
        }
        network = tree.networkSettings;
        ASSERT_NE(network, nullptr);
        for (const auto& p : network->parameters()) {
            ASSERT_TRUE(engine.ReadParameter(*p).succeeded()) << p->networkName();
        }
        module.clearCounters();
        framesBefore = received().size();
    }

    ParameterEdit editor() {
        ParameterEdit::Hooks hooks;
        hooks.write = [this](Parameter& p) { return engine.WriteParameter(p, kWriteAll); };
        hooks.immediateWrite = [this] { return context.immediateWrite(); };
        hooks.applyPortSettings = [this] { ++portApplied; };
        return ParameterEdit(ui, std::move(hooks));
    }

    EditOutcome commit(Parameter& p, ObjectWithParameters* parent, int column,
                       const std::string& newText, bool polled = false) {
        CellEdit edit;
        edit.parameter = &p;
        edit.parent = parent;
        edit.polled = polled;
        edit.column = column;
        edit.oldText = column == edit_column::kValue ? p.valueText() : "";
        edit.newText = newText;
        return editor().commit(edit);
    }

    std::size_t framesSent() { return received().size() - framesBefore; }

    const ShownMessage& lastMessage() const { return ui.messages.back(); }

    DescBranch* network = nullptr;
    std::size_t framesBefore = 0;
    int portApplied = 0;
};

using Kind = EditOutcome::Kind;

TEST_F(ParameterEditTest, ListsOfferTheVisibleItemsAndTheOtherAttribute) {
    Parameter& point = parameter("SP");
    EXPECT_EQ(cellEditorFor(point, false, edit_column::kEditable), CellEditor::List);
    point.setAttributeKind(0);
    EXPECT_EQ(cellEditorFor(point, false, edit_column::kEditable), CellEditor::None);

    Parameter mode("Mode");
    mode.setValueType("Авто:Ручной_режим:Старый<hide>:Ремонт");
    EXPECT_EQ(listEntriesFor(mode, edit_column::kValue, ""),
              (std::vector<std::string>{" ", "Авто", "Ручной режим", "Ремонт"}));
    mode.setEditable(false);
    EXPECT_EQ(listEntriesFor(mode, edit_column::kEditable, "Не редактируемый"),
              (std::vector<std::string>{"Не редактируемый", "Редактируемый"}));

    // The port list is the machine's ports at the moment the list opens.
    Parameter port("Port");
    port.setValueType("COM1");
    for (const char* name : {"COM3", "COM12"}) {
        std::ofstream(ports_.path() / name) << "/dev/null\n";
    }
    const auto entries = listEntriesFor(port, edit_column::kValue, "COM3");
    EXPECT_EQ(entries.front(), "COM3");
    EXPECT_NE(std::find(entries.begin(), entries.end(), "COM12"), entries.end());
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "COM3"), 1);
}

TEST_F(ParameterEditTest, TheRejectionMessageNamesTheTypeAndTheLimits) {
    EXPECT_EQ(valueRejectionMessage(parameter("SP"), "500"),
              "Параметеру 'SP' (Уставка)\nне может быть присвоено значение '500'.\n "
              "(Значение этого параметра должно быть float и\n должно быть больше 0.000000 и "
              "меньше 100.000000)\n");
    const std::string unlimited = valueRejectionMessage(parameter("SErN"), "x");
    EXPECT_TRUE(unlimited.ends_with("(Значение этого параметра должно быть ")) << unlimited;
    Parameter name("CHAr*");
    name.setCaption("Сетевое имя");
    EXPECT_EQ(valueRejectionMessage(name, "#"),
              "Параметеру 'CHAr*' (Сетевое имя)\nне может быть присвоено значение '#'.\n "
              "(Значение не удовлетворяет требованиям к формату сетевого имени");
}

TEST_F(ParameterEditTest, RefusedEditsLeaveTheParameterAndTheModuleAlone) {
    context.setImmediateWrite(true);
    Parameter& address = *network->find("Addr");
    Parameter& point = parameter("SP");
    const EditOutcome same = commit(point, tree.root.get(), edit_column::kValue, point.valueText());
    EXPECT_EQ(same.kind, Kind::Unchanged);
    EXPECT_FALSE(same.modified);

    struct Refusal {
        Parameter* parameter;
        std::string text;
        std::string message;
        std::string_view caption;
    };
    const Refusal refusals[] = {
        // Above 255 with 8-bit addresses.
        {&address, "304", std::string(kNetworkRulesMessage), kNetworkRulesCaption},
        {&point, "500", valueRejectionMessage(point, "500"), kRejectionCaption},
        // Not a number: passes the multiple-of-8 rule, fails as an integer.
        {&address, "abc", valueRejectionMessage(address, "abc"), kRejectionCaption},
    };
    for (const Refusal& refusal : refusals) {
        const std::string before = refusal.parameter->valueText();
        const EditOutcome outcome =
            commit(*refusal.parameter, network, edit_column::kValue, refusal.text);
        EXPECT_EQ(outcome.kind, Kind::Refused) << refusal.text;
        EXPECT_TRUE(outcome.modified);
        EXPECT_EQ(refusal.parameter->valueText(), before);
        EXPECT_FALSE(refusal.parameter->hasAnyChange());
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(lastMessage().text, refusal.message);
        EXPECT_EQ(lastMessage().caption, refusal.caption);
        EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
    }

    // Parity with 8 data bits and 2 stop bits makes a frame of twelve bits.
    ASSERT_EQ(network->setValueByName("Sbit", "2", false), kValueSet);
    EXPECT_EQ(commit(*network->find("PrtY"), network, edit_column::kValue, "Четность").kind,
              Kind::Refused);
    EXPECT_EQ(lastMessage().caption, kNetworkRulesCaption);
    EXPECT_EQ(framesSent(), 0u);

    // The program's own line is not bound by the module's rules; the
    // address step binds it too.
    ScratchFolder folder;
    SettingsStore store((folder / "settings").string());
    NetRS485prg settings(store);
    settings.fill();
    ASSERT_EQ(settings.setValueByName("Sbit", "2", false), kValueSet);
    EXPECT_EQ(commit(*settings.find("PrtY"), &settings, edit_column::kValue, "Четность").kind,
              Kind::PortSettings);
    EXPECT_EQ(portApplied, 1);
    EXPECT_FALSE(settings.find("PrtY")->hasAnyChange());
    EXPECT_EQ(commit(*settings.find("Addr"), &settings, edit_column::kValue, "20").kind,
              Kind::Refused);
    EXPECT_EQ(lastMessage().text, kAddressStepMessage);
    EXPECT_EQ(framesSent(), 0u);
}

TEST_F(ParameterEditTest, TheAttributeColumnsSetTheirAttributeAndMarkIt) {
    Parameter& hysteresis = parameter("HYS");
    EXPECT_EQ(commit(hysteresis, tree.root.get(), edit_column::kEditable, "Не редактируемый").kind,
              Kind::Stored);
    EXPECT_FALSE(hysteresis.editable());
    EXPECT_TRUE(hysteresis.editableChanged());
    EXPECT_EQ(commit(hysteresis, tree.root.get(), edit_column::kOwner, "Фирма").kind, Kind::Stored);
    EXPECT_TRUE(hysteresis.ownerIsFirm());
    EXPECT_TRUE(hysteresis.ownerChanged());
    EXPECT_EQ(hysteresis.rowColour(), kColourChanged);
    EXPECT_EQ(framesSent(), 0u);
}

TEST_F(ParameterEditTest, PolledValuesRestartTheirTimerAndAreWrittenThroughACopy) {
    // A polled value: its index travels in the address only.
    sim::ParameterSpec spec;
    spec.name = "r.Ao";
    spec.valueType = "float";
    spec.count = 8;
    spec.initialValue = "0.000";
    spec.indexed = false;
    module.addParameter(spec);
    Parameter signal("r.Ao");
    signal.setValueType("float");
    signal.setHasLinearIndex(true);
    signal.setLinearIndex(2);
    ASSERT_TRUE(signal.createPollingTimer());
    ASSERT_EQ(signal.startPolling(), 0);

    // A running timer starts again with the new period.
    const auto before = PollingTimer::Clock::now();
    EXPECT_EQ(commit(signal, nullptr, edit_column::kPeriod, "250.7", true).kind, Kind::Stored);
    const auto after = PollingTimer::Clock::now();
    EXPECT_EQ(signal.pollingPeriod(), 250);
    EXPECT_TRUE(signal.pollingActive());
    const auto next = signal.pollingTimer()->nextExpiry();
    ASSERT_TRUE(next.has_value());
    EXPECT_GE(*next, before + std::chrono::milliseconds(250));
    EXPECT_LE(*next, after + std::chrono::milliseconds(250));
    EXPECT_EQ(commit(signal, nullptr, edit_column::kPeriod, "много", true).kind, Kind::Refused);
    EXPECT_EQ(lastMessage().text, kPeriodMessage);
    signal.stopPolling();

    // The value goes to the module at the scanner's address; the parameter
    // itself is the poller's and keeps its value.
    const EditOutcome written = commit(signal, nullptr, edit_column::kValue, "7.25", true);
    EXPECT_EQ(written.kind, Kind::Written);
    EXPECT_EQ(written.shownValue, "7.250");
    EXPECT_EQ(module.value("r.Ao", 2), "7.250");
    EXPECT_EQ(signal.valueText(), "Нет данных");

    // The module's output states cannot be written.
    Parameter state("r.oe.s");
    state.setValueType("int");
    state.setHasLinearIndex(true);
    state.setLinearIndex(1);
    ASSERT_TRUE(state.createPollingTimer());
    const EditOutcome failed = commit(state, nullptr, edit_column::kValue, "1", true);
    EXPECT_EQ(failed.kind, Kind::WriteFailed);
    EXPECT_FALSE(failed.shownStatus.empty());
    EXPECT_EQ(lastMessage().text, failed.shownStatus);
    EXPECT_EQ(lastMessage().caption, kWriteFailedCaption);
}

}  // namespace
}  // namespace tarn::testing
