// Characters scored from two threads at once (consumer and playback) while the window's timer
// refreshes the status lines: every row whole, in scoring order, every count kept.
#include <gtest/gtest.h>

#include <thread>

#include "storage/char_log.h"
#include "storage/csv.h"
#include "storage/practice_log.h"
#include "tests/scoring/scoring_rig.h"

namespace quorvel {
namespace {

TEST(ScoringThreads, ConcurrentScorersNeverInterleaveRows) {
    test::ScoringRig rig;
    constexpr int kEach = 150;
    std::atomic<bool> scoring{true};

    auto scorer = [&](char16_t model, bool correct) {
        for (int i = 0; i < kEach; ++i)
            rig.scoring.scoreCharacter(model, correct ? model : u'"', correct);
    };
    std::thread refresher([&] {
        std::uint32_t t = 0;
        while (scoring.load()) {
            rig.scoring.refreshStatusLines();
            rig.scoring.reportElement(kDotMark, 60, t += 60);
            rig.clock.advance(7);
        }
    });
    std::thread a(scorer, u'ア', true);
    std::thread b(scorer, u',', false);
    a.join();
    b.join();
    scoring = false;
    refresher.join();

    std::vector<int> judged;
    std::vector<std::string> f;
    forEachPracticeLogLine(rig.files.practiceLog, [&](std::string_view line) {
        splitCsvLine(line, f);
        ASSERT_EQ(f.size(), 19u);
        judged.push_back(csvInt(f[7]));
    });
    ASSERT_EQ(judged.size(), 2u * kEach);
    for (std::size_t i = 0; i < judged.size(); ++i)
        EXPECT_EQ(judged[i], static_cast<int>(i) + 1);

    ASSERT_TRUE(rig.scoring.flushLogs());
    CharLogTable table;
    ASSERT_TRUE(readCharLog(rig.files.charLog, table));
    EXPECT_EQ(table.at(u'ア').correct, kEach);
    EXPECT_EQ(table.at(u',').wrong, kEach);
    EXPECT_EQ(table.at(u',').confusions.at(u'"'), kEach);
    EXPECT_EQ(rig.scoring.runTally().judgedCount, 2 * kEach);
}

}  // namespace
}  // namespace quorvel
