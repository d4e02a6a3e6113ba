#include "engine/dashboard_report.h"

#include <gtest/gtest.h>

#include "storage/char_log.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

using test::TempDir;
using test::u8;

PracticeRow finished(const LocalDateTime& t, int chars, int correct, int seconds) {
    PracticeRow r;
    r.time = t;
    r.judgedCount = chars;
    r.correctCount = correct;
    r.wrongCount = chars - correct;
    r.seconds = seconds;
    r.finishedSets = 1;
    r.status = std::u16string(kStatusFinished);
    return r;
}

TEST(DashboardReport, ReadsTodayTheWeakCharactersAndTheLifetimeTotals) {
    TempDir dir;
    const DataPaths paths(dir.path());
    const LocalDateTime today{2025, 3, 10, 12, 0, 0};
    ASSERT_TRUE(
        appendPracticeRow(paths.practiceLog(), finished({2025, 3, 9, 9, 0, 0}, 500, 400, 600)));
    ASSERT_TRUE(
        appendPracticeRow(paths.practiceLog(), finished({2025, 3, 10, 9, 0, 0}, 600, 594, 720)));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(updateCharLog(paths.charLog(), u'ア', u'イ', false, false));
    ASSERT_TRUE(updateCharLog(paths.charLog(), u'カ', u'カ', true, false));

    const DashboardFigures d = readDashboard(paths, today, 450);
    EXPECT_EQ(d.today.chars, 600);
    EXPECT_EQ(d.cpm, 50);
    EXPECT_EQ(d.accuracy, 99);
    EXPECT_EQ(d.exp, 1050);
    EXPECT_EQ(d.level, 2);
    EXPECT_EQ(u8(d.weak), "ア");

    const AchievementFigures a = readAchievements(paths);
    EXPECT_EQ(a.total.chars, 1100);
    EXPECT_EQ(a.total.telegrams, 2);
    EXPECT_TRUE(a.has(Badge::Chars1000));
    EXPECT_FALSE(a.has(Badge::Accuracy99));  // 994 of 1100
}

TEST(DashboardReport, WeakCharactersIncludeThoseWithoutAKanaCode) {
    TempDir dir;
    const DataPaths paths(dir.path());
    // A Latin learner: I and O always missed.
    for (char16_t c : {u'I', u'O'})
        ASSERT_TRUE(updateCharLog(paths.charLog(), c, u'E', false, false));
    EXPECT_EQ(u8(readDashboard(paths, {2025, 3, 10, 12, 0, 0}, 0).weak), "IO");

    // A mixed history: letters and digits ranked together, worst first.
    TempDir mixed;
    const DataPaths m(mixed.path());
    const std::u16string ranked = u"QX2HF";
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        for (std::size_t miss = 0; miss < ranked.size() - i; ++miss)
            ASSERT_TRUE(updateCharLog(m.charLog(), ranked[i], u'E', false, false));
    }
    ASSERT_TRUE(updateCharLog(m.charLog(), u'1', u'E', false, false));
    EXPECT_EQ(u8(readDashboard(m, {2025, 3, 10, 12, 0, 0}, 0).weak), "QX2HF");
}

TEST(DashboardReport, ARunCountsUntilItsSetIsLogged) {
    RunTally t;
    t.judgedCount = 42;
    EXPECT_EQ(unloggedRunCharacters(t), 42);
    // The completed-set row already holds every character of the run.
    t.finishedSets = 1;
    EXPECT_EQ(unloggedRunCharacters(t), 0);
}

}  // namespace
}  // namespace quorvel
