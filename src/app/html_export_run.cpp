#include "app/html_export_run.h"

#include <filesystem>
#include <string>

#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "document/parameter_list_html.h"
#include "document/tarn_document.h"
#include "platform/companion_files.h"
#include "platform/console_user_interaction.h"
#include "platform/settings_store.h"
#include "platform/user_interaction.h"

namespace tarn {

int runHtmlExport(const CommandLine& line) {
    ConsoleUserInteraction console;
    UserInteraction& ui = console;
    if (line.htmlPath.empty()) {
        ui.showMessage("Не указан файл списка параметров: -html:ФАЙЛ", kParameterListErrorCaption,
                       MessageIcon::Error);
        return kHtmlExportCannotWrite;
    }
    SettingsStore settings = SettingsStore::fromEnvironment();
    TarnDocument document(ui, settings, treeContainerPath());

    if (line.fileName.empty()) {
        document.switchToMode(kDefaultTreeMode);
    } else {
        std::string error;
        const auto loaded =
            document.loadFile(std::filesystem::absolute(line.fileName), false, &error);
        if (loaded == TarnDocument::LoadResult::Unreadable) {
            ui.showMessage("Не удалось открыть файл " + line.fileName + ":\n" + error,
                           kFileOpenFailureCaption, MessageIcon::Error);
            return kHtmlExportNoTree;
        }
    }
    if (!document.hasTree()) {
        // What went wrong has been told (the container, the description or
        // the file).
        return kHtmlExportNoTree;
    }
    const bool written =
        writeParameterList(document.root(), std::filesystem::absolute(line.htmlPath),
                           companionFilePath(kParameterListAppendixFileName), ui);
    return written ? kHtmlExportWritten : kHtmlExportCannotWrite;
}

}  // namespace tarn
