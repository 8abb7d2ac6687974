// What an edit of a tree cell does: the editors and list entries a cell
// offers, the refusals with their texts, the polling period, the immediate
// write and the program's port settings, against the simulated module on a
// pseudo-terminal.
#include "document/parameter_edit.h"

#include <gtest/gtest.h>

#include <fstream>

#include "comm/device_detection.h"
#include "engine/engine_fixture.h"
#include "model/net_rs485.h"
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
            ASSERT_EQ(engine.ReadParameter(parameter(name)), 0) << name;
        }
        network = tree.networkSettings;
        ASSERT_NE(network, nullptr);
        for (const auto& p : network->parameters()) {
            ASSERT_EQ(engine.ReadParameter(*p), 0) << p->networkName();
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

TEST_F(ParameterEditTest, CellsOpenTheirEditorsAndListsOfferTheVisibleItems) {
    Parameter& speed = *network->find("bPS");
    Parameter& point = parameter("SP");
    EXPECT_EQ(cellEditorFor(speed, false, edit_column::kValue), CellEditor::List);
    EXPECT_EQ(cellEditorFor(point, false, edit_column::kValue), CellEditor::Text);
    EXPECT_EQ(cellEditorFor(point, false, edit_column::kEditable), CellEditor::List);
    EXPECT_EQ(cellEditorFor(point, false, edit_column::kOwner), CellEditor::None);
    EXPECT_EQ(cellEditorFor(point, false, edit_column::kPeriod), CellEditor::None);
    point.setAttributeKind(0);
    EXPECT_EQ(cellEditorFor(point, false, edit_column::kEditable), CellEditor::None);
    point.setAccessible(false);
    EXPECT_EQ(cellEditorFor(point, false, edit_column::kValue), CellEditor::None);

    Parameter state("r.oe.s");
    Parameter signal("r.Ao");
    EXPECT_EQ(cellEditorFor(state, true, edit_column::kPeriod), CellEditor::None);
    EXPECT_EQ(cellEditorFor(state, true, edit_column::kValue), CellEditor::Text);
    EXPECT_EQ(cellEditorFor(signal, true, edit_column::kPeriod), CellEditor::Text);
    EXPECT_EQ(cellEditorFor(signal, true, edit_column::kEditable), CellEditor::None);

    Parameter mode("Mode");
    mode.setValueType("Авто:Ручной_режим:Старый<hide>:Ремонт");
    EXPECT_EQ(listEntriesFor(mode, edit_column::kValue, "Ремонт"),
              (std::vector<std::string>{"Ремонт", "Авто", "Ручной режим"}));
    EXPECT_EQ(listEntriesFor(mode, edit_column::kValue, ""),
              (std::vector<std::string>{" ", "Авто", "Ручной режим", "Ремонт"}));
    EXPECT_EQ(listEntriesFor(mode, edit_column::kEditable, "Редактируемый"),
              (std::vector<std::string>{"Редактируемый", "Не редактируемый"}));
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
    Parameter& address = *network->find("Addr");
    Parameter& point = parameter("SP");

    // The same text: nothing at all.
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
        {&address, "12", std::string(kAddressStepMessage), kAddressStepCaption},
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
}

TEST_F(ParameterEditTest, AcceptedValuesAreWrittenOnlyInImmediateWriteMode) {
    Parameter& address = *network->find("Addr");
    EXPECT_EQ(commit(address, network, edit_column::kValue, "24").kind, Kind::Stored);
    EXPECT_EQ(address.valueText(), "24");
    EXPECT_EQ(address.rowColour(), kColourChanged);
    EXPECT_EQ(framesSent(), 0u);

    context.setImmediateWrite(true);
    Parameter& point = parameter("SP");
    point.setStatusText("Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(commit(point, tree.root.get(), edit_column::kValue, "42.5").kind, Kind::Written);
    EXPECT_EQ(module.value("SP"), "42.500");
    EXPECT_EQ(point.valueText(), "42.500");
    EXPECT_EQ(point.rowColour(), kColourBlack);
    bool writeSeen = false;
    for (const auto& line : received()) {
        writeSeen = writeSeen || (line.find("write") != std::string::npos &&
                                  line.find(" SP,") != std::string::npos);
    }
    EXPECT_TRUE(writeSeen);

    // The module keeps its serial number: the write fails, the entered value
    // stays changed, the row turns red and the user reads why.
    Parameter& serial = parameter("SErN");
    const std::size_t messages = ui.messages.size();
    EXPECT_EQ(commit(serial, tree.root.get(), edit_column::kValue, "777").kind, Kind::WriteFailed);
    EXPECT_EQ(module.value("SErN"), "12345");
    EXPECT_EQ(serial.valueText(), "777");
    EXPECT_TRUE(serial.valueChanged());
    EXPECT_FALSE(serial.statusText().empty());
    EXPECT_EQ(serial.rowColour(), kColourError);
    ASSERT_EQ(ui.messages.size(), messages + 1);
    EXPECT_EQ(lastMessage().text, serial.statusText());
    EXPECT_EQ(lastMessage().caption, kWriteFailedCaption);
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);

    // The attributes are kept for the next write; the row shows the change.
    Parameter& hysteresis = parameter("HYS");
    EXPECT_EQ(commit(hysteresis, tree.root.get(), edit_column::kEditable, "Не редактируемый").kind,
              Kind::Stored);
    EXPECT_FALSE(hysteresis.editable());
    EXPECT_TRUE(hysteresis.editableChanged());
    EXPECT_EQ(commit(hysteresis, tree.root.get(), edit_column::kOwner, "Фирма").kind, Kind::Stored);
    EXPECT_TRUE(hysteresis.ownerIsFirm());
    EXPECT_TRUE(hysteresis.ownerChanged());
    EXPECT_EQ(hysteresis.rowColour(), kColourChanged);
}

TEST_F(ParameterEditTest, ThePortSettingsReopenThePortAndAreNeverSent) {
    ScratchFolder folder;
    SettingsStore store((folder / "settings").string());
    NetRS485prg settings(store);
    settings.fill();
    ASSERT_EQ(settings.setValueByName("Port", "COM9", false), kValueSet);
    ASSERT_EQ(settings.setValueByName("bPS", "115200", false), kValueSet);
    ParameterEdit::Hooks hooks;
    hooks.write = [this](Parameter& p) { return engine.WriteParameter(p, kWriteAll); };
    hooks.immediateWrite = [] { return true; };
    hooks.applyPortSettings = [&] { link.OpenLink(linkSettingsFrom(settings), true); };
    ParameterEdit edit(ui, std::move(hooks));

    // The module's rules do not bind the program's own line; the address
    // step does.
    ASSERT_EQ(settings.setValueByName("Sbit", "2", false), kValueSet);
    CellEdit parity{settings.find("PrtY"), &settings,     false,
                    edit_column::kValue,   "Отсутствует", "Четность"};
    EXPECT_EQ(edit.commit(parity).kind, Kind::PortSettings);
    CellEdit address{settings.find("Addr"), &settings, false, edit_column::kValue, "16", "20"};
    EXPECT_EQ(edit.commit(address).kind, Kind::Refused);

    ASSERT_EQ(settings.setValueByName("PrtY", "Отсутствует", false), kValueSet);
    ASSERT_EQ(settings.setValueByName("Sbit", "1", false), kValueSet);
    CellEdit speed{settings.find("bPS"), &settings, false, edit_column::kValue, "115200", "19200"};
    EXPECT_EQ(edit.commit(speed).kind, Kind::PortSettings);
    EXPECT_TRUE(link.port().isOpen());
    EXPECT_EQ(link.port().baudRate(), 19200);
    EXPECT_FALSE(settings.find("bPS")->hasAnyChange());
    EXPECT_EQ(framesSent(), 0u);
}

TEST_F(ParameterEditTest, PolledValuesKeepTheirPeriodRulesAndAreWrittenThroughACopy) {
    // A polled value: its index travels in the address only.
    sim::ParameterSpec spec;
    spec.name = "r.Ao";
    spec.valueType = "float";
    spec.count = 8;
    spec.initialValue = "0.000";
    spec.indexed = false;
    module.addParameter(spec);
    Parameter signal("r.Ao");
    signal.setCaption("Сигнал");
    signal.setValueType("float");
    signal.setHasLinearIndex(true);
    signal.setLinearIndex(2);
    ASSERT_TRUE(signal.createPollingTimer());
    ASSERT_EQ(signal.startPolling(), 0);

    const auto period = [&](const std::string& text) {
        return commit(signal, nullptr, edit_column::kPeriod, text, true);
    };
    EXPECT_EQ(period("99.9").kind, Kind::Refused);
    EXPECT_EQ(lastMessage().text, kPeriodMessage);
    EXPECT_EQ(lastMessage().caption, kPeriodCaption);
    EXPECT_EQ(period("много").kind, Kind::Refused);
    EXPECT_EQ(signal.pollingPeriod(), Parameter::kDefaultPollingPeriod);
    EXPECT_EQ(period("100").kind, Kind::Stored);
    EXPECT_EQ(signal.pollingPeriod(), 100);

    // A running timer starts again with the new period.
    const auto before = PollingTimer::Clock::now();
    EXPECT_EQ(period("250.7").kind, Kind::Stored);
    const auto after = PollingTimer::Clock::now();
    EXPECT_EQ(signal.pollingPeriod(), 250);
    EXPECT_TRUE(signal.pollingActive());
    const auto next = signal.pollingTimer()->nextExpiry();
    ASSERT_TRUE(next.has_value());
    EXPECT_GE(*next, before + std::chrono::milliseconds(250));
    EXPECT_LE(*next, after + std::chrono::milliseconds(250));
    signal.stopPolling();

    // The value goes to the module at the scanner's address at once,
    // whatever the write mode; the parameter itself is the poller's.
    const std::string polledValue = signal.valueText();
    const EditOutcome written = commit(signal, nullptr, edit_column::kValue, "7.25", true);
    EXPECT_EQ(written.kind, Kind::Written) << written.shownStatus;
    EXPECT_EQ(written.shownValue, "7.250");
    EXPECT_TRUE(written.shownStatus.empty());
    EXPECT_EQ(module.value("r.Ao", 2), "7.250");
    EXPECT_EQ(signal.valueText(), polledValue);

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
    EXPECT_EQ(commit(state, nullptr, edit_column::kValue, "x", true).kind, Kind::Refused);
}

}  // namespace
}  // namespace tarn::testing
