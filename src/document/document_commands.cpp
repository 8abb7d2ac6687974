#include "document/document_commands.h"

#include <thread>

#include "comm/device_identification.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "document/access_level.h"
#include "document/command_ids.h"
#include "document/service_dialogs.h"
#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "model/parameter.h"
#include "model/port_settings.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

constexpr auto kInitSettling = std::chrono::milliseconds(1000);

constexpr std::string_view kInitQuestion =
    "Команда INIT эквивалентна выключению и включению питания прибора.\n"
    "Ее рекомендуется подавать в конце работы с конфигуратором. После нее\n"
    "вступают в действие значения ряда параметров и происходит переход на\n"
    "работу по протоколу, установленному в параметре Prot. Если в этом параметре\n"
    "задан протокол, отличный от протокола BRIX, то конфигуратор потеряет\n"
    "связь с прибором и его будет необходимо перезапустить.\n\n"
    "Послать команду INIT?";
constexpr std::string_view kInitialiseQuestion =
    "Предупреждение:\nДанная операция приведет к потере конфигурации в приборе и в "
    "программе.\n\nВы уверены, что хотите продолжить?";
constexpr std::string_view kImmediateWriteText =
    "В режиме 'Моментальная запись' введеные значения\nавтоматически записываются в прибор\n"
    "сразу после ввода (без нажатия на 'Записать измененные')\nЭто ускоряет работу, но снижает "
    "надежность\nи увеличивает вероятность ошибок.\nРежим 'Моментальная запись' не "
    "записывает\nизмененные атрибуты доступа.";
constexpr std::string_view kNoAttributesText =
    "В режиме 'Не передавать атрибуты' обмен информацией\nоб индивидуальных защитных атрибутах "
    "параметров\nне производится.\nЭто ускоряет работу, но не дает возможность "
    "предварительно\nконтролировать доступность параметров на запись\nсо стороны компьютера "
    "(программы-конфигуратора).\nПри попытке записи защищенного параметра запрос записи\nбудет "
    "отвергнут прибором с соответствующим сообщением\nкак ошибка записи.\nЗапись измененных "
    "атрибутов принадлежности в режиме\n'Не передавать атрибуты' также не производится.";

// A command is sent as a temporary parameter without a value.
void makeCommand(Parameter& command) {
    command.setValueType("void");
    command.setValueText("");
}

}  // namespace

DocumentCommands::DocumentCommands(TarnDocument& document, DeviceLink& link, ExchangeEngine& engine,
                                   UserInteraction& ui)
    : document_(document), link_(link), engine_(engine), ui_(ui) {}

void DocumentCommands::busy(bool on) const {
    if (hooks_.busy) {
        hooks_.busy(on);
    }
}

void DocumentCommands::refreshViews() const {
    if (hooks_.refreshViews) {
        hooks_.refreshViews();
    }
}

bool DocumentCommands::exchangeTree(TreeTask task) {
    if (!document_.hasTree()) {
        ui_.showMessage(kNoTreeText, kImpossibleCaption, MessageIcon::Error);
        return false;
    }
    return runTreeTask(task, *document_.root());
}

bool DocumentCommands::exchangeBranch(TreeTask task, DescBranch* branch) {
    if (branch == nullptr) {
        ui_.showMessage(kNoBranchText, kImpossibleCaption, MessageIcon::Error);
        return false;
    }
    return runTreeTask(task, *branch);
}

bool DocumentCommands::runTreeTask(TreeTask task, DescBranch& branch) {
    const auto started = std::chrono::steady_clock::now();
    busy(true);
    bool ran = false;
    switch (task) {
        case TreeTask::Read:
            ran = engine_.RunReadBranch(&branch);
            break;
        case TreeTask::Write:
            ran = engine_.RunWriteBranch(&branch);
            break;
        case TreeTask::WriteChanged:
            ran = engine_.RunWriteChanged(&branch);
            break;
        case TreeTask::Compare:
            ran = engine_.RunCompare(&branch);
            break;
    }
    busy(false);
    if (!ran) {
        return false;
    }
    refreshViews();
    const ExchangeCounts counts = engine_.lastTaskCounts();
    lastTask_ = TreeTaskOutcome{
        .ran = true,
        .task = task,
        .handled = counts.handled,
        .failed = counts.failed,
        .stopped = engine_.lastTaskStopped(),
        .seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
    };
    return true;
}

void DocumentCommands::identifyDevice() {
    busy(true);
    IdentifyDevice(link_, &ui_);
    busy(false);
}

bool DocumentCommands::sendInit() {
    if (!ui_.askYesNo(kInitQuestion, "", MessageIcon::Question, true)) {
        return false;
    }
    Parameter init("INIT");
    makeCommand(init);
    if (!engine_.ReadParameter(init).succeeded()) {
        ui_.showMessage("Комманда INIT вернула ошибку:\n" + init.statusText(), "",
                        MessageIcon::None);
        return false;
    }
    // The module restarts: nothing is sent to it meanwhile.
    if (hooks_.pause) {
        hooks_.pause(kInitSettling);
    } else {
        std::this_thread::sleep_for(kInitSettling);
    }
    return true;
}

void DocumentCommands::initialiseDevice() {
    if (!document_.hasTree()) {
        ui_.showMessage(kNoTreeText, kImpossibleCaption, MessageIcon::Error);
        return;
    }
    if (!ui_.askYesNo(kInitialiseQuestion, "", MessageIcon::Exclamation, true)) {
        return;
    }
    busy(true);
    const bool ran = engine_.RunInitialise(document_.root());
    busy(false);
    if (ran) {
        refreshViews();
    }
    sendInit();
}

void DocumentCommands::aply() {
    if (unattended_) {
        // No dialog: only a run that asked for "aply" sends the command and
        // follows the module.
        if (!unattendedAply_) {
            return;
        }
        Parameter command("APLY");
        makeCommand(command);
        engine_.WriteParameter(command, kWriteAll);
        followModuleSettings();
        return;
    }
    if (dialogs_ == nullptr) {
        return;
    }
    const ApplyDialogResult result = dialogs_->apply();
    if (result.accepted && result.switchProgramSettings && document_.networkSettings() != nullptr) {
        followModuleSettings();
    }
}

void DocumentCommands::followModuleSettings() {
    if (const DescBranch* network = document_.networkSettings()) {
        copyKnownLineSettings(*network, document_.programSettings());
    }
    link_.OpenLink(portSettingsFrom(document_.programSettings()), true);
    refreshViews();
}

void DocumentCommands::singlePoint() {
    if (dialogs_ != nullptr) {
        dialogs_->singlePoint();
    }
}

void DocumentCommands::calibrate() {
    if (dialogs_ != nullptr) {
        dialogs_->calibration();
    }
    if (hooks_.calibrationClosed) {
        hooks_.calibrationClosed();
    }
}

void DocumentCommands::changePasswords(int accessLevel) {
    if (!checkPasswordChange(accessLevel, ui_)) {
        return;
    }
    if (dialogs_ != nullptr) {
        dialogs_->changePasswords();
    }
}

void DocumentCommands::programModeChanged(int id, bool checked) {
    LinkContext& context = link_.context();
    switch (id) {
        case command::kAutoRead:
            context.setAutoRead(checked);
            break;
        case command::kImmediateWrite:
            context.setImmediateWrite(checked);
            if (checked) {
                ui_.showMessage(kImmediateWriteText, "", MessageIcon::Information);
            }
            break;
        case command::kNoAttributes:
            context.setAttributesSuppressed(checked);
            if (checked) {
                ui_.showMessage(kNoAttributesText, "", MessageIcon::Information);
            }
            break;
        default:
            break;
    }
}

void DocumentCommands::setDirectionMode(int mode) {
    link_.port().setDirectionMode(mode);
}

}  // namespace tarn
