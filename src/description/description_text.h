// The lexical level of the device description: lines and words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// The lines of a description text, cut at every run of CR and LF characters,
// so no line is empty. The text ends at its first NUL character, as the
// description has always been handled as a C string. The lines are views of
// `text`.
std::vector<std::string_view> descriptionLines(std::string_view text);

// The words of one line, cut at every run of blanks and tabs; leading and
// trailing blanks and tabs are dropped. There is no quoting.
std::vector<std::string> descriptionWords(std::string_view line);

}  // namespace tarn
