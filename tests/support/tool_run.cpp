#include "support/tool_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/scratch_folder.h"

extern char** environ;

namespace tarn::testing {

namespace {

// Starts `program` with standard output and error going to files in
// `folder`; the process id, or -1.
pid_t spawn(const std::string& program, const std::vector<std::string>& args,
            const std::filesystem::path& folder) {
    const std::string outPath = (folder / "out").string();
    const std::string errPath = (folder / "err").string();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

ToolRun collect(pid_t pid, const std::filesystem::path& folder) {
    ToolRun run;
    if (pid <= 0) {
        return run;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return run;
        }
    }
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    run.out = readFileBytes(folder / "out");
    run.err = readFileBytes(folder / "err");
    return run;
}

}  // namespace

ToolRun runTool(const std::string& program, const std::vector<std::string>& args) {
    ScratchFolder folder;
    return collect(spawn(program, args, folder.path()), folder.path());
}

RunningTool::RunningTool(const std::string& program, const std::vector<std::string>& args) {
    char pattern[] = "/tmp/tarn-run-XXXXXX";
    if (mkdtemp(pattern) != nullptr) {
        folder_ = pattern;
        pid_ = spawn(program, args, folder_);
    }
}

RunningTool::~RunningTool() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        wait();
    }
    if (!folder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

void RunningTool::signal(int number) {
    if (pid_ > 0) {
        ::kill(pid_, number);
    }
}

ToolRun RunningTool::wait() {
    ToolRun run = collect(pid_, folder_);
    pid_ = -1;
    return run;
}

std::optional<ToolRun> RunningTool::waitFor(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            ToolRun run;
            if (WIFEXITED(status)) {
                run.exitCode = WEXITSTATUS(status);
            }
            run.out = readFileBytes(std::filesystem::path(folder_) / "out");
            run.err = readFileBytes(std::filesystem::path(folder_) / "err");
            pid_ = -1;
            return run;
        }
        if (done < 0 && errno != EINTR) {
            pid_ = -1;
            return ToolRun{};
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ToolRun{};
}

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return {};
    }
    std::string_view rest(path);
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty()) {
            const std::filesystem::path candidate = std::filesystem::path(folder) / program;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return candidate.string();
            }
        }
        if (colon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    return {};
}

}  // namespace tarn::testing
