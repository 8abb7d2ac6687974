#include "platform/archive.h"

#include "platform/text.h"

namespace tarn {
namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint32_t kMaxSmallNumber = 0x7FFE;

}  // namespace

// Little-endian, as the files have always been written. The bytes of a
// number go in at once: a file is some ten thousand numbers.
void ArchiveWriter::writeWord(std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                   static_cast<std::uint8_t>(value >> 8)};
    bytes_.insert(bytes_.end(), bytes, bytes + 2);
}

void ArchiveWriter::writeDword(std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
        static_cast<std::uint8_t>((value >> 16) & 0xFF), static_cast<std::uint8_t>(value >> 24)};
    bytes_.insert(bytes_.end(), bytes, bytes + 4);
}

void ArchiveWriter::writeText(std::string_view utf8) {
    text::toCp1251(utf8, text_);
    const std::size_t length = text_.size();
    if (length < 0xFF) {
        writeByte(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        writeByte(0xFF);
        writeWord(static_cast<std::uint16_t>(length));
    } else {
        writeByte(0xFF);
        writeWord(0xFFFF);
        writeDword(static_cast<std::uint32_t>(length));
    }
    bytes_.insert(bytes_.end(), text_.begin(), text_.end());
}

void ArchiveWriter::writeClass(std::string_view className, std::uint16_t schema) {
    for (const auto& entry : classes_) {
        if (entry.name == className) {
            if (entry.number <= kMaxSmallNumber) {
                writeWord(static_cast<std::uint16_t>(kClassTag | entry.number));
            } else {
                writeWord(kBigTag);
                writeDword(kBigClassTag | entry.number);
            }
            return;
        }
    }
    classes_.push_back({std::string(className), static_cast<std::uint32_t>(classes_.size() + 1)});
    writeWord(kNewClassTag);
    writeWord(schema);
    writeWord(static_cast<std::uint16_t>(className.size()));
    bytes_.insert(bytes_.end(), className.begin(), className.end());
}

void ArchiveReader::need(std::size_t count) const {
    if (bytes_.size() - position_ < count) {
        throw ArchiveError(ArchiveError::Kind::EndOfFile, "unexpected end of file");
    }
}

std::uint8_t ArchiveReader::readByte() {
    need(1);
    return bytes_[position_++];
}

std::uint16_t ArchiveReader::readWord() {
    need(2);
    const auto value = static_cast<std::uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
    position_ += 2;
    return value;
}

std::uint32_t ArchiveReader::readDword() {
    const std::uint32_t low = readWord();
    const std::uint32_t high = readWord();
    return low | (high << 16);
}

std::string_view ArchiveReader::textBytes() {
    std::size_t length = readByte();
    if (length == 0xFF) {
        length = readWord();
        if (length == 0xFFFE) {
            throw ArchiveError(ArchiveError::Kind::BadFormat, "wide-character text");
        }
        if (length == 0xFFFF) {
            length = readDword();
        }
    }
    need(length);
    const std::string_view bytes(reinterpret_cast<const char*>(bytes_.data()) + position_, length);
    position_ += length;
    return bytes;
}

std::string ArchiveReader::readText() {
    return text::fromCp1251(textBytes());
}

std::string_view ArchiveReader::readTextView() {
    text::fromCp1251(textBytes(), text_);
    return text_;
}

std::uint16_t ArchiveReader::readClass(std::string_view expectedClass) {
    const std::uint16_t tag = readWord();
    std::uint32_t number = 0;
    if (tag == kNewClassTag) {
        const std::uint16_t schema = readWord();
        const std::uint16_t length = readWord();
        need(length);
        std::string name(reinterpret_cast<const char*>(bytes_.data()) + position_, length);
        position_ += length;
        classes_.push_back({name, schema});
        number = static_cast<std::uint32_t>(classes_.size());
    } else if (tag == kBigTag) {
        const std::uint32_t big = readDword();
        if ((big & kBigClassTag) == 0) {
            throw ArchiveError(ArchiveError::Kind::BadFormat,
                               "object reference instead of a class");
        }
        number = big & ~kBigClassTag;
    } else if ((tag & kClassTag) != 0) {
        number = tag & ~kClassTag;
    } else {
        throw ArchiveError(ArchiveError::Kind::BadFormat, "object reference instead of a class");
    }
    if (number == 0 || number > classes_.size()) {
        throw ArchiveError(ArchiveError::Kind::BadFormat, "unknown class number");
    }
    const ClassEntry& entry = classes_[number - 1];
    if (entry.name != expectedClass) {
        throw ArchiveError(
            ArchiveError::Kind::BadFormat,
            "class " + entry.name + " where " + std::string(expectedClass) + " was expected");
    }
    return entry.schema;
}

}  // namespace tarn
