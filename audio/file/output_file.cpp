#include "audio/file/output_file.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

namespace quorvel {
namespace {

// Exclusive creation ("x"): a name that exists, the user's file or another writer's, is
// never taken over.
bool createExclusive(const std::filesystem::path& path) {
#ifdef _WIN32
    std::FILE* f = _wfopen(path.c_str(), L"wbx");
#else
    std::FILE* f = std::fopen(path.c_str(), "wbx");
#endif
    if (!f)
        return false;
    std::fclose(f);
    return true;
}

}  // namespace

OutputFile::OutputFile(std::filesystem::path target) : target_(std::move(target)) {
    if (target_.empty() || !target_.has_filename())
        throw std::runtime_error("no output file named");
    static std::atomic<unsigned> counter{0};
    const auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path temp = target_;
        temp += "." + std::to_string(stamp % 1000000007ull) + "-" +
                std::to_string(counter.fetch_add(1, std::memory_order_relaxed)) + ".part";
        if (createExclusive(temp)) {
            temp_ = std::move(temp);
            return;
        }
        std::error_code ec;
        if (!std::filesystem::exists(temp, ec) || ec)
            break;  // not a name clash: the directory cannot take the file
    }
    throw std::runtime_error("cannot create " + target_.string());
}

OutputFile::~OutputFile() {
    if (committed_)
        return;
    std::error_code ignored;
    std::filesystem::remove(temp_, ignored);
}

void OutputFile::commit() {
    std::error_code ec;
    std::filesystem::rename(temp_, target_, ec);
    if (ec)
        throw std::runtime_error("cannot write " + target_.string() + ": " + ec.message());
    committed_ = true;
}

}  // namespace quorvel
