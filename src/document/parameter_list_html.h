// The HTML parameter list: a reference page of every parameter of a loaded
// description (network name, hash, caption, type, indexing, range,
// attributes), section by section, followed by a fixed appendix on the
// operative parameters and the data formats.
//
// The page is windows-1251 with CR LF line ends, as the engineers' browsers
// and the older lists it replaces expect. Building it contacts no module and
// shows nothing; writing it reports a failure through UserInteraction.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarn {

class DescBranch;
class UserInteraction;

// The page's file name.
inline constexpr std::string_view kParameterListFileName = "parlist.html";
// The companion file holding the appendix (windows-1251), copied verbatim.
inline constexpr std::string_view kParameterListAppendixFileName = "parlist-appendix.html";
// The caption of the message when the page cannot be written.
inline constexpr std::string_view kParameterListErrorCaption = "Экспорт списка параметров в HTML";

// The whole page for the tree below `root` (no sections when null), with
// `appendix` (windows-1251 bytes) copied in as it is. The result is
// windows-1251 with CR LF line ends.
std::string parameterListPage(const DescBranch* root, std::string_view appendix);

// The appendix's bytes; empty when the file is missing or cannot be read
// (the page is then completed without it).
std::string readParameterListAppendix(const std::filesystem::path& path);

// Writes the page to `file`, replacing a file that is there. The appendix is
// read from `appendix`. When the file cannot be created the user is told
// through `ui` and false is returned; `error` then holds the reason.
bool writeParameterList(const DescBranch* root, const std::filesystem::path& file,
                        const std::filesystem::path& appendix, UserInteraction& ui,
                        std::string* error = nullptr);

}  // namespace tarn
