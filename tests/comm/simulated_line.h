// A simulated module on a pseudo-terminal and a DeviceLink opened on it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "comm/device_link.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "sim/simulated_module.h"
#include "support/recording_interaction.h"

namespace tarn::testing {

// A folder of its own under the system's temporary folder, removed again.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarn-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TemporaryFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class SimulatedLine : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TARN_PORTS_DIR", ports_.path().c_str(), 1);
        sim::addBuiltInParameters(module);
        module.setLog([this](const std::string& line) {
            std::lock_guard lock(logMutex_);
            log_.push_back(line);
        });
    }
    void TearDown() override {
        server_.reset();
        unsetenv("TARN_PORTS_DIR");
    }

    // Starts serving on the pty with the entry COM<comNumber>.
    void startServer(sim::ServerOptions options = {}) {
        if (options.comNumber == 0) {
            options.comNumber = 9;
        }
        server_ = std::make_unique<sim::PtyServer>(module, options);
        std::string error;
        ASSERT_TRUE(server_->start(&error)) << error;
    }

    // Starts the server and opens the link on it with the module's settings.
    // The whole frame goes in one write (the converter switches by itself),
    // which keeps the tests quick; the serial port's own tests cover RTS.
    void openLink(PortSettings settings = {}) {
        if (!server_) {
            startServer();
        }
        settings.port = "COM9";
        link.port().setDirectionMode(SerialPort::kDirectionAutomatic);
        ASSERT_EQ(link.OpenLink(settings, true), PortOpenResult::Opened);
    }

    std::vector<std::string> logLines() {
        std::lock_guard lock(logMutex_);
        return log_;
    }
    // Log lines of frames the module received, starting with "<- ".
    std::vector<std::string> received() {
        std::vector<std::string> lines;
        for (const auto& line : logLines()) {
            if (line.rfind("<- ", 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    sim::PtyServer& server() { return *server_; }

    TemporaryFolder ports_;
    sim::SimulatedModule module;
    LinkContext context;
    RecordingInteraction ui;
    DeviceLink link{context, &ui};

private:
    std::unique_ptr<sim::PtyServer> server_;
    std::mutex logMutex_;
    std::vector<std::string> log_;
};

}  // namespace tarn::testing
