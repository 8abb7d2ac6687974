#include "app/recent_files.h"

#include "platform/settings_store.h"

namespace tarn {

namespace {
constexpr const char* kRecentName = "Recent File List";
}

RecentFiles::RecentFiles(SettingsStore& settings) : settings_(settings) {
    for (const auto& path :
         settings_.readStringList(SettingsStore::Scope::User, kFrameworkKey, kRecentName)) {
        if (paths_.size() < kCount) {
            paths_.push_back(QString::fromStdString(path));
        }
    }
}

void RecentFiles::add(const QString& path) {
    paths_.removeAll(path);
    paths_.prepend(path);
    while (paths_.size() > kCount) {
        paths_.removeLast();
    }
    store();
}

void RecentFiles::remove(const QString& path) {
    paths_.removeAll(path);
    store();
}

void RecentFiles::store() {
    std::vector<std::string> list;
    for (const QString& path : paths_) {
        list.push_back(path.toStdString());
    }
    settings_.writeStringList(SettingsStore::Scope::User, kFrameworkKey, kRecentName, list);
}

}  // namespace tarn
