#include "storage/practice_log.h"

#include <gtest/gtest.h>

#include "storage/csv.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

using test::readAll;
using test::TempDir;
using test::u8;
using test::writeAll;

const std::string kMarkAndHeader = std::string(kUtf8Mark) + std::string(kPracticeLogHeader);

PracticeRow sampleRow() {
    PracticeRow r;
    r.time = {2024, 5, 6, 7, 8, 9};
    r.cpm = 42;
    r.wpm = 15;
    r.rate = 66;
    r.wrongRate = 33;
    r.seconds = 754;
    r.finishedSets = 0;
    r.judgedCount = 3;
    r.telegramNumber = 2;
    r.correctCount = 2;
    r.wrongCount = 1;
    r.wrongPairs = u"ア→イ ";
    r.status = std::u16string(kStatusInProgress);
    return r;
}

// A "完了" row of the current layout with the given date and counts.
std::string finishedRow(const LocalDateTime& t, int chars, int correct, int wrong, int seconds,
                        int sets, std::u16string_view status = kStatusFinished) {
    PracticeRow r;
    r.time = t;
    r.judgedCount = chars;
    r.correctCount = correct;
    r.wrongCount = wrong;
    r.seconds = seconds;
    r.finishedSets = sets;
    r.status = status;
    return u8(formatPracticeRow(r));
}

TEST(PracticeLogRows, FormatMatchesTheHeaderColumnByColumn) {
    EXPECT_EQ(u8(formatPracticeRow(sampleRow())),
              u8(u"2024/05/06 07:08:09,42,15,66,33,12:34,1,3,42,66,42,12:34,2,3,2,1,0,"
                 u"\"ア→イ \",\"途中\"\r\n"));
    EXPECT_EQ(splitCsvLine(formatPracticeRow(sampleRow())).size(), 19u);

    PracticeRow r = sampleRow();
    r.wrongPairs.clear();
    r.finishedSets = 3;
    r.seconds = 6000;  // minutes are not cut to two digits
    r.status = std::u16string(kStatusFinished);
    const auto f = splitCsvLine(formatPracticeRow(r));
    EXPECT_EQ(f[5], u"100:00");
    EXPECT_EQ(f[6], u"3");
    EXPECT_EQ(f[16], u"3");
    EXPECT_EQ(f[17], u"なし");
    EXPECT_EQ(f[18], u"完了\r\n");
}

TEST(PracticeLogRows, MarkAndHeaderOnlyWhenTheFileIsCreated) {
    TempDir dir;
    const auto file = dir / "log.csv";
    ASSERT_TRUE(appendPracticeRow(file, sampleRow()));
    const std::string row = u8(formatPracticeRow(sampleRow()));
    EXPECT_EQ(readAll(file), kMarkAndHeader + row);
    ASSERT_TRUE(appendPracticeRow(file, sampleRow()));
    EXPECT_EQ(readAll(file), kMarkAndHeader + row + row);

    // An existing empty file gets rows only, as it always has.
    const auto empty = dir / "empty.csv";
    writeAll(empty, "");
    ASSERT_TRUE(appendPracticeRow(empty, sampleRow()));
    EXPECT_EQ(readAll(empty), row);

    EXPECT_FALSE(appendPracticeRow(dir / "missing" / "log.csv", sampleRow()));
}

TEST(PracticeLogRows, RowsAreWrittenWholeHoweverLong) {
    TempDir dir;
    PracticeRow r = sampleRow();
    for (int i = 0; i < 20000; ++i)
        r.wrongPairs += u"ア→イ ";
    ASSERT_TRUE(appendPracticeRow(dir / "log.csv", r));
    const std::string bytes = readAll(dir / "log.csv");
    EXPECT_EQ(bytes, kMarkAndHeader + u8(formatPracticeRow(r)));
}

TEST(PracticeLogRows, DoubledQuoteSurvivesTheRoundTrip) {
    TempDir dir;
    PracticeRow r = sampleRow();
    r.wrongPairs = u"\"→ア ア→\" ";
    ASSERT_TRUE(appendPracticeRow(dir / "log.csv", r));
    const std::string bytes = readAll(dir / "log.csv");
    EXPECT_NE(bytes.find(u8(u"\"\"\"→ア ア→\"\" \"")), std::string::npos);
    std::vector<std::string> fields;
    forEachPracticeLogLine(dir / "log.csv",
                           [&](std::string_view line) { splitCsvLine(line, fields); });
    ASSERT_EQ(fields.size(), 19u);
    EXPECT_EQ(fields[17], u8(r.wrongPairs));
}

TEST(TextLog, EntryFormatWithoutMark) {
    TempDir dir;
    const auto file = dir / "log.txt";
    ASSERT_TRUE(appendTextLog(file, {2024, 1, 2, 3, 4, 5},
                              u"正答率 50%  不正解率 50%  誤答 1  CPM 9", u"アイ", u""));
    ASSERT_TRUE(appendTextLog(file, {2024, 1, 2, 3, 4, 6}, u"R", u"A", u"A→B "));
    EXPECT_EQ(readAll(file),
              u8(u"2024/01/02 03:04:05\r\n正答率 50%  不正解率 50%  誤答 1  CPM 9\r\n"
                 u"入力文字:アイ\r\n間違い:なし\r\n\r\n"
                 u"2024/01/02 03:04:06\r\nR\r\n入力文字:A\r\n間違い:A→B \r\n\r\n"));
}

TEST(PracticeLogSums, WeekTodayAndMonthBoundaries) {
    TempDir dir;
    const auto file = dir / "log.csv";
    const LocalDateTime today{2024, 3, 5, 12, 0, 0};
    std::string text = kMarkAndHeader;
    text += finishedRow({2024, 3, 5, 9, 0, 0}, 10, 8, 2, 65, 1);      // today
    text += finishedRow({2024, 2, 28, 9, 0, 0}, 100, 90, 10, 30, 2);  // 6 days ago (leap year)
    text += finishedRow({2024, 2, 27, 9, 0, 0}, 1000, 0, 0, 0, 0);    // 7 days ago
    text += finishedRow({2024, 3, 1, 9, 0, 0}, 7, 7, 0, 1, 1);        // this week and month
    text += finishedRow({2024, 3, 6, 9, 0, 0}, 5, 5, 0, 0, 1);        // tomorrow: month only
    text += finishedRow({2023, 3, 5, 9, 0, 0}, 9999, 0, 0, 0, 0);     // a year ago
    writeAll(file, text);

    const PracticeSums s = sumPracticeLog(file, today);
    EXPECT_EQ(s.today, (PracticeAggregate{1, 10, 8, 2, 65, 1}));
    EXPECT_EQ(s.week, (PracticeAggregate{3, 117, 105, 12, 96, 4}));
    EXPECT_EQ(s.month, (PracticeAggregate{3, 22, 20, 2, 66, 3}));
}

TEST(PracticeLogSums, WeekReachesBackOverAYearEnd) {
    TempDir dir;
    const auto file = dir / "log.csv";
    writeAll(file, finishedRow({2023, 12, 27, 0, 0, 0}, 4, 4, 0, 0, 1) +
                       finishedRow({2023, 12, 26, 0, 0, 0}, 8, 8, 0, 0, 1));
    const PracticeSums s = sumPracticeLog(file, {2024, 1, 2, 0, 0, 0});
    EXPECT_EQ(s.week.chars, 4);
    EXPECT_EQ(s.month.rows, 0);
    EXPECT_EQ(s.today.rows, 0);
}

TEST(PracticeLogSums, InProgressRowsHeadersAndJunkNeverCount) {
    TempDir dir;
    const auto file = dir / "log.csv";
    const LocalDateTime t{2024, 6, 1, 0, 0, 0};
    std::string text = kMarkAndHeader;
    text += finishedRow(t, 50, 50, 0, 10, 1, kStatusInProgress);
    text += std::string(kPracticeLogHeader);  // a header in the middle
    text += "\r\n\n";
    text += "garbage line without a date\r\n";
    text += "2024/06/01 01:00:00,1,2,3\r\n";  // too few fields
    text += finishedRow(t, 3, 2, 1, 61, 1);
    text += u8(u"2024/06/01,ア");  // last line without CR LF
    writeAll(file, text);
    const PracticeSums s = sumPracticeLog(file, t);
    EXPECT_EQ(s.today, (PracticeAggregate{1, 3, 2, 1, 61, 1}));
}

TEST(PracticeLogSums, EarlierShortLayout) {
    TempDir dir;
    const auto file = dir / "log.csv";
    // date, (unused), chars, correct, wrong, ..., seconds in field 9, telegrams in field 10
    writeAll(file,
             "2024/06/01 10:00:00,x,20,15,5,a,b,c,120,2\r\n"                // 10 fields
             "2024/06/01 10:00:00,x,4,3,1,a,b,c\r\n"                        // 8: no time or sets
                 + u8(u"2024/06/01 10:00:00,x,9,9,9,a,b,c,9,9,9,途中\r\n")  // 12, in progress
                 + "2024/06/01 10:00:00,x,9,9,9,a,b\r\n");                  // 7: ignored
    const PracticeSums s = sumPracticeLog(file, {2024, 6, 1, 0, 0, 0});
    EXPECT_EQ(s.today, (PracticeAggregate{2, 24, 18, 6, 120, 2}));
}

TEST(PracticeLogSums, MissingOrEmptyFileIsNoData) {
    TempDir dir;
    EXPECT_EQ(sumPracticeLog(dir / "none.csv", {2024, 1, 1}).month, PracticeAggregate{});
    writeAll(dir / "mark.csv", std::string(kUtf8Mark));
    EXPECT_EQ(sumPracticeLog(dir / "mark.csv", {2024, 1, 1}).month, PracticeAggregate{});
}

TEST(PracticeLogLines, StreamingAcrossChunkBoundariesLosesNoLine) {
    TempDir dir;
    const auto file = dir / "log.csv";
    std::string text = kMarkAndHeader;
    int expected = 0;
    // Rows of varied length over several megabytes cross the reader's chunk boundaries.
    for (int i = 0; text.size() < (5u << 20); ++i, ++expected) {
        text += "2024/01/01 00:00:00," + std::to_string(i) + "," +
                std::string(static_cast<std::size_t>(i % 500), 'x') + "\r\n";
    }
    writeAll(file, text);
    int seen = 0;
    bool ordered = true;
    forEachPracticeLogLine(file, [&](std::string_view line) {
        std::vector<std::string> f;
        splitCsvLine(line, f);
        ordered = ordered && f.size() == 3 && csvInt(f[1]) == seen && line.back() != '\r';
        ++seen;
    });
    EXPECT_TRUE(ordered);
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace quorvel
