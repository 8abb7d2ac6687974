#include "tree_file_walk.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "platform/numbers.h"
#include "platform/text.h"

namespace tarn::testing {

namespace {

using text::equalsNoCase;

struct Template {
    std::string name;  // as in the description, "!" kept
    std::string type;
    std::string caption;
    double lower = 0;
    double upper = 0;
    bool attributes = true;
    std::string init;
};

struct Branch {
    std::string name;
    int count = 1;
    int number = 1;
    std::vector<Template> parameters;
    std::vector<Branch> children;
};

class Walker {
public:
    explicit Walker(WalkedTree& out) : out_(out) {}

    void line(const std::vector<std::string>& words, bool hadTab, int lineNumber);
    void finish();

private:
    void problem(int line, const std::string& what) {
        out_.problems.push_back("line " + std::to_string(line) + ": " + what);
    }
    Template* findTemplate(const std::string& name) {
        for (Template& t : templates_) {
            if (equalsNoCase(t.name, name)) {
                return &t;
            }
        }
        return nullptr;
    }
    void parameter(const std::vector<std::string>& w, int n);
    void limitsOrInit(const std::vector<std::string>& w, int n, bool rule);
    void branch(const std::vector<std::string>& w, int n, int kind);
    int instantiate(Branch& b, bool indexed, int base, const std::string& parent, bool scanner);

    WalkedTree& out_;
    std::vector<Template> templates_;
    std::vector<std::pair<std::string, std::string>> types_;
    std::vector<std::pair<std::string, double>> constants_;
    std::vector<Branch> branches_;
    std::set<std::string> copied_;  // names of templates some branch has copied
    std::optional<Branch> root_;
    std::optional<Branch> scanners_;
    bool stopped_ = false;
};

void Walker::line(const std::vector<std::string>& w, bool hadTab, int n) {
    if (stopped_ || w.size() < 2) {
        return;
    }
    if (w[0] == ";" || w[0] == "'") {
        out_.features.insert("comment " + w[0]);
        return;
    }
    if (hadTab) {
        out_.features.insert("tab");
    }
    const std::size_t before = out_.problems.size();
    const std::string& k = w[0];
    if (equalsNoCase(k, "parameter")) {
        parameter(w, n);
    } else if (equalsNoCase(k, "rule")) {
        limitsOrInit(w, n, true);
    } else if (equalsNoCase(k, "init")) {
        limitsOrInit(w, n, false);
    } else if (equalsNoCase(k, "branch")) {
        branch(w, n, 0);
    } else if (equalsNoCase(k, "scanners")) {
        branch(w, n, 1);
    } else if (equalsNoCase(k, "root")) {
        branch(w, n, 2);
    } else if (equalsNoCase(k, "const")) {
        if (w.size() < 3) {
            problem(n, "const needs a value");
        } else {
            for (const auto& c : constants_) {
                if (equalsNoCase(c.first, w[1])) {
                    problem(n, "constant " + w[1] + " defined twice");
                }
            }
            constants_.emplace_back(w[1], numbers::leadingReal(w[2]));
            out_.features.insert("const");
        }
    } else if (equalsNoCase(k, "type")) {
        std::string joined;
        for (std::size_t i = 2; i < w.size(); ++i) {
            joined += (i > 2 ? ":" : "") + w[i];
        }
        for (const auto& t : types_) {
            if (equalsNoCase(t.first, w[1])) {
                out_.features.insert("type again");
            }
        }
        types_.emplace_back(w[1], joined);
        out_.features.insert("type");
    } else {
        problem(n, "unknown command " + k);
    }
    // A loader stops at the first failing line.
    stopped_ = out_.problems.size() != before;
}

void Walker::parameter(const std::vector<std::string>& w, int n) {
    if (w.size() < 4) {
        problem(n, "parameter needs a name, a type and a caption");
        return;
    }
    Template t;
    t.name = w[1];
    if (!t.name.empty() && t.name[0] == '@') {
        t.name.erase(0, 1);
        out_.features.insert("@");
    }
    if (!t.name.empty() && t.name[0] == '!') {
        out_.features.insert("!");
    }
    t.type = w[2];
    for (const auto& type : types_) {
        if (equalsNoCase(type.first, w[2])) {
            t.type = type.second;  // the last definition wins
        }
    }
    t.caption = w[3];
    if (w.size() >= 5 && equalsNoCase(w[4], "noattr")) {
        t.attributes = false;
        out_.features.insert("noattr");
    } else if (w.size() >= 6) {
        std::string table = w[4];
        if (!table.empty() && (table.back() == '+' || table.back() == '*')) {
            out_.features.insert(std::string("table") + table.back());
            table.pop_back();
        }
        for (int i = 1; i <= 5; ++i) {
            if (equalsNoCase(table, "table" + std::to_string(i))) {
                out_.features.insert(table);
            }
        }
    }
    templates_.push_back(std::move(t));
}

void Walker::limitsOrInit(const std::vector<std::string>& w, int n, bool rule) {
    if (w.size() < (rule ? 4u : 3u)) {
        problem(n, "too few words");
        return;
    }
    Template* t = findTemplate(w[1]);
    if (t == nullptr) {
        problem(n, "parameter " + w[1] + " is not defined");
        return;
    }
    if (copied_.count(text::toUpper(w[1])) != 0) {
        problem(n, (rule ? "rule" : "init") + std::string(" for ") + w[1] +
                       " comes after a branch that lists it");
    }
    if (rule) {
        t->lower = numbers::leadingReal(w[2]);
        t->upper = numbers::leadingReal(w[3]);
        out_.features.insert("rule");
    } else {
        t->init = text::replaceAll(w[2], "_", " ");
        out_.features.insert("init");
    }
}

void Walker::branch(const std::vector<std::string>& w, int n, int kind) {
    if (w.size() < 3) {
        problem(n, "branch needs a name and a count");
        return;
    }
    int count = numbers::leadingInteger(w[2]);
    if (count == 0) {
        for (const auto& c : constants_) {
            if (equalsNoCase(c.first, w[2])) {
                count = static_cast<int>(std::trunc(c.second));
            }
        }
    }
    if (count >= 1 && w.size() < 5) {
        problem(n, "branch needs images");
        return;
    }
    for (int k = 1; k <= count; ++k) {
        Branch b;
        b.name = w[1];
        b.count = count;
        b.number = k;
        for (std::size_t i = 5; i < w.size(); ++i) {
            bool found = false;
            for (const Template& t : templates_) {
                if (equalsNoCase(t.name, w[i])) {
                    b.parameters.push_back(t);
                    copied_.insert(text::toUpper(t.name));
                    found = true;
                }
            }
            for (const Branch& c : branches_) {
                if (equalsNoCase(c.name, w[i])) {
                    b.children.push_back(c);
                    found = true;
                }
            }
            if (!found) {
                problem(n, "member " + w[i] + " matches nothing");
                return;
            }
        }
        branches_.push_back(b);
        if (kind == 1) {
            scanners_ = b;
        } else if (kind == 2) {
            root_ = b;
        }
    }
}

bool endsWithMark(const std::string& name, char mark) {
    return name.size() >= 2 && name[name.size() - 2] == mark &&
           std::isdigit(static_cast<unsigned char>(name.back()));
}

int Walker::instantiate(Branch& b, bool indexed, int base, const std::string& parent,
                        bool scanner) {
    const int c = b.count;
    int k = b.number;
    int h = c * base + k - 1;
    std::string name = b.name;
    if (endsWithMark(name, '*')) {
        h *= name.back() - '0';
        name.resize(name.size() - 2);
        out_.features.insert("*N");
    }
    if (endsWithMark(name, '+')) {
        const int e = name.back() - '0';
        h += e;
        name.resize(name.size() - 2);
        out_.features.insert("+E");
        if (equalsNoCase(name, "K20")) {
            out_.features.insert("K20");
        } else {
            k += e;
        }
    }
    if (c > 1) {
        if (name.find('#') == std::string::npos) {
            if (equalsNoCase(name, "Состояние_дополнительного_ВЭ")) {
                k += 8;
            }
            name += "#";
        } else {
            out_.features.insert("#");
        }
        name = text::replaceAll(name, "#", " №" + std::to_string(k));
    }
    name = text::replaceAll(name, "_", " ");
    const std::string path = parent.empty() ? name : parent + "/" + name;
    out_.branchPaths.push_back(path);
    int span = 1;
    for (Branch& child : b.children) {
        span = std::max(span, instantiate(child, indexed || c > 1, h, path, scanner));
    }
    for (const Template& t : b.parameters) {
        WalkedParameter p;
        p.path = path;
        p.networkName = t.name;
        if (!p.networkName.empty() && p.networkName[0] == '!') {
            p.networkName.erase(0, 1);
            p.accessible = false;
        }
        p.attributes = t.attributes;
        p.type = t.type;
        const std::size_t colon = t.type.find(':');
        if (colon != std::string::npos) {
            const std::string first = t.type.substr(0, colon);
            const std::size_t next = t.type.find(':', colon + 1);
            const std::string second = t.type.substr(colon + 1, next - colon - 1);
            if ((equalsNoCase(first, "int") || equalsNoCase(first, "CLK_frm") ||
                 equalsNoCase(first, "float")) &&
                (second == "1" || second == "2" || second == "3")) {
                p.type = first;
            }
        }
        p.caption = text::replaceAll(t.caption, "_", " ");
        p.lower = t.lower;
        p.upper = t.upper;
        p.initialValue = t.init;
        p.hasIndex = indexed || c > 1;
        p.index = p.hasIndex ? span * h : 0;
        p.scanner = scanner;
        if (b.children.empty() && b.parameters.size() == 1) {
            p.caption = name;
        }
        out_.parameters.push_back(std::move(p));
    }
    return span * c;
}

void Walker::finish() {
    if (root_) {
        out_.hasRoot = true;
        instantiate(*root_, false, 0, "", false);
    }
    if (scanners_) {
        out_.hasScanners = true;
        instantiate(*scanners_, false, 0, "", true);
    }
}

}  // namespace

WalkedTree walkTreeFile(std::string_view text) {
    WalkedTree tree;
    Walker walker(tree);
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(pos, end - pos);
        ++lineNumber;
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n') {
            ++end;
        }
        pos = end + 1;
        std::vector<std::string> words;
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
                ++i;
            }
            const std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
                ++i;
            }
            if (i > start) {
                words.emplace_back(line.substr(start, i - start));
            }
        }
        walker.line(words, line.find('\t') != std::string_view::npos, lineNumber);
    }
    walker.finish();
    return tree;
}

}  // namespace tarn::testing
