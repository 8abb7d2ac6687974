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
// trailing blanks and tabs are dropped. There is no quoting. The words are
// views of `line`; the second form fills `words`, so that the parser keeps
// one vector for every line.
std::vector<std::string_view> descriptionWords(std::string_view line);
void descriptionWords(std::string_view line, std::vector<std::string_view>& words);

}  // namespace tarn
