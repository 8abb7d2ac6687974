// The value converters: data bytes of an answer decoded into a value text,
// texts typed by the user checked, and value texts encoded for a write.
//
// Input: byte 0 chooses the value type and byte 1 the network name (from the
// lists below; beyond them the input writes its own), byte 2 is the number of
// data bytes that follow (at most 20). The rest are CP1251 texts separated by
// tabs: the text the user typed, the lower and upper limit, the value type
// and the network name of the input's own choosing.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "model/my_converter.h"
#include "platform/numbers.h"
#include "platform/text.h"

using namespace tarn;

namespace {

constexpr std::array<const char*, 11> kTypes = {"int",     "float", "CLK_frm", "string",
                                                "ASCI",    "name",  "void",    "INT",
                                                "Float:2", "int:1", "Нет:Да"};

constexpr std::array<const char*, 20> kNames = {
    "dev",   "ver",  "exit",  "bPS", "LEn",  "PrtY",  "Sbit", "A.Len",  "Addr", "APLY",
    "CHAr*", "SoUr", "Alr.t", "tHP", "tP.H", "CLB.K", "POUt", "r.oe.s", "DEV",  "X"};

constexpr std::size_t kMaxData = 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::size_t dataLength = std::min<std::size_t>({data[2], kMaxData, size - 3});
    const std::vector<std::uint8_t> answer(data + 3, data + 3 + dataLength);
    std::vector<std::string> fields;
    std::string_view rest = fuzz::asText(data + 3 + dataLength, size - 3 - dataLength);
    while (fields.size() < 5) {
        const std::size_t tab = rest.find('\t');
        fields.push_back(text::fromCp1251(rest.substr(0, tab)));
        rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
    }
    const std::string& typed = fields[0];

    MyConverter converter;
    converter.setValueType(data[0] < kTypes.size() ? std::string(kTypes[data[0]]) : fields[3]);
    converter.setNetworkName(data[1] < kNames.size() ? std::string(kNames[data[1]]) : fields[4]);
    converter.setLimits(numbers::leadingReal(fields[1]), numbers::leadingReal(fields[2]));

    // An answer's data bytes.
    const std::string before = converter.valueText();
    const int decoded = converter.ConvertFromData(answer);
    fuzzCheck(decoded == MyConverter::kConverted || decoded == MyConverter::kNotConvertible ||
              decoded == MyConverter::kNoConversion);
    if (decoded == MyConverter::kNotConvertible) {
        fuzzCheck(converter.valueText() == before);
    }
    // The value text is whole characters that a CP1251 file can hold.
    fuzzCheck(text::representableInCp1251(converter.valueText()));

    // The decoded value written back.
    std::vector<std::uint8_t> encoded;
    std::string message;
    const int written = converter.ConvertToData(converter.valueText(), encoded, &message);
    fuzzCheck(written == MyConverter::kConverted || written == MyConverter::kNotConvertible ||
              written == MyConverter::kNoConversion);
    fuzzCheck(encoded.size() <= 4);
    const bool ownConversion =
        converter.hasName("dev") || converter.hasName("ver") || converter.hasName("exit") ||
        converter.hasName("bPS") || converter.hasName("LEn") || converter.hasName("PrtY") ||
        converter.hasName("Sbit") || converter.hasName("A.Len") || converter.hasName("APLY");
    const ValueKind kind = converter.valueKind();
    if (decoded == MyConverter::kConverted && !ownConversion &&
        (kind == ValueKind::Integer || kind == ValueKind::Clock)) {
        // A number or a time the module sent writes back as the same value.
        fuzzCheck(written == MyConverter::kConverted);
        const std::string shown = converter.valueText();
        MyConverter again = converter;
        fuzzCheck(again.ConvertFromData(encoded) == MyConverter::kConverted);
        fuzzCheck(again.valueText() == shown);
    }

    // A typed text: checked, and what the check accepts is encoded.
    if (const auto accepted = converter.checkUserInput(typed)) {
        encoded.clear();
        (void)converter.ConvertToData(*accepted, encoded, &message);
        fuzzCheck(encoded.size() <= 4);
    }
    encoded.clear();
    (void)converter.ConvertToData(typed, encoded, &message);
    fuzzCheck(encoded.size() <= 4);
    (void)converter.typeItems();
    return 0;
}
