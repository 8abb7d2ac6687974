#include "model/desc_branch.h"

#include <algorithm>
#include <new>

#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Removes a two-character suffix `mark` + digit from `name` and returns the
// digit; -1 (name unchanged) when the name does not end so.
int takeDigitSuffix(std::string& name, char mark) {
    const std::size_t size = name.size();
    if (size < 2 || name[size - 2] != mark || !isDigit(name[size - 1])) {
        return -1;
    }
    const int digit = name[size - 1] - '0';
    name.resize(size - 2);
    return digit;
}

// "int:1", "CLK_frm:2", "float:3": the type word with a variant digit.
// Returns the variant (1-3) and sets `word`, or 0 when the type has none.
int typeVariant(std::string_view type, std::string& word) {
    const std::size_t colon = type.find(':');
    if (colon == std::string_view::npos) {
        return 0;
    }
    const std::string_view first = type.substr(0, colon);
    std::string_view second = type.substr(colon + 1);
    second = second.substr(0, second.find(':'));
    if (!text::equalsNoCase(first, "int") && !text::equalsNoCase(first, "CLK_frm") &&
        !text::equalsNoCase(first, "float")) {
        return 0;
    }
    if (second != "1" && second != "2" && second != "3") {
        return 0;
    }
    word = std::string(first);
    return second[0] - '0';
}

// Indices and numbers are 32-bit fields; absurd descriptions wrap them
// instead of overflowing.
std::int32_t wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

DescBranch::DescBranch(std::string name, std::int32_t count, std::int32_t number,
                       std::int32_t image, std::int32_t selectedImage)
    : InvisibleElement(std::move(name)),
      count_(count),
      number_(number),
      image_(image),
      selectedImage_(selectedImage) {}

void DescBranch::addParameterTemplate(ParameterTemplate parameterTemplate) {
    templates_.push_back(std::move(parameterTemplate));
    order_.push_back(MemberKind::Parameter);
}

DescBranch& DescBranch::addChild(std::unique_ptr<DescBranch> child) {
    children_.push_back(std::move(child));
    order_.push_back(MemberKind::Branch);
    return *children_.back();
}

std::unique_ptr<DescBranch> DescBranch::clone() const {
    return clone(nullptr, nullptr);
}

std::unique_ptr<DescBranch> DescBranch::clone(const DescBranch* follow,
                                              DescBranch** followed) const {
    auto copy = std::make_unique<DescBranch>(name(), count_, number_, image_, selectedImage_);
    copy->templates_ = templates_;
    copy->order_ = order_;
    copy->children_.reserve(children_.size());
    for (const auto& child : children_) {
        copy->children_.push_back(child->clone(follow, followed));
    }
    if (follow == this && followed != nullptr) {
        *followed = copy.get();
    }
    return copy;
}

bool DescBranch::contains(const DescBranch* node) const {
    if (node == this) {
        return true;
    }
    return std::any_of(children_.begin(), children_.end(),
                       [node](const auto& child) { return child->contains(node); });
}

ExchangeCounts DescBranch::compareAll(ParameterExchanger& engine) {
    ExchangeCounts counts = InvisibleElement::compareAll(engine);
    for (auto& child : children_) {
        counts += child->compareAll(engine);
    }
    return counts;
}

ExchangeCounts DescBranch::readAll(ParameterExchanger& engine) {
    ExchangeCounts counts = InvisibleElement::readAll(engine);
    for (auto& child : children_) {
        counts += child->readAll(engine);
    }
    return counts;
}

ExchangeCounts DescBranch::writeAll(ParameterExchanger& engine, int mode) {
    ExchangeCounts counts = InvisibleElement::writeAll(engine, mode);
    for (auto& child : children_) {
        counts += child->writeAll(engine, mode);
    }
    return counts;
}

void DescBranch::setNoData() {
    InvisibleElement::setNoData();
    for (auto& child : children_) {
        child->setNoData();
    }
}

Parameter* DescBranch::representativeParameter() const {
    if (children_.empty() && parameterCount() == 1) {
        return parameters().front().get();
    }
    return nullptr;
}

void DescBranch::createPollingTimers() {
    for (const auto& parameter : parameters()) {
        if (parameter->hasLinearIndex()) {
            parameter->createPollingTimer();
        }
    }
    for (auto& child : children_) {
        child->createPollingTimers();
    }
}

int DescBranch::countToWrite(int mode) const {
    int count = 0;
    for (const auto& parameter : parameters()) {
        if (qualifiesForWrite(*parameter, mode)) {
            ++count;
        }
    }
    for (const auto& child : children_) {
        count += child->countToWrite(mode);
    }
    return count;
}

int DescBranch::collectPolledParameters(std::vector<Parameter*>& list) const {
    int added = 0;
    for (const auto& parameter : parameters()) {
        if (parameter->hasPollingTimer()) {
            list.push_back(parameter.get());
            ++added;
        }
    }
    for (const auto& child : children_) {
        added += child->collectPolledParameters(list);
    }
    return added;
}

int DescBranch::pollingState() const {
    bool hasScanner = false;
    for (const auto& parameter : parameters()) {
        if (parameter->hasPollingTimer()) {
            if (parameter->pollingActive()) {
                return 1;
            }
            hasScanner = true;
        }
    }
    int last = -1;
    for (const auto& child : children_) {
        last = child->pollingState();
        if (last == 1) {
            return 1;
        }
    }
    if (!children_.empty()) {
        return last;
    }
    return hasScanner ? 0 : -1;
}

// Naming and numbering, for instance k of a branch repeated C times:
// - the index base is h = C × base + k − 1;
// - a name ending in "*N" (N a digit) multiplies h by N; a name ending then
//   in "+E" adds E to h and to k (not to k for the branch "K20"); both marks
//   are removed from the name;
// - a repeated branch shows its number: every "#" of the name (one is
//   appended when there is none) becomes " №k"; the extra-element state
//   branch counts on from 9;
// - child branches are numbered on from h, indexed when this branch or one
//   above it repeats; d is the largest span of a child, at least 1;
// - "_" in the name becomes a blank;
// - parameters of indexed branches get the linear index d × h.
// The span of this branch is d × C.
std::int32_t DescBranch::instantiate(InstantiationContext& context, bool indexed,
                                     std::int32_t base) {
    std::string branchName = name();
    std::int32_t h = wrap32(std::int64_t{count_} * base + number_ - 1);
    if (const int factor = takeDigitSuffix(branchName, '*'); factor >= 0) {
        h = wrap32(std::int64_t{h} * factor);
    }
    if (const int extra = takeDigitSuffix(branchName, '+'); extra >= 0) {
        h = wrap32(std::int64_t{h} + extra);
        if (!text::equalsNoCase(branchName, "K20")) {
            number_ = wrap32(std::int64_t{number_} + extra);
        }
    }
    if (count_ > 1) {
        if (branchName.find('#') == std::string::npos) {
            if (text::equalsNoCase(branchName, "Состояние_дополнительного_ВЭ")) {
                number_ = wrap32(std::int64_t{number_} + 8);
            }
            branchName += '#';
        }
        branchName = text::replaceAll(branchName, "#", " №" + std::to_string(number_));
    }

    const bool repeated = indexed || count_ > 1;
    std::int32_t span = 1;
    for (auto& child : children_) {
        span = std::max(span, child->instantiate(context, repeated, h));
    }
    setName(text::replaceAll(branchName, "_", " "));

    for (const auto& source : templates_) {
        std::unique_ptr<Parameter> parameter;
        try {
            parameter = createParameter(source, repeated, wrap32(std::int64_t{span} * h));
        } catch (const std::bad_alloc&) {
            context.ui.showMessage("Серьезная нехватка памяти", "", MessageIcon::Error);
            continue;
        }
        if (parameter->hasName("POUt")) {
            const std::int32_t slot = parameter->linearIndex();
            if (slot >= 0 && slot < InstantiationContext::kOutputCount) {
                context.outputs[static_cast<std::size_t>(slot)] = parameter.get();
                parameter->setOutputSlot(&context.outputs[static_cast<std::size_t>(slot)]);
            }
        }
        addParameter(std::move(parameter));
    }
    if (children_.empty() && parameterCount() == 1) {
        parameters().front()->setCaption(name());
    }
    return wrap32(std::int64_t{span} * count_);
}

std::unique_ptr<Parameter> DescBranch::createParameter(const ParameterTemplate& source,
                                                       bool indexed,
                                                       std::int32_t linearIndex) const {
    std::string networkName = source.networkName;
    bool accessible = true;
    if (!networkName.empty() && networkName.front() == '!') {
        networkName.erase(0, 1);
        accessible = false;
    }
    auto parameter = std::make_unique<Parameter>(std::move(networkName));
    parameter->setCaption(text::replaceAll(source.caption, "_", " "));
    std::string typeWord;
    if (const int variant = typeVariant(source.typeText, typeWord); variant != 0) {
        parameter->setValueType(std::move(typeWord));
        parameter->setTypeVariant(variant);
    } else {
        parameter->setValueType(source.typeText);
    }
    parameter->setLimits(source.lowerLimit, source.upperLimit);
    parameter->setInitialValue(source.initialValue);
    parameter->setTableMode(source.tableMode);
    parameter->setAttributeKind(source.attributeFlag ? 1 : 0);
    parameter->setAccessible(accessible);
    if (indexed) {
        parameter->setHasLinearIndex(true);
        parameter->setLinearIndex(linearIndex);
    }
    return parameter;
}

bool DescBranch::hasActuatorTypeRow() const {
    return text::startsWithNoCase(name(), "БУИМ") && number_ >= 9;
}

std::vector<DisplayMember> DescBranch::displayMembers() {
    std::vector<DisplayMember> members;
    if (hasActuatorTypeRow()) {
        members.push_back({DisplayMember::Kind::ActuatorType, this, nullptr});
    }
    const auto& own = parameters();
    std::size_t nextParameter = 0;
    std::size_t nextChild = 0;
    auto addChildMember = [&](DescBranch* child) {
        if (Parameter* single = child->representativeParameter()) {
            members.push_back({DisplayMember::Kind::Parameter, child, single});
        } else {
            members.push_back({DisplayMember::Kind::Branch, child, nullptr});
        }
    };
    for (const MemberKind kind : order_) {
        if (kind == MemberKind::Parameter) {
            if (nextParameter < own.size()) {
                members.push_back(
                    {DisplayMember::Kind::Parameter, this, own[nextParameter++].get()});
            }
        } else if (nextChild < children_.size()) {
            addChildMember(children_[nextChild++].get());
        }
    }
    // Members the order does not list (none in a tree built from a
    // description) follow in their own order.
    while (nextParameter < own.size()) {
        members.push_back({DisplayMember::Kind::Parameter, this, own[nextParameter++].get()});
    }
    while (nextChild < children_.size()) {
        addChildMember(children_[nextChild++].get());
    }
    setDisplayedCount(static_cast<std::int32_t>(nextParameter));
    return members;
}

void forEachParameter(const DescBranch& branch, const std::function<void(Parameter&)>& visit) {
    for (const auto& parameter : branch.parameters()) {
        visit(*parameter);
    }
    for (const auto& child : branch.children()) {
        forEachParameter(*child, visit);
    }
}

}  // namespace tarn
