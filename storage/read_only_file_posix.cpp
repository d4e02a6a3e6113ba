#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/read_only_file.h"

namespace quorvel {

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    handle_ = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    version_.device = static_cast<std::uint64_t>(st.st_dev);
    version_.index = static_cast<std::uint64_t>(st.st_ino);
    version_.size = static_cast<std::uint64_t>(st.st_size);
    version_.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL +
                        static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    open_ = true;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}

bool ReadOnlyFile::readAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    if (!open_)
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
