// The commands of tarn-pack, the tree container builder.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tarn::pack {

// Exit codes of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a file could not be read or written, or is damaged
inline constexpr int kExitUsage = 2;   // the command line is wrong

// build OUT FILE...: one stream per file, named as the file's base name,
// holding the file's bytes as one zlib stream.
int buildContainer(const std::string& output, const std::vector<std::string>& files,
                   std::ostream& out, std::ostream& err);

// list FILE: every entry of the root storage with its stored and inflated size.
int listContainerStreams(const std::string& container, std::ostream& out, std::ostream& err);

// extract FILE STREAM [OUT]: the inflated text of one stream, to OUT or to
// standard output when OUT is empty or "-".
int extractStream(const std::string& container, const std::string& stream,
                  const std::string& output, std::ostream& out, std::ostream& err);

}  // namespace tarn::pack
