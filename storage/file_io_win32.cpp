#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "storage/file_io.h"
#include "storage/native_file.h"

namespace quorvel {
namespace {

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { close(); }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool close() {
        if (h_ == INVALID_HANDLE_VALUE)
            return true;
        const BOOL ok = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok != 0;
    }

  private:
    HANDLE h_;
};

bool writeAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr))
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

AppendResult appendToFile(const std::filesystem::path& path, std::string_view bytes,
                          std::string_view prefixIfCreated) {
    Handle h(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h.valid()) {
        std::string all;
        all.reserve(prefixIfCreated.size() + bytes.size());
        all.append(prefixIfCreated).append(bytes);
        if (writeAll(h.get(), all) && h.close())
            return AppendResult::Created;
        // Gone again, so the next attempt creates it with its header.
        h.close();
        DeleteFileW(path.c_str());
        return AppendResult::Failed;
    }
    if (GetLastError() != ERROR_FILE_EXISTS)
        return AppendResult::Failed;
    Handle existing(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!existing.valid())
        return AppendResult::Failed;
    LARGE_INTEGER before{};
    const bool sized = GetFileSizeEx(existing.get(), &before) != 0;
    if (writeAll(existing.get(), bytes) && existing.close())
        return AppendResult::Appended;
    // A full disk may take part of the row: cut it off, or the next row would join it. An
    // append-only handle cannot set the end, so a writing one is opened for that.
    existing.close();
    if (sized) {
        Handle cut(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (cut.valid() && SetFilePointerEx(cut.get(), before, nullptr, FILE_BEGIN))
            SetEndOfFile(cut.get());
    }
    return AppendResult::Failed;
}

namespace native {

Handle createNew(const std::filesystem::path& path, const std::filesystem::path&) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(h);
}

Handle openExisting(const std::filesystem::path& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(h);
}

bool writeAll(Handle h, std::string_view bytes) {
    return quorvel::writeAll(reinterpret_cast<HANDLE>(h), bytes);
}

bool writeAt(Handle h, std::uint64_t offset, std::string_view bytes) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    LARGE_INTEGER back{};
    HANDLE file = reinterpret_cast<HANDLE>(h);
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, &back, FILE_CURRENT) ||
        !SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        return false;
    const bool ok = quorvel::writeAll(file, bytes);
    return SetFilePointerEx(file, back, nullptr, FILE_BEGIN) && ok;
}

bool syncFile(Handle h) {
    return FlushFileBuffers(reinterpret_cast<HANDLE>(h)) != 0;
}

bool closeFile(Handle h) {
    return CloseHandle(reinterpret_cast<HANDLE>(h)) != 0;
}

bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to, bool sync) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (sync ? MOVEFILE_WRITE_THROUGH : 0);
    return MoveFileExW(from.c_str(), to.c_str(), flags) != 0;
}

void removeFile(const std::filesystem::path& path) {
    DeleteFileW(path.c_str());
}

std::string lastError() {
    return "system error " + std::to_string(GetLastError());
}

bool lastErrorWasExists() {
    const DWORD e = GetLastError();
    return e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS;
}

}  // namespace native

}  // namespace quorvel
