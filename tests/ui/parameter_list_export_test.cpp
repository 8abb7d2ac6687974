// The window's export of the parameter list: where the page goes, what is
// opened, what the status bar says.
#include "ui/parameter_list_export.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QStandardPaths>
#include <filesystem>

#include "description/description_parser.h"
#include "document/parameter_list_html.h"
#include "support/recording_interaction.h"
#include "support/scratch_folder.h"

namespace tarn::testing {
namespace {

namespace fs = std::filesystem;

class ParameterListExport : public ::testing::Test {
protected:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        dataFolder_ =
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
        fs::remove_all(dataFolder_);
    }
    void TearDown() override {
        fs::remove_all(dataFolder_);
        QStandardPaths::setTestModeEnabled(false);
    }

    // A program folder as a build tree or a copied folder has it.
    fs::path programFolder() {
        fs::create_directories(scratch_ / "bin");
        scratch_.write("bin/tarn.tree.dat", "container");
        scratch_.write("bin/parlist-appendix.html", "<p>appendix</p>\r\n");
        return scratch_ / "bin";
    }

    QString exportTo(const fs::path& folder) {
        return exportParameterList(tree_.root.get(), ui_, folder, [this](const QUrl& url) {
            opened_.push_back(url);
            cursorWhileOpening_ = QGuiApplication::overrideCursor() != nullptr;
            return true;
        });
    }

    ScratchFolder scratch_;
    RecordingInteraction ui_;
    InstantiationContext context_{ui_};
    ParameterTree tree_ = buildParameterTree(
        "parameter Addr int Адрес\nbranch Сеть 1 0 0 Addr Addr\nroot R 1 1 1 Сеть\n", context_);
    fs::path dataFolder_;
    std::vector<QUrl> opened_;
    bool cursorWhileOpening_ = true;
};

TEST_F(ParameterListExport, AProgramFolderOfItsOwnGetsThePageAndTheBrowserOpensIt) {
    const fs::path folder = programFolder();
    const QString status = exportTo(folder);
    const fs::path page = folder / "parlist.html";
    ASSERT_TRUE(fs::exists(page)) << status.toStdString();
    EXPECT_EQ(readFileBytes(page), parameterListPage(tree_.root.get(), "<p>appendix</p>\r\n"));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], QUrl::fromLocalFile(QString::fromStdString(page.string())));
    EXPECT_FALSE(cursorWhileOpening_) << "the wait cursor ends with the writing";
    EXPECT_TRUE(status.contains(QString::fromStdString(page.string()))) << status.toStdString();
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ParameterListExport, AnInstalledProgramWritesIntoTheUsersDataFolder) {
    // bin/ of an installation: the companion files are in ../share/tarn.
    fs::create_directories(scratch_ / "usr" / "bin");
    fs::create_directories(scratch_ / "usr" / "share" / "tarn");
    scratch_.write("usr/share/tarn/tarn.tree.dat", "container");
    ASSERT_TRUE(fs::exists(scratch_ / "usr" / "share" / "tarn" / "tarn.tree.dat"));
    EXPECT_EQ(parameterListFolder(scratch_ / "usr" / "bin"), dataFolder_);
    EXPECT_EQ(parameterListFolder(scratch_ / "missing"), dataFolder_);

    const QString status = exportTo(scratch_ / "usr" / "bin");
    EXPECT_TRUE(fs::exists(dataFolder_ / "parlist.html"));
    EXPECT_FALSE(fs::exists(scratch_ / "usr" / "bin" / "parlist.html"));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_TRUE(status.contains(QString::fromStdString(dataFolder_.string())));
}

TEST_F(ParameterListExport, APageThatCannotBeWrittenIsToldAndNothingOpens) {
    const fs::path folder = programFolder();
    fs::create_directories(folder / "parlist.html" / "in the way");
    const QString status = exportTo(folder);
    EXPECT_TRUE(opened_.empty());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].caption, kParameterListErrorCaption);
    EXPECT_FALSE(status.contains(QString::fromStdString((folder / "parlist.html").string())));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tarn::testing
