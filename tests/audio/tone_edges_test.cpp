#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "audio_rig.h"

namespace quorvel {
namespace {

// First frame of `samples` (counting from `base`) whose magnitude shows the tone started.
long firstSound(const std::vector<float>& samples, std::size_t from = 0) {
    for (std::size_t i = from; i < samples.size(); ++i)
        if (samples[i] != 0.0f)
            return static_cast<long>(i);
    return -1;
}

long firstSilence(const std::vector<float>& samples, std::size_t from) {
    for (std::size_t i = from; i < samples.size(); ++i)
        if (i + 2 < samples.size() && samples[i] == 0.0f && samples[i + 1] == 0.0f &&
            samples[i + 2] == 0.0f)
            return static_cast<long>(i);
    return -1;
}

// Renders `total` frames in buffers of `size` from a start at tick 1000 + 0.250 ms.
std::vector<float> renderInBuffers(test::AudioRig& rig, std::size_t total, std::size_t size) {
    const int rate = rig.renderer.sampleRate();
    std::vector<float> out(total);
    std::size_t done = 0;
    while (done < total) {
        const std::size_t n = std::min(size, total - done);
        const std::int64_t us = 1000250 + static_cast<std::int64_t>(done) * 1000000 / rate;
        rig.renderer.render(Renderer::BufferStart{static_cast<std::uint32_t>(us / 1000),
                                                  static_cast<int>(us % 1000)},
                            out.data() + done, n);
        done += n;
    }
    return out;
}

TEST(ToneEdges, EdgesLandAtTheFrameOfTheirTickWhateverTheBufferSizeAndRate) {
    for (int rate : {44100, 48000}) {
        for (std::size_t size : {std::size_t{1}, std::size_t{255}, std::size_t{1023}}) {
            test::AudioRig rig(rate);
            // A 30 ms element from tick 1010, then a 90 ms one from tick 1070.
            rig.flags.setToneKeyDown(true, 1010);
            rig.flags.setToneKeyDown(false, 1040);
            rig.flags.setToneKeyDown(true, 1070);
            rig.flags.setToneKeyDown(false, 1160);
            const auto out = renderInBuffers(rig, static_cast<std::size_t>(rate) / 4, size);
            // Frame of tick t counted from the start at 1000.250 ms.
            const auto frameOf = [rate](int tick) {
                return static_cast<long>((static_cast<long long>(tick - 1000) * 1000 - 250) * rate /
                                         1000000);
            };
            SCOPED_TRACE(testing::Message() << rate << " Hz, buffers of " << size);
            // The envelope's first step is audible in the edge's own frame (buffer starts are
            // kept in whole microseconds, so at 44.1 kHz a frame of rounding remains).
            const long slack = rate % 1000 == 0 ? 0 : 1;
            EXPECT_LE(std::labs(firstSound(out) - frameOf(1010)), slack);
            const long secondOn = firstSound(out, static_cast<std::size_t>(frameOf(1050)));
            EXPECT_LE(std::labs(secondOn - frameOf(1070)), slack);
            // The release ramp reaches silence one ramp length after the edge's frame.
            const int ramp = Envelope::rampFrames(rate);
            const long silent = firstSilence(out, static_cast<std::size_t>(frameOf(1020)));
            EXPECT_LE(std::labs(silent - (frameOf(1040) + ramp - 1)), slack);
            // The element lasts exactly its 30 ms.
            EXPECT_LE(std::labs(silent - firstSound(out) - (rate * 30 / 1000 + ramp - 1)),
                      2 * slack);
            EXPECT_TRUE(rig.flags.toneEdges.empty());
        }
    }
}

TEST(ToneEdges, TheFlagIsFollowedWhenNoEdgeIsQueued) {
    test::AudioRig rig;
    rig.key(true);  // a stop or a test that writes the flag directly
    const auto on = rig.render(5, 100);
    EXPECT_LE(firstSound(on), 1);  // the oscillator starts at phase 0
    rig.flags.setToneKeyDown(false, 5);
    rig.flags.ToneKeyDown.store(0);
    const auto off = rig.render(5, 100);
    EXPECT_EQ(off[99], 0.0f);
}

TEST(ToneEdges, AFullRingDropsOnlyTheTimingNotTheState) {
    SharedFlags flags;
    for (std::uint32_t i = 0; i < ToneEdgeRing::kCapacity + 10; ++i)
        flags.setToneKeyDown(i % 2 == 0, i);
    EXPECT_EQ(flags.ToneKeyDown.load(), 0);  // the last write, i = 265, let go
}

TEST(ToneEdges, RingHandsEveryEdgeOverInOrderAcrossThreads) {
    ToneEdgeRing ring;
    constexpr std::uint32_t kEdges = 100000;
    std::thread producer([&] {
        for (std::uint32_t i = 0; i < kEdges;)
            if (ring.push({i, i % 2 == 0}))
                ++i;
    });
    std::uint32_t expected = 0;
    while (expected < kEdges) {
        if (ring.empty())
            continue;
        const ToneEdge e = ring.front();
        ASSERT_EQ(e.tick, expected);
        ASSERT_EQ(e.down, expected % 2 == 0);
        ring.pop();
        ++expected;
    }
    producer.join();
}

TEST(Envelope, RampKeepsItsDurationAtEveryRate) {
    EXPECT_EQ(Envelope::rampFrames(48000), 50);
    EXPECT_EQ(Envelope::rampFrames(96000), 100);
    EXPECT_EQ(Envelope::rampFrames(44100), 46);
    EXPECT_EQ(Envelope::rampFrames(8000), 8);
    Envelope e(96000);
    for (int i = 0; i < 99; ++i)
        e.step(true);
    EXPECT_LT(e.value(), 1.0f);
    EXPECT_EQ(e.step(true), 1.0f);
}

}  // namespace
}  // namespace quorvel
