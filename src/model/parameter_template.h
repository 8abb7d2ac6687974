// The description's record of one parameter line.
//
// Branches hold copies of these records until the tree is instantiated; each
// copy then becomes one Parameter of the branch.
#pragma once

#include <string>

namespace tarn {

struct ParameterTemplate {
    // The name on the wire; a leading "!" marks a parameter that is shown but
    // never written.
    std::string networkName;
    // The value type as Parameter understands it, possibly with a variant
    // ("int:1").
    std::string typeText;
    // As written: "_" stands for a blank.
    std::string caption;
    double lowerLimit = 0.0;
    double upperLimit = 0.0;
    // False for "noattr": the module keeps no access attributes for it.
    bool attributeFlag = true;
    // From an "init" line, blanks already in place; empty when none.
    std::string initialValue;
    // 0: in no table; 1 to 5: tables 1 to 5.
    int tableNumber = 0;
    int multiplicity = 0;
    // 0: none, 1: "+", 2: "*" behind the table word.
    int tableMode = 0;

    friend bool operator==(const ParameterTemplate&, const ParameterTemplate&) = default;
};

}  // namespace tarn
