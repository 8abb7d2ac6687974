#include "document/parameter_list_html.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>

#include "description/description_parser.h"
#include "description/tree_modes.h"
#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "model/network_name.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "support/private_files.h"
#include "support/recording_interaction.h"
#include "support/scratch_folder.h"

namespace tarn {
namespace {

using testing::RecordingInteraction;
using testing::ScratchFolder;

const std::filesystem::path kAppendix =
    std::filesystem::path(TARN_SOURCE_DIR) / "data/html/parlist-appendix.html";

// The text of the page: every line end must be CR LF; the result is UTF-8
// with "\n".
std::string pageText(const std::string& bytes) {
    std::string single;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "a bare LF at byte " << i;
        }
        if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "a bare CR at byte " << i;
            continue;
        }
        single += bytes[i];
    }
    return text::fromCp1251(single);
}

class ParameterListPage : public ::testing::Test {
protected:
    // The page of a description written in the test (UTF-8, no appendix).
    std::string page(std::string_view description) {
        tree_ = buildParameterTree(description, context_);
        EXPECT_TRUE(ui_.messages.empty()) << ui_.allTexts();
        return pageText(parameterListPage(tree_.root.get(), ""));
    }
    // The sections: what lies between the head and the end of their table.
    std::string sections(std::string_view description) {
        const std::string all = page(description);
        const auto begin = all.find("font-size=12px\">\n");
        const auto end = all.rfind("</table>\n\n<br>\n");
        EXPECT_NE(begin, std::string::npos);
        EXPECT_NE(end, std::string::npos);
        return all.substr(begin + 17, end - begin - 17);
    }

    RecordingInteraction ui_;
    InstantiationContext context_{ui_};
    ParameterTree tree_;
};

constexpr std::string_view kColumns =
    "<tr>\n"
    "<td><strong><b>№</b></strong></td>\n"
    "<td><strong><b>Команда</b></strong></td>\n"
    "<td><strong><b>Хеш</b></strong></td>\n"
    "<td><strong><b>Описание</b></strong></td>\n"
    "<td><strong><b>Тип</b></strong></td>\n"
    "<td><strong><b>Индексация</b></strong></td>\n"
    "<td><strong><b>Диапазон значений</b></strong></td>\n"
    "<td><strong><b>Атрибуты</b></strong></td>\n"
    "</tr>\n";

std::string heading(const std::string& path) {
    return "<tr><td colspan=8 bgColor=\"#ffffaa\"><b>" + path + "</b></td></tr>\n";
}

TEST_F(ParameterListPage, AnEmptyTreeGivesTheHeadAndTheEndInWindows1251) {
    const std::string bytes = parameterListPage(nullptr, "");
    // "Список параметров прибора TARN" in windows-1251.
    EXPECT_NE(
        bytes.find("\t<title>\xD1\xEF\xE8\xF1\xEE\xEA \xEF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xEE\xE2 "
                   "\xEF\xF0\xE8\xE1\xEE\xF0\xE0 TARN</title>\r\n"),
        std::string::npos);
    EXPECT_EQ(pageText(bytes),
              "<html>\n"
              "<head>\n"
              "<meta HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">\n"
              "\t<title>Список параметров прибора TARN</title>\n"
              "</head>\n"
              "\n"
              "<body>\n"
              "<h4>Список обычных (неоперативных) параметров</h4>\n"
              "<table border=1 width=\"100%\" style=\"font-size=12px\">\n"
              "</table>\n\n<br>\n"
              "</TABLE>\n</body>\n</html>");
}

TEST_F(ParameterListPage, ASectionHasItsHeadingTheColumnsAndOneRowPerParameter) {
    const std::string expected =
        heading("Сеть") + std::string(kColumns) +
        "<tr>\n\t<td>1\t</td>\n\t<td>Addr\t</td>\n\t<td>9F62\t</td>\n"
        "\t<td>Адрес прибора\t</td>\n\t<td>int\t</td>\n\t<td>без индекса\t</td>\n"
        "\t<td>от 1.000 до 247.500\t</td>\n\t<td>обычн. атрибуты\t</td>\n</tr>\n"
        "<tr>\n\t<td>2\t</td>\n\t<td>A.Len\t</td>\n\t<td>1ED2\t</td>\n"
        "\t<td>Длина адреса\t</td>\n\t<td>\n\t<ol start=0>\n\t\t<li> 8\n\t\t<li> "
        "11\n\t</ol>\t</td>\n"
        "\t<td>без индекса\t</td>\n\t<td>нет ограничений\t</td>\n\t<td>нет атрибутов\t</td>\n"
        "</tr>\n";
    EXPECT_EQ(sections("parameter Addr int Адрес_прибора\n"
                       "parameter A.Len 8:11 Длина_адреса noattr\n"
                       "rule Addr 1 247.5\n"
                       "branch Сеть 1 4 4 Addr A.Len\n"
                       "root R 1 1 1 Сеть\n"),
              expected);
}

TEST_F(ParameterListPage, CaptionsTypesRangesAndAttributesAreWrittenAsTheListHasThem) {
    const std::string all = sections(
        "parameter P1 int a<b>c_№1_из_№12\n"
        "parameter P2 FLOAT Плавающее\n"
        "parameter P3 dec_dot:x Десятичное\n"
        "parameter P4 int:0:1 Целое_с_вариантами\n"
        "parameter P5 Отсутствует:Четность:Нечетность Четность\n"
        "parameter P6 <1:больше_>:void Сравнение\n"
        "parameter P7 float Предел\n"
        "rule P7 5 -5\n"
        "parameter P8 float Отрицательное\n"
        "rule P8 -1.5 0.0004\n"
        "branch G 1 0 0 P1 P2 P3 P4 P5 P6 P7 P8\n"
        "root R 1 1 1 G\n");
    EXPECT_NE(all.find("\t<td>a&lt;b&gt;c №... из №...2\t</td>\n"), std::string::npos) << all;
    EXPECT_NE(all.find("\t<td>FLOAT\t</td>\n"), std::string::npos);
    EXPECT_NE(all.find("\t<td>dec_dot\t</td>\n"), std::string::npos);
    EXPECT_NE(all.find("\t<td>int\t</td>\n"), std::string::npos);
    EXPECT_NE(all.find("\t<td>\n\t<ol start=0>\n\t\t<li> Отсутствует\n\t\t<li> Четность\n"
                       "\t\t<li> Нечетность\n\t</ol>\t</td>\n"),
              std::string::npos);
    EXPECT_NE(all.find("\t<ol start=0>\n\t\t<li> &lt;1\n\t\t<li> больше &gt;\n\t\t<li> void\n"),
              std::string::npos);
    // An upper limit below the lower one is no range.
    EXPECT_NE(all.find("Предел\t</td>\n\t<td>float\t</td>\n\t<td>без индекса\t</td>\n"
                       "\t<td>нет ограничений\t</td>\n"),
              std::string::npos);
    EXPECT_NE(all.find("\t<td>от -1.500 до 0.000\t</td>\n"), std::string::npos);

    // The attribute kind of a cut attribute tree; the "c" is Latin.
    tree_.root->children()[0]->parameters()[0]->setAttributeKind(4);
    const std::string cut = pageText(parameterListPage(tree_.root.get(), ""));
    EXPECT_NE(cut.find("\t<td>дерево атр-ов обрезано (кратность индек\x63ов 4)\t</td>\n</tr>\n"),
              std::string::npos);
}

TEST_F(ParameterListPage, ARunOfNumberedSiblingsIsListedOnceByItsFirstMember) {
    // Eight outputs of three intervals each: one section for the outputs,
    // one for the intervals of the first output; the families span all of
    // them (the outputs' indices step by the three intervals).
    const std::string row =
        "\t<td>int\t</td>\n\t<td>0,3..21\t</td>\n\t<td>нет ограничений\t</td>\n"
        "\t<td>обычн. атрибуты\t</td>\n</tr>\n";
    const std::string expected =
        heading("Выходы\\Выход №...") + std::string(kColumns) +
        "<tr>\n\t<td>1\t</td>\n\t<td>Inv\t</td>\n\t<td>F481\t</td>\n\t<td>Инверсия\t</td>\n" + row +
        "<tr>\n\t<td>2\t</td>\n\t<td>PEr\t</td>\n\t<td>0ADA\t</td>\n\t<td>Период\t</td>\n" + row +
        heading("Выходы\\Выход №...\\Интервал №... (график)") + std::string(kColumns) +
        "<tr>\n\t<td>1\t</td>\n\t<td>t.On\t</td>\n\t<td>47F2\t</td>\n\t<td>Начало\t</td>\n"
        "\t<td>CLK_frm\t</td>\n\t<td>0,1..23\t</td>\n";
    const std::string all = sections(
        "parameter Inv int Инверсия\n"
        "parameter PEr int Период\n"
        "parameter t.On CLK_frm Начало\n"
        "parameter t.Of CLK_frm Конец\n"
        "branch Интервал#_(график) 3 0 0 t.On t.Of\n"
        "branch Выход# 8 5 6 Inv PEr Интервал#_(график)\n"
        "branch Выходы 1 2 2 Выход#\n"
        "root R 1 1 1 Выходы\n");
    EXPECT_EQ(all.substr(0, expected.size()), expected) << all;
    EXPECT_EQ(all.find("Выход №...", expected.size()), std::string::npos) << all;
    EXPECT_EQ(all.find("Интервал №...", expected.size()), std::string::npos) << all;
    EXPECT_EQ(all.find("№1"), std::string::npos);
}

TEST_F(ParameterListPage, GroupsWithOneParameterAndGroupsWithoutParameters) {
    const std::string all = sections(
        "parameter Ver string Версия\n"
        "parameter Addr int Адрес\n"
        "parameter Sbit 1:2 Стоп-биты\n"
        "branch Версия_программы 1 0 0 Ver\n"
        "branch Линия 1 0 0 Addr Sbit\n"
        "branch Настройки 1 0 0 Линия\n"
        "root R 1 1 1 Версия_программы Настройки\n");
    // The single parameter: its row, captioned by its branch, no heading.
    EXPECT_EQ(all.rfind("<tr>\n\t<td>1\t</td>\n\t<td>Ver\t</td>\n\t<td>2D5B\t</td>\n"
                        "\t<td>Версия программы\t</td>\n",
                        0),
              0u)
        << all;
    // "Настройки" has no parameters of its own: no heading, but its title
    // leads the path of its sub-branch.
    EXPECT_EQ(all.find(heading("Настройки")), std::string::npos);
    EXPECT_NE(all.find(heading("Настройки\\Линия") + std::string(kColumns)), std::string::npos)
        << all;
    EXPECT_EQ(all.find("Версия программы</b>"), std::string::npos);
}

TEST_F(ParameterListPage, IndexingCountsTheFirstParameterOfANameInEachGroup) {
    // Actuators: the family 0, 8, 16, 24.
    const std::string description =
        "parameter nPCP int Номер\n"
        "parameter Inv int Инверсия\n"
        "branch Блок*8 4 0 0 nPCP nPCP\n"
        "branch Один 1 0 0 Inv\n"
        "root R 1 1 1 Блок*8 Один\n";
    const std::string family =
        "\t<td>nPCP\t</td>\n\t<td>B455\t</td>\n\t<td>Номер\t</td>\n\t<td>int\t</td>\n"
        "\t<td>0,8..24\t</td>\n";
    const std::string all = sections(description);
    EXPECT_NE(all.find(family), std::string::npos) << all;
    EXPECT_NE(all.find("\t<td>Inv\t</td>\n\t<td>F481\t</td>\n\t<td>Один\t</td>\n\t<td>int\t</td>\n"
                       "\t<td>без индекса\t</td>\n"),
              std::string::npos)
        << all;
    // A second parameter of the same name in a group is not part of the
    // family, whatever its index.
    tree_.root->children()[3]->parameters()[1]->setLinearIndex(100);
    EXPECT_NE(pageText(parameterListPage(tree_.root.get(), "")).find(family), std::string::npos);
}

TEST(ParameterListAppendix, TheShippedFragmentIsCopiedVerbatimBeforeTheEnd) {
    const std::string appendix = readParameterListAppendix(kAppendix);
    ASSERT_EQ(appendix.size(), 5499u);
    const std::string text = pageText(appendix);
    EXPECT_TRUE(text::representableInCp1251(text));
    char hash[8];
    std::snprintf(hash, sizeof hash, "%04X", NetNameHash("r.oe"));
    EXPECT_NE(text.find("\t<td>r.oe\t</td>\n\t<td>" + std::string(hash) + "\t</td>\n"),
              std::string::npos);
    EXPECT_NE(text.find("Список оперативных параметров"), std::string::npos);
    EXPECT_NE(text.find("Примечание:"), std::string::npos);

    const std::string page = parameterListPage(nullptr, appendix);
    const std::string end = "</TABLE>\r\n</body>\r\n</html>";
    ASSERT_GE(page.size(), appendix.size() + end.size());
    EXPECT_EQ(page.substr(page.size() - end.size() - appendix.size(), appendix.size()), appendix);
    EXPECT_EQ(page.substr(page.size() - end.size()), end);

    EXPECT_EQ(readParameterListAppendix(kAppendix.parent_path() / "missing.html"), "");
}

// Checks that the tables and lists of a page nest properly: every <tr> in a
// table, every <td> in a row, every <li> in a list, each closed in order
// (<li> needs no end tag); eight cells to a row of the parameter table.
void expectWellNested(const std::string& page) {
    static const std::regex tag("<(/?)(table|tr|td|ol|li)\\b[^>]*>", std::regex::icase);
    std::vector<std::string> open;
    std::vector<int> cells;
    int rows = 0;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), tag);
         it != std::sregex_iterator(); ++it) {
        const std::string name = text::toLower((*it)[2].str());
        const bool closing = (*it)[1].length() > 0;
        const std::string parent = open.empty() ? "" : open.back();
        if (closing) {
            ASSERT_FALSE(open.empty()) << "</" << name << "> without a start";
            ASSERT_EQ(open.back(), name) << "at byte " << it->position();
            open.pop_back();
            if (name == "tr") {
                const int n = cells.back();
                cells.pop_back();
                EXPECT_TRUE(n == 8 || n == 1 || n == 7 || n == 3)
                    << n << " cells at " << it->position();
                ++rows;
            }
            continue;
        }
        if (name == "li") {
            ASSERT_EQ(parent, "ol") << "at byte " << it->position();
            continue;
        }
        if (name == "tr") {
            ASSERT_EQ(parent, "table") << "at byte " << it->position();
            cells.push_back(0);
        } else if (name == "td") {
            ASSERT_EQ(parent, "tr") << "at byte " << it->position();
            ++cells.back();
        } else if (name == "ol") {
            ASSERT_EQ(parent, "td") << "at byte " << it->position();
        }
        open.push_back(name);
    }
    EXPECT_TRUE(open.empty()) << open.size() << " elements left open";
    EXPECT_GT(rows, 10);
}

TEST(ParameterListModes, ThePageOfEveryModesTreeNestsProperly) {
    ScratchFolder scratch;
    RecordingInteraction ui;
    SettingsStore settings((scratch / "settings").string());
    TarnDocument document(ui, settings, testing::privateContainer(scratch));
    const std::string appendix = readParameterListAppendix(kAppendix);
    for (const std::uint32_t mode : kTreeModes) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        ASSERT_TRUE(document.switchToMode(mode));
        ASSERT_TRUE(document.hasTree());
        const std::string page = pageText(parameterListPage(document.root(), appendix));
        expectWellNested(page);
        // Every parameter of the tree that stands for a family is listed.
        EXPECT_NE(page.find("\t<td>POUt\t</td>"), std::string::npos);
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
}

TEST(ParameterListFile, AWrittenPageReplacesTheFileAndAFailureIsTold) {
    ScratchFolder scratch;
    RecordingInteraction ui;
    const auto file = scratch.write("parlist.html", std::string(100000, 'x'));
    ASSERT_TRUE(writeParameterList(nullptr, file, kAppendix, ui));
    EXPECT_EQ(testing::readFileBytes(file),
              parameterListPage(nullptr, readParameterListAppendix(kAppendix)));
    EXPECT_TRUE(ui.messages.empty());

    // Without the appendix the page is still complete.
    ASSERT_TRUE(writeParameterList(nullptr, file, scratch / "none.html", ui));
    EXPECT_EQ(testing::readFileBytes(file), parameterListPage(nullptr, ""));

    std::string error;
    const auto nowhere = scratch / "no folder" / "parlist.html";
    EXPECT_FALSE(writeParameterList(nullptr, nowhere, kAppendix, ui, &error));
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    EXPECT_FALSE(error.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Экспорт списка параметров в HTML");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_NE(ui.messages[0].text.find(nowhere.string()), std::string::npos);
}

}  // namespace
}  // namespace tarn
