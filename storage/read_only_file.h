// A file opened for reading only (sharing reads and writes with the program's writers), with
// what tells one version of it from another, so a reader can pick up only appended bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

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
    // Opens regular files only: a directory or a device counts as unreadable.
    explicit ReadOnlyFile(const std::filesystem::path& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isOpen() const { return open_; }
    // Taken from the open handle, so it describes the very file being read.
    const FileVersion& version() const { return version_; }
    // Up to `size` bytes at `offset`; fewer at the end of the file. False on a read error.
    bool readAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& got);

  private:
    std::intptr_t handle_ = -1;
    bool open_ = false;
    FileVersion version_;
};

}  // namespace quorvel
