// A heavy user's history window: a practice log of 1,000,000 rows (about 100 MB). The first
// press reads the whole file; later presses read only what scoring appended meanwhile.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "storage/char_log.h"
#include "storage/practice_log.h"
#include "storage/stats_report.h"
#include "storage/utf.h"

namespace {

using namespace quorvel;
namespace fs = std::filesystem;

constexpr int kRows = 1000000;
const LocalDateTime kNow{2025, 1, 20, 21, 0, 0};

struct BenchDir {
    fs::path path = fs::temp_directory_path() / ("quorvel-stats-bench-" + std::to_string(getpid()));
    BenchDir() { fs::create_directories(path); }
    ~BenchDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
} gDir;

// Sets of 30 characters, a "途中" row per character and a "完了" row per set, about 900 rows a
// day over three years.
std::string rows(int count, int& day, std::mt19937& random) {
    static const char16_t kana[] = u"アイウエオカキクケコサシスセソタチツテト";
    std::string text;
    PracticeRow row;
    row.wpm = 15;
    for (int written = 0; written < count;) {
        row.time = {2022 + day / 365, 1 + (day % 365) / 31, 1 + (day % 365) % 28, 20, 0, 0};
        row.judgedCount = row.correctCount = row.wrongCount = row.finishedSets = 0;
        row.wrongPairs.clear();
        for (int c = 0; c < 30 && written < count; ++c, ++written) {
            row.judgedCount += 1;
            if (random() % 8 == 0) {
                row.wrongCount += 1;
                row.wrongPairs +=
                    std::u16string{kana[random() % 20], u'→', kana[random() % 20], u' '};
            } else {
                row.correctCount += 1;
            }
            row.seconds = 2 * row.judgedCount;
            row.cpm = 30;
            row.status = std::u16string(kStatusInProgress);
            text += toUtf8(formatPracticeRow(row));
        }
        if (written < count) {
            row.finishedSets = 1;
            row.status = std::u16string(kStatusFinished);
            text += toUtf8(formatPracticeRow(row));
            ++written;
        }
        if (written % 900 < 31)
            ++day;
    }
    return text;
}

struct History {
    fs::path log = gDir.path / "telegram_practice_log.csv";
    fs::path chars = gDir.path / "telegram_practice_char_log.csv";
    int day = 0;
    std::mt19937 random{7};
    History() {
        std::ofstream out(log, std::ios::binary);
        out << kUtf8Mark << kPracticeLogHeader;
        for (int done = 0; done < kRows; done += 100000)
            out << rows(100000, day, random);
        CharLogTable table;
        for (char16_t c = u'ア'; c < u'ア' + 80; ++c)
            table[c] = {1000, 900, 100, {{u'イ', 60}, {u'ウ', 40}}};
        std::ofstream(chars, std::ios::binary) << formatCharLog(table);
    }
    void append(int count) {
        std::ofstream(log, std::ios::binary | std::ios::app) << rows(count, day, random);
    }
};

History& history() {
    static History h;
    return h;
}

// The window opens: a new reader, the whole log read once for tab 0.
void FirstOpen(benchmark::State& state) {
    History& h = history();
    for (auto _ : state) {
        StatsReports reports(h.log, h.chars);
        benchmark::DoNotOptimize(reports.page(static_cast<int>(state.range(0)), RunStats{}, kNow));
    }
    state.counters["MB"] = static_cast<double>(fs::file_size(h.log)) / 1e6;
}
BENCHMARK(FirstOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A later press after scoring appended 1,000 rows.
void PressAfterAppend(benchmark::State& state) {
    History& h = history();
    StatsReports reports(h.log, h.chars);
    reports.page(0, RunStats{}, kNow);
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        h.append(1000);
        state.ResumeTiming();
        benchmark::DoNotOptimize(reports.page(static_cast<int>(state.range(0)), RunStats{}, kNow));
        bytes = reports.lastBytesRead();
    }
    state.counters["bytesRead"] = static_cast<double>(bytes);
}
BENCHMARK(PressAfterAppend)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A press with nothing new: switching between tabs.
void PressUnchanged(benchmark::State& state) {
    History& h = history();
    StatsReports reports(h.log, h.chars);
    reports.page(0, RunStats{}, kNow);
    int tab = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(reports.page(tab++ % kStatsTabCount, RunStats{}, kNow));
}
BENCHMARK(PressUnchanged)->Unit(benchmark::kMillisecond);

}  // namespace
