#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tests/audio/audio_rig.h"

namespace quorvel {
namespace {

using test::AudioRig;
constexpr double kTwoPi = 2 * std::numbers::pi;

float peakOf(const std::vector<float>& v, std::size_t from = 0) {
    float p = 0;
    for (std::size_t i = from; i < v.size(); ++i)
        p = std::max(p, std::fabs(v[i]));
    return p;
}

void enableEveryBandEffect(PracticeSettings& s) {
    for (auto* v : {&s.BandQRN,        &s.BandQRM,     &s.BandQSB,         &s.BandFlutter,
                    &s.BandLids,       &s.BandChirp,   &s.BandAGC,         &s.BandIFFilter,
                    &s.BandPitchDrift, &s.BandEcho,    &s.BandMultipath,   &s.BandLightning,
                    &s.BandAdjacent,   &s.BandSplit,   &s.BandAtmospheric, &s.BandHum,
                    &s.BandIgnition,   &s.BandAgcPump, &s.BandRinging,     &s.BandOverload})
        v->store(1);
    s.BandActivity.store(5);
    s.BandNoiseLevel.store(100);
    s.BandFilterWidth.store(2);
}

TEST(Renderer, KeyDownReachesFullLevelAfterFiftyFramesAndSineTonePeaksAtPointThree) {
    AudioRig rig;
    rig.key(true);
    for (int i = 1; i <= 49; ++i) {
        rig.render(100, 1);
        ASSERT_LT(rig.renderer.envelope(), 1.0f) << "frame " << i;
    }
    rig.render(100, 1);
    EXPECT_EQ(rig.renderer.envelope(), 1.0f);
    const auto tone = rig.render(101, 4800);
    EXPECT_NEAR(peakOf(tone), 0.3f, 1e-4f);
    EXPECT_LE(peakOf(tone), 0.3f);

    rig.key(false);
    const auto release = rig.render(200, 100);
    EXPECT_EQ(rig.renderer.envelope(), 0.0f);
    EXPECT_EQ(peakOf(release, 50), 0.0f);
}

TEST(Renderer, ShortKeyDownNeverReachesFullLevel) {
    AudioRig rig;
    rig.key(true);
    const auto on = rig.render(100, 30);
    EXPECT_FLOAT_EQ(rig.renderer.envelope(), 0.6f);
    rig.key(false);
    const auto off = rig.render(100, 40);
    EXPECT_LE(peakOf(on), 0.3f * 0.6f);
    EXPECT_LE(peakOf(off), 0.3f * 0.58f);
    EXPECT_EQ(rig.renderer.envelope(), 0.0f);
    EXPECT_EQ(off[29], 0.0f);  // 30 frames down, 30 frames back
}

TEST(Renderer, KeyedElementsSoundForTheirLengthWithoutClicks) {
    AudioRig rig;
    std::vector<float> out;
    std::uint32_t tick = 0;
    // Elements of 2400 frames (50 ms) and gaps of 2400, cut into odd buffer sizes so the key
    // changes at odd places inside the rhythm of the buffers.
    const std::size_t sizes[] = {1, 255, 1023, 48, 7};
    std::size_t next = 0;
    for (int element = 0; element < 4; ++element) {
        for (bool down : {true, false}) {
            rig.key(down);
            std::size_t left = 2400;
            while (left > 0) {
                const std::size_t n = std::min(left, sizes[next++ % 5]);
                const auto part = rig.render(tick++, n);
                out.insert(out.end(), part.begin(), part.end());
                left -= n;
            }
        }
    }
    const double inc = 800 * kTwoPi / 48000;
    for (std::size_t i = 1; i < out.size(); ++i)
        ASSERT_LE(std::fabs(out[i] - out[i - 1]), 0.3 * (inc + 0.02) + 1e-6) << "click at " << i;
    for (std::size_t e = 0; e < 4; ++e) {
        const std::size_t start = e * 4800;
        std::size_t first = out.size(), last = 0;
        for (std::size_t i = start; i < start + 4800; ++i) {
            if (out[i] != 0.0f) {
                first = std::min(first, i);
                last = i;
            }
        }
        EXPECT_LE(first, start + 1);  // frame 0 of the first element sits at phase 0
        EXPECT_NEAR(static_cast<double>(last - start), 2400 + 48, 2) << "element " << e;
    }
}

TEST(Renderer, UnknownSoundTypesPlayAsTheSine) {
    AudioRig reference;
    AudioRig six;
    AudioRig minusOne;
    six.set(six.settings.SoundType, 6);
    minusOne.set(minusOne.settings.SoundType, -1);
    for (auto* rig : {&reference, &six, &minusOne})
        rig->key(true);
    const auto expected = reference.renderMs(5000, 20);
    EXPECT_EQ(six.renderMs(5000, 20), expected);
    EXPECT_EQ(minusOne.renderMs(5000, 20), expected);
}

TEST(Renderer, FrequencyChangeTakesEffectAtTheNextBufferWithoutAPhaseJump) {
    AudioRig rig;
    rig.key(true);
    auto first = rig.render(0, 480);
    const double inc800 = 800 * kTwoPi / 48000;
    EXPECT_NEAR(rig.renderer.OscillatorPhase(), 480 * inc800, 1e-9);

    rig.set(rig.settings.Freq, 1000);
    const auto second = rig.render(10, 480);
    const double inc1000 = 1000 * kTwoPi / 48000;
    EXPECT_NEAR(rig.renderer.OscillatorPhase(), 480 * inc800 + 480 * inc1000, 1e-9);

    // A continuous sine at amplitude 0.3 changes by at most 0.3 × the step per frame.
    first.insert(first.end(), second.begin(), second.end());
    for (std::size_t i = 60; i + 1 < first.size(); ++i)
        ASSERT_LE(std::fabs(first[i + 1] - first[i]), 0.3 * inc1000 + 1e-6) << "frame " << i;
}

TEST(Renderer, FrequencyOutsideTheSliderRangeIsHeldToIt) {
    AudioRig high;
    AudioRig low;
    high.set(high.settings.Freq, 50000);
    low.set(low.settings.Freq, -5);
    high.render(0, 100);
    low.render(0, 100);
    EXPECT_NEAR(high.renderer.OscillatorPhase(), 100 * 1200 * kTwoPi / 48000, 1e-9);
    EXPECT_NEAR(low.renderer.OscillatorPhase(), 100 * 300 * kTwoPi / 48000, 1e-9);
}

TEST(Renderer, SameTickAndPhaseGiveTheSameAudioWhateverTheBufferSize) {
    AudioRig whole;
    AudioRig sliced;
    for (auto* rig : {&whole, &sliced}) {
        enableEveryBandEffect(rig->settings);
        rig->flags.BandEffectsActive.store(1);
        rig->key(true);
    }
    // One tick for all of it: the slices must carry every piece of state across calls.
    const std::size_t total = 1 + 255 + 1023 + 48 * 20 + 9600;
    const auto expected = whole.render(123456, total);
    std::vector<float> got;
    for (std::size_t size : {std::size_t{1}, std::size_t{255}, std::size_t{1023}}) {
        const auto part = sliced.render(123456, size);
        got.insert(got.end(), part.begin(), part.end());
    }
    while (got.size() < total) {
        const auto part = sliced.render(123456, std::min<std::size_t>(48, total - got.size()));
        got.insert(got.end(), part.begin(), part.end());
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(whole.renderer.OscillatorPhase(), sliced.renderer.OscillatorPhase());
    EXPECT_GT(peakOf(expected), 0.1f);

    // Two renderers fed the same ticks render the same audio.
    AudioRig again;
    enableEveryBandEffect(again.settings);
    again.flags.BandEffectsActive.store(1);
    again.key(true);
    EXPECT_EQ(again.render(123456, total), expected);
}

TEST(Renderer, EveryChannelCarriesTheSameValue) {
    AudioRig mono(48000, 1);
    for (int channels : {2, 6}) {
        AudioRig multi(48000, channels);
        multi.key(true);
        std::vector<float> buffer(static_cast<std::size_t>(1023 * channels));
        multi.renderer.render(77, buffer.data(), 1023);
        for (std::size_t f = 0; f < 1023; ++f)
            for (std::size_t c = 1; c < static_cast<std::size_t>(channels); ++c)
                ASSERT_EQ(buffer[f * static_cast<std::size_t>(channels) + c],
                          buffer[f * static_cast<std::size_t>(channels)]);
        EXPECT_GT(std::fabs(buffer[200 * static_cast<std::size_t>(channels)]), 0.0f);
    }
}

}  // namespace
}  // namespace quorvel
