#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "storage/data_dir_lock.h"

namespace quorvel {
namespace {

std::int64_t readPid(int fd) {
    char buffer[32] = {};
    const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    return n > 0 ? std::strtoll(buffer, nullptr, 10) : 0;
}

}  // namespace

DataDirLock::~DataDirLock() {
    release();
}

void DataDirLock::release() {
    if (handle_ == -1)
        return;
    // Closing drops the lock; the file stays, so that no one locks a file just unlinked. Its
    // process id goes, so that no later message names a process long gone.
    static_cast<void>(::ftruncate(static_cast<int>(handle_), 0));
    ::close(static_cast<int>(handle_));
    handle_ = -1;
}

DataDirLock::Result DataDirLock::acquire(const std::filesystem::path& dir) {
    release();
    holder_ = 0;
    const std::filesystem::path file = dir / kLockFileName;
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return Result::Unavailable;
    // flock, not fcntl: a lock per open file, so two writers in one process exclude each other
    // too, and a child forked later does not drop it by closing a copy.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const bool busy = errno == EWOULDBLOCK;
        if (busy)
            holder_ = readPid(fd);
        ::close(fd);
        return busy ? Result::Busy : Result::Unavailable;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0)
        static_cast<void>(::pwrite(fd, pid.data(), pid.size(), 0));
    handle_ = fd;
    removeStaleTemporaries(dir);
    return Result::Acquired;
}

}  // namespace quorvel
