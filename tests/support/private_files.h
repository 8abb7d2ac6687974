// Copies of the build's files for one test.
//
// The program reads its tree container exclusively (a second reader at the
// same moment fails, as a second instance of the program must), and the test
// processes run side by side. So every test that loads trees reads a copy of
// its own, and a test that runs a program gives it its own folder with a
// container beside it.
#pragma once

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"

namespace tarn::testing {

// A copy of build/bin/tarn.tree.dat in `folder`.
std::filesystem::path privateContainer(const ScratchFolder& folder);

// `folder`/bin holding the build's program `name` (a hard link, or a copy
// where links cannot be made) and a copy of the container; returns the
// program's path.
std::filesystem::path privateProgram(const ScratchFolder& folder, const std::string& name);

}  // namespace tarn::testing
