// tarn-dump and tarn-diff run as a script or git runs them: the real
// binaries beside a container of their own, on files the program's document
// stored.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <sstream>

#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "platform/settings_store.h"
#include "support/private_files.h"
#include "support/recording_interaction.h"
#include "support/scratch_folder.h"
#include "support/tool_run.h"

namespace tarn {
namespace {

using testing::ToolRun;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class ConfigurationTools : public ::testing::Test {
protected:
    void SetUp() override {
        dump_ = testing::privateProgram(scratch_, "tarn-dump").string();
        diff_ = testing::privateProgram(scratch_, "tarn-diff").string();
    }

    // A configuration of `mode` with a value in every parameter; `edit`
    // changes it before it is stored.
    std::filesystem::path store(std::uint32_t mode, const std::string& name,
                                const std::function<void(TarnDocument&)>& edit = {}) {
        TarnDocument document(ui_, settings_, scratch_ / "bin" / "tarn.tree.dat");
        EXPECT_TRUE(document.switchToMode(mode));
        int counter = 0;
        forEachParameter(*document.root(), [&counter](Parameter& p) {
            if (p.networkName() != "POUt") {
                p.setValueText(std::to_string(++counter));
            }
        });
        for (Parameter* output : document.outputs()) {
            output->setValueText("Дискретный");
        }
        if (edit) {
            edit(document);
        }
        const auto path = scratch_ / name;
        EXPECT_TRUE(document.saveFile(path));
        return path;
    }

    ToolRun dump(const std::vector<std::string>& args) { return testing::runTool(dump_, args); }
    ToolRun diff(const std::vector<std::string>& args) { return testing::runTool(diff_, args); }

    testing::ScratchFolder scratch_;
    SettingsStore settings_{(scratch_ / "settings").string()};
    testing::RecordingInteraction ui_;
    std::string dump_;
    std::string diff_;
};

TEST_F(ConfigurationTools, ADumpIsStableAndOneValueChangesOneLine) {
    const auto original = store(19, "original.tarn");
    const auto edited = store(19, "edited.tarn", [](TarnDocument& document) {
        document.outputs()[3]->setValueText("0-10 В");
    });

    const ToolRun first = dump({original.string()});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.err, "");
    const ToolRun again = dump({original.string()});
    EXPECT_EQ(again.out, first.out);

    const ToolRun changed = dump({edited.string()});
    ASSERT_EQ(changed.exitCode, 0) << changed.err;
    const auto before = linesOf(first.out);
    const auto after = linesOf(changed.out);
    ASSERT_EQ(before.size(), after.size());
    std::vector<std::string> differing;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] != after[i]) {
            differing.push_back(after[i]);
        }
    }
    EXPECT_EQ(differing,
              std::vector<std::string>{"Выходные элементы / Выход №4 / Тип выхода  "
                                       "POUt:3 = 0-10 В  [Редактируемый, Пользователь]"});
    EXPECT_EQ(before.front(),
              "# Конфигурация TARN, режим 19 (Полный доступ ко всем параметрам (VL1 требуется))");

    const ToolRun json = dump({"--json", original.string()});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const QJsonDocument parsed = QJsonDocument::fromJson(QByteArray::fromStdString(json.out));
    ASSERT_TRUE(parsed.isObject());
    EXPECT_EQ(parsed.object()["mode"].toInt(), 19);
    EXPECT_EQ(parsed.object()["parameters"].toArray().size(),
              static_cast<qsizetype>(before.size() - 1));
}

TEST_F(ConfigurationTools, DiffReportsExactlyTheChangedParameterWithBothSides) {
    const auto original = store(19, "a.tarn");
    const auto edited = store(19, "b.tarn", [](TarnDocument& document) {
        document.outputs()[3]->setValueText("0-10 В");
    });

    const ToolRun same = diff({original.string(), original.string()});
    EXPECT_EQ(same.exitCode, 0) << same.err;
    EXPECT_EQ(same.out, "");

    const ToolRun run = diff({original.string(), edited.string()});
    ASSERT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "--- " + original.string() +
                           "  режим 19 (Полный доступ ко всем параметрам (VL1 требуется))\n"
                           "+++ " +
                           edited.string() +
                           "  режим 19 (Полный доступ ко всем параметрам (VL1 требуется))\n"
                           "~ Выходные элементы / Выход №4 / Тип выхода  POUt:3\n"
                           "    - Дискретный  [Редактируемый, Пользователь]\n"
                           "    + 0-10 В  [Редактируемый, Пользователь]\n"
                           "# отличаются: 1, только в " +
                           original.string() + ": 0, только в " + edited.string() + ": 0\n");
}

TEST_F(ConfigurationTools, DamagedOrMissingFilesEndWithTwo) {
    const auto good = store(19, "good.tarn");
    const std::string bytes = testing::readFileBytes(good);
    const auto cut = scratch_.write("cut.tarn", bytes.substr(0, bytes.size() - 7));
    const auto missing = scratch_ / "missing.tarn";

    for (const auto& file : {cut, missing}) {
        SCOPED_TRACE(file.filename().string());
        const ToolRun dumped = dump({file.string()});
        EXPECT_EQ(dumped.exitCode, 2);
        EXPECT_EQ(dumped.out, "");
        EXPECT_NE(dumped.err.find("tarn-dump: " + file.string() + ": "), std::string::npos)
            << dumped.err;
        const ToolRun compared = diff({good.string(), file.string()});
        EXPECT_EQ(compared.exitCode, 2);
        EXPECT_EQ(compared.out, "");
    }
    EXPECT_EQ(diff({good.string()}).exitCode, 2) << "one file is no comparison";
}

}  // namespace
}  // namespace tarn
