// A file written as a user expects of an output path: a regular file appears whole or not at
// all (through a uniquely named temporary file beside it, renamed over it), a symbolic link
// keeps pointing at the file it names, and a device or FIFO is written directly.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/read_only_file.h"

namespace quorvel {

class OutputFile {
  public:
    // What to do when the path names something other than a regular file.
    enum class Special {
        WriteThrough,  // a device or FIFO the user named: write to it
        Refuse,        // a data file: only a regular file may take its place
    };

    OutputFile() = default;
    // Removes the temporary file unless commit() succeeded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False (with error()) for an empty path, a directory, a refused special file, or a
    // temporary file that cannot be created.
    bool open(const std::filesystem::path& path, Special special);
    bool write(std::string_view bytes);
    // Writing a device or FIFO directly: nothing can be written again at an earlier offset.
    bool direct() const { return direct_; }
    // Overwrites bytes already written; false when direct().
    bool writeAt(std::uint64_t offset, std::string_view bytes);
    // Flushes (to the disk when `sync`), closes and moves the file into place. `written`, when
    // given, receives the version of the file now at the path.
    bool commit(bool sync, FileVersion* written = nullptr);

    // "cannot <what> <path>: <reason>" of the last failure.
    const std::string& error() const { return error_; }
    // The file that is (or will be) replaced: the path with its symbolic links followed.
    const std::filesystem::path& target() const { return target_; }

  private:
    bool fail(const char* what);
    void discard();

    std::filesystem::path path_;
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::intptr_t handle_ = -1;
    bool direct_ = false;
    std::string error_;
};

// The path with every symbolic link along its last component followed (a dangling link gives
// the file it would name). Other paths are returned unchanged.
std::filesystem::path followLinks(const std::filesystem::path& path);

// Whether `name` is a temporary file this program writes beside a file while replacing it.
bool isReplacementTemporary(const std::filesystem::path& name);

}  // namespace quorvel
