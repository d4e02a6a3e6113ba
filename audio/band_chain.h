// Band conditions: the effect chain that turns the clean tone into a signal on a crowded,
// noisy band, and the random element lengths of the receive playback.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "audio/tone.h"

namespace quorvel {

struct PracticeSettings;
struct SharedFlags;

inline constexpr int kMaxInterferers = 5;
inline constexpr std::size_t kEchoLineFrames = 48000;

// State the window thread shares with every renderer.
struct AudioState {
    // Bumped by RX STOP; a renderer that sees a new count restarts its interfering
    // stations from phase 0 (the phases themselves stay private to the render thread).
    std::atomic<std::uint32_t> interfererResets{0};
};

// RX START and RX STOP as far as the band chain is concerned.
void startBandEffects(SharedFlags& flags);
void stopBandEffects(SharedFlags& flags, AudioState& audio);

// The band settings as read for one frame, clamped to their ranges.
struct BandSettings {
    bool qrn = false, qrm = false, qsb = false, flutter = false, lids = false, chirp = false;
    bool agc = false, ifFilter = false, pitchDrift = false, echo = false, multipath = false;
    bool lightning = false, adjacent = false, split = false, atmospheric = false, hum = false;
    bool ignition = false, agcPump = false, ringing = false, overload = false;
    int activity = 3;     // 0..5
    int noiseLevel = 30;  // 0..100
    int filterWidth = 1;  // 0 "250 Hz", 1 "500 Hz", 2 "1 kHz"

    static BandSettings read(const PracticeSettings& settings);
};

struct BandFrame {
    float sample;      // in [-1, 1]
    double increment;  // rad, the phase step the oscillator takes after this frame
};

// The chain's own state, owned by one render thread.
class BandChain {
  public:
    explicit BandChain(int sampleRate);

    // Once per buffer, before its frames: the tick, Freq and sound type of the buffer.
    void beginBuffer(std::uint32_t tick, int freq, int soundType);

    // One frame. keyed is the frame's key flag, envelope the key envelope, phase the
    // oscillator phase before this frame's step, increment the nominal step of the buffer.
    BandFrame BandSample(bool active, const BandSettings& settings, bool keyed, float envelope,
                         double phase, double increment);

    void resetInterferers() { InterfererPhase.fill(0.0); }

    int sampleRate() const { return sampleRate_; }
    std::size_t echoDelay() const { return echoDelay_; }
    std::size_t multipathDelay() const { return multipathDelay_; }
    const std::array<double, kMaxInterferers>& interfererPhases() const { return InterfererPhase; }

  private:
    // Terms of the chain that depend only on the buffer's tick.
    struct TickTerms {
        double t = 0;
        double driftFactor = 1;
        double qsbFactor = 1;
        double pumpFactor = 1;
        double lidsTerm = 0;      // 27 t
        double adjacentTerm = 0;  // 37 t
        double splitTerm = 0;     // 19 t
        float hum = 0;
        std::array<double, kMaxInterferers + 1> flutterFactor{};  // by activity
        std::array<bool, kMaxInterferers> stationSounds{};
    };
    void computeTickTerms();

    int sampleRate_;
    std::size_t echoDelay_;       // frames, 200 ms
    std::size_t multipathDelay_;  // frames, 1/14 s

    std::uint32_t tick_ = 0;
    int freq_ = 800;
    int soundType_ = 0;
    TimbreTerms timbre_{0};
    TickTerms terms_;
    bool termsReady_ = false;  // computed lazily: a buffer with the chain off needs none
    std::array<double, kMaxInterferers> interfererStep_{};

    std::array<double, kMaxInterferers> InterfererPhase{};
    std::vector<float> EchoDelayLine = std::vector<float>(kEchoLineFrames, 0.0f);
    std::size_t echoWrite_ = 0;
    bool previousKeyed_ = false;
    std::uint32_t KeyDownTick = 0;
};

// Length of a keyed element of the receive playback, varied when BandUnevenLength is on.
// The variation is a hash of the tick at the element's start (no hidden state), so the same
// inputs always give the same length. Lengths in ms; never below 20 when varied.
int ElementLengthJitter(int lengthMs, bool isDash, std::uint32_t tick, bool unevenLength);
int ElementLengthJitter(int lengthMs, bool isDash, std::uint32_t tick,
                        const PracticeSettings& settings);

}  // namespace quorvel
