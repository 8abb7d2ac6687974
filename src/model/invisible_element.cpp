#include "model/invisible_element.h"

#include "platform/text.h"

namespace tarn {

InvisibleElement::InvisibleElement() : name_(kDefaultKindCaption) {}

InvisibleElement::InvisibleElement(std::string name) : name_(std::move(name)) {}

int InvisibleElement::setValueByName(std::string_view networkName, std::string value, bool mark) {
    if (text::equalsNoCase(networkName, kRenameName)) {
        name_ = std::move(value);
        return kElementRenamed;
    }
    return ObjectWithParameters::setValueByName(networkName, std::move(value), mark);
}

std::string InvisibleElement::fullCaption() const {
    return name_ + " (" + kindCaption() + ")";
}

ExchangeCounts InvisibleElement::compareAll(ParameterExchanger& engine) {
    if (engine.stopRequested()) {
        return {};
    }
    engine.ProgressLine("Сравниваем ветвь '" + name_ + "'");
    return compareOwn(engine);
}

ExchangeCounts InvisibleElement::readAll(ParameterExchanger& engine) {
    if (engine.stopRequested()) {
        return {};
    }
    engine.ProgressLine("Читаем ветвь '" + name_ + "'");
    return readOwn(engine);
}

ExchangeCounts InvisibleElement::writeAll(ParameterExchanger& engine, int mode) {
    if (engine.stopRequested()) {
        return {};
    }
    if (mode > 0 || hasParameterToWrite(mode)) {
        engine.ProgressLine("Пишем ветвь '" + name_ + "'");
    }
    return writeOwn(engine, mode);
}

GroupRow InvisibleElement::groupRow(bool withIndex, UserInteraction& ui) {
    GroupRow row;
    row.itemText = name_;
    row.image = image();
    row.selectedImage = selectedImage();
    if (withIndex) {
        const std::int32_t index = commonLinearIndex(ui);
        if (index >= 0) {
            row.indexCell = "(" + std::to_string(index) + ")";
        }
    }
    return row;
}

}  // namespace tarn
