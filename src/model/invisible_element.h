// InvisibleElement: a named parameter group, the base of every tree node and
// of the fixed settings groups.
#pragma once

#include <string>
#include <string_view>

#include "model/object_with_parameters.h"

namespace tarn {

// What the view shows in a group's own row: the name in column 0 with the
// group's images, and the common linear index as "(n)" in column 1 while
// linear indices are shown and the index is known (empty otherwise).
struct GroupRow {
    std::string itemText;
    int image = 0;
    int selectedImage = 0;
    std::string indexCell;
};

class InvisibleElement : public ObjectWithParameters {
public:
    static constexpr std::string_view kDefaultKindCaption = "Невизуальный элемент";
    // The pseudo-name under which setValueByName renames the element.
    static constexpr std::string_view kRenameName = "Название";

    InvisibleElement();
    explicit InvisibleElement(std::string name);

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // "Название" renames the element and returns kElementRenamed; any other
    // name sets a parameter's value.
    int setValueByName(std::string_view networkName, std::string value, bool mark) override;

    virtual int image() const { return 0; }
    virtual int selectedImage() const { return 0; }
    virtual std::string kindCaption() const { return std::string(kDefaultKindCaption); }
    // name + " (" + kind caption + ")".
    std::string fullCaption() const;

    // Each writes its progress line ("Сравниваем ветвь '…'", "Читаем ветвь
    // '…'", "Пишем ветвь '…'"), then exchanges the own parameters. A write of
    // changed or initial values writes its line only when some parameter
    // qualifies. A task asked to stop returns at once without a line.
    ExchangeCounts compareAll(ParameterExchanger& engine) override;
    ExchangeCounts readAll(ParameterExchanger& engine) override;
    ExchangeCounts writeAll(ParameterExchanger& engine, int mode) override;

    // The element's row. The common linear index is determined (with its
    // warnings through `ui`) only when `withIndex` is set.
    GroupRow groupRow(bool withIndex, UserInteraction& ui);

private:
    std::string name_;
};

}  // namespace tarn
