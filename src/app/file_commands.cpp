#include "app/file_commands.h"

#include <QFileDialog>
#include <QFileInfo>

#include "app/recent_files.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "description/tree_modes.h"
#include "model/port_settings.h"
#include "platform/user_interaction.h"
#include "ui/config_tree_dialog.h"

namespace tarn {
namespace {

constexpr const char* kUntitled = "Безымянный";
constexpr const char* kFileFilter = "TARN Files (*.tarn)";
constexpr std::string_view kSwitchModeQuestion =
    "Хотите переключиться на другой режим работы конфигуратора?";

}  // namespace

FileCommands::FileCommands(TarnDocument& document, DeviceLink& link, ExchangeEngine& engine,
                           UserInteraction& ui, RecentFiles& recent, bool unattended)
    : document_(document),
      link_(link),
      engine_(engine),
      ui_(ui),
      recent_(recent),
      unattended_(unattended) {}

void FileCommands::changed() const {
    if (hooks_.documentChanged) {
        hooks_.documentChanged();
    }
}

void FileCommands::recentChanged() const {
    if (hooks_.recentFilesChanged) {
        hooks_.recentFilesChanged();
    }
}

void FileCommands::setDocumentPath(const QString& path) {
    path_ = path;
    if (hooks_.titleChanged) {
        hooks_.titleChanged();
    }
}

QString FileCommands::documentTitle() const {
    return path_.isEmpty() ? QString(kUntitled) : QFileInfo(path_).fileName();
}

bool FileCommands::newDocument() {
    if (document_.hasTree() &&
        !ui_.askYesNo(kSwitchModeQuestion, "", MessageIcon::Information, true)) {
        return false;
    }
    const bool exitAllowed = !document_.hasTree();
    if (hooks_.detachView) {
        hooks_.detachView();
    }
    document_.setMode(0);
    document_.clearTree();
    if (hooks_.titleChanged) {
        hooks_.titleChanged();
    }
    std::uint32_t mode = kDefaultTreeMode;
    if (!unattended_) {
        mode = 0;
        CConfigTreeDlg dialog(mode, exitAllowed, hooks_.window ? hooks_.window() : nullptr);
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
    }
    document_.setMode(mode);
    if (!document_.loadTree()) {
        return false;
    }
    document_.programSettings().clearChanges();
    link_.OpenLink(portSettingsFrom(document_.programSettings()), true);
    path_.clear();
    document_.setModified(false);
    changed();
    return true;
}

TarnDocument::LoadResult FileCommands::openDocument(const QString& path, bool silentRecovery) {
    engine_.StopThreads();
    if (hooks_.detachView) {
        hooks_.detachView();
    }
    const auto result = document_.loadFile(path.toStdString(), silentRecovery, nullptr);
    if (result == TarnDocument::LoadResult::Loaded) {
        path_ = path;
        recent_.add(QFileInfo(path).absoluteFilePath());
    }
    changed();
    return result;
}

bool FileCommands::openFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        recent_.remove(QFileInfo(path).absoluteFilePath());
        recentChanged();
        ui_.showMessage("Файл не найден:\n" + path.toStdString(), "Ошибка открытия файла!",
                        MessageIcon::Exclamation);
        return false;
    }
    return openDocument(path) == TarnDocument::LoadResult::Loaded;
}

void FileCommands::chooseAndOpen() {
    const QString path = QFileDialog::getOpenFileName(hooks_.window ? hooks_.window() : nullptr,
                                                      "Открыть", QString(), kFileFilter);
    if (!path.isEmpty()) {
        openFile(path);
    }
}

bool FileCommands::saveFile(const QString& path) {
    std::string error;
    if (!document_.saveFile(path.toStdString(), &error)) {
        ui_.showMessage("Не удалось сохранить файл " + path.toStdString() + ":\n" + error, "Ошибка",
                        MessageIcon::Error);
        return false;
    }
    document_.setModified(false);
    recent_.add(QFileInfo(path).absoluteFilePath());
    recentChanged();
    setDocumentPath(path);
    return true;
}

bool FileCommands::storeQuietly(const QString& path) {
    if (!document_.saveFile(path.toStdString())) {
        return false;
    }
    document_.setModified(false);
    setDocumentPath(path);
    return true;
}

void FileCommands::save(bool askForName) {
    QString path = path_;
    if (askForName || path.isEmpty()) {
        path = QFileDialog::getSaveFileName(hooks_.window ? hooks_.window() : nullptr,
                                            "Сохранить как", path, kFileFilter);
        if (path.isEmpty()) {
            return;
        }
        if (QFileInfo(path).suffix().isEmpty()) {
            path += ".tarn";
        }
    }
    saveFile(path);
}

}  // namespace tarn
