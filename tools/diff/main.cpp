// tarn-diff: compares two configuration files parameter by parameter.
#include <cstdio>
#include <string>
#include <vector>

#include "description/tree_container.h"
#include "document/configuration_diff.h"
#include "document/configuration_dump.h"
#include "document/configuration_reader.h"
#include "platform/console_user_interaction.h"

namespace {

// As diff(1).
constexpr int kExitSame = 0;
constexpr int kExitDiffer = 1;
constexpr int kExitTrouble = 2;

constexpr const char* kUsage =
    "Usage: tarn-diff A.tarn B.tarn\n"
    "\n"
    "Compares two configuration files parameter by parameter. Parameters are matched\n"
    "by the key the file stores them under (name hash and linear index), so files of\n"
    "different operating modes are compared on the parameters they share. Printed,\n"
    "in UTF-8, in the tree order of A:\n"
    "  ~ branch path / caption  name:index      value or attributes differ,\n"
    "        - value in A  [attributes]\n"
    "        + value in B  [attributes]\n"
    "  - branch path / caption  name:index = value  [attributes]    only A holds it\n"
    "  + branch path / caption  name:index = value  [attributes]    only B holds it\n"
    "\n"
    "  --help   this text\n"
    "\n"
    "The parameter trees come from tarn.tree.dat beside tarn-diff.\n"
    "Exit codes, as diff(1): 0 the files hold the same values, 1 they differ,\n"
    "2 a file cannot be read or is damaged, or a wrong command line.\n";

void write(const std::string& text, std::FILE* to) {
    std::fwrite(text.data(), 1, text.size(), to);
}

int usageError(const std::string& problem) {
    write("tarn-diff: " + problem + "\n\n" + kUsage, stderr);
    return kExitTrouble;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            write(kUsage, stdout);
            return kExitSame;
        }
        if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return usageError("unknown option '" + arg + "'");
        }
        files.push_back(arg);
    }
    if (files.size() != 2) {
        return usageError("name exactly two configuration files");
    }

    tarn::ConsoleUserInteraction ui(stderr);
    tarn::ConfigurationReader first(ui, tarn::treeContainerPath());
    tarn::ConfigurationReader second(ui, tarn::treeContainerPath());
    std::string error;
    if (!first.read(files[0], error)) {
        write("tarn-diff: " + files[0] + ": " + error + "\n", stderr);
        return kExitTrouble;
    }
    if (!second.read(files[1], error)) {
        write("tarn-diff: " + files[1] + ": " + error + "\n", stderr);
        return kExitTrouble;
    }

    const auto differences = tarn::compareConfigurations(first.entries(), second.entries());
    if (differences.empty()) {
        return kExitSame;
    }
    std::string text = "--- " + files[0] + "  режим " + tarn::modeText(first.mode()) + "\n" +
                       "+++ " + files[1] + "  режим " + tarn::modeText(second.mode()) + "\n";
    if (first.mode() != second.mode()) {
        text += "# режимы различаются: значения сравниваются по общим параметрам\n";
    }
    int differing = 0;
    int onlyFirst = 0;
    int onlySecond = 0;
    for (const auto& difference : differences) {
        text += tarn::differenceText(difference);
        switch (difference.kind) {
            case tarn::ConfigurationDifference::Kind::Differs:
                ++differing;
                break;
            case tarn::ConfigurationDifference::Kind::OnlyInFirst:
                ++onlyFirst;
                break;
            case tarn::ConfigurationDifference::Kind::OnlyInSecond:
                ++onlySecond;
                break;
        }
    }
    text += "# отличаются: " + std::to_string(differing) + ", только в " + files[0] + ": " +
            std::to_string(onlyFirst) + ", только в " + files[1] + ": " +
            std::to_string(onlySecond) + "\n";
    write(text, stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitDiffer : kExitTrouble;
}
