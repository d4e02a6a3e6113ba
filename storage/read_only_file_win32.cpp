#include <windows.h>

#include "storage/native_file.h"
#include "storage/read_only_file.h"

namespace quorvel {

namespace native {

bool versionOf(Handle handle, FileVersion& version) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), &info))
        return false;
    version.device = info.dwVolumeSerialNumber;
    version.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    version.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    version.modified = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
        info.ftLastWriteTime.dwLowDateTime);
    return true;
}

}  // namespace native

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = ::GetLastError();
        state_ = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? State::Missing
                                                                        : State::Unreadable;
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        state_ = State::NotRegular;
        return;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) {
        state_ = State::Unreadable;
        return;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        state_ = State::NotRegular;
        return;
    }
    native::versionOf(handle_, version_);
    state_ = State::Open;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (handle_ != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool ReadOnlyFile::readAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    if (!isOpen())
        return false;
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    while (got < size) {
        OVERLAPPED at{};
        const std::uint64_t pos = offset + got;
        at.Offset = static_cast<DWORD>(pos & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        const std::size_t left = size - got;
        const DWORD want = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD n = 0;
        if (!::ReadFile(h, buffer + got, want, &n, &at))
            return ::GetLastError() == ERROR_HANDLE_EOF;
        if (n == 0)
            break;
        got += n;
    }
    return true;
}

}  // namespace quorvel
