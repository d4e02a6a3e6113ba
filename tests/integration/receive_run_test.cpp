#include <gtest/gtest.h>

#include <algorithm>

#include "tests/integration/receive_rig.h"

namespace quorvel {
namespace {
using namespace test;

void expectReceptionEqualsModel(bool latin, int wpm) {
    ReceiveRun run(latin, wpm);
    SimulatedRun sim(run.trainer, &run.clock);
    sim.receive();
    expectBothTelegramsReceived(run, latin, wpm);
}

// The learner keeps each result card open for 15 s, far past the pause between telegrams:
// the playback moves on meanwhile, and the held-back reception lands in its own telegram.
TEST(ReceiveRun, CardHeldOpenWhileThePlaybackMovesOnLosesNothing) {
    for (bool latin : {false, true}) {
        ReceiveRun run(latin, 20);
        run.view.autoDismiss = false;
        SimulatedRun sim(run.trainer, &run.clock);
        std::uint32_t openedAt = 0;
        bool open = false;
        int cards = 0;
        sim.setStepHook([&](std::uint32_t now) {
            if (!open && run.trainer.resultPending()) {
                open = true;
                openedAt = now;
                ++cards;
            }
            if (open && now - openedAt >= 15000) {
                run.trainer.dismissResult();
                open = false;
            }
        });
        sim.receive(40000);  // room for the last card to close
        EXPECT_EQ(cards, 2) << latin;
        EXPECT_FALSE(run.trainer.resultPending());
        expectBothTelegramsReceived(run, latin, 20);
        const RunTally tally = run.trainer.scoring().runTally();
        EXPECT_EQ(tally.finishedSets, 1);
        EXPECT_EQ(tally.wrongCount, 0) << latin;  // no lead-in letter judged after the hold
    }
}

TEST(ReceiveRun, JapaneseReceptionEqualsTheModelAtEverySpeed) {
    for (int wpm = 5; wpm <= 40; ++wpm)
        expectReceptionEqualsModel(false, wpm);
}

TEST(ReceiveRun, LatinReceptionEqualsTheModelAtEverySpeed) {
    for (int wpm = 5; wpm <= 40; ++wpm)
        expectReceptionEqualsModel(true, wpm);
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {
using namespace test;

TEST(ReceiveRun, LatinAddressOfTwoWordsGetsExactlyOneBlank) {
    ReceiveRun run(true, 20);
    run.trainer.document().installSet({{u"7", u"", u"", u"", u"KOBE PORT", u"OK"}}, true);
    SimulatedRun sim(run.trainer, &run.clock);
    sim.receive();
    const TelegramProgress p = run.trainer.document().savedProgress(0);
    EXPECT_EQ(p.sections[Address].enteredText, u"KOBE PORT");
    EXPECT_EQ(p.sections[Address].judgementMarks, u"111111111");
}

// Uneven element lengths make the decoder misread some characters: the run still ends, and
// what it read wrong is marked wrong.
TEST(ReceiveRun, UnevenLengthsCompleteTheRunAndMarkWrongCharacters) {
    ReceiveRun run(true, 15);
    run.trainer.settings().BandUnevenLength = 1;
    SimulatedRun sim(run.trainer, &run.clock);
    sim.receive();
    EXPECT_FALSE(sim.playback().active());
    int wrong = 0;
    for (int t = 0; t < 2; ++t) {
        for (const auto& s : run.trainer.document().savedProgress(t).sections) {
            ASSERT_EQ(s.enteredText.size(), s.judgementMarks.size());
            wrong += static_cast<int>(
                std::count(s.judgementMarks.begin(), s.judgementMarks.end(), u'0'));
        }
    }
    EXPECT_GT(wrong, 0);
    // Without go on a wrong character is judged again at every later attempt.
    EXPECT_GE(run.trainer.scoring().runTally().wrongCount, wrong);
}

}  // namespace
}  // namespace quorvel
