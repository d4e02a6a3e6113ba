#include "audio/band_chain.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "keying/shared_flags.h"
#include "storage/settings.h"

namespace quorvel {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr std::uint32_t kChirpMs = 95;

bool on(const std::atomic<int>& v) {
    return PracticeSettings::get(v) != 0;
}

}  // namespace

void startBandEffects(SharedFlags& flags) {
    flags.BandEffectsActive.store(1, std::memory_order_relaxed);
}

void stopBandEffects(SharedFlags& flags, AudioState& audio) {
    flags.BandEffectsActive.store(0, std::memory_order_relaxed);
    audio.interfererResets.fetch_add(1, std::memory_order_relaxed);
}

BandSettings BandSettings::read(const PracticeSettings& s) {
    BandSettings b;
    b.qrn = on(s.BandQRN);
    b.qrm = on(s.BandQRM);
    b.qsb = on(s.BandQSB);
    b.flutter = on(s.BandFlutter);
    b.lids = on(s.BandLids);
    b.chirp = on(s.BandChirp);
    b.agc = on(s.BandAGC);
    b.ifFilter = on(s.BandIFFilter);
    b.pitchDrift = on(s.BandPitchDrift);
    b.echo = on(s.BandEcho);
    b.multipath = on(s.BandMultipath);
    b.lightning = on(s.BandLightning);
    b.adjacent = on(s.BandAdjacent);
    b.split = on(s.BandSplit);
    b.atmospheric = on(s.BandAtmospheric);
    b.hum = on(s.BandHum);
    b.ignition = on(s.BandIgnition);
    b.agcPump = on(s.BandAgcPump);
    b.ringing = on(s.BandRinging);
    b.overload = on(s.BandOverload);
    // The activity indexes the five interfering stations: never trust it unclamped.
    b.activity = std::clamp(PracticeSettings::get(s.BandActivity), 0, kMaxInterferers);
    b.noiseLevel = std::clamp(PracticeSettings::get(s.BandNoiseLevel), 0, 100);
    b.filterWidth = std::clamp(PracticeSettings::get(s.BandFilterWidth), 0, 2);
    return b;
}

BandChain::BandChain(int sampleRate) : sampleRate_(sampleRate) {
    if (sampleRate <= 0)
        throw std::invalid_argument("sample rate must be positive");
    const auto rate = static_cast<std::size_t>(sampleRate);
    echoDelay_ = std::min<std::size_t>(rate / 5, kEchoLineFrames - 1);
    multipathDelay_ = std::min<std::size_t>(rate / 14, kEchoLineFrames - 1);
}

void BandChain::beginBuffer(std::uint32_t tick, int freq, int soundType) {
    tick_ = tick;
    freq_ = freq;
    soundType_ = soundType;
    timbre_ = TimbreTerms(tick);
    termsReady_ = false;
}

void BandChain::computeTickTerms() {
    TickTerms& k = terms_;
    const double t = static_cast<double>(tick_) * 0.001;
    k.t = t;
    k.driftFactor = 1.0 + 0.01 * std::sin(0.41 * t) + 0.004 * std::sin(1.17 * t);
    k.qsbFactor = (0.82 + 0.18 * std::sin(0.41 * t + 1.7)) *
                  (0.58 + 0.34 * std::sin(1.35 * t + 1.2 * std::sin(0.23 * t)));
    k.pumpFactor = 0.82 + 0.18 * std::sin(4.6 * t);
    k.lidsTerm = 27.0 * t;
    k.adjacentTerm = 37.0 * t;
    k.splitTerm = 19.0 * t;
    k.hum = static_cast<float>(0.035 * std::sin(100.0 * std::numbers::pi * t));
    for (int a = 0; a <= kMaxInterferers; ++a) {
        const double rate = 2.0 * a + 18.0;  // rad/s
        const double depth = 0.006 + 0.0015 * a;
        k.flutterFactor[static_cast<std::size_t>(a)] =
            1.0 + depth * std::sin(rate * t) + 0.45 * depth * std::sin(1.73 * rate * t);
    }
    // Each station keys a two-element rhythm on the millisecond clock.
    for (std::uint32_t i = 0; i < kMaxInterferers; ++i) {
        const std::uint32_t r = (tick_ + 91 * i) % (650 + 235 * i);
        k.stationSounds[i] = r < 130 + 47 * i || (260 + 94 * i < r && r < 390 + 141 * i);
        const int offset = 43 * static_cast<int>(i + 1) * (i % 2 == 0 ? 1 : -1);  // Hz
        interfererStep_[i] = (freq_ + offset) * kTwoPi / sampleRate_;
    }
    termsReady_ = true;
}

BandFrame BandChain::BandSample(bool active, const BandSettings& b, bool keyed, float envelope,
                                double phase, double increment) {
    // Key edges are followed even while the chain is off, so a chirp is never started by
    // switching the chain on in the middle of an element.
    if (keyed && !previousKeyed_)
        KeyDownTick = tick_;
    previousKeyed_ = keyed;

    if (!active)
        return {TimbreSample(soundType_, timbre_, envelope, phase), increment};
    if (!termsReady_)
        computeTickTerms();
    const TickTerms& k = terms_;
    const int A = b.activity;
    const double phi = phase;

    // Pitch.
    if (b.pitchDrift)
        increment *= k.driftFactor;
    if (b.chirp && keyed) {
        const std::uint32_t sinceKeyDown = tick_ - KeyDownTick;  // ms, unsigned difference
        if (sinceKeyDown < kChirpMs)
            increment *=
                1.0 + (1.0 - static_cast<double>(sinceKeyDown) / kChirpMs) * (0.03 + 0.004 * A);
    }
    if (b.flutter)
        increment *= k.flutterFactor[static_cast<std::size_t>(A)];

    // Level of the wanted signal.
    float a = envelope;
    if (b.qsb)
        a = static_cast<float>(a * k.qsbFactor);
    if (b.lids && keyed) {
        const double w = 0.86 + 0.14 * std::sin(2.0 * HashNoise(tick_, phi) + k.lidsTerm);
        const double g = HashNoise(tick_ / 3, 0.37 * phi) > 0.9f ? 0.6 : 1.0;
        a = static_cast<float>(a * w * g);
    }
    if (b.agc && a > 0.01f)
        a = 0.72f + 0.28f * a;
    if (b.agcPump)
        a = static_cast<float>(a * k.pumpFactor);

    // Wanted signal.
    float s = TimbreSample(soundType_, timbre_, a, phi);
    if (b.ifFilter)
        s = 0.88f * SoftClip(1.18f * s);
    if (b.filterWidth == 0)
        s *= 0.76f;
    else if (b.filterWidth == 2)
        s *= 1.05f;

    // Added signals and noise.
    if (b.qrm) {
        const float stationLevel = static_cast<float>(0.33 + 0.07 * A);
        for (std::size_t i = 0; i < static_cast<std::size_t>(A); ++i) {
            double& p = InterfererPhase[i];
            p += interfererStep_[i];
            if (p > kTwoPi)
                p -= kTwoPi;
            if (k.stationSounds[i]) {
                const float level = 0.1f + 0.025f * static_cast<float>(i);
                s += TimbreSample(2, timbre_, level, p) * stationLevel;
            }
        }
    }
    if (b.qrn) {
        const float base =
            HashNoise(tick_, k.t + phi) * (0.004f + 0.0011f * static_cast<float>(b.noiseLevel));
        const float crash = HashNoise(tick_ / 7, 0.21 * phi + 3.0) > 0.965f
                                ? HashNoise(tick_, 1.9 * phi) * 0.26f
                                : 0.0f;
        s += crash + base;
    }
    if (b.echo || b.multipath) {
        const float dry = s;
        const std::size_t w = echoWrite_;
        if (b.echo)
            s += 0.3f * EchoDelayLine[(w + kEchoLineFrames - echoDelay_) % kEchoLineFrames];
        if (b.multipath)
            s += 0.18f * EchoDelayLine[(w + kEchoLineFrames - multipathDelay_) % kEchoLineFrames];
        EchoDelayLine[w] = dry;
        echoWrite_ = (w + 1) % kEchoLineFrames;
    }
    if (b.lightning && HashNoise(tick_ / 5, 3.7 * phi) > 0.987f)
        s += 0.7f * HashNoise(tick_, phi);
    if (b.adjacent)
        s += static_cast<float>(0.085 * std::sin(1.074 * phi + k.adjacentTerm));
    if (b.split)
        s += static_cast<float>(0.07 * std::sin(0.929 * phi + k.splitTerm));
    if (b.atmospheric)
        s += 0.045f * HashNoise(tick_ / 3, 0.31 * phi + k.t);
    if (b.hum)
        s += k.hum;
    if (b.ignition) {
        const float p = HashNoise(tick_ / 2, 2.4 * phi);
        if (p > 0.94f)
            s += 0.28f * p;  // always a positive spike
    }
    if (b.ringing && keyed)
        s += static_cast<float>(0.055 * std::sin(1.012 * phi));

    // Output stage.
    if (b.overload)
        s = 0.78f * SoftClip(2.1f * s);
    return {Clamp(s), increment};
}

int ElementLengthJitter(int lengthMs, bool isDash, std::uint32_t tick, bool unevenLength) {
    if (!unevenLength)
        return lengthMs;
    const double c = isDash ? 7.13 : 3.71;
    const double r = 1.0 + HashNoise(tick / 11, c);  // in [0, 2), the same for 11 ms
    const double factor = isDash ? 0.78 + 0.22 * r : 0.82 + 0.18 * r;
    const auto varied = static_cast<int>(lengthMs * factor);  // truncates toward zero
    return std::max(varied, 20);
}

int ElementLengthJitter(int lengthMs, bool isDash, std::uint32_t tick,
                        const PracticeSettings& settings) {
    return ElementLengthJitter(lengthMs, isDash, tick, on(settings.BandUnevenLength));
}

}  // namespace quorvel
