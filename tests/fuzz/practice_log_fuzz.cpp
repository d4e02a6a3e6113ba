// The practice log reader: the streamed line split and the per-period sums.
#include <cstdint>
#include <vector>

#include "storage/csv.h"
#include "storage/practice_log.h"
#include "tests/fuzz/fuzz_input.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = fuzz::writeScratch("practice_log.csv", fuzz::bytesOf(data, size));
    std::size_t lines = 0;
    PracticeAggregate all;
    std::vector<std::string> fields;
    fuzz::check(forEachPracticeLogLine(file, [&](std::string_view line) {
        ++lines;
        fuzz::check(!line.empty() && line.find('\n') == std::string_view::npos);
        splitCsvLine(line, fields);
        addPracticeRow(all, fields);
    }));
    fuzz::check(all.rows >= 0 && static_cast<std::size_t>(all.rows) <= lines);

    LocalDateTime today;
    today.year = 2024;
    today.month = 3;
    today.day = 5;
    const PracticeSums sums = sumPracticeLog(file, today);
    // Today lies in the week and in the month, so neither can hold fewer rows.
    fuzz::check(sums.today.rows <= sums.week.rows && sums.today.rows <= sums.month.rows);
    return 0;
}
