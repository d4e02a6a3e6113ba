// What the statistics need from the practice log, folded in one pass: sums per date and per
// day, and the newest rows. A cache keeps the fold and reads only what was appended since.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "storage/day_table.h"
#include "storage/local_time.h"
#include "storage/practice_log.h"
#include "storage/read_only_file.h"

namespace quorvel {

inline constexpr std::size_t kRecentRowCount = 10;

// A leading "%d/%d/%d" as read from a row, valid calendar date or not.
struct LogDate {
    int year = 0;
    int month = 0;
    int day = 0;
    auto operator<=>(const LogDate&) const = default;
};

// 日時, CPM and 正答率 of one row, as written.
struct RecentRow {
    std::u16string time;
    std::u16string cpm;
    std::u16string rate;
    bool operator==(const RecentRow&) const = default;
};

struct PracticeLogData {
    bool found = false;  // the file could be opened and read
    std::map<LogDate, PracticeAggregate> byDate;
    DayTable days;
    // Newest first, at most kRecentRowCount; none when the file cannot be read or decoded.
    std::optional<std::vector<RecentRow>> recent;

    // Today, the last seven days and this month, relative to `today`'s date.
    PracticeSums sums(const LocalDateTime& today) const;
    bool operator==(const PracticeLogData&) const = default;
};

// The running fold over the lines of the file.
class PracticeLogFold {
  public:
    // Folds the complete lines of `bytes` (which start at `offset` in the file) and returns how
    // many bytes that used: everything up to and including the last LF.
    std::size_t addBytes(std::string_view bytes, std::uint64_t offset);
    // The text after the last LF, as the last line of the file.
    void addLastLine(std::string_view bytes, std::uint64_t offset);
    // The newest rows in text form, or none when the recent lines must come from decoding the
    // whole file instead (not UTF-8, UTF-16, or nothing after the mark).
    std::optional<std::vector<RecentRow>> recentRows() const;
    PracticeLogData data;  // all but `recent`

  private:
    struct RawRecent {
        std::string time, cpm, rate;
    };
    void addLine(std::string_view line);
    void addDate(std::string_view row, const std::vector<std::string>* fields);
    void addDay(std::string_view field, const std::vector<std::string>* fields);
    void addRecent(const std::vector<std::string>& fields);
    void addRecent(std::string_view time, std::string_view cpm, std::string_view rate);
    std::string_view dropMark(std::string_view bytes, std::uint64_t offset);

    bool utf16_ = false;
    bool utf8_ = true;
    std::uint64_t bodyBytes_ = 0;
    std::array<RawRecent, kRecentRowCount> recent_;
    std::size_t recentCount_ = 0;  // rows pushed so far, the ring index is this modulo the size
    std::vector<std::string> fields_;
    std::vector<std::string> segmentFields_;
    // The entry the previous line went to (rows come in date order); a copy of the fold
    // starts without it, as it points into the original's maps.
    struct Hint {
        PracticeAggregate* entry = nullptr;
        Hint() = default;
        Hint(const Hint&) {}
        Hint& operator=(const Hint&) {
            entry = nullptr;
            return *this;
        }
    };
    Hint lastDate_;
    LogDate lastDateKey_;
    Hint lastDay_;
    std::string lastDayField_;
};

// The newest rows by decoding the whole file as a learner's text file; none when unreadable.
std::optional<std::vector<RecentRow>> decodeRecentRows(const std::filesystem::path& file);

// One full read of the file, without any cache.
PracticeLogData readPracticeLogData(const std::filesystem::path& file);

// Keyed by the file's identity, size and modification time: an unchanged file is not read, a
// file that only grew has its new bytes folded in, anything else is read again whole.
class PracticeLogCache {
  public:
    const PracticeLogData& read(const std::filesystem::path& file);
    // Bytes read by the last call (for tests and the benchmark).
    std::uint64_t lastBytesRead() const { return lastBytesRead_; }

  private:
    std::optional<std::pair<std::string, std::string>> anchorsOf(ReadOnlyFile& in) const;
    bool resume(ReadOnlyFile& in);
    void readFrom(ReadOnlyFile& in);
    void finish(const std::filesystem::path& file);

    std::filesystem::path file_;
    bool valid_ = false;
    FileVersion version_;
    std::uint64_t committed_ = 0;  // bytes folded, through the last LF
    // The first bytes and those just before committed_, to confirm the file only grew.
    std::string headAnchor_;
    std::string tailAnchor_;
    PracticeLogFold fold_;
    std::string tail_;  // an unfinished last line, folded into the result only
    PracticeLogData result_;
    std::uint64_t lastBytesRead_ = 0;
};

}  // namespace quorvel
