// One writer per data directory: an advisory lock on a file in the directory, held while a
// program writes the history there and released by the system when the process ends, however.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace quorvel {

inline constexpr const char* kLockFileName = "quorvel.lock";

class DataDirLock {
  public:
    enum class Result {
        Acquired,
        Busy,         // another process holds it
        Unavailable,  // no lock file can be made (a read-only directory): nothing to guard
    };

    DataDirLock() = default;
    ~DataDirLock();
    DataDirLock(const DataDirLock&) = delete;
    DataDirLock& operator=(const DataDirLock&) = delete;

    // Takes the lock of `dir` without waiting, and removes what earlier runs that were killed
    // left there (temporary files of a replacement).
    Result acquire(const std::filesystem::path& dir);
    void release();
    bool held() const { return handle_ != -1; }
    // After Busy: the process id of the holder, 0 when it has not written it yet.
    std::int64_t holder() const { return holder_; }

  private:
    std::intptr_t handle_ = -1;
    std::int64_t holder_ = 0;
};

// Removes the temporary files that a killed replacement of the program's data files left in
// `dir`. Only the lock's holder may do it: another writer's temporary file is in use.
void removeStaleTemporaries(const std::filesystem::path& dir);

}  // namespace quorvel
