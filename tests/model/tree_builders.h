// Small helpers that build branch templates the way the description does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/desc_branch.h"
#include "model/parameter_template.h"

namespace tarn::testing {

inline ParameterTemplate makeTemplate(std::string networkName, std::string type = "int",
                                      std::string caption = "Подпись") {
    ParameterTemplate result;
    result.networkName = std::move(networkName);
    result.typeText = std::move(type);
    result.caption = std::move(caption);
    return result;
}

// Every instance 1..count of a branch template, as a branch line creates them.
inline std::vector<std::unique_ptr<DescBranch>> makeInstances(
    const std::string& name, int count, const std::vector<ParameterTemplate>& templates,
    const std::vector<const DescBranch*>& children = {}) {
    std::vector<std::unique_ptr<DescBranch>> instances;
    for (int k = 1; k <= count; ++k) {
        auto branch = std::make_unique<DescBranch>(name, count, k, 5, 6);
        for (const auto& t : templates) {
            branch->addParameterTemplate(t);
        }
        for (const DescBranch* child : children) {
            branch->addChild(child->clone());
        }
        instances.push_back(std::move(branch));
    }
    return instances;
}

// A single root holding copies of every given instance.
inline std::unique_ptr<DescBranch> makeRoot(
    const std::vector<std::unique_ptr<DescBranch>>& members) {
    auto root = std::make_unique<DescBranch>("Корень", 1, 1, 1, 2);
    for (const auto& member : members) {
        root->addChild(member->clone());
    }
    return root;
}

}  // namespace tarn::testing
