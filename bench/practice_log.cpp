// Cost of summing a practice log of 1,000,000 rows (a few years of daily practice), which the
// history window does on every tab press, and of the per-character log writes of scoring.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "practice/scoring_text.h"
#include "storage/char_log.h"
#include "storage/csv.h"
#include "storage/practice_log.h"
#include "storage/utf.h"

namespace {

using namespace quorvel;
namespace fs = std::filesystem;

constexpr int kRows = 1000000;

// Removed with everything in it when the program ends.
struct BenchDir {
    fs::path path = fs::temp_directory_path() / ("quorvel-bench-" + std::to_string(getpid()));
    BenchDir() { fs::create_directories(path); }
    ~BenchDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
} gBenchDir;

const fs::path& benchDir() {
    return gBenchDir.path;
}

// Three years of sets of about 30 characters each: one "途中" row per character and a
// "完了" row per set, with the list of wrong pairs growing through each run.
const fs::path& bigLog() {
    static const fs::path file = [] {
        const fs::path f = benchDir() / "telegram_practice_log.csv";
        std::ofstream out(f, std::ios::binary);
        out << kUtf8Mark << kPracticeLogHeader;
        std::mt19937 random(7);
        const char16_t kana[] = u"アイウエオカキクケコサシスセソタチツテト";
        PracticeRow row;
        row.wpm = 15;
        int day = 0;
        std::string text;
        for (int written = 0; written < kRows;) {
            row.time = {2022 + day / 365, 1 + (day % 365) / 31, 1 + (day % 365) % 28, 20, 0, 0};
            row.judgedCount = row.correctCount = row.wrongCount = 0;
            row.wrongPairs.clear();
            row.finishedSets = 0;
            for (int c = 0; c < 30 && written < kRows; ++c, ++written) {
                row.judgedCount += 1;
                if (random() % 8 == 0) {
                    row.wrongCount += 1;
                    row.wrongPairs += wrongPairEntry(kana[random() % 20], kana[random() % 20]);
                } else {
                    row.correctCount += 1;
                }
                row.seconds = 2 * row.judgedCount;
                row.cpm = 30;
                row.status = std::u16string(kStatusInProgress);
                text += toUtf8(formatPracticeRow(row));
            }
            if (written < kRows) {
                row.finishedSets = 1;
                row.status = std::u16string(kStatusFinished);
                text += toUtf8(formatPracticeRow(row));
                ++written;
            }
            if (written % 900 < 31)
                ++day;  // about 900 rows a day
            if (text.size() > (8u << 20)) {
                out << text;
                text.clear();
            }
        }
        out << text;
        return f;
    }();
    return file;
}

void SumPracticeLog(benchmark::State& state) {
    const fs::path& file = bigLog();
    const LocalDateTime today{2024, 6, 15, 12, 0, 0};
    for (auto _ : state) {
        PracticeSums sums = sumPracticeLog(file, today);
        benchmark::DoNotOptimize(sums);
    }
    state.counters["rows"] = kRows;
    state.counters["MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
}
BENCHMARK(SumPracticeLog)->Unit(benchmark::kMillisecond);

// The worst case of a reader that splits every row (all of them in the period it sums).
void SplitEveryRow(benchmark::State& state) {
    const fs::path& file = bigLog();
    std::vector<std::string> fields;
    for (auto _ : state) {
        PracticeAggregate sum;
        forEachPracticeLogLine(file, [&](std::string_view line) {
            splitCsvLine(line, fields);
            addPracticeRow(sum, fields);
        });
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(SplitEveryRow)->Unit(benchmark::kMillisecond);

// One judged character: the character log read, merged and replaced (sync: flushed to disk).
void UpdateCharLog(benchmark::State& state) {
    const fs::path file = benchDir() / "telegram_practice_char_log.csv";
    const bool sync = state.range(0) != 0;
    const char16_t kana[] = u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ";
    // A log of a few hundred characters, as after long use.
    for (char16_t c = 0x30A1; c < 0x30A1 + 200; ++c)
        updateCharLog(file, c, u'ア', false, false);
    unsigned i = 0;
    for (auto _ : state) {
        updateCharLog(file, kana[i % 30], kana[(i + 1) % 30], i % 4 == 0, sync);
        ++i;
    }
}
BENCHMARK(UpdateCharLog)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void AppendPracticeRow(benchmark::State& state) {
    const fs::path file = benchDir() / "append.csv";
    PracticeRow row;
    row.wrongPairs = u"ア→イ カ→キ ";
    row.status = std::u16string(kStatusInProgress);
    for (auto _ : state)
        appendPracticeRow(file, row);
}
BENCHMARK(AppendPracticeRow)->Unit(benchmark::kMicrosecond);

}  // namespace
