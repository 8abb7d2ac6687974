// FileCommands: the commands of the "&Файл" menu — a new document (the
// operating mode), opening and saving configuration files, the recent
// files — and the path of the document's file.
#pragma once

#include <QString>
#include <functional>

#include "document/tarn_document.h"

class QWidget;

namespace tarn {

class DeviceLink;
class ExchangeEngine;
class RecentFiles;
class UserInteraction;

class FileCommands {
public:
    struct Hooks {
        // The rows of the view point into the tree: they go before it does.
        std::function<void()> detachView;
        // The document holds another tree or file: the views show it anew.
        std::function<void()> documentChanged;
        // The file's name changed: the title follows.
        std::function<void()> titleChanged;
        // The recent files changed: the menu follows.
        std::function<void()> recentFilesChanged;
        // The parent of the file and mode dialogs (may give null).
        std::function<QWidget*()> window;
    };

    // All of them must outlive the commands. `unattended`: a new document
    // takes the default operating mode without asking.
    FileCommands(TarnDocument& document, DeviceLink& link, ExchangeEngine& engine,
                 UserInteraction& ui, RecentFiles& recent, bool unattended);

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // "&Новый": asks whether to switch when a tree is loaded, then the mode
    // (the mode choice), loads its tree and opens the link anew. False when
    // no new tree was loaded.
    bool newDocument();
    // Reads the configuration file: on success the document is that file's.
    // With `silentRecovery`, see TarnDocument::loadFile.
    TarnDocument::LoadResult openDocument(const QString& path, bool silentRecovery = false);
    // As "Открыть" and the recent files do: a missing file is reported and
    // leaves the recent list.
    bool openFile(const QString& path);
    // "&Открыть...": the file dialog, then openFile.
    void chooseAndOpen();
    // "&Сохранить" (asks for a name only when the document has none) and
    // "Сохранить &как...".
    void save(bool askForName);
    // Writes the document to `path`; the document is then that file's.
    // Failures are reported.
    bool saveFile(const QString& path);
    // The unattended store: as saveFile, without a message or the recent
    // list.
    bool storeQuietly(const QString& path);

    // The document's file; empty for a new document.
    const QString& documentPath() const { return path_; }
    void setDocumentPath(const QString& path);
    // The file's name, or "Безымянный".
    QString documentTitle() const;

private:
    void changed() const;
    void recentChanged() const;

    TarnDocument& document_;
    DeviceLink& link_;
    ExchangeEngine& engine_;
    UserInteraction& ui_;
    RecentFiles& recent_;
    bool unattended_;
    Hooks hooks_;
    QString path_;
};

}  // namespace tarn
