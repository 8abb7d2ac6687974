#include "platform/settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "platform/qt_strings.h"

namespace tarn {
SettingsStore::SettingsStore(std::optional<std::string> directory)
    : directory_(std::move(directory)) {}

SettingsStore SettingsStore::fromEnvironment() {
    const char* dir = std::getenv("TARN_SETTINGS_DIR");
    if (dir != nullptr && *dir != '\0') {
        return SettingsStore(std::string(dir));
    }
    return SettingsStore();
}

namespace {

std::unique_ptr<QSettings> open(const std::optional<std::string>& directory,
                                SettingsStore::Scope scope) {
    const bool user = scope == SettingsStore::Scope::User;
    if (directory) {
        const QString file = QDir(qstr(*directory)).filePath(user ? "user.ini" : "machine.ini");
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    if (scope == SettingsStore::Scope::System) {
        auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::SystemScope,
                                                    "BRIX", "TARN");
        // Only the program's own file: nothing else may stand in for it.
        settings->setFallbacksEnabled(false);
        return settings;
    }
    auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "BRIX",
                                                user ? "TARN-user" : "TARN");
    settings->setFallbacksEnabled(!user);
    return settings;
}

bool groupExists(QSettings& settings, std::string_view key) {
    const QString path = qstr(key);
    // A group exists when it holds a value or a subgroup.
    settings.beginGroup(path);
    const bool exists = !settings.childKeys().isEmpty() || !settings.childGroups().isEmpty();
    settings.endGroup();
    return exists;
}

bool canWrite(QSettings& settings) {
    if (!settings.isWritable()) {
        return false;
    }
    // QSettings reports a file in a missing or read-only folder as writable
    // until it tries; check the folder as well.
    const QFileInfo file(settings.fileName());
    if (file.exists()) {
        return file.isWritable();
    }
    QDir dir = file.absoluteDir();
    while (!dir.exists()) {
        if (!dir.cdUp()) {
            return false;
        }
    }
    return QFileInfo(dir.absolutePath()).isWritable();
}

}  // namespace

std::string SettingsStore::filePath(Scope scope) const {
    return utf8(open(directory_, scope)->fileName());
}

bool SettingsStore::writable(Scope scope) const {
    auto settings = open(directory_, scope);
    return canWrite(*settings);
}

bool SettingsStore::keyExists(Scope scope, std::string_view key) const {
    auto settings = open(directory_, scope);
    return groupExists(*settings, key);
}

SettingsStore::Status SettingsStore::readInt(Scope scope, std::string_view key,
                                             std::string_view name, std::int32_t& value) const {
    auto settings = open(directory_, scope);
    if (!groupExists(*settings, key)) {
        return Status::KeyMissing;
    }
    const QString path = qstr(key) + "/" + qstr(name);
    if (!settings->contains(path)) {
        return Status::ValueMissing;
    }
    bool ok = false;
    const qlonglong number = settings->value(path).toLongLong(&ok);
    if (!ok || number < INT32_MIN || number > INT32_MAX) {
        return Status::ReadFailed;
    }
    value = static_cast<std::int32_t>(number);
    return Status::Ok;
}

SettingsStore::Status SettingsStore::readString(Scope scope, std::string_view key,
                                                std::string_view name, std::string& value) const {
    auto settings = open(directory_, scope);
    if (!groupExists(*settings, key)) {
        return Status::KeyMissing;
    }
    const QString path = qstr(key) + "/" + qstr(name);
    if (!settings->contains(path)) {
        return Status::ValueMissing;
    }
    const QVariant stored = settings->value(path);
    if (!stored.canConvert<QString>()) {
        return Status::ReadFailed;
    }
    value = utf8(stored.toString());
    return Status::Ok;
}

std::vector<std::string> SettingsStore::readStringList(Scope scope, std::string_view key,
                                                       std::string_view name) const {
    auto settings = open(directory_, scope);
    std::vector<std::string> values;
    for (const QString& item : settings->value(qstr(key) + "/" + qstr(name)).toStringList()) {
        values.push_back(utf8(item));
    }
    return values;
}

namespace {

template <typename Value>
SettingsStore::Status writeValue(QSettings& settings, std::string_view key, std::string_view name,
                                 const Value& value, bool createKey) {
    if (!canWrite(settings)) {
        return SettingsStore::Status::KeyMissing;
    }
    if (!createKey && !groupExists(settings, key)) {
        return SettingsStore::Status::KeyMissing;
    }
    settings.setValue(qstr(key) + "/" + qstr(name), value);
    settings.sync();
    return settings.status() == QSettings::NoError ? SettingsStore::Status::Ok
                                                   : SettingsStore::Status::KeyMissing;
}

}  // namespace

SettingsStore::Status SettingsStore::writeInt(Scope scope, std::string_view key,
                                              std::string_view name, std::int32_t value,
                                              bool createKey) {
    auto settings = open(directory_, scope);
    return writeValue(*settings, key, name, QVariant(value), createKey);
}

SettingsStore::Status SettingsStore::writeString(Scope scope, std::string_view key,
                                                 std::string_view name, std::string_view value,
                                                 bool createKey) {
    auto settings = open(directory_, scope);
    return writeValue(*settings, key, name, QVariant(qstr(value)), createKey);
}

SettingsStore::Status SettingsStore::writeStringList(Scope scope, std::string_view key,
                                                     std::string_view name,
                                                     const std::vector<std::string>& values) {
    QStringList list;
    for (const auto& value : values) {
        list.push_back(qstr(value));
    }
    auto settings = open(directory_, scope);
    return writeValue(*settings, key, name, QVariant(list), true);
}

}  // namespace tarn
