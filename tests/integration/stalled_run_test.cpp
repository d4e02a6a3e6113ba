#include <gtest/gtest.h>

#include <cstdint>

#include "tests/integration/receive_rig.h"

namespace quorvel {
namespace {

using namespace test;

// Stalls of a fixed length starting at pseudo-random points, 100 to 1,100 ms apart.
struct StallPlan {
    explicit StallPlan(std::uint32_t lengthMs, std::uint32_t seed)
        : length(lengthMs), state(seed) {}
    bool operator()(std::uint32_t now) {
        if (until != 0 && now < until)
            return true;
        if (next == 0)
            next = now + gap();
        if (now < next)
            return false;
        until = now + length;
        next = until + gap();
        ++stalls;
        return true;
    }
    std::uint32_t gap() {
        state = state * 214013u + 2531011u;
        return 100 + (state >> 16) % 1000;
    }
    std::uint32_t length;
    std::uint32_t state;
    std::uint32_t until = 0;
    std::uint32_t next = 0;
    int stalls = 0;
};

void installLatinPair(ReceiveRun& run) {
    run.trainer.document().installSet(
        {{u"12 OSAKA 15 9 1030", u"", u"", u"", u"JOHN SMITH HARBOUR OFFICE LIVERPOOL",
          u"CARGO LANDED SAFELY AT NOON STOP AWAIT YOUR ORDERS"},
         {u"13 KOBE 9 6 1145", u"", u"", u"", u"MARIA ROSSI GENOVA",
          u"SHIP DELAYED BY FOG ARRIVING THURSDAY 0800"}},
        true);
}

void expectExactUnderStalls(bool playbackStalls, std::uint32_t lengthMs) {
    for (int set = 0; set < 3; ++set) {
        const bool latin = set > 0;
        ReceiveRun run(latin, 40);
        if (set == 2)
            installLatinPair(run);
        SimulatedRun sim(run.trainer, &run.clock);
        StallPlan plan(lengthMs, 7u + static_cast<std::uint32_t>(set) * 131u + lengthMs);
        auto stalled = [&plan](std::uint32_t now) { return plan(now); };
        if (playbackStalls)
            sim.setStalls({stalled, {}});
        else
            sim.setStalls({{}, stalled});
        sim.receive(3000);
        const std::string what = std::string(playbackStalls ? "playback" : "keying") + " stalled " +
                                 std::to_string(lengthMs) + " ms, set " + std::to_string(set);
        EXPECT_GT(plan.stalls, 5) << what;
        SCOPED_TRACE(what);
        expectBothTelegramsReceived(run, latin, 40);
        EXPECT_EQ(run.trainer.scoring().runTally().wrongCount, 0);
    }
}

TEST(StalledRun, StalledPlaybackDelaysButNeverChangesTheReception) {
    for (std::uint32_t ms : {5u, 50u, 500u})
        expectExactUnderStalls(true, ms);
}

TEST(StalledRun, StalledKeyingThreadDelaysButNeverChangesTheReception) {
    for (std::uint32_t ms : {5u, 50u, 500u})
        expectExactUnderStalls(false, ms);
}

}  // namespace
}  // namespace quorvel
