#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/band_chain.h"
#include "tests/audio/audio_rig.h"

namespace quorvel {
namespace {

using test::AudioRig;
constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kNominal = 800 * kTwoPi / 48000;  // rad per frame at the default Freq

void everyEffect(PracticeSettings& s, int value) {
    for (auto* v : {&s.BandQRN,        &s.BandQRM,     &s.BandQSB,         &s.BandFlutter,
                    &s.BandLids,       &s.BandChirp,   &s.BandAGC,         &s.BandIFFilter,
                    &s.BandPitchDrift, &s.BandEcho,    &s.BandMultipath,   &s.BandLightning,
                    &s.BandAdjacent,   &s.BandSplit,   &s.BandAtmospheric, &s.BandHum,
                    &s.BandIgnition,   &s.BandAgcPump, &s.BandRinging,     &s.BandOverload})
        v->store(value);
}

// Phase step of the next single frame rendered at `tick`.
double stepAt(AudioRig& rig, std::uint32_t tick) {
    const double before = rig.renderer.OscillatorPhase();
    rig.render(tick, 1);
    return rig.renderer.OscillatorPhase() - before;
}

TEST(BandChain, InactiveChainIgnoresEveryBandSetting) {
    AudioRig clean;
    AudioRig loaded;
    everyEffect(loaded.settings, 1);
    loaded.set(loaded.settings.BandActivity, 5);
    loaded.set(loaded.settings.BandFilterWidth, 0);
    std::vector<float> out[2];
    int i = 0;
    for (auto* rig : {&clean, &loaded}) {
        rig->key(true);
        out[i] = rig->renderMs(1000, 30);
        rig->key(false);
        const auto tail = rig->renderMs(1030, 30);
        out[i].insert(out[i].end(), tail.begin(), tail.end());
        ++i;
    }
    EXPECT_EQ(out[1], out[0]);
    EXPECT_EQ(loaded.renderer.OscillatorPhase(), clean.renderer.OscillatorPhase());
}

TEST(BandChain, QrmAtActivityZeroAddsNothingWhileChirpAndFlutterStillWork) {
    AudioRig rig;
    rig.set(rig.settings.BandQRM, 1);
    rig.set(rig.settings.BandActivity, 0);
    startBandEffects(rig.flags);
    const auto quiet = rig.renderMs(0, 1300);  // two whole rhythms of station 0
    EXPECT_TRUE(std::all_of(quiet.begin(), quiet.end(), [](float s) { return s == 0.0f; }));

    BandChain chain(48000);
    BandSettings b;
    b.activity = 0;
    b.chirp = true;
    chain.beginBuffer(5000, 800, 0);
    EXPECT_NEAR(chain.BandSample(true, b, true, 1.0f, 0.0, kNominal).increment / kNominal, 1.03,
                1e-12);

    b.chirp = false;
    b.flutter = true;
    for (std::uint32_t tick : {5000u, 5123u, 77777u}) {
        chain.beginBuffer(tick, 800, 0);
        const double t = tick * 0.001;
        const double expected =
            1 + 0.006 * std::sin(18 * t) + 0.45 * 0.006 * std::sin(1.73 * 18 * t);
        EXPECT_NEAR(chain.BandSample(true, b, true, 1.0f, 0.0, kNominal).increment / kNominal,
                    expected, 1e-12);
    }
}

TEST(BandChain, ChirpRaisesThePitchAtKeyDownAndReturnsLinearlyOver95Ms) {
    AudioRig rig;
    rig.set(rig.settings.BandChirp, 1);
    rig.set(rig.settings.BandActivity, 3);
    startBandEffects(rig.flags);
    const double depth = 0.03 + 0.004 * 3;

    rig.renderMs(1000, 10);
    EXPECT_NEAR(stepAt(rig, 1010) / kNominal, 1.0, 1e-9);  // key up: no chirp

    for (std::uint32_t down : {2000u, 2400u}) {
        rig.key(true);
        // The whole buffer of the key-down takes the full factor.
        const double before = rig.renderer.OscillatorPhase();
        rig.render(down, 48);
        EXPECT_NEAR((rig.renderer.OscillatorPhase() - before) / (48 * kNominal), 1 + depth, 1e-9);
        for (std::uint32_t d : {1u, 19u, 47u, 94u})
            EXPECT_NEAR(stepAt(rig, down + d) / kNominal, 1 + (1 - d / 95.0) * depth, 1e-9)
                << d << " ms after the key went down";
        EXPECT_NEAR(stepAt(rig, down + 95) / kNominal, 1.0, 1e-9);
        EXPECT_NEAR(stepAt(rig, down + 300) / kNominal, 1.0, 1e-9);
        rig.key(false);  // the next rising edge restarts the chirp
        rig.render(down + 301, 48);
    }
}

TEST(BandChain, StaticWithKeyUpStaysWithinItsLevelExceptForCrashes) {
    for (int level : {0, 30, 100}) {
        AudioRig rig;
        rig.set(rig.settings.BandQRN, 1);
        rig.set(rig.settings.BandNoiseLevel, level);
        startBandEffects(rig.flags);
        const auto noise = rig.renderMs(10000, 1000);
        const float bound = 0.004f + 0.0011f * static_cast<float>(level);
        int over = 0;
        double sumSquares = 0;
        for (float s : noise) {
            ASSERT_LE(std::fabs(s), bound + 0.26f + 1e-6f);
            over += std::fabs(s) > bound + 1e-6f;
            sumSquares += s * s;
        }
        EXPECT_LT(over, static_cast<int>(noise.size() / 25)) << "level " << level;
        EXPECT_GT(over, 0) << "no crash in a second of static, level " << level;
        EXPECT_GT(std::sqrt(sumSquares / static_cast<double>(noise.size())), bound / 4);
    }
}

// Output with the given echo setting on minus output with it off, against the dry signal.
void expectDelay(int sampleRate, std::atomic<int> PracticeSettings::*setting, float gain,
                 std::size_t delay) {
    AudioRig wet(sampleRate);
    AudioRig dry(sampleRate);
    for (auto* rig : {&wet, &dry}) {
        rig->set(rig->settings.BandQRN, 1);  // aperiodic, so only the true delay matches
        startBandEffects(rig->flags);
    }
    wet.set(wet.settings.*setting, 1);
    const auto w = wet.renderMs(0, 300);
    const auto d = dry.renderMs(0, 300);
    ASSERT_EQ(w.size(), d.size());
    for (std::size_t n = 0; n < w.size(); ++n) {
        const float echo = n >= delay ? gain * d[n - delay] : 0.0f;
        ASSERT_NEAR(w[n] - d[n], echo, 2e-7f) << "frame " << n << " at " << sampleRate << " Hz";
    }
}

TEST(BandChain, EchoAndMultipathDelaysFollowTheSampleRate) {
    expectDelay(48000, &PracticeSettings::BandEcho, 0.3f, 9600);
    expectDelay(48000, &PracticeSettings::BandMultipath, 0.18f, 3428);
    expectDelay(44100, &PracticeSettings::BandEcho, 0.3f, 8820);
    expectDelay(44100, &PracticeSettings::BandMultipath, 0.18f, 3150);
    EXPECT_EQ(BandChain(8000).echoDelay(), 1600u);
    EXPECT_EQ(BandChain(384000).echoDelay(), 47999u);  // the line is one second long
}

TEST(BandChain, EchoSwitchedBackOnReplaysWhatTheLineHeld) {
    AudioRig paused;
    AudioRig steady;
    for (auto* rig : {&paused, &steady}) {
        rig->set(rig->settings.BandEcho, 1);
        rig->set(rig->settings.BandQRN, 1);
        startBandEffects(rig->flags);
        rig->renderMs(0, 250);
        rig->set(rig->settings.BandQRN, 0);
    }
    paused.set(paused.settings.BandEcho, 0);
    const auto gap = paused.renderMs(250, 700);
    EXPECT_TRUE(std::all_of(gap.begin(), gap.end(), [](float s) { return s == 0.0f; }));
    paused.set(paused.settings.BandEcho, 1);

    const auto replay = paused.renderMs(950, 200);
    const auto expected = steady.renderMs(250, 200);
    EXPECT_EQ(replay, expected);
    EXPECT_GT(*std::max_element(replay.begin(), replay.end()), 0.003f);
}

TEST(BandChain, AgcLiftsAnAudibleEnvelopeToPointSevenTwo) {
    AudioRig rig;
    rig.set(rig.settings.BandAGC, 1);
    startBandEffects(rig.flags);
    rig.key(true);
    for (int frame = 1; frame <= 60; ++frame) {
        const double phase = rig.renderer.OscillatorPhase();
        const float s = rig.render(3000, 1)[0];
        const float envelope = rig.renderer.envelope();
        const double expected = std::sin(phase) * (0.72 + 0.28 * envelope) * 0.3;
        ASSERT_NEAR(s, expected, 1e-6) << "frame " << frame;
    }
    rig.key(false);
    rig.render(3001, 60);
    EXPECT_EQ(rig.render(3002, 10), std::vector<float>(10, 0.0f));  // silence stays silent
}

TEST(BandChain, InterferingStationsRestartFromPhaseZeroAfterStop) {
    auto setUp = [](AudioRig& rig) {
        rig.set(rig.settings.BandQRM, 1);
        rig.set(rig.settings.BandActivity, 5);
        startBandEffects(rig.flags);
    };
    AudioRig fresh;
    setUp(fresh);
    const auto expected = fresh.renderMs(10, 100);
    EXPECT_GT(*std::max_element(expected.begin(), expected.end()), 0.01f);

    AudioRig restarted;
    AudioRig running;
    setUp(restarted);
    setUp(running);
    restarted.renderMs(20000, 333);
    running.renderMs(20000, 333);
    stopBandEffects(restarted.flags, restarted.audio);
    startBandEffects(restarted.flags);
    EXPECT_EQ(restarted.renderMs(10, 100), expected);
    EXPECT_NE(running.renderMs(10, 100), expected);
}

TEST(BandChain, ActivityOutOfRangeIsHeldToFiveStations) {
    AudioRig wild;
    AudioRig five;
    for (auto* rig : {&wild, &five}) {
        everyEffect(rig->settings, 1);
        startBandEffects(rig->flags);
        rig->key(true);
    }
    wild.set(wild.settings.BandActivity, 40);
    wild.set(wild.settings.BandNoiseLevel, 1000);
    wild.set(wild.settings.BandFilterWidth, -3);
    five.set(five.settings.BandActivity, 5);
    five.set(five.settings.BandNoiseLevel, 100);
    five.set(five.settings.BandFilterWidth, 0);
    EXPECT_EQ(wild.renderMs(500, 50), five.renderMs(500, 50));
}

TEST(BandChain, EveryEffectTogetherStaysInRange) {
    AudioRig rig;
    everyEffect(rig.settings, 1);
    rig.set(rig.settings.BandActivity, 5);
    rig.set(rig.settings.BandNoiseLevel, 100);
    startBandEffects(rig.flags);
    for (int type = 0; type < 6; ++type) {
        rig.set(rig.settings.SoundType, type);
        rig.key(type % 2 == 0);
        for (float s : rig.renderMs(static_cast<std::uint32_t>(type) * 1000, 200)) {
            ASSERT_TRUE(std::isfinite(s));
            ASSERT_LE(std::fabs(s), 1.0f);
        }
    }
}

TEST(ElementLengthJitter, VariesOnlyWhenUnevenLengthIsOnWhateverTheChain) {
    PracticeSettings settings;
    for (std::uint32_t tick : {0u, 12345u, 0xFFFFFFF0u}) {
        EXPECT_EQ(ElementLengthJitter(240, true, tick, settings), 240);
        EXPECT_EQ(ElementLengthJitter(5, false, tick, settings), 5);
    }
    settings.BandUnevenLength.store(1);
    int differing = 0;
    for (std::uint32_t tick = 0; tick < 1100; tick += 11) {
        const int dash = ElementLengthJitter(240, true, tick, settings);
        differing += dash != 240;
        // Elements starting within the same 11 ms share their factor.
        for (std::uint32_t d = 1; d < 11; ++d)
            ASSERT_EQ(ElementLengthJitter(240, true, tick + d, settings), dash);
    }
    EXPECT_GT(differing, 90);
}

TEST(ElementLengthJitter, StaysInsideItsRangeAndNeverBelowTwentyMs) {
    int dotMin = 1000, dotMax = 0, dashMin = 1000, dashMax = 0;
    bool twentyHeld = false;
    for (std::uint32_t tick = 0; tick < 200000; tick += 7) {
        const int dot = ElementLengthJitter(100, false, tick, true);
        const int dash = ElementLengthJitter(300, true, tick, true);
        dotMin = std::min(dotMin, dot);
        dotMax = std::max(dotMax, dot);
        dashMin = std::min(dashMin, dash);
        dashMax = std::max(dashMax, dash);
        const int shortest = ElementLengthJitter(20, false, tick, true);
        ASSERT_GE(shortest, 20);
        ASSERT_GE(ElementLengthJitter(1, true, tick, true), 20);
        twentyHeld |= shortest == 20;
    }
    EXPECT_TRUE(twentyHeld);  // a 20 ms dot scaled down comes back as 20
    EXPECT_GE(dotMin, 82);
    EXPECT_LT(dotMin, 86);
    EXPECT_LE(dotMax, 118);
    EXPECT_GT(dotMax, 114);
    EXPECT_GE(dashMin, 234);
    EXPECT_LT(dashMin, 246);
    EXPECT_LE(dashMax, 366);
    EXPECT_GT(dashMax, 354);
}

}  // namespace
}  // namespace quorvel
