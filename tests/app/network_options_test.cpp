#include "app/network_options.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "model/desc_branch.h"
#include "model/net_rs485_prg.h"
#include "platform/settings_store.h"
#include "support/scratch_folder.h"

namespace tarn {
namespace {

class NetworkOptions : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TARN_PORTS_DIR", scratch_.path().c_str(), 1);
        program_.fill();
        for (const char* name : {"bPS", "LEn", "PrtY", "Sbit", "A.Len", "Addr"}) {
            auto p = std::make_unique<Parameter>(name);
            p->setValueText("file");
            branch_.addParameter(std::move(p));
        }
    }
    void TearDown() override { unsetenv("TARN_PORTS_DIR"); }

    testing::ScratchFolder scratch_;
    SettingsStore settings_{(scratch_ / "s").string()};
    NetRS485prg program_{settings_};
    DescBranch branch_{"Сетевые параметры прибора", 1, 1, 0, 0};
};

TEST_F(NetworkOptions, ValueTextsInOrder) {
    const auto values = commandLineNetworkValues(
        parseCommandLine({"-addr:24", "-bps:19200", "-prty:odd", "-len:0"}));
    ASSERT_EQ(values.size(), 6u);
    EXPECT_EQ(values[0], (std::pair<std::string, std::string>{"Addr", "24"}));
    EXPECT_EQ(values[1].second, "Нет данных");
    EXPECT_EQ(values[2].second, "19200");
    EXPECT_EQ(values[3].second, "Нет данных") << "0 counts as not given";
    EXPECT_EQ(values[5].second, "Нечетность");
}

TEST_F(NetworkOptions, GivenSettingsGoIntoTheProgramsConnection) {
    applyCommandLineNetworkSettings(parseCommandLine({"-port:5", "-bps:19200", "-addr:32"}),
                                    program_, &branch_);
    EXPECT_EQ(program_.valueByName("bPS"), "19200");
    EXPECT_EQ(program_.valueByName("Addr"), "32");
    EXPECT_EQ(program_.valueByName("LEn"), "8") << "not given: kept";
    EXPECT_EQ(program_.valueByName("Port"), "COM5");
    EXPECT_EQ(branch_.valueByName("bPS"), "file") << "only with aply";

    applyCommandLineNetworkSettings(parseCommandLine({"-bps:38400", "-aply"}), program_, &branch_);
    EXPECT_EQ(branch_.valueByName("bPS"), "38400");
    EXPECT_TRUE(branch_.find("bPS")->valueChanged()) << "so that write-changed writes it";
    EXPECT_EQ(program_.valueByName("Port"), "COM5") << "no port given this time";
}

TEST_F(NetworkOptions, NewNetParamEditsOnlyTheFileAndKeepsWhatIsNotGiven) {
    applyCommandLineNetworkSettings(parseCommandLine({"-newnetparam", "-port:4", "-sbit:2"}),
                                    program_, &branch_);
    EXPECT_EQ(branch_.valueByName("Sbit"), "2");
    EXPECT_EQ(branch_.valueByName("bPS"), "file");
    EXPECT_EQ(program_.valueByName("Sbit"), "1");
    EXPECT_EQ(program_.valueByName("Port"), "COM1");
}

TEST_F(NetworkOptions, WithdrawnSettingsChangeNothing) {
    applyCommandLineNetworkSettings(parseCommandLine({"/port:2/bps:9600/prty:none"}), program_,
                                    &branch_);
    EXPECT_EQ(program_.valueByName("Port"), "COM1");
}

}  // namespace
}  // namespace tarn
