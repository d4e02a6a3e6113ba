// The practice log (one CSV row per judged character and per finished set) and the text log
// (one entry per finished set): writing rows and summing them per day, week and month.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/local_time.h"

namespace quorvel {

inline constexpr std::u16string_view kStatusInProgress = u"途中";
inline constexpr std::u16string_view kStatusFinished = u"完了";

// Written once, when the file is created (after the UTF-8 byte-order mark).
inline constexpr std::string_view kPracticeLogHeader =
    "日時,CPM,WPM,正答率,誤答率,練習時間,電報数,文字数,平均CPM,平均正答率,最速CPM,最長練習時間,"
    "電報番号,入力文字数,正解文字数,誤答文字数,完了電報数,誤答文字一覧,状態\r\n";
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The values of one row, taken from the run at the moment of the write.
struct PracticeRow {
    LocalDateTime time;
    int cpm = 0;
    int wpm = 0;
    int rate = 0;       // run correct rate, percent
    int wrongRate = 0;  // run wrong rate, percent
    int seconds = 1;    // since the last reset, at least 1
    int finishedSets = 0;
    int judgedCount = 0;
    int telegramNumber = 1;
    int correctCount = 0;
    int wrongCount = 0;
    std::u16string wrongPairs;  // "%c→%c " entries; empty is written "なし"
    std::u16string status;      // kStatusInProgress or kStatusFinished
};

// "%04d/%02d/%02d %02d:%02d:%02d"
std::u16string formatLogTime(const LocalDateTime& time);
// "%02d:%02d" from seconds; the minutes are not limited to two digits.
std::u16string formatPracticeTime(int seconds);
// The row text with its CR LF.
std::u16string formatPracticeRow(const PracticeRow& row);
// Appends one row; a new file gets the mark and the header first. False when nothing could be
// written (the caller goes on without it).
bool appendPracticeRow(const std::filesystem::path& file, const PracticeRow& row);

std::u16string formatTextLogEntry(const LocalDateTime& time, std::u16string_view resultLine,
                                  std::u16string_view keyedText, std::u16string_view wrongPairs);
bool appendTextLog(const std::filesystem::path& file, const LocalDateTime& time,
                   std::u16string_view resultLine, std::u16string_view keyedText,
                   std::u16string_view wrongPairs);

// Sums of the completed rows of one period. 64-bit: years of history add up.
struct PracticeAggregate {
    std::int64_t rows = 0;
    std::int64_t chars = 0;
    std::int64_t correct = 0;
    std::int64_t wrong = 0;
    std::int64_t seconds = 0;
    std::int64_t telegrams = 0;
    bool operator==(const PracticeAggregate&) const = default;
};

struct PracticeSums {
    PracticeAggregate today;
    PracticeAggregate week;  // the last seven days, today included
    PracticeAggregate month;
};

// Adds one split row (UTF-8 fields) to `sum`: "完了" rows of the current layout, and rows of
// the earlier, shorter layout; "途中" rows and rows of fewer than 8 fields add nothing.
void addPracticeRow(PracticeAggregate& sum, const std::vector<std::string>& fields);

// Calls `line` for every data line of the practice log: the byte-order mark, one trailing CR,
// empty lines and header lines (beginning "日時") are dropped. The file is streamed, so its
// size does not matter. False when it cannot be opened (a missing file is no data).
bool forEachPracticeLogLine(const std::filesystem::path& file,
                            const std::function<void(std::string_view)>& line);

// Sums the practice log relative to the local date `today`.
PracticeSums sumPracticeLog(const std::filesystem::path& file, const LocalDateTime& today);

}  // namespace quorvel
