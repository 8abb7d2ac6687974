// A plain reading of a tree file for checking the committed tree files: it
// follows the description language line by line, instantiates the root and
// the scanners the way the document does, and lists every parameter with its
// place. It also reports what a loader would complain about, and lines that
// a loader accepts but that cannot mean what they say (a rule or init that
// comes after a branch has copied the parameter).
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
