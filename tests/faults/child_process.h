// Runs a test body in a forked child, for faults that change the whole process (file size
// limits, another user): the parent sees its exit status.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

namespace quorvel::test {

// The child's exit status (0 when `body` returned true), or -1 when it died of a signal.
inline int inChild(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        bool ok = false;
        try {
            ok = body();
        } catch (...) {
        }
        ::_exit(ok ? 0 : 1);
    }
    if (pid < 0)
        return -2;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Files of this process may grow to `bytes` and no further: writes past it fail (EFBIG)
// instead of raising SIGXFSZ, as on a disk that is full.
inline bool limitFileSize(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return false;
    limit.rlim_cur = bytes;
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

}  // namespace quorvel::test

namespace quorvel::test {

inline bool liftFileSizeLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return false;
    limit.rlim_cur = limit.rlim_max;
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

}  // namespace quorvel::test
