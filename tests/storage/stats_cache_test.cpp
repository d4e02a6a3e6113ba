#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "storage/practice_log.h"
#include "storage/practice_log_digest.h"
#include "storage/stats_report.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

using test::TempDir;
using test::u8;

const LocalDateTime kNow{2024, 6, 15, 21, 30, 0};

std::string row(int day, int minute, int chars, std::u16string_view status) {
    PracticeRow r;
    r.time = {2024, 6, day, 20, minute, 0};
    r.judgedCount = chars;
    r.correctCount = chars - chars / 4;
    r.wrongCount = chars / 4;
    r.seconds = 2 * chars + 1;
    r.finishedSets = status == kStatusFinished ? 1 : 0;
    r.cpm = 30 + minute;
    r.wrongPairs = chars % 3 ? u"ア→イ " : u"";
    r.status = status;
    return u8(formatPracticeRow(r));
}

// A few days of sets: "途中" rows and a "完了" row per set.
std::string history(int firstDay, int days) {
    std::string s;
    for (int d = firstDay; d < firstDay + days; ++d)
        for (int set = 0; set < 3; ++set) {
            for (int c = 1; c <= 5; ++c)
                s += row(d, set * 10 + c, c, kStatusInProgress);
            s += row(d, set * 10 + 6, 5, kStatusFinished);
        }
    return s;
}

void append(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::app);
    out << bytes;
}

struct CacheRig {
    TempDir dir;
    std::filesystem::path log = dir / "telegram_practice_log.csv";
    PracticeLogCache cache;

    // The cached view must equal a fresh read of the same file, field for field.
    void expectSameAsFullRead(const char* when) {
        const PracticeLogData cached = cache.read(log);
        const PracticeLogData full = readPracticeLogData(log);
        EXPECT_TRUE(cached == full) << when;
        const PracticeSums a = cached.sums(kNow), b = sumPracticeLog(log, kNow);
        EXPECT_TRUE(a.today == b.today && a.week == b.week && a.month == b.month) << when;
        EXPECT_EQ(cached.days, readDayTable(log)) << when;
    }
};

TEST(StatsCache, ReadsOnlyAppendedBytesAndAgreesWithAFullRead) {
    CacheRig r;
    const std::string start =
        std::string(kUtf8Mark) + std::string(kPracticeLogHeader) + history(10, 3);
    test::writeAll(r.log, start);
    r.expectSameAsFullRead("first read");
    EXPECT_EQ(r.cache.lastBytesRead(), start.size());

    r.cache.read(r.log);
    EXPECT_EQ(r.cache.lastBytesRead(), 0u) << "an unchanged file is not read again";

    const std::string more = history(13, 2);
    append(r.log, more);
    r.expectSameAsFullRead("after an append");
    // Only the new rows, plus the few bytes that confirm the old end is still there.
    EXPECT_LE(r.cache.lastBytesRead(), more.size() + 2 * 4096);
    EXPECT_GE(r.cache.lastBytesRead(), more.size());
}

TEST(StatsCache, AppendsCutAnywhereStillAgree) {
    CacheRig r;
    const std::string all = std::string(kUtf8Mark) + std::string(kPracticeLogHeader) +
                            history(1, 14) + "2024/06/15 09:00:00,1,2,3\r\n" +
                            row(15, 1, 4, kStatusFinished) + "\r\r\n" +
                            std::string(kPracticeLogHeader) + row(15, 2, 7, kStatusFinished);
    std::mt19937 random(11);
    std::size_t at = 0;
    test::writeAll(r.log, "");
    while (at < all.size()) {
        // Cuts land inside rows, inside multi-byte characters, inside the mark and the CR LF.
        const std::size_t n = std::min<std::size_t>(all.size() - at, 1 + random() % 300);
        append(r.log, all.substr(at, n));
        at += n;
        r.expectSameAsFullRead(("after " + std::to_string(at) + " bytes").c_str());
        if (testing::Test::HasFailure())
            break;
    }
}

TEST(StatsCache, AFileReplacedOrRewrittenIsReadAgainWhole) {
    CacheRig r;
    const std::string header = std::string(kUtf8Mark) + std::string(kPracticeLogHeader);
    test::writeAll(r.log, header + history(1, 10));
    r.expectSameAsFullRead("long file");

    // Replaced by a shorter file under the same name (a new file, another identity).
    const auto other = r.dir / "new.csv";
    test::writeAll(other, header + history(20, 1));
    std::filesystem::rename(other, r.log);
    r.expectSameAsFullRead("replaced by a shorter file");

    // Truncated in place and rewritten shorter.
    test::writeAll(r.log, header + row(21, 1, 3, kStatusFinished));
    r.expectSameAsFullRead("truncated in place");

    // Same size, other bytes, and a later modification time: not an append.
    std::string same = header + row(21, 1, 3, kStatusFinished);
    same.replace(same.find("2024/06/21"), 10, "2024/06/22");
    const auto before = std::filesystem::last_write_time(r.log);
    test::writeAll(r.log, same);
    std::filesystem::last_write_time(r.log, before + std::chrono::seconds(2));
    r.expectSameAsFullRead("rewritten at the same size");
    EXPECT_EQ(r.cache.read(r.log).days.count(u"2024/06/22"), 1u);

    // Grown, but the old bytes changed too (an editor saved over it).
    std::string grown = header + row(23, 1, 3, kStatusFinished) + history(24, 1);
    test::writeAll(r.log, grown);
    r.expectSameAsFullRead("rewritten longer");

    std::filesystem::remove(r.log);
    EXPECT_FALSE(r.cache.read(r.log).found);
    EXPECT_FALSE(r.cache.read(r.log).recent.has_value());
}

TEST(StatsCache, ReportsMatchBetweenCachedAndFreshReaders) {
    TempDir dir;
    const auto log = dir / "telegram_practice_log.csv";
    const auto chars = dir / "telegram_practice_char_log.csv";
    test::writeAll(log, std::string(kUtf8Mark) + std::string(kPracticeLogHeader) + history(9, 4));
    StatsReports cached(log, chars);
    RunStats run;
    for (int tab = 0; tab < kStatsTabCount; ++tab)
        cached.page(tab, run, kNow);
    append(log, history(13, 3) + "2024/06/15 23:59:59,5,15,8");  // the last row half written
    for (int tab = 0; tab < kStatsTabCount; ++tab) {
        StatsReports fresh(log, chars);
        const StatsPage a = cached.page(tab, run, kNow);
        const StatsPage b = fresh.page(tab, run, kNow);
        EXPECT_EQ(u8(a.report), u8(b.report)) << tab;
        EXPECT_EQ(a.graph, b.graph) << tab;
    }
}

}  // namespace
}  // namespace quorvel
