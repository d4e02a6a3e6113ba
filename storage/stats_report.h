// The nine statistics reports of the history window: the report text and the bar-graph entries
// of a tab, built from the current run and the two practice logs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "storage/char_log.h"
#include "storage/char_stat.h"
#include "storage/local_time.h"
#include "storage/practice_log_digest.h"

namespace quorvel {

inline constexpr int kStatsTabCount = 9;
inline constexpr int kCharGraphLimit = 20;
inline constexpr int kDailyGraphLimit = 14;

// The run since the last reset, as the reports show it.
struct RunStats {
    int judgedCount = 0;
    int correctCount = 0;
    int wrongCount = 0;
    int seconds = 1;  // since the last reset, at least 1
    int wpm = 0;      // the WPM setting
    CharStats charStats;
};

struct GraphEntry {
    std::u16string label;
    std::int64_t inputValue = 0;    // blue
    std::int64_t correctValue = 0;  // green
    std::int64_t wrongValue = 0;    // red
    bool operator==(const GraphEntry&) const = default;
};

struct StatsPage {
    std::u16string report;  // CR LF line breaks
    std::vector<GraphEntry> graph;
};

// The character log as the reports read it.
struct CharLogRead {
    enum class State { Missing, Unreadable, Read };
    State state = State::Missing;  // Missing also covers an empty file
    CharLogTable table;            // empty unless Read
};
CharLogRead readCharLogForReport(const std::filesystem::path& file);

// Everything a page is built from; gathered once per tab press.
struct StatsInputs {
    RunStats run;
    LocalDateTime now;
    const PracticeLogData* log = nullptr;
    CharLogRead charLog;
    std::filesystem::path practiceLogPath;  // shown in full on tab 0
    std::filesystem::path charLogPath;
};

std::u16string buildReport(int tab, const StatsInputs& in);
std::vector<GraphEntry> buildGraph(int tab, const StatsInputs& in);

// Reads the logs on every call, through a cache of the practice log that reads only what was
// appended since the previous call. Not thread-safe: one per window.
class StatsReports {
  public:
    StatsReports(std::filesystem::path practiceLog, std::filesystem::path charLog);

    // One tab press: reads the logs and builds both the text and the graph.
    StatsPage page(int tab, const RunStats& run, const LocalDateTime& now);
    std::u16string buildReport(int tab, const RunStats& run, const LocalDateTime& now) {
        return page(tab, run, now).report;
    }
    std::vector<GraphEntry> buildGraph(int tab, const RunStats& run, const LocalDateTime& now) {
        return page(tab, run, now).graph;
    }
    const std::filesystem::path& practiceLog() const { return practiceLog_; }
    std::uint64_t lastBytesRead() const { return cache_.lastBytesRead(); }

  private:
    std::filesystem::path practiceLog_;
    std::filesystem::path charLog_;
    PracticeLogCache cache_;
};

}  // namespace quorvel
