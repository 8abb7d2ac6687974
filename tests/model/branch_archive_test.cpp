#include "model/branch_archive.h"

#include <gtest/gtest.h>

#include "model/parameter_archive.h"

namespace tarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

Parameter& addParameter(DescBranch& branch, const char* name, const char* value, int index = -1) {
    auto parameter = std::make_unique<Parameter>(name);
    parameter->setValueText(value);
    parameter->setCaption("");
    if (index >= 0) {
        parameter->setHasLinearIndex(true);
        parameter->setLinearIndex(index);
    }
    return branch.addParameter(std::move(parameter));
}

void append(Bytes& out, const Bytes& part) {
    out.insert(out.end(), part.begin(), part.end());
}

// The parameter part of a record with an empty caption and status, the given
// index, accessible, editable, nothing changed.
Bytes parameterPart(bool indexed, std::uint8_t index) {
    return {0,     indexed ? std::uint8_t{1} : std::uint8_t{0},
            index, 0,
            0,     0,
            0,     0,
            0,     0,
            1,     0,
            0,     0,
            0,     1,
            0,     0,
            0,     0,
            0};
}

TEST(BranchArchive, SmallTreeByteForByte) {
    DescBranch root("R", 1, 1, 0, 0);
    addParameter(root, "A.Len", "8");
    auto child = std::make_unique<DescBranch>("В", 2, 2, 0, 0);
    addParameter(*child, "POUt", "1", 1);
    root.addChild(std::move(child));

    ArchiveWriter w;
    storeBranch(w, root);

    Bytes expected = {0xFF, 0xFF, 3,    0,    10,  0,   'D', 'e', 's', 'c', 'B', 'r',  'a',  'n',
                      'c',  'h',  1,    'R',  1,   0,   0,   0,  // name, one parameter
                      0xD2, 0x1E, 0xFF, 0xFF,                    // key: A.Len, no index
                      0xFF, 0xFF, 3,    0,    11,  0,   'M', 'y', 'C', 'o', 'n', 'v',  'e',  'r',
                      't',  'e',  'r',  5,    'A', '.', 'L', 'e', 'n', 1,   '8', 0xFF, 0xFF, 1,
                      0,    9,    0,    'P',  'a', 'r', 'a', 'm', 'e', 't', 'e', 'r'};
    append(expected, parameterPart(false, 0));
    append(expected, {1, 0, 0, 0, 1, 0, 0, 0});  // count 1, number 1
    append(expected, {0x01, 0x80, 1, 0xC2, 1,   0,   0,   0, 0xB3, 0xE0, 0x01, 0x00,
                      0x02, 0x80, 4, 'P',  'O', 'U', 't', 1, '1',  0x03, 0x80});
    append(expected, parameterPart(true, 1));
    append(expected, {2, 0, 0, 0, 2, 0, 0, 0});
    EXPECT_EQ(w.bytes(), expected);
}

TEST(BranchArchive, RecordsFindTheirParametersByKeyNotPosition) {
    DescBranch stored("Ветвь", 1, 1, 0, 0);
    addParameter(stored, "bPS", "19200");
    addParameter(stored, "xTRA", "99");  // absent from the reading tree
    addParameter(stored, "nPCP", "5", 8);
    addParameter(stored, "nPCP", "6", 16);
    ArchiveWriter w;
    storeBranch(w, stored);

    DescBranch reading("Старое имя", 1, 1, 0, 0);
    Parameter& second = addParameter(reading, "nPCP", "Нет данных", 16);
    Parameter& first = addParameter(reading, "nPCP", "Нет данных", 8);
    Parameter& speed = addParameter(reading, "BPS", "9600");
    Parameter& onlyHere = addParameter(reading, "LEn", "8");
    ArchiveReader r(w.bytes());
    loadBranch(r, reading);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(reading.name(), "Ветвь");
    EXPECT_EQ(speed.valueText(), "19200");
    EXPECT_EQ(first.valueText(), "5");
    EXPECT_EQ(second.valueText(), "6");
    EXPECT_EQ(onlyHere.valueText(), "8");
}

TEST(BranchArchive, ARecordCannotMoveItsParameterToAnotherIndexOrModule) {
    Parameter damaged("nPCP");
    damaged.setValueText("5");
    damaged.setHasLinearIndex(false);
    damaged.setLinearIndex(1537);
    damaged.setAddressOffset(-1);  // address 255: every module on the line
    ArchiveWriter w;
    w.writeClass("DescBranch", kBranchSchema);
    w.writeText("Ветвь");
    w.writeDword(1);
    w.writeDword((8u << 16) | damaged.nameHash());  // the key of nPCP:8
    storeParameter(w, damaged);
    w.writeInt32(1);
    w.writeInt32(1);

    DescBranch reading("Ветвь", 1, 1, 0, 0);
    Parameter& target = addParameter(reading, "nPCP", "Нет данных", 8);
    ArchiveReader r(w.bytes());
    loadBranch(r, reading);
    EXPECT_EQ(target.valueText(), "5");
    EXPECT_TRUE(target.hasLinearIndex());
    EXPECT_EQ(target.linearIndex(), 8);
    EXPECT_EQ(target.addressOffset(), 0);
}

TEST(BranchArchive, TwoParametersWithOneKeyLeaveEveryRecordToTheLaterOne) {
    DescBranch stored("B", 1, 1, 0, 0);
    addParameter(stored, "Addr", "1");
    addParameter(stored, "Addr", "2");
    ArchiveWriter w;
    storeBranch(w, stored);

    DescBranch reading("B", 1, 1, 0, 0);
    Parameter& earlier = addParameter(reading, "Addr", "old");
    Parameter& later = addParameter(reading, "Addr", "old");
    ArchiveReader r(w.bytes());
    loadBranch(r, reading);
    EXPECT_EQ(earlier.valueText(), "old");
    EXPECT_EQ(later.valueText(), "2");
}

TEST(BranchArchive, AnotherSchemaReadsNoBranchDataButStillVisitsTheChildren) {
    ArchiveWriter w;
    w.writeClass("DescBranch", 2);  // root
    w.writeClass("DescBranch", 2);  // its child: the class was already defined
    DescBranch root("Корень", 1, 1, 0, 0);
    Parameter& rootParameter = addParameter(root, "Addr", "16");
    root.addChild(std::make_unique<DescBranch>("Дочь", 1, 1, 0, 0));
    ArchiveReader r(w.bytes());
    loadBranch(r, root);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(root.name(), "Корень");
    EXPECT_EQ(rootParameter.valueText(), "16");
}

TEST(BranchArchive, TruncationKeepsWhatWasRead) {
    DescBranch stored("Корень", 1, 1, 0, 0);
    addParameter(stored, "Addr", "24");
    addParameter(stored, "bPS", "19200");
    ArchiveWriter w;
    storeBranch(w, stored);
    const std::size_t fullSize = w.bytes().size();

    for (std::size_t cut = 0; cut < fullSize; cut += 7) {
        DescBranch root("Корень", 1, 1, 0, 0);
        Parameter& address = addParameter(root, "Addr", "16");
        Parameter& speed = addParameter(root, "bPS", "9600");
        const Bytes part(w.bytes().begin(), w.bytes().begin() + static_cast<long>(cut));
        ArchiveReader r(part);
        EXPECT_THROW(loadBranch(r, root), ArchiveError) << cut;
        // Values arrive in order: a later one never without the earlier one.
        if (speed.valueText() == "19200") {
            EXPECT_EQ(address.valueText(), "24") << cut;
        }
        EXPECT_TRUE(address.valueText() == "16" || address.valueText() == "24") << cut;
    }
}

}  // namespace
}  // namespace tarn
