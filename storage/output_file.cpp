#include "storage/output_file.h"

#include <atomic>
#include <random>
#include <system_error>

#include "storage/native_file.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTempMark = ".quorvel-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempRandom = 6;

std::string randomLetters() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<std::uint64_t> counter{std::random_device{}()};
    // Another thread or process may race for the same name; the exclusive create settles it.
    std::uint64_t x = counter.fetch_add(0x9E3779B97F4A7C15ull, std::memory_order_relaxed);
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 32;
    std::string out;
    for (std::size_t i = 0; i < kTempRandom; ++i) {
        out.push_back(kLetters[x % (sizeof kLetters - 1)]);
        x /= sizeof kLetters - 1;
    }
    return out;
}

bool allDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace

fs::path followLinks(const fs::path& path) {
    fs::path p = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)))
            return p;
        const fs::path to = fs::read_symlink(p, ec);
        if (ec)
            return p;
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    return p;
}

bool isReplacementTemporary(const fs::path& name) {
    const std::string s = name.filename().string();
    if (s.size() <= kTempSuffix.size() || !s.ends_with(kTempSuffix))
        return false;
    const std::string_view stem = std::string_view(s).substr(0, s.size() - kTempSuffix.size());
    const std::size_t mark = stem.rfind(kTempMark);
    if (mark != std::string_view::npos && mark > 0)
        return stem.size() - mark - kTempMark.size() == kTempRandom;
    // Earlier versions named it "<file>.<pid>-<counter>.tmp".
    const std::size_t dot = stem.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return false;
    const std::string_view tail = stem.substr(dot + 1);
    const std::size_t dash = tail.find('-');
    return dash != std::string_view::npos && allDigits(tail.substr(0, dash)) &&
           allDigits(tail.substr(dash + 1));
}

OutputFile::~OutputFile() {
    discard();
}

void OutputFile::discard() {
    if (handle_ != native::kNoHandle)
        native::closeFile(handle_);
    handle_ = native::kNoHandle;
    if (!temp_.empty())
        native::removeFile(temp_);
    temp_.clear();
}

bool OutputFile::fail(const char* what) {
    error_ = std::string("cannot ") + what + " " + path_.string() + ": " + native::lastError();
    discard();
    return false;
}

bool OutputFile::open(const fs::path& path, Special special) {
    discard();
    path_ = path;
    direct_ = false;
    error_.clear();
    if (path.empty()) {
        error_ = "no file name given (an empty path)";
        return false;
    }
    target_ = followLinks(path);
    std::error_code ec;
    const fs::file_status st = fs::status(target_, ec);
    const fs::file_type type = st.type();
    if (type == fs::file_type::directory) {
        error_ = "cannot write " + path.string() + ": it is a directory";
        return false;
    }
    if (type != fs::file_type::not_found && type != fs::file_type::regular &&
        type != fs::file_type::none) {
        if (special == Special::Refuse) {
            error_ = "cannot write " + path.string() + ": not a regular file";
            return false;
        }
        direct_ = true;
        handle_ = native::openExisting(target_);
        return handle_ != native::kNoHandle || fail("open");
    }
    fs::path dir = target_.parent_path();
    const std::string base = target_.filename().string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path temp =
            dir / (base + std::string(kTempMark) + randomLetters() + std::string(kTempSuffix));
        handle_ = native::createNew(temp, target_);
        if (handle_ != native::kNoHandle) {
            temp_ = std::move(temp);
            return true;
        }
        if (!native::lastErrorWasExists())
            break;
    }
    return fail("create a temporary file for");
}

bool OutputFile::write(std::string_view bytes) {
    if (handle_ == native::kNoHandle)
        return false;
    return native::writeAll(handle_, bytes) || fail("write");
}

bool OutputFile::writeAt(std::uint64_t offset, std::string_view bytes) {
    if (handle_ == native::kNoHandle || direct_)
        return false;
    return native::writeAt(handle_, offset, bytes) || fail("write");
}

bool OutputFile::commit(bool sync, FileVersion* written) {
    if (handle_ == native::kNoHandle)
        return false;
    if (direct_) {
        const bool closed = native::closeFile(handle_);
        handle_ = native::kNoHandle;
        return closed || fail("write");
    }
    if (sync && !native::syncFile(handle_))
        return fail("flush");
    // Taken before the rename: the same file, whoever replaces it afterwards.
    FileVersion version;
    const bool known = written && native::versionOf(handle_, version);
    const bool closed = native::closeFile(handle_);
    handle_ = native::kNoHandle;
    if (!closed)
        return fail("write");
    if (!native::renameOver(temp_, target_, sync))
        return fail("replace");
    temp_.clear();
    if (written)
        *written = known ? version : FileVersion{};
    return true;
}

}  // namespace quorvel
