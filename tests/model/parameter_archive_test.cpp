#include "model/parameter_archive.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ParameterArchive, RecordLayoutByteForByte) {
    Parameter p("Addr");
    p.setValueText("24");
    p.setCaption("Адрес");
    p.setHasLinearIndex(true);
    p.setLinearIndex(3);
    p.setAddressOffset(-1);
    p.setStatusText("ok");
    p.setValueChanged(true);
    p.setOwnerIsFirm(true);
    p.setTableMode(2);
    ArchiveWriter w;
    storeParameter(w, p);
    const Bytes expected = {0xFF, 0xFF, 3,    0,    11,   0,    'M',  'y',  'C',
                            'o',  'n',  'v',  'e',  'r',  't',  'e',  'r',  //
                            4,    'A',  'd',  'd',  'r',  2,    '2',  '4',  //
                            0xFF, 0xFF, 1,    0,    9,    0,    'P',  'a',  'r',
                            'a',  'm',  'e',  't',  'e',  'r',                     //
                            5,    0xC0, 0xE4, 0xF0, 0xE5, 0xF1,                    // Адрес
                            1,    3,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF,  //
                            1,    2,    'o',  'k',                                 //
                            1,    0,    0,    1,    1,                             //
                            2,    0,    0,    0};
    EXPECT_EQ(w.bytes(), expected);
}

TEST(ParameterArchive, RoundTripAndKeepValue) {
    Parameter original("bPS");
    original.setValueText("19200");
    original.setCaption("Скорость");
    original.setEditable(false);
    original.setEditableChanged(true);
    ArchiveWriter w;
    storeParameter(w, original);
    storeParameter(w, original);

    ArchiveReader r(w.bytes());
    Parameter copy("bPS");
    loadParameter(r, copy, false);
    EXPECT_EQ(copy.valueText(), "19200");
    EXPECT_EQ(copy.caption(), "Скорость");
    EXPECT_FALSE(copy.editable());
    EXPECT_TRUE(copy.editableChanged());

    Parameter kept("bPS");
    kept.setValueText("9600");
    loadParameter(r, kept, true);
    EXPECT_EQ(kept.valueText(), "9600");
    EXPECT_EQ(kept.caption(), "Скорость");
    EXPECT_TRUE(r.atEnd());
}

TEST(ParameterArchive, OtherSchemasReadNothingOfThatPart) {
    ArchiveWriter w;
    w.writeClass("MyConverter", 2);
    w.writeClass("Parameter", 1);
    w.writeText("Cap");
    for (int i = 0; i < 10; ++i) {
        w.writeByte(0);
    }
    w.writeText("");
    for (int i = 0; i < 9; ++i) {
        w.writeByte(0);
    }
    ArchiveReader r(w.bytes());
    Parameter p("X");
    p.setValueText("kept");
    loadParameter(r, p, false);
    EXPECT_EQ(p.valueText(), "kept");
    EXPECT_EQ(p.caption(), "Cap");
    EXPECT_TRUE(r.atEnd());
}

TEST(ParameterArchive, TruncationKeepsWhatWasRead) {
    Parameter original("X");
    original.setValueText("42");
    original.setCaption("Новое");
    ArchiveWriter w;
    storeParameter(w, original);
    const Bytes cut(w.bytes().begin(), w.bytes().begin() + 40);
    ArchiveReader r(cut);
    Parameter p("X");
    EXPECT_THROW(loadParameter(r, p, false), ArchiveError);
    EXPECT_EQ(p.valueText(), "42");
}

}  // namespace
}  // namespace tarn
