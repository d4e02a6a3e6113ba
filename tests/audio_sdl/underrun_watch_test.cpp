#include <gtest/gtest.h>

#include <cstdint>

#include "audio/sdl/underrun_watch.h"

namespace quorvel {
namespace {

constexpr int kRate = 48000;
constexpr int kFrames = 480;  // 10 ms

// Callbacks of a device that plays without a break: one a buffer, each `jitterUs` late in
// turn, on a device clock `ppm` slower than the steady clock. Returns the underruns seen.
int steadyDevice(UnderrunWatch& watch, std::int64_t& at, int buffers, std::int64_t jitterUs,
                 std::int64_t ppm) {
    int underruns = 0;
    for (int i = 0; i < buffers; ++i) {
        const std::int64_t late = i % 2 == 0 ? jitterUs : 0;
        underruns += watch.step(at + late, kFrames, kRate) ? 1 : 0;
        at += 10000 + 10000 * ppm / 1000000;
    }
    return underruns;
}

TEST(UnderrunWatch, JitterAStartingStreamAndASlowDeviceClockAreNotUnderruns) {
    UnderrunWatch watch;
    std::int64_t at = 1'000'000;
    // A server takes three buffers at once and starts playing 40 ms later.
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(watch.step(at, kFrames, kRate));
    at += 40000;
    // Most of a buffer late every other call, for ten minutes on a clock 500 ppm slow.
    EXPECT_EQ(steadyDevice(watch, at, 60000, 9000, 500), 0);
    // A burst of early callbacks as a server fills its buffer is not one either.
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(watch.step(at, kFrames, kRate));
}

TEST(UnderrunWatch, ADeviceThatRanDryIsCountedOnceAndWatchedAfresh) {
    UnderrunWatch watch;
    std::int64_t at = 1'000'000;
    EXPECT_EQ(steadyDevice(watch, at, 100, 2000, 0), 0);
    at += 20000;  // the device played 20 ms of silence of its own
    EXPECT_EQ(steadyDevice(watch, at, 100, 2000, 0), 1);
    at += 13000;  // a shorter one, more than a buffer and the margin
    EXPECT_EQ(steadyDevice(watch, at, 100, 0, 0), 1);

    // A reopened device starts its own clock: its first callback is no underrun.
    watch.restart();
    at += 500000;
    EXPECT_EQ(steadyDevice(watch, at, 100, 0, 0), 0);
}

}  // namespace
}  // namespace quorvel
