#include "storage/stats_report.h"

#include <gtest/gtest.h>

#include "storage/practice_log.h"
#include "storage/text_util.h"
#include "storage/utf.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

using test::TempDir;
using test::u8;

const LocalDateTime kNow{2024, 6, 15, 21, 30, 0};
const std::string kMarkAndHeader = std::string(kUtf8Mark) + std::string(kPracticeLogHeader);

std::string row(const LocalDateTime& t, int chars, int correct, int wrong, int seconds, int sets,
                std::u16string_view status = kStatusFinished, int cpm = 30, int rate = 90) {
    PracticeRow r;
    r.time = t;
    r.judgedCount = chars;
    r.correctCount = correct;
    r.wrongCount = wrong;
    r.seconds = seconds;
    r.finishedSets = sets;
    r.cpm = cpm;
    r.rate = rate;
    r.status = status;
    return u8(formatPracticeRow(r));
}

std::string charLog(std::u16string_view rows) {
    return std::string(kUtf8Mark) + std::string(kCharLogHeader) + u8(rows);
}

// Everything of a report between two lines of text (both included).
std::u16string section(const std::u16string& text, std::u16string_view from,
                       std::u16string_view to) {
    const auto a = text.find(from);
    const auto b = text.find(to, a == std::u16string::npos ? 0 : a);
    if (a == std::u16string::npos || b == std::u16string::npos)
        return u"<missing>";
    return text.substr(a, b + to.size() - a);
}

struct Reports {
    TempDir dir;
    StatsReports reports{dir / "telegram_practice_log.csv", dir / "telegram_practice_char_log.csv"};
    RunStats run;
    Reports() { run.wpm = 15; }
    void practiceLog(const std::string& bytes) { dir.write("telegram_practice_log.csv", bytes); }
    void chars(std::u16string_view rows) {
        dir.write("telegram_practice_char_log.csv", charLog(rows));
    }
    StatsPage page(int tab) { return reports.page(tab, run, kNow); }
};

TEST(StatsReport, WithNoLogsEverythingIsZeroAndEveryPlaceholderShows) {
    Reports r;
    const StatsPage p = r.page(0);
    const std::u16string expected =
        u"━━━━━━━━━━━━━━━━━━\r\n現在の成績\r\n\r\n総練習時間\r\n0時間0分\r\n\r\n"
        u"総電報数\r\n0通\r\n\r\n総文字数\r\n0文字\r\n\r\n平均CPM\r\n0\r\n\r\n最高CPM\r\n0\r\n\r\n"
        u"平均正答率\r\n0%\r\n\r\n平均誤答率\r\n0%\r\n━━━━━━━━━━━━━━━━━━\r\n\r\n"
        u"現在練習中\r\n練習時間 0分1秒  CPM 0  WPM 15  入力 0文字  正答率 0%  誤答率 0%\r\n\r\n"
        u"苦手文字ランキング\r\nまだ文字別CSV履歴がありません。\r\n\r\n"
        u"最近10回\r\n日時　　　　　　　　CPM　正答率\r\nまだ履歴CSVがありません。\r\n"
        u"\r\n今日の練習\r\n今日            回数:   0  電報:   0通  入力:    0  正解:    0  "
        u"誤答:    0  時間:  0分00秒  CPM:   0  正答:  0%  誤答:  0%\r\n"
        u"\r\n練習バッジ\r\n[未達] 初回受信\r\n[未達] 100文字突破\r\n[未達] 1000文字突破\r\n"
        u"[未達] 100通突破\r\n[未達] CPM50突破\r\n[未達] 正答率99%突破\r\n\r\nCSV保存先\r\n";
    // The two paths close the report; how a path is spelt is the platform's own.
    ASSERT_GE(p.report.size(), expected.size());
    EXPECT_EQ(u8(p.report.substr(0, expected.size())), u8(expected));
    const std::u16string paths = p.report.substr(expected.size());
    EXPECT_NE(paths.find(u"telegram_practice_log.csv\r\n"), std::u16string::npos);
    EXPECT_NE(paths.find(u"telegram_practice_char_log.csv\r\n"), std::u16string::npos);

    // Four zero bars, not the empty graph.
    const std::vector<GraphEntry> zeros = {{u"現在"}, {u"今日"}, {u"週間"}, {u"月間"}};
    EXPECT_EQ(p.graph, zeros);

    EXPECT_NE(r.page(1).report.find(u"まだCSV履歴がありません。\r\n"), std::u16string::npos);
    EXPECT_TRUE(r.page(1).graph.empty());
    const std::u16string chars = r.page(4).report;
    EXPECT_NE(chars.find(u"まだ現在練習中の文字別記録はありません。\r\n"), std::u16string::npos);
    EXPECT_NE(chars.find(u"まだCSV文字別履歴がありません。\r\n"), std::u16string::npos);
}

TEST(StatsReport, CurrentTabTotalsRunLineBadgesAndHighestCpm) {
    Reports r;
    // 1200 characters in 1200 s over two days: average CPM 60, 99 %.
    r.practiceLog(kMarkAndHeader + row({2024, 6, 14, 20, 0, 0}, 600, 594, 6, 600, 60) +
                  row({2024, 6, 14, 20, 5, 0}, 3, 2, 1, 9, 0, kStatusInProgress) +
                  row({2024, 6, 15, 20, 0, 0}, 600, 594, 6, 600, 50));
    r.run.judgedCount = 200;
    r.run.correctCount = 150;
    r.run.wrongCount = 50;
    r.run.seconds = 125;  // run CPM 96 beats the average
    const std::u16string text = r.page(0).report;
    EXPECT_EQ(
        u8(section(text, u"総練習時間", u"平均誤答率\r\n1%")),
        u8(u"総練習時間\r\n0時間20分\r\n\r\n総電報数\r\n110通\r\n\r\n総文字数\r\n1200文字\r\n\r\n"
           u"平均CPM\r\n60\r\n\r\n最高CPM\r\n96\r\n\r\n平均正答率\r\n99%\r\n\r\n平均誤答率\r\n1%"));
    EXPECT_NE(text.find(u"練習時間 2分5秒  CPM 96  WPM 15  入力 200文字  正答率 75%  誤答率 25%"),
              std::u16string::npos);
    EXPECT_EQ(u8(section(text, u"練習バッジ", u"正答率99%突破")),
              u8(u"練習バッジ\r\n[達成] 初回受信\r\n[達成] 100文字突破\r\n[達成] 1000文字突破\r\n"
                 u"[達成] 100通突破\r\n[達成] CPM50突破\r\n[達成] 正答率99%突破"));
    EXPECT_NE(text.find(u"今日            回数:   1  電報:  50通  入力:  600"),
              std::u16string::npos);
}

TEST(StatsReport, WeakCharacterRanking) {
    Reports r;
    // カ and ア tie at 50 %: the lower code comes first; ン (never asked) is not ranked.
    r.chars(
        u"カ,4,2,2,50,\"なし\"\r\nア,2,1,1,50,\"なし\"\r\nイ,3,3,0,100,\"なし\"\r\n"
        u"ン,0,0,0,0,\"なし\"\r\n");
    EXPECT_EQ(u8(section(r.page(0).report, u"苦手文字ランキング", u"最近10回")),
              u8(u"苦手文字ランキング\r\n1位\r\nア\r\n50%  出題2回\r\n\r\n2位\r\nカ\r\n50%  "
                 u"出題4回\r\n\r\n"
                 u"3位\r\nイ\r\n100%  出題3回\r\n\r\n最近10回"));

    // Seven characters: five ranks, none twice.
    r.chars(
        u"ア,10,1,9,10,\"\"\r\nイ,10,2,8,20,\"\"\r\nウ,10,3,7,30,\"\"\r\nエ,10,4,6,40,\"\"\r\n"
        u"オ,10,5,5,50,\"\"\r\nカ,10,6,4,60,\"\"\r\nキ,10,0,10,0,\"\"\r\n");
    const std::u16string text = r.page(0).report;
    EXPECT_NE(text.find(u"1位\r\nキ\r\n0%"), std::u16string::npos);
    EXPECT_NE(text.find(u"5位\r\nエ\r\n40%"), std::u16string::npos);
    EXPECT_EQ(text.find(u"6位"), std::u16string::npos);
}

TEST(StatsReport, RecentTenAreTheNewestRowsOfAnyStatus) {
    Reports r;
    std::string log = kMarkAndHeader;
    for (int i = 0; i < 12; ++i)
        log += row({2024, 6, 15, 10, i, 0}, i, i, 0, 60, 0,
                   i % 2 ? kStatusInProgress : kStatusFinished, 10 + i, 50 + i);
    log += std::string(kPracticeLogHeader);  // a header in the middle is skipped
    log += "a,b,c\r\n\r\n";                  // too few fields
    r.practiceLog(log);
    std::u16string expected = u"最近10回\r\n日時　　　　　　　　CPM　正答率\r\n";
    for (int i = 11; i >= 2; --i)
        expected += std::u16string(u"2024/06/15 10:") + (i < 10 ? u"0" : u"") + decimalText(i) +
                    u":00　" + decimalText(10 + i) + u"　" + decimalText(50 + i) + u"%\r\n";
    EXPECT_EQ(u8(section(r.page(0).report, u"最近10回", u"\r\n\r\n今日の練習")),
              u8(expected + u"\r\n今日の練習"));

    r.practiceLog(kMarkAndHeader);
    EXPECT_NE(r.page(0).report.find(u"CPM　正答率\r\nまだ履歴がありません。\r\n"),
              std::u16string::npos);
}

TEST(StatsReport, DailyListsEveryDayNewestFirstWithInProgressOnlyDaysAtZero) {
    Reports r;
    r.practiceLog(kMarkAndHeader + row({2024, 6, 10, 9, 0, 0}, 5, 4, 1, 30, 0, kStatusInProgress) +
                  row({2024, 6, 10, 9, 1, 0}, 6, 5, 1, 40, 0, kStatusInProgress) +
                  row({2024, 6, 12, 9, 0, 0}, 120, 90, 30, 0, 2) +
                  row({2024, 6, 15, 9, 0, 0}, 0, 0, 0, 95, 1));
    const StatsPage p = r.page(1);
    EXPECT_EQ(u8(section(p.report, u"CSV履歴の日別集計", u"\r\n2024/06/10")),
              u8(u"CSV履歴の日別集計\r\n"
                 u"2024/06/15    回数:   1  電報:   1通  入力:    0  正解:    0  誤答:    0  "
                 u"時間:  1分35秒  CPM:   0  正答:  0%  誤答:  0%\r\n"
                 // 0 seconds read as "00:00": CPM 0 instead of a division by zero
                 u"2024/06/12    回数:   1  電報:   2通  入力:  120  正解:   90  誤答:   30  "
                 u"時間:  0分00秒  CPM:   0  正答: 75%  誤答: 25%\r\n"
                 u"2024/06/10"));
    EXPECT_NE(
        p.report.find(u"2024/06/10    回数:   0  電報:   0通  入力:    0  正解:    0  誤答:    0  "
                      u"時間:  0分00秒  CPM:   0  正答:  0%  誤答:  0%\r\n"),
        std::u16string::npos);
    ASSERT_EQ(p.graph.size(), 3u);
    EXPECT_EQ(p.graph[0].label, u"2024/06/15");
    EXPECT_EQ(p.graph[2], (GraphEntry{u"2024/06/10", 0, 0, 0}));
}

TEST(StatsReport, AggregateLineGuardsItsDivisions) {
    PracticeAggregate a;
    a.rows = 2;
    a.chars = 30;
    a.correct = 20;
    a.wrong = 10;
    EXPECT_EQ(u8(formatAggregate(u"2024/06/01", a)),
              u8(u"2024/06/01    回数:   2  電報:   0通  入力:   30  正解:   20  誤答:   10  "
                 u"時間:  0分00秒  CPM:   0  正答: 66%  誤答: 33%\r\n"));
    PracticeAggregate b;
    b.seconds = 3725;
    EXPECT_EQ(u8(formatAggregate(u"週間", b)),
              u8(u"週間            回数:   0  電報:   0通  入力:    0  正解:    0  誤答:    0  "
                 u"時間: 62分05秒  CPM:   0  正答:  0%  誤答:  0%\r\n"));
}

TEST(StatsReport, WeekAndMonthCountTheirDays) {
    Reports r;
    r.practiceLog(kMarkAndHeader + row({2024, 5, 31, 9, 0, 0}, 10, 10, 0, 60, 1) +
                  row({2024, 6, 8, 9, 0, 0}, 20, 20, 0, 60, 1) +  // seven days ago
                  row({2024, 6, 9, 9, 0, 0}, 30, 30, 0, 60, 1) +  // six days ago
                  row({2024, 6, 15, 9, 0, 0}, 40, 30, 10, 60, 1));
    const StatsPage week = r.page(2);
    EXPECT_NE(week.report.find(u"週間            回数:   2  電報:   2通  入力:   70"),
              std::u16string::npos);
    EXPECT_NE(week.report.find(u"※ CSV履歴 telegram_practice_log.csv から読み込んでいます。\r\n"),
              std::u16string::npos);
    ASSERT_EQ(week.graph.size(), 2u);
    EXPECT_EQ(week.graph[0], (GraphEntry{u"2024/06/09", 30, 30, 0}));
    EXPECT_EQ(week.graph[1], (GraphEntry{u"2024/06/15", 40, 30, 10}));

    const StatsPage month = r.page(3);
    EXPECT_NE(month.report.find(u"月間の成績\r\n\r\n今月の集計です。\r\n月間            回数:   3"),
              std::u16string::npos);
    ASSERT_EQ(month.graph.size(), 3u);
    EXPECT_EQ(month.graph[0].label, u"2024/06/08");

    const StatsPage now = r.page(0);
    EXPECT_EQ(now.graph[1], (GraphEntry{u"今日", 40, 30, 10}));
    EXPECT_EQ(now.graph[2], (GraphEntry{u"週間", 70, 60, 10}));
    EXPECT_EQ(now.graph[3], (GraphEntry{u"月間", 90, 80, 10}));
}

TEST(StatsReport, CharacterTabsShowRunAndLogCountsAndGraphOnlyTheFirstTwenty) {
    Reports r;
    std::u16string rows;
    for (char16_t c = u'ア'; c < u'ア' + 30; ++c)
        rows += std::u16string(1, c) + u",4,3,1,75,\"ン:1 \"\r\n";
    r.chars(rows);
    r.run.charStats[u'カ'] = {3, 1, 2, {{u'ガ', 2}}};
    r.run.charStats[u'A'] = {1, 1, 0, {}};
    const StatsPage p = r.page(4);
    EXPECT_EQ(u8(section(p.report, u"文字別の成績", u"\r\n\r\nCSV累計")),
              u8(u"文字別の成績\r\n\r\n現在練習中の文字別成績\r\n"
                 u"A  出題:    1  正解:    1  間違い:    0  誤送信:なし\r\n"
                 u"カ  出題:    3  正解:    1  間違い:    2  誤送信:ガ:2 \r\n\r\nCSV累計"));
    EXPECT_NE(p.report.find(u"CSV累計の文字別成績\r\nア  出題:     4  正解:     3  間違い:     1  "
                            u"正答率: 75%\r\n"),
              std::u16string::npos);
    ASSERT_EQ(p.graph.size(), 20u);
    EXPECT_EQ(p.graph.front(), (GraphEntry{u"ア", 4, 3, 1}));
    EXPECT_EQ(p.graph.back().label, std::u16string(1, static_cast<char16_t>(u'ア' + 19)));

    for (int tab = 5; tab < kStatsTabCount; ++tab) {
        const StatsPage other = r.page(tab);
        EXPECT_EQ(other.report, p.report) << tab;
        EXPECT_TRUE(other.graph.empty()) << tab;
    }
}

TEST(StatsReport, BadOrForeignDataGivesPlaceholders) {
    Reports r;
    // A directory where the logs should be: unreadable, like a missing file.
    std::filesystem::create_directory(r.dir / "telegram_practice_log.csv");
    std::filesystem::create_directory(r.dir / "telegram_practice_char_log.csv");
    std::u16string text = r.page(0).report;
    EXPECT_NE(text.find(u"まだ履歴CSVがありません。"), std::u16string::npos);
    EXPECT_NE(text.find(u"まだ文字別CSV履歴がありません。"), std::u16string::npos);
    std::filesystem::remove(r.dir / "telegram_practice_log.csv");
    std::filesystem::remove(r.dir / "telegram_practice_char_log.csv");

    // A character log that is not UTF-8 says so instead of showing mangled characters.
    r.dir.write("telegram_practice_char_log.csv", "\x83\x41,3,1,2,33,\"\"\r\n");
    EXPECT_NE(r.page(5).report.find(u"CSV文字別履歴を読み込めませんでした。\r\n"),
              std::u16string::npos);
    EXPECT_TRUE(r.page(4).graph.empty());

    // Truncated rows, garbage numbers and a cut-off last line: no crash, nothing invented.
    r.practiceLog(kMarkAndHeader + "2024/06/15 10:00:00,30,15\r\n" +
                  "2024/06/15 10:00:01,x,y,z,w,q,r,s,t,u,v,w,x,y,z,a,b,\"c\",\"完了\"\r\n" +
                  "\xFF\xFE\x00garbage\r\n" + "2024/06/1");
    const StatsPage p = r.page(1);
    EXPECT_NE(p.report.find(u"2024/06/15    回数:   1  電報:   0通  入力:    0"),
              std::u16string::npos);
    ASSERT_EQ(p.graph.size(), 1u);
    // Not UTF-8 as a whole: the recent lines come from the legacy decoding, or the placeholder.
    text = r.page(0).report;
    EXPECT_NE(text.find(u"最近10回"), std::u16string::npos);

    // A UTF-16 file (saved by an editor) still lists its recent rows.
    std::u16string utf16 = u"\uFEFF" + fromUtf8(row({2024, 6, 15, 8, 0, 0}, 9, 9, 0, 60, 1));
    std::string bytes;
    for (char16_t c : utf16) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    r.practiceLog(bytes);
    EXPECT_NE(r.page(0).report.find(u"2024/06/15 08:00:00　30　90%\r\n"), std::u16string::npos);
}

}  // namespace
}  // namespace quorvel
