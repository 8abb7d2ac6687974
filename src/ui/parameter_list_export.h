// The window's command "Экспорт списка параметров в HTML": the parameter
// list of the loaded tree written as "parlist.html" and opened in the
// user's browser.
#pragma once

#include <QString>
#include <QUrl>
#include <filesystem>
#include <functional>

namespace tarn {

class DescBranch;
class UserInteraction;

// Where the page goes: the program folder when the program runs from a
// folder of its own (a build tree or a copied folder, the container beside
// it) and may write there; otherwise the user's data folder
// (QStandardPaths::AppDataLocation), created when missing.
std::filesystem::path parameterListFolder(const std::filesystem::path& programFolder);

// Writes the page of the tree below `root` (null: a page without sections)
// into parameterListFolder(programFolder()) under a wait cursor, then hands
// its address to `open` (the browser by default). A page that cannot be
// written is reported through `ui` and nothing is opened. Returns the text
// for the status bar, which says where the page is.
QString exportParameterList(const DescBranch* root, UserInteraction& ui,
                            const std::function<bool(const QUrl&)>& open = {});

// The same, for the program in `programFolder`.
QString exportParameterList(const DescBranch* root, UserInteraction& ui,
                            const std::filesystem::path& programFolder,
                            const std::function<bool(const QUrl&)>& open = {});

}  // namespace tarn
