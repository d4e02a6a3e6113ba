#include "practice/scoring.h"

#include <gtest/gtest.h>

#include "practice/scoring_text.h"
#include "storage/csv.h"
#include "storage/practice_log.h"
#include "tests/scoring/scoring_rig.h"

namespace quorvel {
namespace {

using test::readAll;
using test::ScoringRig;
using test::u8;

int get(const std::atomic<int>& v) {
    return PracticeSettings::get(v);
}

std::vector<std::vector<std::string>> practiceRows(const std::filesystem::path& file) {
    std::vector<std::vector<std::string>> rows;
    forEachPracticeLogLine(file, [&](std::string_view line) {
        rows.emplace_back();
        splitCsvLine(line, rows.back());
    });
    return rows;
}

TEST(ScoringPoints, WrongThenRightByCodeWeight) {
    ScoringRig rig;
    rig.scoring.scoreCharacter(u'ア', u'イ', false);  // weight 5
    rig.scoring.scoreCharacter(u'イ', u'イ', true);   // weight 2
    const TelegramScore s = rig.scoring.telegramScore();
    EXPECT_EQ(s.points, -3);
    EXPECT_EQ(s.maxPoints, 7);
    EXPECT_EQ(s.penalty, 5);
    EXPECT_EQ(s.scoredCorrect, 1);
    EXPECT_EQ(s.scoredWrong, 1);
    EXPECT_EQ(rig.view.scoreLine, u"得点 -3 / 7　減点 5　正解 1　誤答 1　正答率 50%");
    EXPECT_EQ(rig.view.resultLabel, u"正答率 50%  不正解率 50%  誤答 1");
    const RunTally t = rig.scoring.runTally();
    EXPECT_EQ(t.keyedText, u"イイ");
    EXPECT_EQ(t.wrongPairs, u"ア→イ ");
    EXPECT_EQ(t.charStats.at(u'ア').confusions.at(u'イ'), 1);
    EXPECT_EQ(t.charStats.at(u'イ').correct, 1);
}

TEST(ScoringPoints, WrongRunsGoNegativeAndNothingKeyedIsNoConfusion) {
    ScoringRig rig;
    for (int i = 0; i < 3; ++i)
        rig.scoring.scoreCharacter(u'E', u'T', false);
    EXPECT_EQ(rig.scoring.telegramScore().points, -3);
    rig.scoring.scoreCharacter(u'ア', 0, false);
    const RunTally t = rig.scoring.runTally();
    EXPECT_EQ(t.wrongPairs, u"E→T E→T E→T ア→  ");
    EXPECT_EQ(t.keyedText, u"TTT");
    EXPECT_TRUE(t.charStats.at(u'ア').confusions.empty());
    EXPECT_EQ(rig.scoring.telegramScore().points, -8);
    ASSERT_TRUE(rig.scoring.flushLogs());
    EXPECT_NE(readAll(rig.files.charLog).find(u8(u"ア,1,0,1,0,\"なし\"\r\n")), std::string::npos);
}

TEST(ScoringPoints, LatinBlankAcceptedByItselfCountsWithoutAJudgement) {
    ScoringRig rig;
    rig.installTexts({u"A B"}, true);
    rig.document.enterCharacter(u'A');
    EXPECT_EQ(rig.view.judgementWrites, 1);
    rig.document.enterCharacter(u'B');
    EXPECT_EQ(rig.view.judgementWrites, 2);  // only A and B were shown
    EXPECT_EQ(rig.view.judgementLine, u"次:B 入:B 判:○");
    const RunTally t = rig.scoring.runTally();
    EXPECT_EQ(t.judgedCount, 3);
    EXPECT_EQ(t.correctCount, 3);
    EXPECT_EQ(t.keyedText, u"A B");
    EXPECT_EQ(rig.scoring.telegramScore().maxPoints, 2 + 1 + 4);
}

TEST(ScoringJudgement, LineShowsModelKeyedAndMark) {
    ScoringRig rig;
    rig.installTexts({u"アイ"});
    rig.document.enterCharacter(u'カ');
    EXPECT_EQ(rig.view.judgementLine, u"次:ア 入:カ 判:×");
    rig.scoring.showJudgement(0, 0, true);
    EXPECT_EQ(rig.view.judgementLine, u"次:  入:  判:○");
}

class SpeedWindowCase : public ::testing::TestWithParam<std::tuple<int, int, int, int>> {};

TEST_P(SpeedWindowCase, TwentyJudgementsMoveTheSpeedAtMostOneStep) {
    const auto [wpm, correct, wrong, expected] = GetParam();
    ScoringRig rig;
    PracticeSettings::set(rig.settings.AutoSpeedAdjust, 1);
    PracticeSettings::set(rig.settings.WPM, wpm);
    rig.score(correct, wrong);
    EXPECT_EQ(get(rig.settings.WPM), expected);
    EXPECT_EQ(rig.scoring.speedWindow().windowCount, 0);  // a new window starts either way
    EXPECT_EQ(rig.view.speeds.empty(), expected == wpm);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpeedWindowCase,
                         ::testing::Values(std::tuple{40, 18, 2, 40}, std::tuple{20, 18, 2, 21},
                                           std::tuple{5, 14, 6, 5}, std::tuple{20, 15, 5, 20},
                                           std::tuple{20, 14, 6, 19}, std::tuple{39, 20, 0, 40}));

TEST(SpeedWindow, CountsOnlyWhileOnAndOutlivesResets) {
    ScoringRig rig;
    rig.score(30, 0);
    EXPECT_EQ(rig.scoring.speedWindow().windowCount, 0);
    EXPECT_EQ(get(rig.settings.WPM), 15);

    PracticeSettings::set(rig.settings.AutoSpeedAdjust, 1);
    rig.score(10, 0);
    rig.scoring.resetScores();
    EXPECT_EQ(rig.scoring.speedWindow().windowCount, 10);
    rig.score(9, 0);
    EXPECT_EQ(get(rig.settings.WPM), 15);
    rig.score(1, 0);
    EXPECT_EQ(get(rig.settings.WPM), 16);
    EXPECT_EQ(rig.view.speeds, std::vector<int>{16});
    EXPECT_NE(rig.view.statusLine1.find(u"設定[016WPM"), std::u16string::npos);
}

class DifficultyCase : public ::testing::TestWithParam<std::tuple<int, int, int, int>> {};

TEST_P(DifficultyCase, FinishedSetMovesTheLevel) {
    const auto [level, correct, wrong, expected] = GetParam();
    ScoringRig rig;
    PracticeSettings::set(rig.settings.LearningLevel, level);
    rig.score(correct, wrong);
    rig.scoring.finishSet();
    EXPECT_EQ(get(rig.settings.LearningLevel), expected);
    if (expected == level) {
        EXPECT_TRUE(rig.view.levels.empty());
        EXPECT_TRUE(rig.view.messages.empty());
    } else {
        EXPECT_EQ(rig.view.levels, std::vector<int>{expected});
        EXPECT_EQ(rig.view.lastMessage(),
                  autoDifficultyText(100 * correct / (correct + wrong), expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Bounds, DifficultyCase,
                         ::testing::Values(std::tuple{4, 19, 1, 4},   // 95 % at the top
                                           std::tuple{0, 7, 3, 0},    // 70 % at the bottom
                                           std::tuple{0, 71, 29, 0},  // 71 %: no change
                                           std::tuple{2, 71, 29, 2},  //
                                           std::tuple{4, 71, 29, 4},  //
                                           std::tuple{2, 19, 1, 3},   // 95 %: up
                                           std::tuple{2, 7, 3, 1}));  // 70 %: down

TEST(Difficulty, MessageTextAndTheSwitch) {
    EXPECT_EQ(autoDifficultyText(95, 3),
              u"自動難易度: 正答率95%により学習レベルを「上級」に変更しました。");
    ScoringRig rig;
    PracticeSettings::set(rig.settings.AutoDifficulty, 0);
    rig.score(20, 0);
    rig.scoring.finishSet();
    EXPECT_EQ(get(rig.settings.LearningLevel), 0);
}

TEST(ScoringLogs, FirstCharacterOfAFreshInstallation) {
    ScoringRig rig;
    rig.scoring.scoreCharacter(u'ア', u'ア', true);
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(readAll(rig.files.practiceLog),
              mark + std::string(kPracticeLogHeader) +
                  u8(u"2024/05/06 07:08:09,60,15,100,0,00:01,1,1,60,100,60,00:01,1,1,1,0,0,"
                     u"\"なし\",\"途中\"\r\n"));
    EXPECT_EQ(readAll(rig.files.charLog),
              mark + u8(u"文字,出題,正解,誤答,正答率,誤送信文字\r\nア,1,1,0,100,\"なし\"\r\n"));
    EXPECT_FALSE(std::filesystem::exists(rig.files.textLog));
}

TEST(ScoringLogs, TwoTelegramSetWritesProgressRowsAndOneFinishedRow) {
    ScoringRig rig;
    rig.installTexts({u"アイ", u"ウエオ"});
    rig.document.reset();
    rig.document.enterCharacter(u'ア');
    rig.clock.advance(30000);
    rig.document.enterCharacter(u'キ');
    rig.document.enterCharacter(u'イ');
    rig.document.nextTelegram();
    EXPECT_EQ(rig.scoring.telegramScore().scoredCount, 0);
    for (char16_t c : std::u16string(u"ウエオ"))
        rig.document.enterCharacter(c);
    rig.clock.advance(30000);
    rig.scoring.finishSet();

    const auto rows = practiceRows(rig.files.practiceLog);
    ASSERT_EQ(rows.size(), 7u);
    for (std::size_t i = 0; i < 6; ++i) {
        ASSERT_EQ(rows[i].size(), 19u);
        EXPECT_EQ(rows[i][18], u8(u"途中"));
        EXPECT_EQ(rows[i][7], std::to_string(i + 1));  // 文字数
        EXPECT_EQ(rows[i][12], i < 3 ? "1" : "2");     // 電報番号
        EXPECT_EQ(rows[i][6], "1");                    // 電報数, at least 1
    }
    const auto& done = rows[6];
    EXPECT_EQ(done[18], u8(u"完了"));
    EXPECT_EQ(done[5], "01:00");
    EXPECT_EQ(done[1], "6");  // 6 characters in 60 s
    EXPECT_EQ(done[3], "83");
    EXPECT_EQ(done[4], "16");
    EXPECT_EQ(done[16], "1");
    EXPECT_EQ(done[17], u8(u"イ→キ "));
    EXPECT_EQ(rig.scoring.resultLabel(), u"正答率 83%  不正解率 16%  誤答 1  CPM 6");
    EXPECT_EQ(rig.view.resultLabel, rig.scoring.resultLabel());
    EXPECT_EQ(readAll(rig.files.textLog),
              u8(u"2024/05/06 07:08:09\r\n正答率 83%  不正解率 16%  誤答 1  CPM 6\r\n"
                 u"入力文字:アキイウエオ\r\n間違い:イ→キ \r\n\r\n"));

    // Summed as one completed set today.
    const PracticeSums sums = sumPracticeLog(rig.files.practiceLog, {2024, 5, 6});
    EXPECT_EQ(sums.today, (PracticeAggregate{1, 6, 5, 1, 60, 1}));
}

TEST(ScoringLogs, UnwritableFilesDoNotStopScoring) {
    ScoringRig rig;
    const auto gone = rig.dir / "missing";
    Scoring scoring(rig.settings, rig.flags, rig.document, rig.clock,
                    {gone / "a.csv", gone / "b.csv", gone / "c.txt", false});
    scoring.scoreCharacter(u'ア', u'ア', true);
    scoring.scoreCharacter(u'イ', u'イ', true);
    scoring.finishSet();
    EXPECT_EQ(scoring.runTally().finishedSets, 1);
    EXPECT_FALSE(std::filesystem::exists(gone));
    EXPECT_FALSE(scoring.flushLogs());
    // Said once, with the file, however many writes failed.
    ASSERT_EQ(rig.view.boxes.size(), 1u);
    EXPECT_EQ(rig.view.boxes[0].text,
              u"練習履歴を保存できませんでした。\n" + (gone / "a.csv").u16string());
}

TEST(ElementReport, IntervalAndInstantSpeed) {
    ScoringRig rig;
    rig.scoring.reportElement(kDotMark, 80, 1000);  // first after a reset: its own length
    EXPECT_EQ(rig.view.statusLine2, u"直前符号[0080 ms] 間隔[0000 ms] 瞬時[015 WPM/0075 CPM]");
    rig.scoring.reportElement(kDashMark, 180, 1240);
    EXPECT_EQ(rig.view.statusLine2, u"直前符号[0180 ms] 間隔[0240 ms] 瞬時[015 WPM/0075 CPM]");
    rig.scoring.reportElement(u'x', 5, 9999);  // not an element mark
    EXPECT_EQ(rig.scoring.elementReport().lastElementTime, 1240u);
    rig.scoring.reportElement(kDotMark, 1, 1241);  // capped
    EXPECT_EQ(rig.scoring.elementReport().instantWpm, 999);
    EXPECT_EQ(rig.scoring.elementReport().instantCpm, 4995);

    rig.scoring.resetScores();
    EXPECT_EQ(rig.view.statusLine2, u"直前符号[0000 ms] 間隔[0000 ms] 瞬時[000 WPM/0000 CPM]");
    // A run whose clock starts at 0 still measures the interval from an element at tick 0.
    rig.scoring.reportElement(kDashMark, 2, 0);
    EXPECT_EQ(rig.scoring.elementReport().instantWpm, 999);  // 2 / 3 rounds to 0, taken as 1
    rig.scoring.reportElement(kDotMark, 60, 120);
    EXPECT_EQ(rig.scoring.elementReport().elementIntervalMs, 120u);
    EXPECT_EQ(rig.scoring.elementReport().instantWpm, 10);
}

TEST(StatusLines, ContactsElapsedTimeAndSettings) {
    ScoringRig rig;
    rig.scoring.resetScores();
    EXPECT_EQ(rig.view.statusLine1, kInitialStatusLine1);
    rig.clock.advance(65999);
    PracticeSettings::set(rig.settings.Freq, 650);
    rig.flags.serialDot = 1;
    rig.scoring.refreshStatusLines();
    EXPECT_EQ(rig.view.statusLine1, u"入力[・　] 状態[ON ] 経過[001:05] 設定[015WPM 0650Hz]");
    rig.flags.serialDot = 0;
    rig.flags.keyboardDash = 1;
    rig.scoring.refreshStatusLines();
    EXPECT_NE(rig.view.statusLine1.find(u"入力[ー　] 状態[ON ]"), std::u16string::npos);
    rig.flags.keyboardDot = 1;
    rig.scoring.refreshStatusLines();
    EXPECT_NE(rig.view.statusLine1.find(u"入力[・ー]"), std::u16string::npos);
    rig.clock.advance(1000u * 60 * 1000);  // 1000 minutes: the field grows
    rig.flags.zeroContacts();
    rig.scoring.refreshStatusLines();
    EXPECT_NE(rig.view.statusLine1.find(u"入力[　　] 状態[OFF] 経過[1001:05]"),
              std::u16string::npos);
}

TEST(ScoringReset, ClearsTheRunButNotTheLogs) {
    ScoringRig rig;
    rig.score(3, 2);
    rig.clock.advance(5000);
    rig.scoring.resetScores();
    const RunTally t = rig.scoring.runTally();
    EXPECT_EQ(t.judgedCount, 0);
    EXPECT_TRUE(t.charStats.empty());
    EXPECT_TRUE(t.wrongPairs.empty());
    EXPECT_EQ(t.runStartTime, 10000u);
    EXPECT_EQ(rig.view.scoreLine, u"得点 0 / 0　減点 0　正解 0　誤答 0　正答率 0%");
    EXPECT_EQ(rig.scoring.elapsedSeconds(), 1);
    EXPECT_EQ(practiceRows(rig.files.practiceLog).size(), 5u);
}

TEST(ScoringResult, SnapshotOfTheTelegram) {
    ScoringRig rig;  // the two built-in samples
    rig.scoring.scoreCharacter(u'ア', u'イ', false);
    rig.scoring.scoreCharacter(u'イ', u'イ', true);
    TelegramResult r = rig.scoring.resultSnapshot();
    EXPECT_EQ(r.telegramNumber, 1);
    EXPECT_TRUE(r.hasNext);
    EXPECT_EQ(r.rate, 50);
    EXPECT_EQ(r.points, -3);
    EXPECT_FALSE(r.latinMode);
    EXPECT_EQ(scoreLineForCli(r),
              "score count=2 correct=1 wrong=1 rate=50 points=-3 maxPoints=7 penalty=5 grade=C");
    rig.document.nextTelegram();
    r = rig.scoring.resultSnapshot();
    EXPECT_EQ(r.telegramNumber, 2);
    EXPECT_FALSE(r.hasNext);
    EXPECT_EQ(r.scoredCount, 0);
    EXPECT_EQ(r.rate, 0);
    EXPECT_EQ(classifyResult(r.rate).grade, u"D");
    EXPECT_EQ(rig.scoring.runTally().judgedCount, 2);  // the run goes on
}

}  // namespace
}  // namespace quorvel
