#include "document/tarn_document.h"

#include <QFile>
#include <QSaveFile>

#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "model/branch_archive.h"
#include "platform/archive.h"
#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

constexpr const char* kDocumentClass = "CTARNDoc";
constexpr std::uint16_t kDocumentSchema = 4;
// Files of the schema before the mode was stored: they always hold the
// full tree with VL1.
constexpr std::uint16_t kModelessSchema = 3;
constexpr std::uint16_t kFirstSchema = 1;
// What the archive reports when a class carries no schema.
constexpr std::uint16_t kNoSchema = 0xFFFF;

QString qpath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

class TarnDocument::CountedMessages : public UserInteraction {
public:
    explicit CountedMessages(UserInteraction& target) : target_(target) {}

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     unsigned flags) override {
        ++count;
        target_.showMessage(text, caption, icon, flags);
    }
    bool askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                  bool defaultYes) override {
        ++count;
        return target_.askYesNo(text, caption, icon, defaultYes);
    }

    int count = 0;

private:
    UserInteraction& target_;
};

TarnDocument::TarnDocument(UserInteraction& ui, SettingsStore& settings,
                           std::filesystem::path container)
    : ui_(ui),
      container_(std::move(container)),
      counted_(std::make_unique<CountedMessages>(ui)),
      context_(*counted_),
      service_(settings),
      programSettings_(settings) {
    service_.fill();
    programSettings_.fill();
}

TarnDocument::~TarnDocument() {
    clearTree();
}

void TarnDocument::forgetChoiceAndPolling() {
    if (hooks_.stopPolling) {
        hooks_.stopPolling();
    }
    chosen_ = {};
}

void TarnDocument::clearTree() {
    forgetChoiceAndPolling();
    tree_ = ParameterTree{};
    treeIsKept_ = false;
    built_.clear();
}

void TarnDocument::setTreeAside() {
    forgetChoiceAndPolling();
    putAwayTree();
}

void TarnDocument::putAwayTree() {
    if (treeIsKept_) {
        built_[mode_].tree = std::move(tree_);
    }
    tree_ = ParameterTree{};
    treeIsKept_ = false;
    context_.outputs = {};
}

bool TarnDocument::loadTree() {
    return loadTree(false);
}

bool TarnDocument::loadTree(bool mayReuse) {
    const ModeTree tree = treeFileForMode(mode_);
    if (tree.fileName.empty()) {
        return false;
    }
    // The container is read every time, also for a tree that is brought
    // back: a container that is gone, busy or damaged fails as always.
    TreeText text = readTreeText(container_, tree.fileName);
    if (!text.usable()) {
        ui_.showMessage(kTreeOpenErrorText, "", MessageIcon::Error);
        return false;
    }
    if (!mayReuse || !bringBackBuiltTree(text.bytes)) {
        tree_ = ParameterTree{};
        treeIsKept_ = false;
        built_.erase(mode_);
        counted_->count = 0;
        tree_ = buildParameterTree(text::fromCp1251(text.bytes), context_);
        if (counted_->count == 0 && hasTree()) {
            built_[mode_] = BuiltTree{std::move(text.bytes),
                                      BranchSnapshot(tree_.root.get()),
                                      BranchSnapshot(tree_.scanners.get()),
                                      context_.outputs,
                                      {}};
            treeIsKept_ = true;
        }
    }
    if (hooks_.treeLoaded && hasTree()) {
        hooks_.treeLoaded(mode_);
    }
    return true;
}

bool TarnDocument::bringBackBuiltTree(const std::string& text) {
    const auto kept = built_.find(mode_);
    if (kept == built_.end() || kept->second.text != text || kept->second.tree.root == nullptr) {
        return false;
    }
    putAwayTree();
    tree_ = std::move(kept->second.tree);
    context_.outputs = kept->second.outputs;
    treeIsKept_ = true;
    return kept->second.root.restore(tree_.root.get()) &&
           kept->second.scanners.restore(tree_.scanners.get());
}

bool TarnDocument::switchToMode(std::uint32_t mode) {
    forgetChoiceAndPolling();
    putAwayTree();
    mode_ = mode;
    if (loadTree(true)) {
        return true;
    }
    tree_ = ParameterTree{};
    treeIsKept_ = false;
    return false;
}

std::vector<std::uint8_t> TarnDocument::serialize() const {
    ArchiveWriter archive;
    archive.writeClass(kDocumentClass, kDocumentSchema);
    archive.writeDword(mode_);
    if (tree_.root) {
        storeBranch(archive, *tree_.root);
    }
    return archive.takeBytes();
}

TarnDocument::LoadResult TarnDocument::deserialize(std::span<const std::uint8_t> bytes,
                                                   bool silentRecovery) {
    auto badFormat = [&] {
        ui_.showMessage(kBadFormatText, kBadFormatCaption, MessageIcon::Exclamation,
                        kMessageSystemModal);
        if (silentRecovery) {
            switchToMode(kDefaultTreeMode);
        }
        return LoadResult::BadFormat;
    };

    endedEarly_ = false;
    ArchiveReader archive(bytes);
    std::uint16_t schema = 0;
    std::uint32_t mode = kDefaultTreeMode;
    try {
        schema = archive.readClass(kDocumentClass);
        if (schema == kDocumentSchema) {
            mode = archive.readDword();
        }
    } catch (const ArchiveError&) {
        // Not even the document's own record: this is no configuration.
        return badFormat();
    }

    if (schema == kFirstSchema || schema == kNoSchema) {
        ui_.showMessage(kOutdatedFileText, kFileOpenFailureCaption, MessageIcon::Exclamation,
                        kMessageSystemModal);
        return LoadResult::Outdated;
    }
    if (schema != kDocumentSchema && schema != kModelessSchema) {
        ui_.showMessage(kCorruptFileText, kFileOpenFailureCaption, MessageIcon::Exclamation,
                        kMessageSystemModal);
        return LoadResult::Corrupt;
    }

    switchToMode(mode);
    if (!hasTree()) {
        return LoadResult::TreeUnavailable;
    }
    try {
        loadBranch(archive, *tree_.root);
    } catch (const ArchiveError& error) {
        // A file that ends early keeps what was read, without a word.
        if (error.kind() != ArchiveError::Kind::EndOfFile) {
            return badFormat();
        }
        endedEarly_ = true;
    }
    modified_ = false;
    return LoadResult::Loaded;
}

bool TarnDocument::saveFile(const std::filesystem::path& path, std::string* error) const {
    const std::vector<std::uint8_t> bytes = serialize();
    QSaveFile file(qpath(path));
    bool ok = file.open(QIODevice::WriteOnly);
    ok = ok && file.write(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    ok = ok && file.commit();
    if (!ok) {
        if (error != nullptr) {
            *error = file.errorString().toStdString();
        }
        file.cancelWriting();
    }
    return ok;
}

TarnDocument::LoadResult TarnDocument::loadFile(const std::filesystem::path& path,
                                                bool silentRecovery, std::string* error) {
    QFile file(qpath(path));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr) {
            *error = file.errorString().toStdString();
        }
        return LoadResult::Unreadable;
    }
    const QByteArray data = file.readAll();
    const auto* first = reinterpret_cast<const std::uint8_t*>(data.constData());
    return deserialize(std::span(first, static_cast<std::size_t>(data.size())), silentRecovery);
}

}  // namespace tarn
