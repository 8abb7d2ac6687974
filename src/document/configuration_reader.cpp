#include "document/configuration_reader.h"

#include <chrono>
#include <thread>

#include "description/tree_modes.h"
#include "document/tarn_document.h"
#include "platform/settings_store.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

// The program holds the tree container locked while it reads a tree, so a
// reader that meets it busy tries again for a moment before it gives up.
constexpr int kTreeAttempts = 20;
constexpr auto kTreeRetryPause = std::chrono::milliseconds(25);

std::string reasonFor(TarnDocument::LoadResult result, const TarnDocument& document) {
    using R = TarnDocument::LoadResult;
    switch (result) {
        case R::Loaded:
            return {};
        case R::Outdated:
            return "a configuration file of the first version, which cannot be read";
        case R::Corrupt:
            return "an unknown version of the configuration file (damaged data)";
        case R::BadFormat:
            return "not a configuration file, or a damaged one";
        case R::TreeUnavailable:
            if (treeFileForMode(document.mode()).fileName.empty()) {
                return "operating mode " + std::to_string(document.mode()) +
                       " has no parameter tree (damaged data)";
            }
            return "the parameter tree of operating mode " + std::to_string(document.mode()) +
                   " could not be loaded from the tree container";
        case R::Unreadable:
            return "cannot be read";
    }
    return "cannot be read";
}

}  // namespace

// Keeps the messages of an attempt; only those of the last attempt are shown.
class ConfigurationReader::HeldMessages : public UserInteraction {
public:
    explicit HeldMessages(UserInteraction& target) : target_(target) {}

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     unsigned flags) override {
        held_.push_back({std::string(text), std::string(caption), icon, flags});
    }
    bool askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                  bool defaultYes) override {
        return target_.askYesNo(text, caption, icon, defaultYes);
    }

    void drop() { held_.clear(); }
    void release() {
        for (const Message& message : held_) {
            target_.showMessage(message.text, message.caption, message.icon, message.flags);
        }
        held_.clear();
    }

private:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
        unsigned flags;
    };
    UserInteraction& target_;
    std::vector<Message> held_;
};

ConfigurationReader::ConfigurationReader(UserInteraction& ui, std::filesystem::path container)
    : ui_(ui), container_(std::move(container)) {
    // An invalid scratch folder leaves a store whose files cannot be
    // written: the program's own settings are never the ones used.
    settings_ = std::make_unique<SettingsStore>(
        settingsFolder_.isValid() ? settingsFolder_.path().toStdString()
                                  : std::string("/nonexistent/tarn-reader-settings"));
}

ConfigurationReader::~ConfigurationReader() = default;

bool ConfigurationReader::read(const std::filesystem::path& path, std::string& error) {
    error.clear();
    // One document serves every read: a file of the mode read before finds
    // that tree and has it brought back instead of built anew.
    if (!document_) {
        held_ = std::make_unique<HeldMessages>(ui_);
        document_ = std::make_unique<TarnDocument>(*held_, *settings_, container_);
    }
    held_->drop();

    TarnDocument::LoadResult result = TarnDocument::LoadResult::Unreadable;
    for (int attempt = 1; attempt <= kTreeAttempts; ++attempt) {
        std::string fileError;
        result = document_->loadFile(path, false, &fileError);
        const bool treeMayComeBack = result == TarnDocument::LoadResult::TreeUnavailable &&
                                     !treeFileForMode(document_->mode()).fileName.empty();
        if (!treeMayComeBack || attempt == kTreeAttempts) {
            if (result == TarnDocument::LoadResult::Unreadable) {
                error = "cannot be read: " + fileError;
            }
            break;
        }
        held_->drop();
        std::this_thread::sleep_for(kTreeRetryPause);
    }
    held_->release();

    if (result != TarnDocument::LoadResult::Loaded) {
        // Refused before the tree (an old, unknown or unreadable file): the
        // tree of an earlier read is no part of this one (it stays built
        // for a later file of its mode).
        if (result == TarnDocument::LoadResult::Outdated ||
            result == TarnDocument::LoadResult::Corrupt ||
            result == TarnDocument::LoadResult::Unreadable) {
            document_->setTreeAside();
            document_->setMode(0);
        }
        if (error.empty()) {
            error = reasonFor(result, *document_);
        }
        return false;
    }
    if (document_->loadEndedEarly()) {
        error = "the file ends early: it holds only part of a configuration (damaged data)";
        return false;
    }
    return true;
}

std::uint32_t ConfigurationReader::mode() const {
    return document_ ? document_->mode() : 0;
}

std::vector<ConfigurationEntry> ConfigurationReader::entries() const {
    if (!document_ || !document_->hasTree()) {
        return {};
    }
    return configurationEntries(*document_->root());
}

}  // namespace tarn
