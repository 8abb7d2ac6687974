// The tarn executable on a real X server (Xvfb), as a calling program
// starts it: a window placed, minimized or maximized by the command line
// must appear as asked and the program must end by itself after its task,
// or with 205 when it is told to stop.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <thread>

#include "e2e/tarn_binary_fixture.h"

namespace tarn::e2e {
namespace {

using namespace std::chrono_literals;

// What xwininfo says of the program's main window.
struct WindowState {
    bool viewable = false;
    int x = 0, y = 0, width = 0, height = 0;
};

class OnAnXServer : public TarnBinary {
protected:
    void SetUp() override {
        TarnBinary::SetUp();
        const std::string xvfb = testing::findOnPath("Xvfb");
        xwininfo_ = testing::findOnPath("xwininfo");
        if (xvfb.empty() || xwininfo_.empty()) {
            GTEST_SKIP() << "Xvfb and xwininfo are needed (scripts/setup-debian.sh installs them)";
        }
        // A display number nobody uses. A test beside this one may take the
        // same number first; Xvfb then ends at once and the next is tried.
        std::string failure = "no free display number";
        for (int number = 90 + getpid() % 400, attempt = 0; attempt < 5 && number < 1000;
             ++number) {
            if (!std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
                failure = startServer(xvfb, number);
                if (failure.empty()) {
                    break;
                }
                ++attempt;
            }
        }
        ASSERT_TRUE(failure.empty()) << failure;
        setenv("DISPLAY", display_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("DISPLAY");
        if (server_) {
            server_->signal(SIGTERM);
            server_->waitFor(5s);
        }
        TarnBinary::TearDown();
    }

    // Starts Xvfb on display `number`: empty once its socket is there, else
    // what went wrong (the server is gone then).
    std::string startServer(const std::string& xvfb, int number) {
        display_ = ":" + std::to_string(number);
        socket_ = "/tmp/.X11-unix/X" + std::to_string(number);
        // A socket left by an earlier server would be taken for this one; it
        // goes before the server starts, never after, or the new server's
        // own socket could go with it.
        std::filesystem::remove(socket_);
        server_ = std::make_unique<testing::RunningTool>(
            xvfb,
            std::vector<std::string>{display_, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        std::optional<ToolRun> ended;
        for (int i = 0; i < 800 && !ended && !std::filesystem::exists(socket_); ++i) {
            ended = server_->waitFor(25ms);
        }
        if (!ended && std::filesystem::exists(socket_)) {
            return {};
        }
        server_.reset();
        return ended ? "Xvfb ended on " + display_ + ": " + ended->err
                     : "Xvfb did not start on " + display_;
    }

    // The main window ("TARN <…>") once it is there, or nothing after the
    // bound.
    std::optional<WindowState> mainWindow(std::chrono::milliseconds bound = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        static const std::regex titled(R"((0x[0-9a-f]+) "TARN <)");
        while (std::chrono::steady_clock::now() < deadline) {
            const ToolRun tree =
                testing::runTool(xwininfo_, {"-display", display_, "-root", "-tree"});
            for (auto it = std::sregex_iterator(tree.out.begin(), tree.out.end(), titled);
                 it != std::sregex_iterator(); ++it) {
                const WindowState state = describe((*it)[1]);
                if (state.viewable) {
                    return state;
                }
            }
            std::this_thread::sleep_for(100ms);
        }
        return std::nullopt;
    }

    WindowState describe(const std::string& id) {
        const ToolRun info = testing::runTool(xwininfo_, {"-display", display_, "-id", id});
        WindowState state;
        state.viewable = info.out.find("Map State: IsViewable") != std::string::npos;
        const auto number = [&](const char* label) {
            std::smatch match;
            const std::regex line(std::string(label) + R"(:\s+(-?\d+))");
            return std::regex_search(info.out, match, line) ? std::stoi(match[1]) : -1;
        };
        state.x = number("Absolute upper-left X");
        state.y = number("Absolute upper-left Y");
        state.width = number("Width");
        state.height = number("Height");
        return state;
    }

    // What a program that is still running has written so far: it is ended.
    static std::string endAndTell(testing::RunningTool& run) {
        run.signal(SIGKILL);
        const auto ended = run.waitFor(std::chrono::seconds(5));
        return ended ? ended->out + ended->err : std::string();
    }

    std::string display_;
    std::string socket_;
    std::string xwininfo_;
    std::unique_ptr<testing::RunningTool> server_;
};

TEST_F(OnAnXServer, APlacedWindowAppearsWhereAskedAndTheTaskEndsTheProgram) {
    sim::ServerOptions slow;
    slow.delayMs = 5;
    startModule(slow);
    const auto file = scratch_ / "placed.tarn";
    testing::RunningTool run(
        tarn_, {port(), "-read", "-close", "-x:10", "-y:20", "-w:800", "-h:600", file.string()});
    ASSERT_TRUE(run.started());
    const auto window = mainWindow();
    ASSERT_TRUE(window) << "the placed window is shown: " << endAndTell(run);
    EXPECT_EQ(window->x, 10);
    EXPECT_EQ(window->y, 20);
    EXPECT_EQ(window->width, 800);
    EXPECT_EQ(window->height, 600);
    const auto ended = run.waitFor(90s);
    ASSERT_TRUE(ended) << "the program ends with its task";
    EXPECT_EQ(ended->exitCode, 0) << ended->err;
    EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(OnAnXServer, APlacedWindowWithoutATaskStaysUntilSigterm) {
    startModule();
    testing::RunningTool run(tarn_, {port(), "-x:30", "-y:40", "-w:640", "-h:480"});
    ASSERT_TRUE(run.started());
    const auto window = mainWindow();
    ASSERT_TRUE(window) << "the placed window is shown: " << endAndTell(run);
    EXPECT_EQ(window->width, 640);
    EXPECT_EQ(window->height, 480);
    std::this_thread::sleep_for(300ms);
    ASSERT_FALSE(run.waitFor(0ms)) << "without close the window stays";
    run.signal(SIGTERM);
    const auto ended = run.waitFor(15s);
    ASSERT_TRUE(ended) << "SIGTERM ends the program";
    EXPECT_EQ(ended->exitCode, 205) << ended->err;
}

TEST_F(OnAnXServer, MinimizedAndMaximizedStartsEndWithTheirTask) {
    startModule();
    for (const auto& placement : {std::vector<std::string>{"-w:0", "-h:0"},  // minimized
                                  std::vector<std::string>{}}) {             // maximized
        std::vector<std::string> args = {port(), "-read", "-close"};
        args.insert(args.end(), placement.begin(), placement.end());
        args.push_back((scratch_ / "read.tarn").string());
        testing::RunningTool run(tarn_, args);
        ASSERT_TRUE(run.started());
        const auto ended = run.waitFor(90s);
        ASSERT_TRUE(ended) << "the program ends with its task: " << args.size();
        EXPECT_EQ(ended->exitCode, 0) << ended->err;
    }
}

}  // namespace
}  // namespace tarn::e2e
