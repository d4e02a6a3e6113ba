// The practice tone: six timbres shaped by the key envelope, and the noise and clipping
// curves the band chain shares with them.
#pragma once

#include <cstdint>

namespace quorvel {

inline constexpr int kSoundTypeCount = 6;
inline constexpr int kMinFreq = 300;   // Hz
inline constexpr int kMaxFreq = 1200;  // Hz

// A stored sound type outside 0..5 plays as the pure sine.
int normaliseSoundType(int soundType);
int clampFreq(int freq);

float SoftClip(float x);
// Stateless white-noise hash of an unsigned key and a real argument, in [-1, 1).
float HashNoise(std::uint32_t k, double x);
float Clamp(float x);
// sin(a), also fast for the large arguments the ever-growing oscillator phase produces.
double sinOfLargeArgument(double a);

// Terms of the timbres that depend only on the tick; the tick is read once per buffer, so
// the renderer computes these once per buffer instead of once per frame.
struct TimbreTerms {
    explicit TimbreTerms(std::uint32_t tick);

    std::uint32_t tick;
    double vibrato1;  // rad, added to the phase of type 1
    float level1;     // tremolo of type 1
    float level3;     // slow wobble of type 3
    double drift4;    // rad, added to the phase of type 4
    double hum4;      // mains hum of type 4
    float level4;
};

// One frame of the tone: pure in its arguments. phase in radians, amplitude in [0, 1].
float TimbreSample(int soundType, const TimbreTerms& terms, float amplitude, double phase);
float TimbreSample(int soundType, std::uint32_t tick, float amplitude, double phase);

// Linear attack and release of the tone: 50 frames from silence to full level at 48 kHz, and
// the same duration (about 1.04 ms) at every other device rate, so the click-free edge does
// not depend on the device.
class Envelope {
  public:
    static constexpr int kSteps = 50;         // frames of a full rise or fall at kShapeRate
    static constexpr int kShapeRate = 48000;  // Hz

    explicit Envelope(int sampleRate = kShapeRate) : steps_(rampFrames(sampleRate)) {}
    static int rampFrames(int sampleRate) {
        const long long frames =
            (static_cast<long long>(kSteps) * sampleRate + kShapeRate / 2) / kShapeRate;
        return frames < 1 ? 1 : static_cast<int>(frames);
    }

    // Advances one frame with the key state of that frame; returns the new amplitude.
    float step(bool keyDown) {
        if (keyDown) {
            if (level_ < steps_)
                ++level_;
        } else if (level_ > 0) {
            --level_;
        }
        return value();
    }
    float value() const { return static_cast<float>(level_) / static_cast<float>(steps_); }
    int rampLength() const { return steps_; }

  private:
    int steps_;      // frames of a full rise or fall at this rate
    int level_ = 0;  // whole steps keep 1.0 and 0.0 exact after a full ramp
};

}  // namespace quorvel
