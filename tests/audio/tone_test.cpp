#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "audio/tone.h"

namespace quorvel {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(Timbre, PeaksAtFullAmplitudeLeaveHeadroom) {
    for (int type = 0; type < kSoundTypeCount; ++type) {
        float peak = 0;
        for (std::uint32_t tick = 0; tick < 20000; tick += 997) {
            for (int i = 0; i < 4000; ++i) {
                const double phase = 1e4 + i * (2 * kPi / 4000);
                peak = std::max(peak, std::fabs(TimbreSample(type, tick, 1.0f, phase)));
            }
        }
        EXPECT_GT(peak, 0.2f) << "type " << type;
        EXPECT_LT(peak, type == 0 ? 0.3001f : 0.3f) << "type " << type;
    }
    EXPECT_NEAR(TimbreSample(0, 0u, 1.0f, kPi / 2), 0.3f, 1e-6f);
}

TEST(Timbre, ClearPracticeToneFollowsItsHarmonicRecipe) {
    // The square-plus-odd-harmonics timbre, written out term by term.
    for (double phase = 0.001; phase < 40; phase += 0.0137) {
        const double s = std::sin(phase);
        const double h = 0.58 * s + 0.26 * (s >= 0 ? 1 : -1) + 0.13 * std::sin(3 * phase) +
                         0.05 * std::sin(5 * phase);
        const double expected = 1.35 * h / (1 + 0.55 * std::fabs(1.35 * h)) * 0.7 * 0.34;
        ASSERT_NEAR(TimbreSample(2, 0u, 0.7f, phase), expected, 1e-7) << "phase " << phase;
    }
}

// Undoes the output scaling of the buzzer timbre to get back its waveform before clipping.
double buzzerWave(double phase) {
    const double y = TimbreSample(5, 0u, 1.0f, phase) / 0.28;
    return y / (1.0 - 0.55 * std::fabs(y)) / 1.6;
}

TEST(Timbre, BuzzerSawtoothJumpsAtOddMultiplesOfPi) {
    const double eps = 1e-9;
    for (int k : {1, 3, 5, 1001}) {
        // At odd multiples the square and the sawtooth both fall: 2 × (0.62 + 0.18).
        const double jump = buzzerWave(k * kPi + eps) - buzzerWave(k * kPi - eps);
        EXPECT_NEAR(jump, -1.6, 1e-3) << "at " << k << "π";
    }
    for (int k : {2, 4, 1000}) {
        // At even multiples only the square rises; the sawtooth passes through 0.
        const double jump = buzzerWave(k * kPi + eps) - buzzerWave(k * kPi - eps);
        EXPECT_NEAR(jump, 1.24, 1e-3) << "at " << k << "π";
    }
    // Elsewhere the wave is continuous.
    for (double phase : {0.5, 2.0, 4.0, 5.9})
        EXPECT_NEAR(buzzerWave(phase + eps), buzzerWave(phase - eps), 1e-6);
}

TEST(Curves, HashNoiseIsBoundedAndSpreadOver) {
    double sum = 0;
    double sumSquares = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        const float v = HashNoise(static_cast<std::uint32_t>(i / 7), i * 0.1309);
        ASSERT_GE(v, -1.0f);
        ASSERT_LT(v, 1.0f);
        sum += v;
        sumSquares += v * v;
    }
    EXPECT_NEAR(sum / n, 0.0, 0.03);
    EXPECT_NEAR(sumSquares / n, 1.0 / 3.0, 0.03);  // uniform on [-1, 1)
    // The key only counts modulo 1024.
    EXPECT_EQ(HashNoise(5, 0.25), HashNoise(5 + 1024, 0.25));
    EXPECT_EQ(HashNoise(0xFFFFFFFFu, 0.25), HashNoise(1023, 0.25));
}

TEST(Curves, LargeArgumentSineMatchesTheLibrary) {
    // Phases of a tone that has run for minutes, days and weeks, scaled as the noise does.
    double worst = 0;
    int noiseDiffers = 0;
    for (double a = 3e4; a < 5e12; a *= 1.37) {
        for (double d : {0.0, 0.123, 1.5707963, 3.14159, 1e-3}) {
            worst = std::max(worst, std::fabs(sinOfLargeArgument(a + d) - std::sin(a + d)));
            const double x = (a + d) / 12.9898;
            const double y = std::sin(77 * 78.233 + x * 12.9898) * 43758.5453;
            const auto reference = static_cast<float>(2.0 * (y - std::floor(y)) - 1.0);
            const float got = HashNoise(77, x);
            ASSERT_NEAR(got, reference, 2.4e-7f) << "x " << x;
            noiseDiffers += got != reference;
        }
    }
    EXPECT_LT(worst, 1e-15);
    EXPECT_LE(noiseDiffers, 2);
}

}  // namespace
}  // namespace quorvel
