// A ParameterExchanger for tests: records every call, fails the parameters
// it is told to fail and raises the stop request after a given number of
// exchanges.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/parameter.h"
#include "model/parameter_exchanger.h"

namespace tarn::testing {

class RecordingExchanger : public ParameterExchanger {
public:
    OperationResult ReadParameter(Parameter& parameter) override {
        return exchange("read", parameter);
    }
    OperationResult WriteParameter(Parameter& parameter, int mode) override {
        return exchange("write" + std::to_string(mode), parameter);
    }
    OperationResult CompareParameter(Parameter& parameter) override {
        return exchange("compare", parameter);
    }
    bool stopRequested() const override { return stop; }
    void ProgressLine(std::string_view text) override { log.push_back("| " + std::string(text)); }

    std::vector<std::string> log;
    // Result per network name; success for names not listed.
    std::map<std::string, OperationResult> results;
    bool stop = false;
    // The stop request rises after this many exchanges (never when negative).
    int stopAfter = -1;

private:
    OperationResult exchange(const std::string& what, Parameter& parameter) {
        log.push_back(what + " " + parameter.networkName());
        ++exchanges_;
        if (stopAfter >= 0 && exchanges_ >= stopAfter) {
            stop = true;
        }
        const auto found = results.find(parameter.networkName());
        return found == results.end() ? OperationResult() : found->second;
    }
    int exchanges_ = 0;
};

}  // namespace tarn::testing
