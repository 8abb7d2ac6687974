// The binary conventions of configuration files: class records with schema
// numbers, length-prefixed texts, little-endian integers.
//
// A class record opens every stored object. The first time a class occurs
// it is written in full (tag 0xFFFF, schema, name length, name) and receives
// the next class number, counting from 1; later occurrences are the word
// 0x8000 + number (or 0x7FFF and the double word 0x80000000 + number when the
// number does not fit). Texts are CP1251 bytes behind their length: one byte
// up to 254, else 0xFF and a word below 0xFFFE, else 0xFF, 0xFFFF and a double
// word. Texts handed in and out are UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarn {

// Thrown inside the reading of a configuration and caught where the file is
// loaded; never crosses that boundary.
class ArchiveError : public std::runtime_error {
public:
    enum class Kind { EndOfFile, BadFormat };
    ArchiveError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

class ArchiveWriter {
public:
    void writeByte(std::uint8_t value) { bytes_.push_back(value); }
    void writeBool(bool value) { writeByte(value ? 1 : 0); }
    void writeWord(std::uint16_t value);
    void writeDword(std::uint32_t value);
    void writeInt32(std::int32_t value) { writeDword(static_cast<std::uint32_t>(value)); }
    // A UTF-8 text stored as CP1251.
    void writeText(std::string_view utf8);
    void writeClass(std::string_view className, std::uint16_t schema);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // The bytes written, moved out: the writer is empty afterwards.
    std::vector<std::uint8_t> takeBytes() { return std::move(bytes_); }

private:
    struct ClassEntry {
        std::string name;
        std::uint32_t number;
    };
    std::vector<std::uint8_t> bytes_;
    std::vector<ClassEntry> classes_;
    std::string text_;  // the CP1251 form of the text being written
};

class ArchiveReader {
public:
    // The reader keeps a view of `bytes`: they must outlive it.
    explicit ArchiveReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    // A temporary would be gone before the first read.
    explicit ArchiveReader(std::vector<std::uint8_t>&&) = delete;

    std::uint8_t readByte();
    bool readBool() { return readByte() != 0; }
    std::uint16_t readWord();
    std::uint32_t readDword();
    std::int32_t readInt32() { return static_cast<std::int32_t>(readDword()); }
    std::string readText();
    // The same in the reader's own buffer, which the next text read
    // reuses: for a text that is compared or copied at once.
    std::string_view readTextView();
    // Passes over a text without converting it.
    void skipText() { (void)textBytes(); }
    // Reads a class record and returns the class's schema. A record of
    // another class than `expectedClass` is a format error.
    std::uint16_t readClass(std::string_view expectedClass);

    bool atEnd() const { return position_ >= bytes_.size(); }
    std::size_t position() const { return position_; }

private:
    void need(std::size_t count) const;
    // The CP1251 bytes of the next text.
    std::string_view textBytes();

    struct ClassEntry {
        std::string name;
        std::uint16_t schema;
    };
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    std::vector<ClassEntry> classes_;  // class number n is classes_[n - 1]
    std::string text_;                 // the last text of readTextView
};

}  // namespace tarn
