// "tarn -html:FILE [configuration.tarn]": the HTML parameter list written
// without a window, a module or a browser, for scripts and documentation
// builds.
#pragma once

#include "app/command_line.h"

namespace tarn {

// Exit codes of the export; they stay clear of the codes of a run with the
// module (200-206) and of the start without a display (2).
inline constexpr int kHtmlExportWritten = 0;
inline constexpr int kHtmlExportCannotWrite = 3;
inline constexpr int kHtmlExportNoTree = 4;

// Loads the tree of the configuration file's operating mode (the default
// mode without a file) and writes the page to `line.htmlPath`. Messages go
// to standard error. Relative paths are the caller's: they are taken
// against the current folder, which must still be the caller's.
int runHtmlExport(const CommandLine& line);

}  // namespace tarn
