// MyConverter: a parameter's network name, value text and value type, and the
// conversion between the value text and the data bytes of a frame.
//
// The value type is a text of items separated by ":". Its first item is the
// type word ("int", "float", "CLK_frm" — matched without regard to case);
// "string", "ASCI", "name" and "void" are whole types; anything else is an
// enumeration whose items are all the items, each "_" shown as a blank.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// How a value type converts, in the order the conversions test it.
enum class ValueKind { Integer, Real, Clock, Void, Name, Text, Enumeration };

// Value text of a parameter whose value is not known. It is never written
// to the module.
inline constexpr std::string_view kNoData = "Нет данных";

class MyConverter {
public:
    // Result codes of the conversions.
    static constexpr int kConverted = 1;
    static constexpr int kNotConvertible = 0;
    static constexpr int kNoConversion = -1;

    // Name and value type empty.
    MyConverter();
    // Value text empty, value type "неизвестен".
    explicit MyConverter(std::string networkName);
    virtual ~MyConverter() = default;

    MyConverter(const MyConverter&) = default;
    MyConverter& operator=(const MyConverter&) = default;

    const std::string& networkName() const { return networkName_; }
    void setNetworkName(std::string name);
    // The hash of the network name (NetNameHash), kept with the name: files
    // and frames ask for it for every parameter.
    std::uint16_t nameHash() const { return nameHash_; }

    const std::string& valueText() const { return valueText_; }
    // Stores the text as it is, without any check.
    void setValueText(std::string text) { valueText_ = std::move(text); }

    const std::string& valueType() const { return valueType_; }
    void setValueType(std::string type);

    int typeVariant() const { return typeVariant_; }
    void setTypeVariant(int variant) { typeVariant_ = variant; }

    double upperLimit() const { return upperLimit_; }
    double lowerLimit() const { return lowerLimit_; }
    void setLimits(double lower, double upper) {
        lowerLimit_ = lower;
        upperLimit_ = upper;
    }
    bool hasLimits() const { return lowerLimit_ != 0.0 || upperLimit_ != 0.0; }

    // First non-empty item of the value type (empty when there is none).
    std::string typeWord() const;
    // Every non-empty item of the value type, each "_" replaced by a blank.
    std::vector<std::string> typeItems() const;
    // Kept with the type: every conversion and every row asks for it.
    ValueKind valueKind() const { return valueKind_; }
    bool isEnumeration() const { return valueKind() == ValueKind::Enumeration; }

    // Encodes `text` into data bytes. Returns kConverted (data set, possibly
    // empty), kNotConvertible (the value cannot be encoded) or kNoConversion
    // (no write conversion, or a malformed text). A name error also leaves its
    // text in `message` when given.
    int ConvertToData(std::string_view text, std::vector<std::uint8_t>& data,
                      std::string* message = nullptr) const;

    // Decodes data bytes. On kConverted the value text becomes the decoded
    // text; on kNoConversion it becomes the error message; kNotConvertible
    // leaves it unchanged.
    int ConvertFromData(std::span<const std::uint8_t> data);

    // Checks a text the user typed against the value type and the limits.
    // Returns the text to store (a "float" in its "%.3f" form), or nothing
    // when the text is rejected.
    std::optional<std::string> checkUserInput(std::string_view text) const;

    // Whether the network name equals `name`, without regard to case.
    bool hasName(std::string_view name) const;

private:
    bool wholeTypeIs(std::string_view type) const;
    ValueKind kindOfType() const;

    std::string networkName_;
    std::uint16_t nameHash_ = 0;
    std::string valueText_;
    std::string valueType_;
    ValueKind valueKind_;  // of valueType_, kept with it
    int typeVariant_ = 0;
    double upperLimit_ = 0.0;
    double lowerLimit_ = 0.0;
};

// The value of a "CLK_frm" text (fields joined by ":"), accumulated as the
// module expects it; empty when the text holds a character other than a digit
// or ":".
std::optional<std::uint16_t> clockValue(std::string_view text);

}  // namespace tarn
