#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "storage/file_io.h"

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

std::string describe(const char* what, const std::filesystem::path& path) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(errno);
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
    Fd existing(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!existing.valid())
        return AppendResult::Failed;
    const off_t before = ::lseek(existing.get(), 0, SEEK_END);
    if (writeAll(existing.get(), bytes) && existing.close())
        return AppendResult::Appended;
    // A full disk may take part of the row: cut it off, or the next row would join it.
    if (before >= 0 && existing.valid())
        static_cast<void>(::ftruncate(existing.get(), before));
    return AppendResult::Failed;
}

bool replaceFile(const std::filesystem::path& path, std::string_view bytes, bool sync,
                 std::string* error) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp = path;
    // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict for a literal
    // prepended to a temporary string.
    std::string suffix = ".";
    suffix.append(std::to_string(::getpid()))
        .append("-")
        .append(std::to_string(counter.fetch_add(1, std::memory_order_relaxed)))
        .append(".tmp");
    temp += suffix;
    auto fail = [&](const char* what, const std::filesystem::path& p) {
        if (error)
            *error = describe(what, p);
        ::unlink(temp.c_str());
        return false;
    };

    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.valid()) {
        if (error)
            *error = describe("cannot create", path);
        return false;
    }
    if (!writeAll(fd.get(), bytes))
        return fail("cannot write", path);
    if (sync && ::fsync(fd.get()) != 0)
        return fail("cannot flush", path);
    if (!fd.close())
        return fail("cannot write", path);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail("cannot replace", path);
    if (sync) {
        // The rename itself is only durable once the directory entry is on the disk.
        std::filesystem::path dir = path.parent_path();
        if (dir.empty())
            dir = ".";
        Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dirFd.valid())
            ::fsync(dirFd.get());
    }
    return true;
}

}  // namespace quorvel
