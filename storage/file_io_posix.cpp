#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "storage/file_io.h"
#include "storage/native_file.h"

namespace quorvel {
namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { close(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    bool close() {
        if (fd_ < 0)
            return true;
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

  private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

AppendResult appendToFile(const std::filesystem::path& path, std::string_view bytes,
                          std::string_view prefixIfCreated) {
    // Exclusive creation tells a new file from an existing one without a race.
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666));
    if (fd.valid()) {
        std::string all;
        all.reserve(prefixIfCreated.size() + bytes.size());
        all.append(prefixIfCreated).append(bytes);
        if (writeAll(fd.get(), all) && fd.close())
            return AppendResult::Created;
        // Gone again, so the next attempt creates it with its header.
        ::unlink(path.c_str());
        return AppendResult::Failed;
    }
    if (errno != EEXIST)
        return AppendResult::Failed;
    // Non-blocking, and only a regular file: a FIFO in the log's place must not hang the writer.
    Fd existing(::open(path.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!existing.valid() || ::fstat(existing.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return AppendResult::Failed;
    ::fcntl(existing.get(), F_SETFL, ::fcntl(existing.get(), F_GETFL) & ~O_NONBLOCK);
    const off_t before = ::lseek(existing.get(), 0, SEEK_END);
    if (writeAll(existing.get(), bytes) && existing.close())
        return AppendResult::Appended;
    // A full disk may take part of the row: cut it off, or the next row would join it.
    if (before >= 0 && existing.valid())
        static_cast<void>(::ftruncate(existing.get(), before));
    return AppendResult::Failed;
}

namespace native {

Handle createNew(const std::filesystem::path& path, const std::filesystem::path& modeOf) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return kNoHandle;
    // The replacement keeps the permissions the user gave the file it replaces.
    struct stat st {};
    if (::stat(modeOf.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        static_cast<void>(::fchmod(fd, st.st_mode & 07777));
    return fd;
}

Handle openExisting(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    return fd < 0 ? kNoHandle : fd;
}

bool writeAll(Handle h, std::string_view bytes) {
    return quorvel::writeAll(static_cast<int>(h), bytes);
}

bool writeAt(Handle h, std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n =
            ::pwrite(static_cast<int>(h), bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool syncFile(Handle h) {
    return ::fsync(static_cast<int>(h)) == 0;
}

bool closeFile(Handle h) {
    return ::close(static_cast<int>(h)) == 0;
}

bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to, bool sync) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return false;
    if (sync) {
        // The rename itself is only durable once the directory entry is on the disk.
        std::filesystem::path dir = to.parent_path();
        if (dir.empty())
            dir = ".";
        Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dirFd.valid())
            ::fsync(dirFd.get());
    }
    return true;
}

void removeFile(const std::filesystem::path& path) {
    ::unlink(path.c_str());
}

std::string lastError() {
    return std::strerror(errno);
}

bool lastErrorWasExists() {
    return errno == EEXIST;
}

}  // namespace native

}  // namespace quorvel
