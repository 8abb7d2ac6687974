// Preloaded (LD_PRELOAD) into a program under test: when the program writes
// to a file whose path contains $TARN_KILL_WHILE_WRITING, half of that write
// goes to the file and the program is killed with SIGKILL, as a kill -9 or a
// power cut in the middle of storing a file would do. (A file opened with
// O_TMPFILE has no name of its own: its path is its folder's and "#N".)
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" ssize_t write(int fd, const void* buffer, size_t count) {
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto real = reinterpret_cast<Write>(dlsym(RTLD_NEXT, "write"));
    const char* pattern = std::getenv("TARN_KILL_WHILE_WRITING");
    if (pattern != nullptr && *pattern != '\0' && fd > 2 && count > 1) {
        char link[64];
        char path[4096];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        const ssize_t length = readlink(link, path, sizeof path - 1);
        if (length > 0) {
            path[length] = '\0';
            if (std::strstr(path, pattern) != nullptr) {
                real(fd, buffer, count / 2);
                raise(SIGKILL);
            }
        }
    }
    return real(fd, buffer, count);
}
