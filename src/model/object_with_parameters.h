// ObjectWithParameters: a group owning its parameters, with the operations
// that act on all of them.
//
// Every node of the parameter tree and every fixed settings group is one of
// these. Lookups by network name compare without regard to case and take the
// first match.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/parameter.h"
#include "model/parameter_exchanger.h"

namespace tarn {

class UserInteraction;

// Result of setting a value by name.
enum SetByNameResult : int {
    kNameNotFound = 0,
    kValueSet = 1,
    kElementRenamed = 3,  // the pseudo-name "Название" renamed the group
};

// Whether a parameter qualifies for a write in `mode`, accessible or not:
// any change (changed values), a non-empty initial value (initial values),
// always (all).
bool qualifiesForWrite(const Parameter& parameter, int mode);

class ObjectWithParameters {
public:
    ObjectWithParameters() = default;
    virtual ~ObjectWithParameters() = default;

    ObjectWithParameters(const ObjectWithParameters&) = delete;
    ObjectWithParameters& operator=(const ObjectWithParameters&) = delete;

    // Creates the group's fixed parameters; this base only deletes them all.
    virtual void fill();

    const std::vector<std::unique_ptr<Parameter>>& parameters() const { return parameters_; }
    std::size_t parameterCount() const { return parameters_.size(); }
    Parameter& addParameter(std::unique_ptr<Parameter> parameter);
    void deleteParameters();

    Parameter* find(std::string_view networkName);
    const Parameter* find(std::string_view networkName) const;

    // The value text, or an empty text when there is no such parameter.
    std::string valueByName(std::string_view networkName) const;
    // Sets the value text as it is. With `mark`, a value that differs from
    // the old one other than in letter case also marks the parameter changed.
    virtual int setValueByName(std::string_view networkName, std::string value, bool mark);

    void clearChanges();
    // 2 when any parameter has any change, else 0.
    int hasChanges() const;
    // Forgets every value (see Parameter::setNoData) and clears the changes.
    virtual void setNoData();

    // Every indexed parameter gets `index`; so does the common index.
    void setLinearIndex(std::int32_t index);
    // The linear index the group's parameters share: taken from the first
    // indexed parameter the first time; afterwards every indexed parameter
    // that differs is reported as a warning. -1 while undetermined.
    std::int32_t commonLinearIndex(UserInteraction& ui);
    std::int32_t storedCommonLinearIndex() const { return commonLinearIndex_; }

    // Group exchanges of the own parameters, in order. They end early when
    // the engine is asked to stop: before the first parameter, after each
    // parameter (a read: after each failed one).
    virtual ExchangeCounts compareAll(ParameterExchanger& engine);
    virtual ExchangeCounts readAll(ParameterExchanger& engine);
    // Writes the accessible parameters that qualify for `mode`.
    virtual ExchangeCounts writeAll(ParameterExchanger& engine, int mode);

    // Whether some accessible parameter qualifies for a write in `mode`.
    bool hasParameterToWrite(int mode) const;

    // The parameters the view shows under the group's row: the first `limit`
    // (all when negative); they count as displayed. The rest follows with
    // remainingForDisplay().
    std::vector<Parameter*> parametersForDisplay(int limit);
    std::vector<Parameter*> remainingForDisplay();
    int displayedCount() const { return displayedCount_; }
    void setDisplayedCount(int count) { displayedCount_ = count; }

protected:
    ExchangeCounts compareOwn(ParameterExchanger& engine);
    ExchangeCounts readOwn(ParameterExchanger& engine);
    ExchangeCounts writeOwn(ParameterExchanger& engine, int mode);

private:
    std::vector<std::unique_ptr<Parameter>> parameters_;
    std::int32_t commonLinearIndex_ = -1;
    std::int32_t displayedCount_ = 0;
};

}  // namespace tarn
