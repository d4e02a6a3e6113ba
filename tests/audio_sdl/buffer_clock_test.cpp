#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "audio/sdl/buffer_clock.h"

namespace quorvel {
namespace {

constexpr int kRate = 48000;
constexpr int kFrames = 960;  // 20 ms
constexpr std::int64_t kBufferUs = 20000;
constexpr std::int64_t kLatencyUs = 21000;

// Buffer starts of `buffers` callbacks, one a buffer from `at`, every other one `jitterUs`
// late, on a device clock `ppm` slower than the steady clock.
std::vector<std::int64_t> starts(BufferClock& clock, std::int64_t& at, int buffers,
                                 std::int64_t jitterUs, std::int64_t ppm, bool silent) {
    std::vector<std::int64_t> s;
    for (int i = 0; i < buffers; ++i) {
        s.push_back(clock.start(at + (i % 2 == 1 ? jitterUs : 0), kLatencyUs, silent));
        clock.advance(kFrames, kRate);
        at += kBufferUs + kBufferUs * ppm / 1000000;
    }
    return s;
}

bool joined(const std::vector<std::int64_t>& s) {
    for (std::size_t i = 1; i < s.size(); ++i)
        if (s[i] - s[i - 1] != kBufferUs)
            return false;
    return true;
}

TEST(BufferClock, LateCallbacksOfAServerMoveNoEdgeInSilenceOrSound) {
    BufferClock clock;
    std::int64_t at = 1'000'000;
    const auto first = starts(clock, at, 500, 5000, 0, true);
    EXPECT_EQ(first.front(), 1'000'000 - kLatencyUs);
    EXPECT_TRUE(joined(first));  // ten seconds of 5 ms jitter, never taken for drift

    // A server that starts with its late callbacks sets the pace from the first early one.
    BufferClock late;
    std::int64_t t = 2'000'000;
    late.start(t + 5000, kLatencyUs, true);
    late.advance(kFrames, kRate);
    t += kBufferUs;
    const auto s = starts(late, t, 100, 5000, 0, true);
    EXPECT_EQ(s.back() + kBufferUs, t - kLatencyUs);
    EXPECT_TRUE(joined({s.begin() + 2, s.end()}));
}

TEST(BufferClock, DriftIsSetRightOnlyInSilenceAndAStallAtOnce) {
    BufferClock clock;
    std::int64_t at = 1'000'000;
    // A device 2000 ppm slow, sounding for four seconds: the buffers keep joining.
    const auto sounding = starts(clock, at, 200, 1000, 2000, false);
    EXPECT_TRUE(joined(sounding));
    // In the next silence the start follows the device again, within the slack.
    const auto silent = starts(clock, at, 20, 1000, 0, true);
    const std::int64_t behind = (at - kLatencyUs) - (silent.back() + kBufferUs);
    EXPECT_LE(behind, BufferClock::kSilentSlackUs);
    EXPECT_GE(behind, 0);

    // A callback 60 ms late (a stalled thread) is caught up at once, even while sounding.
    const std::int64_t stalled = clock.start(at + 60000, kLatencyUs, false);
    EXPECT_EQ(stalled, at + 60000 - kLatencyUs);

    // A reopened device starts its own clock.
    clock.restart();
    EXPECT_EQ(clock.start(at + 500000, kLatencyUs, false), at + 500000 - kLatencyUs);
}

// SDL's disk driver sleeps a buffer's length after each callback, so a slow machine (or a
// sanitizer) makes it a quarter slower than real time. Each silence between elements sets the
// start right, so a dash never falls behind to the catch-up that would cut into its gap.
TEST(BufferClock, ADeviceSlowerThanRealTimeIsFollowedInEveryGap) {
    BufferClock clock;
    constexpr int kSmall = 96;  // 2 ms
    constexpr std::int64_t kSmallUs = 2000;
    std::int64_t at = 1'000'000;
    std::int64_t previous = 0;
    bool first = true;
    // Dashes of 90 ms and gaps of 30 ms (40 WPM), 2.5 ms of real time per 2 ms buffer.
    for (int element = 0; element < 40; ++element) {
        for (int sounding = 1; sounding >= 0; --sounding) {
            const int buffers = sounding ? 45 : 15;
            for (int i = 0; i < buffers; ++i) {
                const std::int64_t s = clock.start(at, kLatencyUs, sounding == 0);
                if (!first && sounding) {
                    ASSERT_EQ(s - previous, kSmallUs) << "element " << element;
                }
                ASSERT_LT(at - kLatencyUs - s, BufferClock::kCatchUpUs);
                first = false;
                previous = s;
                clock.advance(kSmall, kRate);
                at += kSmallUs + kSmallUs / 4;
            }
        }
    }
}

}  // namespace
}  // namespace quorvel
