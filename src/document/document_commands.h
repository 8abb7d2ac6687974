// DocumentCommands: the document's device and service commands — the
// whole-tree and branch exchanges, the check of the connection, INIT,
// device initialisation, APLY, the service dialogs and the program modes.
//
// The commands know no widgets: they talk to the user through the
// document's UserInteraction, open the service dialogs through
// ServiceDialogs, and leave what only the windows can do (the wait cursor,
// refreshing the views, a pause that keeps the windows painting) to hooks.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "comm/exchange_engine.h"
#include "model/exchange_result.h"

namespace tarn {

class DescBranch;
class DeviceLink;
class ExchangeEngine;
class Parameter;
class ServiceDialogs;
class TarnDocument;
class UserInteraction;

inline constexpr std::string_view kNoTreeText = "Дерево не определено";
inline constexpr std::string_view kNoBranchText = "Ветвь не определена";

// The exchanges of a whole tree or of one branch.
enum class TreeTask { Read, Write, WriteChanged, Compare };

// What the last tree task did.
struct TreeTaskOutcome {
    bool ran = false;
    TreeTask task = TreeTask::Read;
    int handled = 0;       // parameters the task went through
    int failed = 0;        // of them, those whose exchange failed
    bool stopped = false;  // ended before its end (interrupted, a shutdown)
    double seconds = 0;
};

class DocumentCommands {
public:
    struct Hooks {
        // Every view of the document shows the tree anew.
        std::function<void()> refreshViews;
        // The wait cursor on (true) and off.
        std::function<void(bool)> busy;
        // Waits this long; the windows keep painting, the commands stay
        // disabled. Without it the calling thread sleeps.
        std::function<void(std::chrono::milliseconds)> pause;
        // The calibration dialog has closed (the unattended run ends then).
        std::function<void()> calibrationClosed;
    };

    // All of them must outlive the commands.
    DocumentCommands(TarnDocument& document, DeviceLink& link, ExchangeEngine& engine,
                     UserInteraction& ui);

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    // Null: the service commands do nothing.
    void setServiceDialogs(ServiceDialogs* dialogs) { dialogs_ = dialogs; }
    // Unattended operation shows no dialog; with "aply" the APLY command
    // still sends APLY and follows the module to its new settings.
    void setUnattended(bool unattended, bool aply) {
        unattended_ = unattended;
        unattendedAply_ = aply;
    }

    // ---- Exchanges ------------------------------------------------------
    // The root branch ("Дерево не определено" without a tree). True when
    // the task ran; the views are refreshed then.
    bool exchangeTree(TreeTask task);
    // The selected branch ("Ветвь не определена" when it is none).
    bool exchangeBranch(TreeTask task, DescBranch* branch);
    const TreeTaskOutcome& lastTreeTask() const { return lastTask_; }

    // "Проверка связи с прибором": "dev" and "ver" with their messages.
    void identifyDevice();
    // "Послать команду &INIT": asks first; false when not sent or failed.
    bool sendInit();
    // "Инициализировать прибор": asks first, initialises the module with
    // the initial values, then offers INIT.
    void initialiseDevice();
    // "Послать команду &APLY" (also the engine's apply request after a
    // task that wrote the module's network settings).
    void aply();

    // ---- Service dialogs -------------------------------------------------
    void singlePoint();
    void calibrate();
    // Refused below the full access level.
    void changePasswords(int accessLevel);

    // ---- Program modes ----------------------------------------------------
    // A program-mode item's check mark changed to `checked` ("Режим
    // автоматического чтения", "Режим немедленной записи", "Не передавать
    // атрибуты параметров"; the view shows the linear indices itself).
    void programModeChanged(int id, bool checked);
    // "Полуавтоматический (VZ-3)" (0) or "Автоматический" (1).
    void setDirectionMode(int mode);

private:
    bool runTreeTask(TreeTask task, DescBranch& branch);
    void followModuleSettings();
    void busy(bool on) const;
    void refreshViews() const;

    TarnDocument& document_;
    DeviceLink& link_;
    ExchangeEngine& engine_;
    UserInteraction& ui_;
    ServiceDialogs* dialogs_ = nullptr;
    Hooks hooks_;
    bool unattended_ = false;
    bool unattendedAply_ = false;
    TreeTaskOutcome lastTask_;
};

}  // namespace tarn
