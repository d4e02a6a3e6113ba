#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/integration/receive_rig.h"

namespace quorvel {
namespace {

using namespace test;

int judged(ReceiveRun& run) {
    return run.trainer.scoring().runTally().judgedCount;
}

// Elements of a character have been timed and the character is not complete yet.
bool midCharacter(ReceiveRun& run) {
    return !run.trainer.keying().sampler().assembler().code().empty();
}

TEST(RunArtefacts, RxStopInTheMiddleOfACharacterJudgesNothingOfIt) {
    for (bool latin : {false, true}) {
        ReceiveRun run(latin, 20);
        SimulatedRun sim(run.trainer, &run.clock);
        int atStop = -1;
        sim.setStepHook([&](std::uint32_t) {
            if (atStop < 0 && judged(run) >= 3 && midCharacter(run)) {
                run.trainer.rxStop();
                atStop = judged(run);
            }
        });
        sim.receive(3000);
        ASSERT_GE(atStop, 3) << latin;
        EXPECT_EQ(judged(run), atStop) << latin;
        EXPECT_EQ(run.trainer.scoring().runTally().wrongCount, 0) << latin;
    }
}

TEST(RunArtefacts, DemoStoppedByAnotherCommandInTheMiddleOfACharacterJudgesNothingOfIt) {
    ReceiveRun run(false, 20);
    SimulatedRun sim(run.trainer, &run.clock);
    int atStop = -1;
    sim.setStepHook([&](std::uint32_t) {
        if (atStop < 0 && judged(run) >= 3 && midCharacter(run)) {
            run.trainer.nextPage();  // stops the demo, then turns the page
            atStop = judged(run);
        }
    });
    sim.demo(3000);
    ASSERT_GE(atStop, 3);
    EXPECT_EQ(judged(run), atStop);
    EXPECT_EQ(run.trainer.scoring().runTally().wrongCount, 0);
    EXPECT_EQ(run.trainer.flags().DemoMode.load(), 0);
}

// Paused for 10 s in the middle of an element and in a gap between two elements: each
// character is read whole after the resume.
TEST(RunArtefacts, TenSecondPausesInTheMiddleOfCharactersKeepThem) {
    for (bool latin : {false, true}) {
        ReceiveRun run(latin, 20);
        SimulatedRun sim(run.trainer, &run.clock);
        std::uint32_t pausedAt = 0;
        int pauses = 0;
        sim.setStepHook([&](std::uint32_t now) {
            const bool keyDown = run.trainer.flags().ToneKeyDown.load() != 0;
            if (pausedAt == 0 && pauses < 4 && judged(run) >= 4 + 8 * pauses && midCharacter(run) &&
                keyDown == (pauses % 2 == 0)) {
                run.trainer.togglePause();
                pausedAt = now;
                ++pauses;
            } else if (pausedAt != 0 && now - pausedAt >= 10000) {
                run.trainer.togglePause();
                pausedAt = 0;
            }
        });
        sim.receive();
        EXPECT_EQ(pauses, 4) << latin;
        expectBothTelegramsReceived(run, latin, 20);
        EXPECT_EQ(run.trainer.scoring().runTally().wrongCount, 0) << latin;
    }
}

// The learner pages back and forth across the telegrams while they are received.
TEST(RunArtefacts, PagingDuringAReceiveRunLeavesBothReceptionsRight) {
    for (bool latin : {false, true}) {
        ReceiveRun run(latin, 20);
        SimulatedRun sim(run.trainer, &run.clock);
        TelegramDocument& doc = run.trainer.document();
        int presses = 0;
        bool browsed = false;
        sim.setStepHook([&](std::uint32_t now) {
            if (now % 997 != 0)
                return;
            if (presses++ % 3 < 2)
                run.trainer.nextPage();
            else
                run.trainer.previousPage();
            const PracticeSnapshot shown = *run.trainer.snapshot();
            browsed = browsed || shown.position.telegramNumber != doc.telegramNumber();
        });
        sim.receive();
        EXPECT_TRUE(browsed) << latin;
        expectBothTelegramsReceived(run, latin, 20);
        const RunTally tally = run.trainer.scoring().runTally();
        EXPECT_EQ(tally.wrongCount, 0) << latin;
        EXPECT_EQ(tally.finishedSets, 1) << latin;
    }
}

// RX STOP lands in the very millisecond the keying thread changed the tone, down or up: the
// tone is released at the next sample at the latest and never sounds again.
TEST(ToneAtStop, NoToneAfterAStopAtAnEdgeAndNoBlip) {
    for (bool stopOnDown : {true, false}) {
        ReceiveRun run(false, 20);
        SimulatedRun sim(run.trainer, &run.clock);
        std::vector<float> peaks;  // per simulated ms
        sim.setAudioSink([&](const float* samples, std::size_t frames) {
            float peak = 0;
            for (std::size_t i = 0; i < frames; ++i)
                peak = std::max(peak, std::abs(samples[i]));
            peaks.push_back(peak);
        });
        bool wasDown = false;
        std::size_t stoppedAt = 0;
        sim.setStepHook([&](std::uint32_t) {
            const bool down = run.trainer.flags().ToneKeyDown.load() != 0;
            if (stoppedAt == 0 && judged(run) >= 2 && down != wasDown && down == stopOnDown) {
                run.trainer.rxStop();
                stoppedAt = peaks.size();
            }
            wasDown = down;
        });
        sim.receive(1000);
        ASSERT_GT(stoppedAt, 0u);
        EXPECT_EQ(run.trainer.flags().ToneKeyDown.load(), 0);
        constexpr std::size_t kRampMs = 2;  // the next sample, and the release ramp of 1 ms
        for (std::size_t ms = stoppedAt + 1; ms < peaks.size(); ++ms) {
            EXPECT_LE(peaks[ms], peaks[ms - 1] + 1e-6f) << "tone rises again " << ms - stoppedAt;
            if (ms > stoppedAt + kRampMs) {
                EXPECT_LT(peaks[ms], 1e-4f) << "tone " << ms - stoppedAt << " ms after the stop";
            }
        }
    }
}

}  // namespace
}  // namespace quorvel
