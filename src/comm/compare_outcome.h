// What the compare of one parameter found: the configuration's side and the
// module's side. The engine keeps one for every parameter a compare task
// compared, differences and equal ones alike, so that a report can list all
// of them (the compare's message box shows only the first differences).
#pragma once

#include <cstdint>
#include <string>

#include "model/exchange_result.h"

namespace tarn {

class Parameter;

struct CompareOutcome {
    // The configuration's parameter; it lives as long as the tree that was
    // compared.
    const Parameter* parameter = nullptr;
    std::string networkName;
    bool hasLinearIndex = false;
    std::int32_t linearIndex = 0;
    std::string caption;
    // The configuration when it was compared.
    std::string configurationValue;
    bool configurationEditable = true;
    bool configurationOwnerIsFirm = false;
    // What the module holds. When the read failed, the value is that of a
    // fresh parameter ("Нет данных") and `moduleStatus` says why.
    std::string moduleValue;
    bool moduleEditable = true;
    bool moduleOwnerIsFirm = false;
    std::string moduleStatus;
    ExchangeResult result = ExchangeResult::Ok;  // of the module's read
    bool differs = false;
};

}  // namespace tarn
