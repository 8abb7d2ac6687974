// DescBranch: a branch of the parameter tree, built from the device
// description.
//
// The parser creates branch templates holding parameter templates and
// copies of other branch templates; instantiating the root turns every
// template into a Parameter, names repeated branches ("Выход №3") and numbers
// the members of repeated branches with linear indices.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/instantiation_context.h"
#include "model/invisible_element.h"
#include "model/parameter_template.h"

namespace tarn {

class DescBranch;

// Kind of a member in the order the description listed it.
enum class MemberKind : std::uint8_t { Parameter = 0, Branch = 1 };

// One row the view shows under a branch, in order.
struct DisplayMember {
    enum class Kind {
        // The fixed row "Тип исполнительного механизма" of actuator blocks.
        ActuatorType,
        // A child branch, shown with its own members.
        Branch,
        // A parameter: an own one, or the single parameter of a child branch
        // that the parameter represents (`branch` is then that child).
        Parameter,
    };
    Kind kind = Kind::Parameter;
    DescBranch* branch = nullptr;
    Parameter* parameter = nullptr;
};

// The fixed row of actuator blocks ("БУИМ…" with number 9 or more).
inline constexpr std::string_view kActuatorTypeCaption = "Тип исполнительного механизма";
inline constexpr int kActuatorTypeImage = 30;
// Shown in column 2 (the value column).
inline constexpr std::string_view kActuatorTypeValue = "2 позиционный ИМ";

class DescBranch : public InvisibleElement {
public:
    DescBranch(std::string name, std::int32_t count, std::int32_t number, std::int32_t image,
               std::int32_t selectedImage);

    // A branch creates no parameters of its own: they come from instantiate().
    void fill() override {}

    std::int32_t count() const { return count_; }
    std::int32_t number() const { return number_; }
    // The instance count and number as a configuration file restores them.
    void setInstance(std::int32_t count, std::int32_t number) {
        count_ = count;
        number_ = number;
    }
    int image() const override { return image_; }
    int selectedImage() const override { return selectedImage_; }

    const std::vector<ParameterTemplate>& parameterTemplates() const { return templates_; }
    const std::vector<std::unique_ptr<DescBranch>>& children() const { return children_; }
    const std::vector<MemberKind>& memberOrder() const { return order_; }

    void addParameterTemplate(ParameterTemplate parameterTemplate);
    DescBranch& addChild(std::unique_ptr<DescBranch> child);

    // A copy of the name, count, number, images, parameter templates, member
    // order and of every child branch, all the way down. Parameters are not
    // copied: copies are made of templates, before instantiation.
    std::unique_ptr<DescBranch> clone() const;
    // The same; when `follow` is this branch or lies below it, `*followed`
    // receives its counterpart in the copy.
    std::unique_ptr<DescBranch> clone(const DescBranch* follow, DescBranch** followed) const;
    // Whether `node` is this branch or lies below it.
    bool contains(const DescBranch* node) const;

    // Own parameters as InvisibleElement does, then every child branch in
    // order; the counts are summed.
    ExchangeCounts compareAll(ParameterExchanger& engine) override;
    ExchangeCounts readAll(ParameterExchanger& engine) override;
    ExchangeCounts writeAll(ParameterExchanger& engine, int mode) override;
    void setNoData() override;

    // The parameter that stands for a branch with exactly one parameter and
    // no child branches; null for any other branch (it stands for itself).
    Parameter* representativeParameter() const;

    // Makes every indexed parameter of the tree below a scanner.
    void createPollingTimers();
    // Parameters of the tree below that qualify for a write in `mode`,
    // accessible or not (progress totals).
    int countToWrite(int mode) const;
    // Appends every scanner of the tree below, depth first; returns how many.
    int collectPolledParameters(std::vector<Parameter*>& list) const;
    // 1 when a scanner below is polling; otherwise the last child's state,
    // or for a branch without children 0 when it has a scanner, -1 when not.
    int pollingState() const;

    // Builds the parameters of this branch and of every child below from the
    // templates; see the implementation for the naming and numbering rules.
    // Runs once per tree. Returns the span of linear indices it used.
    std::int32_t instantiate(InstantiationContext& context, bool indexed, std::int32_t base);

    // Whether the view shows the fixed actuator-type row first.
    bool hasActuatorTypeRow() const;
    // The rows under this branch in the order the description listed the
    // members. The own parameters listed count as displayed.
    std::vector<DisplayMember> displayMembers();

private:
    std::unique_ptr<Parameter> createParameter(const ParameterTemplate& source, bool indexed,
                                               std::int32_t linearIndex) const;

    std::int32_t count_;
    std::int32_t number_;
    std::int32_t image_;
    std::int32_t selectedImage_;
    std::vector<ParameterTemplate> templates_;
    std::vector<std::unique_ptr<DescBranch>> children_;
    std::vector<MemberKind> order_;
};

// Visits every parameter of `branch` and of the branches below it, each
// branch's own parameters before its children's.
void forEachParameter(const DescBranch& branch, const std::function<void(Parameter&)>& visit);

}  // namespace tarn
