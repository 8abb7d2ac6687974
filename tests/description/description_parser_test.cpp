#include "description/description_parser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "description/description_text.h"
#include "platform/text.h"
#include "support/recording_interaction.h"

namespace tarn {
namespace {

using testing::RecordingInteraction;
using Words = std::vector<std::string_view>;

// A description file of the test data, as the container reader hands it over.
std::string description(const std::string& name) {
    std::ifstream file(std::string(TARN_TEST_DATA_DIR) + "/descriptions/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return text::fromCp1251(bytes.str());
}

std::vector<MemberKind> kinds(std::initializer_list<int> values) {
    std::vector<MemberKind> result;
    for (const int v : values) {
        result.push_back(static_cast<MemberKind>(v));
    }
    return result;
}

TEST(DescriptionText, LinesAndWordsAreCutAtRuns) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(descriptionLines("a b\r\n\r\nc\rd\n\r\n"), (Lines{"a b", "c", "d"}));
    EXPECT_EQ(descriptionLines("\n\n"), Lines{});
    EXPECT_EQ(descriptionLines(std::string_view("one\ntwo\0three\n", 14)), (Lines{"one", "two"}));
    EXPECT_EQ(descriptionWords(" \tparameter  X\t\tint  Подпись_слово \t"),
              (Words{"parameter", "X", "int", "Подпись_слово"}));
    EXPECT_EQ(descriptionWords(" \t "), Words{});
}

TEST(DescriptionParser, AFullDescriptionBuildsItsTemplates) {
    RecordingInteraction ui;
    DescriptionParser parser(ui);
    ASSERT_TRUE(parser.parseText(description("full.tree")));
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();

    const auto& t = parser.parameterTemplates();
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[0].networkName, "POUt");
    EXPECT_EQ(t[0].typeText, "Дискретный:4-20_мА");
    EXPECT_EQ(t[1].networkName, "r.oe.s");

    EXPECT_EQ(t[2].networkName, "!A.Len");
    EXPECT_FALSE(t[2].attributeFlag);
    EXPECT_EQ(t[2].multiplicity, 0);

    EXPECT_EQ(t[3].tableNumber, 2);
    EXPECT_EQ(t[3].tableMode, 1);
    EXPECT_EQ(t[3].multiplicity, 7);
    EXPECT_EQ(t[3].upperLimit, 100.0);

    EXPECT_EQ(t[4].tableNumber, 3);
    EXPECT_EQ(t[4].tableMode, 2);
    EXPECT_EQ(t[4].multiplicity, 2);
    EXPECT_EQ(t[4].initialValue, "1 2");

    // Five words: the table word alone has no effect.
    EXPECT_EQ(t[5].tableNumber, 0);
    // An unknown table word still brings its multiplicity.
    EXPECT_EQ(t[6].tableNumber, 0);
    EXPECT_EQ(t[6].multiplicity, 5);
    EXPECT_EQ(t[7].lowerLimit, 150.0);
    EXPECT_EQ(t[7].upperLimit, -2.25);

    EXPECT_EQ(parser.constant("n"), 8.0);
    // 8 outputs, the network settings, 2 scanner blocks, the scanners, the root.
    EXPECT_EQ(parser.branchTemplates().size(), 13u);
    ASSERT_NE(parser.root(), nullptr);
    EXPECT_EQ(parser.root()->name(), "TARN");
    EXPECT_EQ(parser.root()->memberOrder(), kinds({1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0}));
    ASSERT_NE(parser.scanners(), nullptr);
    EXPECT_EQ(parser.scanners()->name(), "Опрос");
    // The network settings moved into the root's copy.
    EXPECT_EQ(parser.networkSettings(), parser.root()->children()[8].get());
}

TEST(DescriptionParser, FinishingInstantiatesTheRootAndTheScanners) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    ParameterTree tree = buildParameterTree(description("full.tree"), context);
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
    ASSERT_TRUE(tree.root);
    const DescBranch& root = *tree.root;
    ASSERT_EQ(root.children().size(), 9u);
    for (int i = 0; i < 8; ++i) {
        const DescBranch& out = *root.children()[static_cast<std::size_t>(i)];
        EXPECT_EQ(out.name(), "Выход №" + std::to_string(i + 1));
        ASSERT_EQ(out.parameterCount(), 3u);
        EXPECT_EQ(out.parameters()[0]->linearIndex(), i);
        EXPECT_EQ(out.parameters()[0]->caption(), "Тип выхода");
        EXPECT_EQ(context.outputs[static_cast<std::size_t>(i)], out.parameters()[0].get());
    }
    ASSERT_EQ(tree.networkSettings, root.children()[8].get());
    EXPECT_EQ(tree.networkSettings->name(), "Сетевые параметры прибора");
    const Parameter& length = *tree.networkSettings->parameters()[0];
    EXPECT_EQ(length.networkName(), "A.Len");
    EXPECT_FALSE(length.accessible());
    EXPECT_EQ(root.parameterCount(), 2u);

    ASSERT_TRUE(tree.scanners);
    std::vector<Parameter*> polled;
    EXPECT_EQ(tree.scanners->collectPolledParameters(polled), 2);
    EXPECT_EQ(polled[1]->addressOffset(), 1);
    EXPECT_EQ(tree.parameterTemplates.size(), 8u);
}

TEST(DescriptionParser, TypesRulesAndMembersTakeEffectInFileOrder) {
    RecordingInteraction ui;
    DescriptionParser parser(ui);
    ASSERT_TRUE(parser.parseText(description("order.tree")));
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
    const auto& t = parser.parameterTemplates();
    EXPECT_EQ(t[0].typeText, "int:0:1");
    EXPECT_EQ(t[1].typeText, "Вкл:Выкл");
    // init finds the first of two templates of one name.
    EXPECT_EQ(t[0].initialValue, "7");
    EXPECT_EQ(t[2].initialValue, "");

    const auto& branches = parser.branchTemplates();
    // M, Пара, two of Два, the root; Ноль created nothing.
    ASSERT_EQ(branches.size(), 5u);
    const DescBranch& pair = *branches[1];
    // The parameter M first, then the branch M; A names two templates.
    EXPECT_EQ(pair.memberOrder(), kinds({0, 1, 0, 0}));
    ASSERT_EQ(pair.parameterTemplates().size(), 3u);
    EXPECT_EQ(pair.parameterTemplates()[0].networkName, "M");
    EXPECT_EQ(pair.parameterTemplates()[2].caption, "Второй_A");
    // The rule came after M copied B: the copy keeps limits 0 and 0.
    const ParameterTemplate& early = pair.children()[0]->parameterTemplates()[0];
    EXPECT_EQ(early.lowerLimit, 0.0);
    EXPECT_EQ(early.upperLimit, 0.0);
    EXPECT_EQ(branches[2]->parameterTemplates()[0].upperLimit, 10.0);
    // "const N 2.9": two instances.
    EXPECT_EQ(branches[2]->count(), 2);
    EXPECT_EQ(branches[3]->number(), 2);
    EXPECT_EQ(parser.root()->children().size(), 3u);
}

TEST(DescriptionParser, KeywordsCommentsAndShortLines) {
    RecordingInteraction ui;
    DescriptionParser parser(ui);
    EXPECT_TRUE(parser.parseLine("root"));
    EXPECT_TRUE(parser.parseLine("; root R 1 0 0 X"));
    EXPECT_TRUE(parser.parseLine("' branch B 1 0 0 X"));
    EXPECT_TRUE(parser.parseLine("pArAmEtEr P int Пэ"));
    EXPECT_TRUE(parser.parseLine("TYPE Пусто"));
    EXPECT_TRUE(parser.parseLine("parameter Q пусто Кью"));
    EXPECT_EQ(parser.parameterTemplates()[1].typeText, "");
    EXPECT_TRUE(parser.parseLine("CONST K 1"));
    EXPECT_TRUE(parser.parseLine("Init P 3"));
    EXPECT_TRUE(parser.parseLine("Rule P 1 2"));
    EXPECT_TRUE(parser.parseLine("SCANNERS S k 0 0 P"));
    EXPECT_TRUE(parser.parseLine("Root R 1 0 0 P"));
    EXPECT_TRUE(parser.parseLine("branch B 0"));
    EXPECT_TRUE(parser.parseLine("branch B -3 0 0 Нет"));
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
    EXPECT_EQ(parser.branchTemplates().size(), 2u);

    EXPECT_FALSE(parser.parseLine(";comment P"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Непонятная команда в описателе ';comment'");
    EXPECT_EQ(ui.messages[0].caption, "Ошибка в описателе");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.messages[0].flags, static_cast<unsigned>(kMessageNoOwner));
}

TEST(DescriptionParser, TooFewWordsFailTheLoad) {
    for (const char* line : {"parameter X int", "rule P 1", "init P", "const N", "branch B",
                             "branch B 1 0", "root R 2 0", "scanners S 1"}) {
        RecordingInteraction ui;
        DescriptionParser parser(ui);
        ASSERT_TRUE(parser.parseLine("parameter P int Пэ"));
        EXPECT_FALSE(parser.parseLine(line)) << line;
        ASSERT_EQ(ui.messages.size(), 1u) << line;
        EXPECT_NE(ui.messages[0].text.find(line), std::string::npos) << ui.messages[0].text;
        EXPECT_EQ(ui.messages[0].caption, "Ошибка в описателе");
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
        EXPECT_TRUE(parser.branchTemplates().empty());
        EXPECT_EQ(parser.parameterTemplates().size(), 1u);
    }
}

TEST(DescriptionParser, ErrorsNameWhatWentWrong) {
    struct Case {
        const char* line;
        const char* text;
        const char* caption;
        MessageIcon icon;
    };
    const Case cases[] = {
        {"rule Y 0 1", "Параметр 'Y' не определен.", "Ошибка описателя", MessageIcon::Exclamation},
        {"init Y 0", "Параметр 'Y' не определен.", "Ошибка описателя", MessageIcon::Exclamation},
        {"branch B 1 0 0 P Зет", "Что такое 'Зет', не ясно!", "Ошибка в описателе",
         MessageIcon::Error},
        {"const n 3", "Константа 'n' уже определена!", "Ошибка в описателе", MessageIcon::Error},
        {"брэнч B 1 0 0 P", "Непонятная команда в описателе 'брэнч'", "Ошибка в описателе",
         MessageIcon::Error},
    };
    for (const Case& c : cases) {
        RecordingInteraction ui;
        DescriptionParser parser(ui);
        ASSERT_TRUE(parser.parseLine("parameter P int Пэ"));
        ASSERT_TRUE(parser.parseLine("const N 1"));
        EXPECT_FALSE(parser.parseLine(c.line)) << c.line;
        ASSERT_EQ(ui.messages.size(), 1u) << c.line;
        EXPECT_EQ(ui.messages[0].text, c.text);
        EXPECT_EQ(ui.messages[0].caption, c.caption);
        EXPECT_EQ(ui.messages[0].icon, c.icon);
        EXPECT_TRUE(parser.branchTemplates().empty()) << c.line;
        EXPECT_EQ(parser.constant("N"), 1.0);
    }
}

TEST(DescriptionParser, AFailingLineStopsTheLoadAndKeepsWhatCameBefore) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    ParameterTree tree = buildParameterTree(description("broken.tree"), context);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Что такое 'Нет_такого', не ясно!");
    EXPECT_EQ(ui.messages[1].text, "Не удалось создать дерево параметров");
    EXPECT_EQ(ui.messages[1].caption, "Ошибка");
    EXPECT_EQ(ui.messages[1].icon, MessageIcon::Error);
    ASSERT_TRUE(tree.root);
    EXPECT_EQ(tree.root->name(), "Корень");
    // A branch of one parameter: the parameter carries the branch's name.
    EXPECT_EQ(tree.root->children()[0]->parameters()[0]->caption(), "Ветка");
    EXPECT_EQ(tree.parameterTemplates.size(), 1u);
    EXPECT_FALSE(tree.scanners);
}

TEST(DescriptionParser, WithoutARootThereIsNoTreeAndNoNetworkSettings) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    DescriptionParser parser(ui);
    ASSERT_TRUE(parser.parseText(description("no_root.tree")));
    EXPECT_NE(parser.networkSettings(), nullptr);
    ParameterTree tree = parser.finish(context);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Не опредена корневая ветвь");
    EXPECT_EQ(ui.messages[0].caption, "Ошибка");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(tree.root);
    EXPECT_EQ(tree.networkSettings, nullptr);
    EXPECT_TRUE(parser.branchTemplates().empty());
    EXPECT_TRUE(parser.parameterTemplates().empty());
    EXPECT_FALSE(parser.constant("N"));
}

TEST(DescriptionParser, TheNetworkSettingsFollowTheirCopies) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    DescriptionParser parser(ui);
    for (const char* line :
         {"parameter Addr int Адрес", "parameter P int Пэ",
          "branch сетевые_параметры_прибора 2 4 4 Addr",
          "branch Прибор 1 0 0 P Сетевые_параметры_прибора", "branch Лишний 1 0 0 P"}) {
        ASSERT_TRUE(parser.parseLine(line)) << line;
    }
    // The last instance was the anchor; listing the template copies both
    // instances, and the anchor follows into the copy of the last.
    const DescBranch& device = *parser.branchTemplates()[2];
    ASSERT_EQ(device.children().size(), 2u);
    EXPECT_EQ(parser.networkSettings(), device.children()[1].get());
    // A line that fails after copying it leaves the anchor where it was.
    EXPECT_FALSE(parser.parseLine("branch Другой 1 0 0 Прибор Нет"));
    EXPECT_EQ(parser.networkSettings(), device.children()[1].get());
    ASSERT_TRUE(parser.parseLine("root Корень 1 0 0 Лишний Прибор"));
    ParameterTree tree = parser.finish(context);
    ASSERT_TRUE(tree.root);
    const DescBranch& kept = *tree.root->children()[1]->children()[1];
    EXPECT_EQ(tree.networkSettings, &kept);
    EXPECT_EQ(kept.name(), "сетевые параметры прибора №2");
    EXPECT_EQ(kept.parameters()[0]->linearIndex(), 1);
}

}  // namespace
}  // namespace tarn
