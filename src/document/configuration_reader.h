// Reading a configuration file outside the program (tarn-dump, tarn-diff).
//
// The file goes through the program's own document: the tree of the stored
// operating mode is loaded from the tree container and instantiated, then
// filled by key, exactly as the program opens a file. The program's settings
// are left alone: the document's port settings live in a scratch store that
// goes with the reader.
#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/configuration_entries.h"

namespace tarn {

class SettingsStore;
class TarnDocument;
class UserInteraction;

class ConfigurationReader {
public:
    // What the document has to say while loading goes to `ui`, which must
    // outlive the reader. `container` is the tree container.
    ConfigurationReader(UserInteraction& ui, std::filesystem::path container);
    ~ConfigurationReader();
    ConfigurationReader(const ConfigurationReader&) = delete;
    ConfigurationReader& operator=(const ConfigurationReader&) = delete;

    // Reads the file. False, with the reason in `error`, when it cannot be
    // read, is not a configuration of this program, is damaged, ends before
    // its layout is complete, or its mode's tree cannot be loaded.
    bool read(const std::filesystem::path& path, std::string& error);

    // The stored operating mode (after read, also when the read failed at
    // the tree).
    std::uint32_t mode() const;

    // The entries of the tree the file filled; empty before a read.
    std::vector<ConfigurationEntry> entries() const;

    TarnDocument& document() { return *document_; }

private:
    class HeldMessages;

    UserInteraction& ui_;
    std::filesystem::path container_;
    QTemporaryDir settingsFolder_;
    std::unique_ptr<SettingsStore> settings_;
    // Declared before the document, which shows its messages through it.
    std::unique_ptr<HeldMessages> held_;
    std::unique_ptr<TarnDocument> document_;
};

}  // namespace tarn
