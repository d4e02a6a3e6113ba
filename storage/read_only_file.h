// A file opened for reading only (sharing reads and writes with the program's writers), with
// what tells one version of it from another, so a reader can pick up only appended bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace quorvel {

// The file's identity (device and file number) with its size and modification time.
struct FileVersion {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // ns (POSIX) or 100-ns units (Windows), only compared
    bool operator==(const FileVersion&) const = default;
};

class ReadOnlyFile {
  public:
    enum class State { Open, Missing, NotRegular, Unreadable };

    // Opens regular files only, without waiting: a directory, device, FIFO or socket is
    // refused at once (NotRegular).
    explicit ReadOnlyFile(const std::filesystem::path& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isOpen() const { return state_ == State::Open; }
    State state() const { return state_; }
    // Taken from the open handle, so it describes the very file being read.
    const FileVersion& version() const { return version_; }
    // Up to `size` bytes at `offset`; fewer at the end of the file. False on a read error.
    bool readAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& got);
    // The whole file from the start, read in pieces (it may be growing). False on a read error
    // or when it does not fit in memory.
    bool readAll(std::string& bytes);

  private:
    std::intptr_t handle_ = -1;
    State state_ = State::Unreadable;
    FileVersion version_;
};

}  // namespace quorvel
