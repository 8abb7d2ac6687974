#include "ui/parameter_list_export.h"

#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include "document/parameter_list_html.h"
#include "platform/companion_files.h"
#include "ui/wait_cursor.h"

namespace tarn {
namespace {

QString qpath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

std::filesystem::path parameterListFolder(const std::filesystem::path& programFolder) {
    // An installed program's folder (bin/ of the system) is no place for the
    // user's files, even for a user who could write there.
    if (companionFilesBeside(programFolder) && QFileInfo(qpath(programFolder)).isWritable()) {
        return programFolder;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data.toStdString();
}

QString exportParameterList(const DescBranch* root, UserInteraction& ui,
                            const std::function<bool(const QUrl&)>& open) {
    return exportParameterList(root, ui, programFolder(), open);
}

QString exportParameterList(const DescBranch* root, UserInteraction& ui,
                            const std::filesystem::path& programFolder,
                            const std::function<bool(const QUrl&)>& open) {
    const std::filesystem::path file = parameterListFolder(programFolder) / kParameterListFileName;
    bool written = false;
    {
        WaitCursor wait;
        written = writeParameterList(
            root, file, companionFilePath(programFolder, kParameterListAppendixFileName), ui);
    }
    if (!written) {
        return QStringLiteral("Список параметров не записан");
    }
    const QUrl url = QUrl::fromLocalFile(qpath(file));
    if (open) {
        open(url);
    } else {
        QDesktopServices::openUrl(url);
    }
    return QStringLiteral("Список параметров записан в ") + qpath(file);
}

}  // namespace tarn
