// The document: the parameter tree of the chosen operating mode, the
// program's own service parameters and port settings, and the configuration
// file that keeps the tree's values.
//
// This is the non-visual core of the program's document; the Qt layer adds
// the file dialogs, the title and the commands around it. Everything it must
// tell the user goes through its UserInteraction.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "description/description_parser.h"
#include "model/branch_snapshot.h"
#include "model/common_params.h"
#include "model/instantiation_context.h"
#include "model/net_rs485_prg.h"

namespace tarn {

class SettingsStore;
class UserInteraction;

// Texts of configuration files that cannot be opened.
inline constexpr std::string_view kFileOpenFailureCaption = "Ошибка открытия файла!";
inline constexpr std::string_view kOutdatedFileText =
    "Невозможно открыть по причине устаревшей версии файла!";
inline constexpr std::string_view kCorruptFileText = "Данные в файле испорчены!";
inline constexpr std::string_view kBadFormatText =
    "Неверный формат данных! Возможно это устаревшая версия файла.";
inline constexpr std::string_view kBadFormatCaption = "Предупреждение";

class TarnDocument {
public:
    // What the rest of the program does around a change of the tree.
    struct Hooks {
        // Before the tree is cleared: the scanners' polling must stop.
        std::function<void()> stopPolling;
        // After a tree was built for `mode` (the control-mode check of the
        // direct-control modes runs here).
        std::function<void(std::uint32_t mode)> treeLoaded;
    };

    // `container` is the tree container (tarn.tree.dat). `settings` keeps the
    // program's port settings; both it and `ui` must outlive the document.
    TarnDocument(UserInteraction& ui, SettingsStore& settings, std::filesystem::path container);
    ~TarnDocument();
    TarnDocument(const TarnDocument&) = delete;
    TarnDocument& operator=(const TarnDocument&) = delete;

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    UserInteraction& ui() { return ui_; }

    // ---- The tree --------------------------------------------------------
    std::uint32_t mode() const { return mode_; }
    void setMode(std::uint32_t mode) { mode_ = mode; }
    bool hasTree() const { return tree_.root != nullptr; }
    DescBranch* root() const { return tree_.root.get(); }
    DescBranch* scanners() const { return tree_.scanners.get(); }
    DescBranch* networkSettings() const { return tree_.networkSettings; }
    const std::vector<ParameterTemplate>& parameterTemplates() const {
        return tree_.parameterTemplates;
    }
    // The "POUt" parameter of each of the eight outputs (null where none).
    const std::array<Parameter*, InstantiationContext::kOutputCount>& outputs() const {
        return context_.outputs;
    }

    // Drops the tree (polling stops first).
    void clearTree();
    // Leaves the document without a tree (polling stops first) but keeps it
    // with the others built so far, for a later file of its mode.
    void setTreeAside();
    // Loads the tree of the current mode from the container: false when the
    // mode has no tree file or its text could not be read (the user was told
    // "Ошибка открытия файла дерева!"); true when the text was read, even if
    // the description then failed (the user was told; the tree holds what
    // the lines before the failure built, or nothing without a root).
    bool loadTree();
    // Clears the tree, sets `mode` and loads its tree. When the tree held is
    // the one built for `mode` from the same text the container gives now,
    // it is brought back to the state it was built in (every value, status
    // and change forgotten, names, captions, flags and polling periods as
    // built) instead of being built anew: building costs far more than the
    // load of a configuration that follows it.
    bool switchToMode(std::uint32_t mode);

    // ---- Fixed groups ----------------------------------------------------
    CommonParams& serviceParameters() { return service_; }
    NetRS485prg& programSettings() { return programSettings_; }

    // ---- Configuration files ---------------------------------------------
    // The configuration as stored in a file.
    std::vector<std::uint8_t> serialize() const;

    enum class LoadResult {
        Loaded,           // the tree of the stored mode holds the stored values
        Outdated,         // a file of the first version; nothing loaded
        Corrupt,          // an unknown version; nothing loaded
        BadFormat,        // the data broke the format; what was read stays
        TreeUnavailable,  // the stored mode's tree could not be loaded
        Unreadable,       // the file could not be read at all
    };
    // Reads a configuration: reloads the tree of the stored mode, then fills
    // it by key. A file that simply ends early keeps what was read and counts
    // as loaded. Failures are shown to the user. With `silentRecovery` a file
    // that breaks the format leaves a fresh tree of the default mode.
    LoadResult deserialize(std::span<const std::uint8_t> bytes, bool silentRecovery = false);

    // Writes the configuration atomically: the previous file stays intact
    // until the new one is complete. False (and `error` set) on failure.
    bool saveFile(const std::filesystem::path& path, std::string* error = nullptr) const;
    // Reads and loads a configuration file; a file that cannot be read gives
    // Unreadable with the reason in `error`.
    LoadResult loadFile(const std::filesystem::path& path, bool silentRecovery = false,
                        std::string* error = nullptr);

    // The last configuration loaded ended before its layout was complete
    // (it still counts as loaded: what was read stays applied).
    bool loadEndedEarly() const { return endedEarly_; }

    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

    // ---- The object chosen in the view -----------------------------------
    // The object of the row the user last right-clicked: a parameter, or a
    // branch or group (`parameter` null); both null when nothing is chosen.
    // Cleared with the tree, so it never points into a tree that is gone.
    struct ChosenObject {
        InvisibleElement* group = nullptr;
        Parameter* parameter = nullptr;
    };
    const ChosenObject& chosenObject() const { return chosen_; }
    void setChosenObject(ChosenObject chosen) { chosen_ = chosen; }

private:
    class CountedMessages;
    // A tree as it was built, kept for bringing it back (see switchToMode).
    struct BuiltTree {
        std::string text;         // the CP1251 text it was built from
        BranchSnapshot root;      // the root right after building
        BranchSnapshot scanners;  // the scanners, likewise
        std::array<Parameter*, InstantiationContext::kOutputCount> outputs{};
        ParameterTree tree;  // empty while it is the document's tree
    };

    bool loadTree(bool mayReuse);
    bool bringBackBuiltTree(const std::string& text);
    void putAwayTree();
    void forgetChoiceAndPolling();

    UserInteraction& ui_;
    std::filesystem::path container_;
    Hooks hooks_;
    std::uint32_t mode_ = 0;
    // Counts what building a tree tells the user: a tree whose building said
    // something is never brought back, so that its messages come again.
    std::unique_ptr<CountedMessages> counted_;
    // The context lives longer than the tree: "POUt" parameters point into it.
    InstantiationContext context_;
    ParameterTree tree_;
    // The trees built so far, by mode; the one of `mode_` is `tree_` when
    // `treeIsKept_`. At most one per mode with a tree file.
    std::map<std::uint32_t, BuiltTree> built_;
    bool treeIsKept_ = false;
    CommonParams service_;
    NetRS485prg programSettings_;
    bool modified_ = false;
    ChosenObject chosen_;
    bool endedEarly_ = false;
};

}  // namespace tarn
