#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>

#include "storage/file_io.h"

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

bool replaceFile(const std::filesystem::path& path, std::string_view bytes, bool sync,
                 std::string* error) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp = path;
    // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict for a literal
    // prepended to a temporary string.
    std::wstring suffix = L".";
    suffix.append(std::to_wstring(GetCurrentProcessId()))
        .append(L"-")
        .append(std::to_wstring(counter.fetch_add(1, std::memory_order_relaxed)))
        .append(L".tmp");
    temp += suffix;
    auto fail = [&](const char* what) {
        if (error)
            *error = std::string(what) + " " + path.string();
        DeleteFileW(temp.c_str());
        return false;
    };

    Handle h(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
    if (!h.valid()) {
        if (error)
            *error = "cannot create " + path.string();
        return false;
    }
    if (!writeAll(h.get(), bytes))
        return fail("cannot write");
    if (sync && !FlushFileBuffers(h.get()))
        return fail("cannot flush");
    if (!h.close())
        return fail("cannot write");
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (sync ? MOVEFILE_WRITE_THROUGH : 0);
    if (!MoveFileExW(temp.c_str(), path.c_str(), flags))
        return fail("cannot replace");
    return true;
}

}  // namespace quorvel
