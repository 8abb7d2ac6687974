// "tarn -html:FILE": the parameter list written by the real program without
// a display or a module.
#include <gtest/gtest.h>

#include <filesystem>

#include "document/parameter_list_html.h"
#include "e2e/tarn_binary_fixture.h"

namespace tarn::e2e {
namespace {

namespace fs = std::filesystem;

class HtmlExport : public TarnBinary {
protected:
    void SetUp() override {
        TarnBinary::SetUp();
        fs::copy_file(fs::path(TARN_BIN_DIR) / kParameterListAppendixFileName,
                      scratch_ / "bin" / kParameterListAppendixFileName);
        fs::create_directories(scratch_ / "caller");
    }

    // Runs the program from the caller's folder.
    ToolRun tarnInCallersFolder(const std::vector<std::string>& args) {
        const fs::path previous = fs::current_path();
        fs::current_path(scratch_ / "caller");
        ToolRun run = tarn(args);
        fs::current_path(previous);
        return run;
    }

    // The page the writer makes for the tree of `mode`.
    std::string expectedPage(std::uint32_t mode) {
        auto doc = document();
        EXPECT_TRUE(doc->switchToMode(mode));
        return parameterListPage(
            doc->root(),
            readParameterListAppendix(scratch_ / "bin" / kParameterListAppendixFileName));
    }
};

TEST_F(HtmlExport, WithoutAFileTheDefaultModesListGoesIntoTheCallersFolder) {
    const ToolRun run = tarnInCallersFolder({"-html:список.html"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const fs::path page = scratch_ / "caller" / "список.html";
    ASSERT_TRUE(fs::exists(page));
    const std::string bytes = readFileBytes(page);
    EXPECT_EQ(bytes, expectedPage(19));
    EXPECT_NE(bytes.find("r.oe"), std::string::npos) << "the appendix is part of the page";
    EXPECT_FALSE(fs::exists(scratch_ / "bin" / "список.html"));
}

TEST_F(HtmlExport, TheListFollowsTheConfigurationFilesMode) {
    {
        auto doc = document();
        ASSERT_TRUE(doc->switchToMode(1));
        ASSERT_TRUE(doc->saveFile(scratch_ / "caller" / "direct.tarn"));
    }
    const ToolRun run = tarnInCallersFolder({"direct.tarn", "-html:direct.html"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string bytes = readFileBytes(scratch_ / "caller" / "direct.html");
    EXPECT_EQ(bytes, expectedPage(1));
    EXPECT_NE(bytes, expectedPage(19));
}

TEST_F(HtmlExport, FailuresEndWithAMessageAndTheirOwnExitCodes) {
    const ToolRun cannotWrite = tarn({"-html:" + (scratch_ / "no folder" / "p.html").string()});
    EXPECT_EQ(cannotWrite.exitCode, 3);
    EXPECT_NE(cannotWrite.err.find("Не удалось создать файл"), std::string::npos)
        << cannotWrite.err;
    EXPECT_NE(cannotWrite.err.find("no folder/p.html"), std::string::npos) << cannotWrite.err;

    const ToolRun noFile = tarnInCallersFolder({"missing.tarn", "-html:p.html"});
    EXPECT_EQ(noFile.exitCode, 4);
    EXPECT_NE(noFile.err.find("missing.tarn"), std::string::npos) << noFile.err;
    EXPECT_FALSE(fs::exists(scratch_ / "caller" / "p.html"));

    fs::remove(scratch_ / "bin" / "tarn.tree.dat");
    const ToolRun noTree = tarnInCallersFolder({"-html:p.html"});
    EXPECT_EQ(noTree.exitCode, 4);
    EXPECT_NE(noTree.err.find("Ошибка открытия файла дерева!"), std::string::npos) << noTree.err;
}

}  // namespace
}  // namespace tarn::e2e
