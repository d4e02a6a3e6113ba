#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/native_file.h"
#include "storage/read_only_file.h"

namespace quorvel {

namespace native {

bool versionOf(Handle h, FileVersion& version) {
    struct stat st {};
    if (::fstat(static_cast<int>(h), &st) != 0)
        return false;
    version.device = static_cast<std::uint64_t>(st.st_dev);
    version.index = static_cast<std::uint64_t>(st.st_ino);
    version.size = static_cast<std::uint64_t>(st.st_size);
    version.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL +
                       static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return true;
}

}  // namespace native

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path) {
    // Non-blocking, so that a FIFO in the file's place is refused rather than waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        state_ = errno == ENOENT || errno == ENOTDIR ? State::Missing : State::Unreadable;
        return;
    }
    handle_ = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        state_ = State::Unreadable;
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        state_ = State::NotRegular;
        return;
    }
    // Reads of a regular file never wait; the flag only served the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    native::versionOf(fd, version_);
    state_ = State::Open;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}

bool ReadOnlyFile::readAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    if (!isOpen())
        return false;
    while (got < size) {
        const ssize_t n = ::pread(static_cast<int>(handle_), buffer + got, size - got,
                                  static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace quorvel
