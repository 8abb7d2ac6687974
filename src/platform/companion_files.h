// The files the program reads besides its configurations: the tree
// container, the manual and the appendix of the HTML parameter list.
//
// They sit beside the executable in the build tree and in a copied folder;
// an installed program finds them in the data folder of the installation
// (../share/tarn relative to bin/).
#pragma once

#include <filesystem>
#include <string_view>

namespace tarn {

// The folder of the running executable (from /proc/self/exe); empty when it
// cannot be determined.
std::filesystem::path programFolder();

// Where the companion file `name` is: beside the executable when it is
// there, else in the installation's data folder when it is there; otherwise
// the place beside the executable (so that a message names where it was
// looked for). Just the name, relative to the current folder, when the
// program folder is unknown.
std::filesystem::path companionFilePath(std::string_view name);

// The same lookup for an executable in `folder`.
std::filesystem::path companionFilePath(const std::filesystem::path& folder, std::string_view name);

// The installation's data folder as seen from an executable in `folder`.
std::filesystem::path installedDataFolder(const std::filesystem::path& folder);

// Whether the companion files of an executable in `folder` sit beside it (a
// build tree or a copied folder) rather than in an installation's data
// folder.
bool companionFilesBeside(const std::filesystem::path& folder);

}  // namespace tarn
