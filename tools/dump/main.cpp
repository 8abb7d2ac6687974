// tarn-dump: prints a configuration file as text, one parameter a line, or
// as JSON.
#include <QJsonDocument>
#include <cstdio>
#include <string>
#include <vector>

#include "description/tree_container.h"
#include "document/configuration_dump.h"
#include "document/configuration_reader.h"
#include "platform/console_user_interaction.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitTrouble = 2;

constexpr const char* kUsage =
    "Usage: tarn-dump [--json] FILE.tarn\n"
    "\n"
    "Prints the configuration FILE.tarn as UTF-8 text: a line with the operating\n"
    "mode, then one line per parameter in tree order,\n"
    "  branch path / caption  name:index = value  [attributes]\n"
    "The text is the same for the same file every time, so git can show changes of\n"
    ".tarn files with it:\n"
    "  git config diff.tarn.textconv tarn-dump\n"
    "  echo '*.tarn diff=tarn' >> .gitattributes\n"
    "\n"
    "  --json   print the mode and the parameters as one JSON document instead\n"
    "  --help   this text\n"
    "\n"
    "The parameter tree of the file's mode comes from tarn.tree.dat beside tarn-dump.\n"
    "Exit codes: 0 printed, 2 the file cannot be read or is damaged, or a wrong\n"
    "command line.\n";

void write(const std::string& text, std::FILE* to) {
    std::fwrite(text.data(), 1, text.size(), to);
}

int usageError(const std::string& problem) {
    write("tarn-dump: " + problem + "\n\n" + kUsage, stderr);
    return kExitTrouble;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    bool json = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            write(kUsage, stdout);
            return kExitOk;
        }
        if (arg == "--json") {
            json = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return usageError("unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 1) {
        return usageError("name exactly one configuration file");
    }

    tarn::ConsoleUserInteraction ui(stderr);
    tarn::ConfigurationReader reader(ui, tarn::treeContainerPath());
    std::string error;
    if (!reader.read(files.front(), error)) {
        write("tarn-dump: " + files.front() + ": " + error + "\n", stderr);
        return kExitTrouble;
    }
    const auto entries = reader.entries();
    if (json) {
        const QByteArray text =
            QJsonDocument(tarn::dumpJson(reader.mode(), entries)).toJson(QJsonDocument::Indented);
        write(text.toStdString(), stdout);
    } else {
        write(tarn::dumpText(reader.mode(), entries), stdout);
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : kExitTrouble;
}
