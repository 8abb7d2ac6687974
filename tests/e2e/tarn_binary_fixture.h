// The fixture of the end-to-end runs: the tarn executable in a private
// folder of its own, the simulated module on a pseudo-terminal named COM21
// in a private ports folder, and private settings.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "platform/settings_store.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "sim/tree_parameters.h"
#include "support/private_files.h"
#include "support/recording_interaction.h"
#include "support/scratch_folder.h"
#include "support/tool_run.h"

namespace tarn::e2e {

using testing::readFileBytes;
using testing::RunningTool;
using testing::ToolRun;

constexpr int kCom = 21;

class TarnBinary : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(scratch_ / "ports");
        setenv("TARN_PORTS_DIR", (scratch_ / "ports").c_str(), 1);
        setenv("TARN_SETTINGS_DIR", (scratch_ / "settings").c_str(), 1);
        // The program chooses the offscreen platform by itself.
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            unsetenv(variable);
        }
        tarn_ = testing::privateProgram(scratch_, "tarn").string();
        container_ = scratch_ / "bin" / "tarn.tree.dat";
        const auto load = sim::addTreeParameters(module_, container_);
        ASSERT_EQ(load.modes, 7);
        sim::addModuleCommands(module_);
        module_.setActiveSettings(sim::NetworkSettings{});
    }
    void TearDown() override {
        server_.reset();
        unsetenv("TARN_PORTS_DIR");
        unsetenv("TARN_SETTINGS_DIR");
    }

    void startModule(sim::ServerOptions options = {}) {
        options.comNumber = kCom;
        server_ = std::make_unique<sim::PtyServer>(module_, options);
        std::string error;
        ASSERT_TRUE(server_->start(&error)) << error;
    }

    static std::string port() { return "-port:" + std::to_string(kCom); }

    ToolRun tarn(const std::vector<std::string>& args) { return testing::runTool(tarn_, args); }

    // A document over the same container and settings as the program's.
    std::unique_ptr<TarnDocument> document() {
        return std::make_unique<TarnDocument>(ui_, settings_, container_);
    }

    testing::ScratchFolder scratch_;
    std::string tarn_;
    std::filesystem::path container_;
    SettingsStore settings_{(scratch_ / "settings").string()};
    testing::RecordingInteraction ui_;
    sim::SimulatedModule module_;
    std::unique_ptr<sim::PtyServer> server_;
};

// Every parameter of a tree with its value, "name:index=value".
inline void values(const DescBranch& branch, std::vector<std::string>& out) {
    forEachParameter(branch, [&out](Parameter& p) {
        out.push_back(p.networkName() + ":" + std::to_string(p.linearIndex()) + "=" +
                      p.valueText());
    });
}

}  // namespace tarn::e2e
