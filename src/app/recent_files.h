// The list of the four configuration files opened last, kept per user.
#pragma once

#include <QStringList>

namespace tarn {

class SettingsStore;

class RecentFiles {
public:
    static constexpr int kCount = 4;

    explicit RecentFiles(SettingsStore& settings);
    const QStringList& paths() const { return paths_; }
    // Puts `path` first (once) and stores the list.
    void add(const QString& path);
    void remove(const QString& path);

private:
    void store();
    SettingsStore& settings_;
    QStringList paths_;
};

}  // namespace tarn
