#include "storage/dashboard.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

using test::TempDir;
using test::u8;

PracticeAggregate aggregate(std::int64_t chars, std::int64_t correct, std::int64_t seconds,
                            std::int64_t telegrams) {
    PracticeAggregate a;
    a.chars = chars;
    a.correct = correct;
    a.wrong = chars - correct;
    a.seconds = seconds;
    a.telegrams = telegrams;
    return a;
}

TEST(DashboardLevel, OneLevelPerThousandCharactersAndNeverAbove99) {
    EXPECT_EQ(dashboardFigures(aggregate(999, 0, 1, 1), 0, u"").level, 1);
    EXPECT_EQ(dashboardFigures(aggregate(1000, 0, 1, 1), 0, u"").level, 2);
    // The run's unlogged characters count towards the level.
    const DashboardFigures f = dashboardFigures(aggregate(999, 0, 1, 1), 1, u"");
    EXPECT_EQ(f.exp, 1000);
    EXPECT_EQ(f.level, 2);
    EXPECT_EQ(dashboardFigures(aggregate(98'999, 0, 1, 1), 0, u"").level, 99);
    EXPECT_EQ(dashboardFigures(aggregate(5'000'000'000LL, 0, 1, 1), 0, u"").level, 99);
    EXPECT_EQ(levelForExp(-5), 1);
}

TEST(DashboardFigures, NoTimeOrNoCharactersGiveZeroNotADivisionByZero) {
    const DashboardFigures noTime = dashboardFigures(aggregate(30, 30, 0, 1), 0, u"");
    EXPECT_EQ(noTime.cpm, 0);
    EXPECT_EQ(noTime.accuracy, 100);
    const DashboardFigures none = dashboardFigures(PracticeAggregate{}, 0, u"");
    EXPECT_EQ(none.cpm, 0);
    EXPECT_EQ(none.accuracy, 0);
    // Integer division truncates: 2 of 3 correct in 7 s.
    EXPECT_EQ(charsPerMinute(3, 7), 25);
    EXPECT_EQ(accuracyPercent(2, 3), 66);
}

TEST(DashboardText, NoHistoryShowsZerosLevelOneAndNoWeakCharacters) {
    const InfoText t = dashboardText(dashboardFigures(PracticeAggregate{}, 0, u""));
    EXPECT_EQ(u8(t.title), "ホームダッシュボード");
    EXPECT_EQ(u8(t.subtitle), "今日の練習状況とおすすめメニュー");
    EXPECT_EQ(u8(t.body),
              "Quorvel\r\n━━━━━━━━━━━━━━━━━━━━\r\n\r\n今日の練習\r\n練習時間  00:00\r\n"
              "文字数    0\r\n電報数    0\r\n平均CPM   0\r\n正答率    0%\r\n\r\n現在レベル\r\n"
              "Lv.1   EXP 0\r\n\r\n苦手文字\r\nまだありません\r\n\r\nおすすめ\r\n"
              "・RX STARTで受信練習\r\n・送信練習はキー電鍵にチェック\r\n"
              "・苦手電報で弱点を集中練習\r\n");
}

TEST(DashboardText, FiguresFillTheirLines) {
    const InfoText t = dashboardText(dashboardFigures(aggregate(1234, 1200, 754, 7), 66, u"ヰヱ"));
    const std::string body = u8(t.body);
    EXPECT_NE(body.find("練習時間  12:34\r\n文字数    1234\r\n電報数    7\r\n平均CPM   98\r\n"
                        "正答率    97%\r\n"),
              std::string::npos);
    EXPECT_NE(body.find("Lv.2   EXP 1300\r\n"), std::string::npos);
    EXPECT_NE(body.find("苦手文字\r\nヰヱ\r\n"), std::string::npos);
    // Minutes are not cut to two digits.
    EXPECT_NE(u8(dashboardText(dashboardFigures(aggregate(1, 1, 6005, 1), 0, u"")).body)
                  .find("練習時間  100:05\r\n"),
              std::string::npos);
}

TEST(Achievements, BadgesAreEarnedExactlyAtTheirThresholds) {
    using B = Badge;
    const AchievementFigures none = achievementFigures(PracticeAggregate{});
    for (bool b : none.badges)
        EXPECT_FALSE(b);

    EXPECT_TRUE(achievementFigures(aggregate(1, 0, 0, 0)).has(B::FirstReception));
    EXPECT_FALSE(achievementFigures(aggregate(99, 0, 0, 0)).has(B::Chars100));
    EXPECT_TRUE(achievementFigures(aggregate(100, 0, 0, 0)).has(B::Chars100));
    EXPECT_FALSE(achievementFigures(aggregate(999, 0, 0, 0)).has(B::Chars1000));
    EXPECT_TRUE(achievementFigures(aggregate(1000, 0, 0, 0)).has(B::Chars1000));
    EXPECT_FALSE(achievementFigures(aggregate(5, 0, 0, 99)).has(B::Telegrams100));
    EXPECT_TRUE(achievementFigures(aggregate(5, 0, 0, 100)).has(B::Telegrams100));

    // 50 characters in a minute is exactly 50 CPM; 49 in a minute is not.
    EXPECT_TRUE(achievementFigures(aggregate(50, 0, 60, 1)).has(B::Cpm50));
    EXPECT_FALSE(achievementFigures(aggregate(49, 0, 60, 1)).has(B::Cpm50));
    EXPECT_FALSE(achievementFigures(aggregate(50, 0, 0, 1)).has(B::Cpm50));

    // 99 of 100 is exactly 99 %; 9899 of 10000 truncates to 98.
    EXPECT_TRUE(achievementFigures(aggregate(100, 99, 60, 1)).has(B::Accuracy99));
    EXPECT_FALSE(achievementFigures(aggregate(10000, 9899, 60, 1)).has(B::Accuracy99));
}

TEST(Achievements, BodyMarksEachBadgeAndListsTheTotals) {
    const InfoText t = achievementsText(achievementFigures(aggregate(120, 118, 120, 3)));
    EXPECT_EQ(u8(t.title), "実績・レベル");
    EXPECT_EQ(u8(t.subtitle), "これまでの達成状況と累計記録");
    const std::string got = u8(kBadgeAchieved);
    ASSERT_NE(got, "□");
    EXPECT_EQ(u8(t.body), "実績・レベルシステム\r\n━━━━━━━━━━━━━━━━━━━━\r\n" + got +
                              " 初回受信\r\n" + got +
                              " 100文字突破\r\n□ 1000文字突破\r\n□ 100通突破\r\n" + got +
                              " CPM50突破\r\n□ 正答率99%突破\r\n\r\n累計文字数  120\r\n"
                              "累計電報数  3\r\n平均CPM     60\r\n平均正答率  98%\r\n");
}

TEST(LifetimeTotals, EveryDatedCompletedRowCountsAndNothingElse) {
    TempDir dir;
    EXPECT_EQ(sumPracticeLogAllDays(dir / "missing.csv"), PracticeAggregate{});

    const std::string header =
        "\xEF\xBB\xBF日時,CPM,WPM,正答率,誤答率,練習時間,電報数,文字数,平均CPM,平均正答率,最速CPM,"
        "最長練習時間,電報番号,入力文字数,正解文字数,誤答文字数,完了電報数,誤答文字一覧,状態\r\n";
    const auto file = dir.write(
        "log.csv",
        header +
            "2023/01/02 10:00:00,60,15,90,10,01:40,2,100,60,90,60,01:40,2,100,90,10,2,\"なし\","
            "\"完了\"\r\n"
            "2024/12/31 23:59:59,60,15,90,10,00:10,1,10,60,90,60,00:10,1,10,9,1,1,\"なし\","
            "\"途中\"\r\n"
            "2025/06/07 08:09:10,30,15,50,50,00:20,1,10,30,50,30,00:20,1,10,5,5,1,\"なし\","
            "\"完了\"\r\n" +
            header.substr(3) +  // a header in the middle of the file
            "bad,1,2,3,4,5,6,7\r\n"
            "2025/06/08 08:00:00,40,15,80,20,00:30,1,20,40,80,40,00:30,1,20,16,4,1,\"なし\","
            "\"完了\"\r\n");
    const PracticeAggregate sum = sumPracticeLogAllDays(file);
    EXPECT_EQ(sum.rows, 3);
    EXPECT_EQ(sum.chars, 130);
    EXPECT_EQ(sum.correct, 111);
    EXPECT_EQ(sum.wrong, 19);
    EXPECT_EQ(sum.seconds, 150);
    EXPECT_EQ(sum.telegrams, 4);
}

TEST(ExamChoice, SpeedIsAFifthOfTheTargetWithinTheSliderRange) {
    EXPECT_EQ(examWpm(100), 20);
    EXPECT_EQ(examWpm(40), 8);
    EXPECT_EQ(examWpm(0), 5);
    EXPECT_EQ(examWpm(1000), 40);
}

TEST(ExamChoice, ConfirmationNamesTargetKindAndSpeed) {
    const InfoText r = examConfirmationText({100, ExamType::Receiving}, 20);
    EXPECT_EQ(u8(r.title), "国家試験モード設定完了");
    EXPECT_EQ(u8(r.subtitle), "受信練習を選択しました");
    EXPECT_EQ(u8(r.body),
              "目標速度      100 CPM\r\n練習種別      受信練習\r\n現在の設定    20 WPM\r\n\r\n"
              "メイン画面の RX START ボタンを押すと、国家試験形式の受信練習を開始できます。");
    const InfoText s = examConfirmationText({40, ExamType::Sending}, 8);
    EXPECT_EQ(u8(s.subtitle), "送信練習を選択しました");
    EXPECT_NE(u8(s.body).find("国家試験形式の送信練習を開始できます。"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
