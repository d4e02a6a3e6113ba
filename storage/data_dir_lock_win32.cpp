#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <string>

#include "storage/data_dir_lock.h"

namespace quorvel {
namespace {

// The lock covers a byte past the process id, so that others can still read the id.
constexpr DWORD kLockOffset = 4096;

std::int64_t readPid(HANDLE h) {
    char buffer[32] = {};
    DWORD got = 0;
    OVERLAPPED at{};
    if (!ReadFile(h, buffer, sizeof buffer - 1, &got, &at))
        return 0;
    return std::strtoll(buffer, nullptr, 10);
}

}  // namespace

DataDirLock::~DataDirLock() {
    release();
}

void DataDirLock::release() {
    if (handle_ == -1)
        return;
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

DataDirLock::Result DataDirLock::acquire(const std::filesystem::path& dir) {
    release();
    holder_ = 0;
    const std::filesystem::path file = dir / kLockFileName;
    HANDLE h =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Result::Unavailable;
    OVERLAPPED at{};
    at.Offset = kLockOffset;
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const bool busy = GetLastError() == ERROR_LOCK_VIOLATION;
        if (busy)
            holder_ = readPid(h);
        CloseHandle(h);
        return busy ? Result::Busy : Result::Unavailable;
    }
    const std::string pid = std::to_string(GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    OVERLAPPED start{};
    if (WriteFile(h, pid.data(), static_cast<DWORD>(pid.size()), &written, &start)) {
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(pid.size());
        if (SetFilePointerEx(h, end, nullptr, FILE_BEGIN))
            SetEndOfFile(h);
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    removeStaleTemporaries(dir);
    return Result::Acquired;
}

}  // namespace quorvel
