// The statistics' fold of the practice log, read through its cache as the log grows and is
// cut short, must always equal one full read of the file as it then is.
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "storage/practice_log_digest.h"
#include "tests/fuzz/fuzz_input.h"

using namespace quorvel;

namespace {

void append(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void checkAgainstFullRead(PracticeLogCache& cache, const std::filesystem::path& file) {
    const PracticeLogData& cached = cache.read(file);
    const PracticeLogData full = readPracticeLogData(file);
    fuzz::check(cached == full);
    LocalDateTime today;
    today.year = 2024;
    today.month = 3;
    today.day = 5;
    const PracticeSums sums = full.sums(today);
    fuzz::check(sums.today.rows <= sums.week.rows && sums.today.rows <= sums.month.rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Before the NUL: the log as first read; after it: the rows appended later.
    const auto [first, later] = fuzz::splitAtNul(fuzz::bytesOf(data, size));
    const auto file = fuzz::writeScratch("practice_log_digest.csv", first);
    PracticeLogCache cache;
    checkAgainstFullRead(cache, file);
    if (!later.empty()) {
        append(file, later);  // grows, so the cache must fold only the new bytes
        checkAgainstFullRead(cache, file);
    }
    // Cut short (a smaller size always): the cache must read it again whole.
    std::filesystem::resize_file(file, first.size() / 2);
    checkAgainstFullRead(cache, file);
    return 0;
}
