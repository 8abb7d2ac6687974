// A tree file loaded through the real description parser, flattened for the
// checks of the committed tree files: every parameter with its place, what
// the loader complained about, and lines the loader accepts but that cannot
// mean what they say (a rule or init that comes after a branch has copied
// the parameter).
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::testing {

struct WalkedParameter {
    std::string path;         // instantiated branch names from the root, joined by "/"
    std::string networkName;  // without the marks "@" and "!"
    bool accessible = true;
    bool attributes = true;
    std::string type;     // after the split of a numeric type's variant
    std::string caption;  // "_" shown as blanks; a lone parameter takes its branch's name
    bool hasIndex = false;
    int index = 0;
    double lower = 0;
    double upper = 0;
    std::string initialValue;
    bool scanner = false;  // in the scanners section
};

struct WalkedTree {
    std::vector<std::string> problems;  // empty when a loader would take the file silently
    std::vector<WalkedParameter> parameters;
    std::vector<std::string> branchPaths;  // every instantiated branch, root first
    bool hasRoot = false;
    bool hasScanners = false;
    // Language features the file uses: "const", "type", "type again", "rule",
    // "init", "noattr", "table1".."table5", "table+", "table*", "@", "!",
    // "comment ;", "comment '", "*N", "+E", "K20", "#", "tab".
    std::set<std::string> features;
};

// `text` is UTF-8.
WalkedTree walkTreeFile(std::string_view text);

}  // namespace tarn::testing
