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

TarnDocument::TarnDocument(UserInteraction& ui, SettingsStore& settings,
                           std::filesystem::path container)
    : ui_(ui),
      container_(std::move(container)),
      context_(ui),
      service_(settings),
      programSettings_(settings) {
    service_.fill();
    programSettings_.fill();
}

TarnDocument::~TarnDocument() {
    clearTree();
}

void TarnDocument::clearTree() {
    if (hooks_.stopPolling) {
        hooks_.stopPolling();
    }
    chosen_ = {};
    tree_ = ParameterTree{};
}

bool TarnDocument::loadTree() {
    const ModeTree tree = treeFileForMode(mode_);
    if (tree.fileName.empty()) {
        return false;
    }
    const TreeText text = readTreeText(container_, tree.fileName);
    if (!text.usable()) {
        ui_.showMessage(kTreeOpenErrorText, "", MessageIcon::Error);
        return false;
    }
    tree_ = buildParameterTree(text::fromCp1251(text.bytes), context_);
    if (hooks_.treeLoaded && hasTree()) {
        hooks_.treeLoaded(mode_);
    }
    return true;
}

bool TarnDocument::switchToMode(std::uint32_t mode) {
    clearTree();
    mode_ = mode;
    return loadTree();
}

std::vector<std::uint8_t> TarnDocument::serialize() const {
    ArchiveWriter archive;
    archive.writeClass(kDocumentClass, kDocumentSchema);
    archive.writeDword(mode_);
    if (tree_.root) {
        storeBranch(archive, *tree_.root);
    }
    return archive.bytes();
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
