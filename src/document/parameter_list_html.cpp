#include "document/parameter_list_html.h"

#include <QSaveFile>
#include <QString>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "model/desc_branch.h"
#include "model/parameter.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

constexpr std::string_view kNumberSign = "№";
constexpr std::string_view kCollapsedNumber = "№...";

// Type words shown as they are; any other first item makes an enumeration.
constexpr std::string_view kPlainTypeWords[] = {"STORED_DOT", "DEC_dot", "CLK_frm", "string",
                                                "ASCI",       "name",    "int",     "float"};

constexpr std::string_view kHead =
    "<html>\n"
    "<head>\n"
    "<meta HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">\n"
    "\t<title>Список параметров прибора TARN</title>\n"
    "</head>\n"
    "\n"
    "<body>\n"
    "<h4>Список обычных (неоперативных) параметров</h4>\n"
    "<table border=1 width=\"100%\" style=\"font-size=12px\">\n";

constexpr std::string_view kSectionsEnd = "</table>\n\n<br>\n";
constexpr std::string_view kPageEnd = "</TABLE>\n</body>\n</html>";

constexpr std::string_view kColumnTitles[] = {
    "№", "Команда", "Хеш", "Описание", "Тип", "Индексация", "Диапазон значений", "Атрибуты"};

std::string escapeAngles(std::string_view text) {
    return text::replaceAll(text::replaceAll(text, "<", "&lt;"), ">", "&gt;");
}

// "Выход №3" -> "Выход №...", "Вход №2 (реле)" -> "Вход №... (реле)": the
// number of a repeated branch is dropped so that its instances share a title.
std::string collapsedTitle(const std::string& title) {
    const auto sign = title.find(kNumberSign);
    if (sign == std::string::npos) {
        return title;
    }
    std::string result = title.substr(0, sign);
    result += kCollapsedNumber;
    const auto blank = title.find(' ', sign + kNumberSign.size());
    if (blank != std::string::npos) {
        result += title.substr(blank);
    }
    return result;
}

std::string typeCell(const Parameter& parameter) {
    const std::string first = parameter.typeWord();
    for (const std::string_view word : kPlainTypeWords) {
        if (!first.empty() && text::equalsNoCase(first, word)) {
            return escapeAngles(first);
        }
    }
    std::string cell = "\n\t<ol start=0>\n";
    for (const std::string& item : parameter.typeItems()) {
        cell += "\t\t<li> " + escapeAngles(item) + "\n";
    }
    cell += "\t</ol>";
    return cell;
}

std::string rangeText(const Parameter& parameter) {
    const double lower = parameter.lowerLimit();
    const double upper = parameter.upperLimit();
    if (!(upper > lower)) {
        return "нет ограничений";
    }
    return "от " + numbers::fixed(lower, 3) + " до " + numbers::fixed(upper, 3);
}

std::string attributeText(const Parameter& parameter) {
    switch (const int kind = parameter.attributeKind()) {
        case 0:
            return "нет атрибутов";
        case 1:
            return "обычн. атрибуты";
        default:
            // The "c" of "индекcов" is a Latin letter, as the lists always had it.
            return "дерево атр-ов обрезано (кратность индекcов " + std::to_string(kind) + ")";
    }
}

// The span of linear indices of one family of parameters (one network name):
// the largest index and the step between the first two distinct indices.
struct FamilyIndexing {
    std::int32_t maximum = 0;
    std::int32_t step = 0;

    void take(std::int32_t index) {
        if (step == 0) {
            step = index - maximum;
        }
        maximum = std::max(maximum, index);
    }

    std::string text() const {
        if (maximum == 0) {
            return "без индекса";
        }
        return "0," + std::to_string(step) + ".." + std::to_string(maximum);
    }
};

class PageBuilder {
public:
    explicit PageBuilder(const DescBranch* root) {
        if (root != nullptr) {
            collectIndexing(*root);
        }
    }

    // The head, the sections and the end of their table, in UTF-8 with "\n".
    std::string sections(const DescBranch* root) {
        out_ = kHead;
        if (root != nullptr) {
            walk(*root, "");
        }
        out_ += kSectionsEnd;
        return std::move(out_);
    }

private:
    // Every group of the tree, depth first; in each group the first
    // parameter of a name counts for its family.
    void collectIndexing(const DescBranch& branch) {
        std::set<std::string> seen;
        for (const auto& parameter : branch.parameters()) {
            std::string key = text::toLower(parameter->networkName());
            if (seen.insert(key).second) {
                families_[std::move(key)].take(parameter->linearIndex());
            }
        }
        for (const auto& child : branch.children()) {
            collectIndexing(*child);
        }
    }

    std::string indexingText(const Parameter& parameter) const {
        const auto found = families_.find(text::toLower(parameter.networkName()));
        return found == families_.end() ? FamilyIndexing{}.text() : found->second.text();
    }

    void walk(const DescBranch& branch, const std::string& path) {
        std::string previousTitle;
        for (const auto& child : branch.children()) {
            std::string title = collapsedTitle(child->name());
            // A run of numbered siblings is listed once, by its first member.
            if (title == previousTitle) {
                continue;
            }
            previousTitle = title;
            if (child->parameterCount() > 0) {
                const bool alone = child->parameterCount() == 1 && child->children().empty();
                if (!alone) {
                    sectionHeading(path + title);
                    columnHeading();
                }
                int position = 0;
                for (const auto& parameter : child->parameters()) {
                    parameterRow(*parameter, ++position);
                }
            }
            walk(*child, path + title + "\\");
        }
    }

    void sectionHeading(const std::string& path) {
        out_ += "<tr><td colspan=8 bgColor=\"#ffffaa\"><b>" + path + "</b></td></tr>\n";
    }

    void columnHeading() {
        out_ += "<tr>\n";
        for (const std::string_view title : kColumnTitles) {
            out_ += "<td><strong><b>";
            out_ += title;
            out_ += "</b></strong></td>\n";
        }
        out_ += "</tr>\n";
    }

    void cell(const std::string& content) { out_ += "\t<td>" + content + "\t</td>\n"; }

    void parameterRow(const Parameter& parameter, int position) {
        char hash[8];
        std::snprintf(hash, sizeof hash, "%04X", static_cast<unsigned>(parameter.nameHash()));
        out_ += "<tr>\n";
        cell(std::to_string(position));
        cell(parameter.networkName());
        cell(hash);
        cell(text::replaceAll(escapeAngles(parameter.caption()), "№1", kCollapsedNumber));
        cell(typeCell(parameter));
        cell(indexingText(parameter));
        cell(rangeText(parameter));
        out_ += "\t<td>" + attributeText(parameter) + "\t</td>\n</tr>\n";
    }

    std::map<std::string, FamilyIndexing> families_;
    std::string out_;
};

// UTF-8 with "\n" line ends into windows-1251 with CR LF.
std::string pageBytes(std::string_view utf8) {
    const std::string single = text::toCp1251(utf8);
    std::string bytes;
    bytes.reserve(single.size() + single.size() / 16);
    for (const char c : single) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    return bytes;
}

}  // namespace

std::string parameterListPage(const DescBranch* root, std::string_view appendix) {
    std::string page = pageBytes(PageBuilder(root).sections(root));
    page += appendix;
    page += pageBytes(kPageEnd);
    return page;
}

std::string readParameterListAppendix(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {};
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool writeParameterList(const DescBranch* root, const std::filesystem::path& file,
                        const std::filesystem::path& appendix, UserInteraction& ui,
                        std::string* error) {
    const std::string page = parameterListPage(root, readParameterListAppendix(appendix));
    QSaveFile out(QString::fromStdString(file.string()));
    // A page that is there but sits in a folder where no temporary file can
    // be made is still replaced.
    out.setDirectWriteFallback(true);
    bool ok = out.open(QIODevice::WriteOnly);
    ok = ok && out.write(page.data(), static_cast<qint64>(page.size())) ==
                   static_cast<qint64>(page.size());
    ok = ok && out.commit();
    if (ok) {
        return true;
    }
    const std::string reason = out.errorString().toStdString();
    out.cancelWriting();
    if (error != nullptr) {
        *error = reason;
    }
    ui.showMessage("Не удалось создать файл " + file.string() + ":\n" + reason,
                   kParameterListErrorCaption, MessageIcon::Error);
    return false;
}

}  // namespace tarn
