#include "audio/tone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvel {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

double seconds(std::uint32_t tick) {
    return static_cast<double>(tick) * 0.001;
}

// +1 on the positive half-wave of the oscillator (sin φ ≥ 0), -1 on the other.
float squareOf(double sinPhase) {
    return sinPhase >= 0.0 ? 1.0f : -1.0f;
}

}  // namespace

double sinOfLargeArgument(double a) {
    // Below this the library's own reduction is fast.
    if (std::fabs(a) < 1e7)
        return std::sin(a);
    // Reduce by 2π = kHi + kLo. n × kHi is formed exactly as hi + lo (Dekker), so the
    // remainder keeps full double precision for any phase the program can reach.
    constexpr double kHi = 6.283185307179586;
    constexpr double kLo = 2.4492935982947064e-16;
    constexpr double kSplit = 134217729.0;  // 2^27 + 1
    const double n = std::floor(a / kTwoPi + 0.5);
    const double nc = kSplit * n;
    const double nHigh = nc - (nc - n);
    const double nLow = n - nHigh;
    const double hc = kSplit * kHi;
    const double hHigh = hc - (hc - kHi);
    const double hLow = kHi - hHigh;
    const double hi = n * kHi;
    const double lo = ((nHigh * hHigh - hi) + nHigh * hLow + nLow * hHigh) + nLow * hLow;
    return std::sin(((a - hi) - lo) - n * kLo);
}

int normaliseSoundType(int soundType) {
    return soundType >= 0 && soundType < kSoundTypeCount ? soundType : 0;
}

int clampFreq(int freq) {
    return std::clamp(freq, kMinFreq, kMaxFreq);
}

float SoftClip(float x) {
    return x / (1.0f + 0.55f * std::fabs(x));
}

float HashNoise(std::uint32_t k, double x) {
    const double y =
        sinOfLargeArgument(static_cast<double>(k % 1024u) * 78.233 + x * 12.9898) * 43758.5453;
    return static_cast<float>(2.0 * (y - std::floor(y)) - 1.0);
}

float Clamp(float x) {
    return std::clamp(x, -1.0f, 1.0f);
}

TimbreTerms::TimbreTerms(std::uint32_t tickValue) : tick(tickValue) {
    const double t = seconds(tick);
    vibrato1 = 0.018 * std::sin(5.1 * t) + 0.006 * std::sin(13.0 * t);
    level1 = static_cast<float>(0.88 + 0.12 * std::sin(18.0 * t));
    level3 = static_cast<float>(0.92 + 0.08 * std::sin(3.2 * t));
    drift4 = 0.06 * std::sin(1.7 * t) + 0.018 * std::sin(6.8 * t);
    hum4 = 0.075 * std::sin(100.0 * kPi * t);
    level4 = static_cast<float>(0.82 + 0.18 * std::sin(9.0 * t));
}

float TimbreSample(int soundType, const TimbreTerms& terms, float amplitude, double phase) {
    switch (soundType) {
        case 1: {
            const double psi = phase + terms.vibrato1;
            const auto h = static_cast<float>(0.8 * std::sin(psi) + 0.16 * std::sin(2.0 * psi) +
                                              0.07 * std::sin(3.0 * psi));
            return Clamp(SoftClip(1.45f * terms.level1 * h) * amplitude * 0.38f);
        }
        case 2: {
            // sin 3φ and sin 5φ as polynomials in sin φ: equal to far below float
            // precision, and a third of the cost for the five interfering stations.
            const double s = std::sin(phase);
            const double s2 = s * s;
            const double sin3 = s * (3.0 - 4.0 * s2);
            const double sin5 = s * (5.0 - s2 * (20.0 - 16.0 * s2));
            const auto h =
                static_cast<float>(0.58 * s + 0.26 * squareOf(s) + 0.13 * sin3 + 0.05 * sin5);
            return Clamp(SoftClip(1.35f * h) * amplitude * 0.34f);
        }
        case 3: {
            const auto h =
                static_cast<float>(0.98 * std::sin(phase) + 0.012 * std::sin(2.0 * phase));
            return Clamp(terms.level3 * h * amplitude * 0.22f);
        }
        case 4: {
            const double psi = phase + terms.drift4;
            const double n = HashNoise(terms.tick, phase);
            const auto h =
                static_cast<float>(0.28 * std::sin(1.012 * psi + 0.7) + 0.58 * std::sin(psi) +
                                   0.17 * std::sin(2.0 * psi + 0.3) + terms.hum4 + 0.06 * n);
            return Clamp(SoftClip(1.75f * terms.level4 * h) * amplitude * 0.32f);
        }
        case 5: {
            const double s = std::sin(phase);
            // Sawtooth in [-1, 1) locked to the oscillator; it jumps at odd multiples of π.
            const double cycles = phase / kTwoPi;
            const double w = 2.0 * (cycles - std::floor(cycles + 0.5));
            const auto h =
                static_cast<float>(0.62 * squareOf(s) + 0.18 * w + 0.13 * std::sin(3.0 * phase) +
                                   0.08 * std::sin(5.0 * phase) + 0.05 * std::sin(7.0 * phase));
            return Clamp(SoftClip(1.6f * h) * amplitude * 0.28f);
        }
        default:
            return static_cast<float>(std::sin(phase)) * amplitude * 0.3f;
    }
}

float TimbreSample(int soundType, std::uint32_t tick, float amplitude, double phase) {
    return TimbreSample(soundType, TimbreTerms(tick), amplitude, phase);
}

}  // namespace quorvel
