// Renders the practice tone with its band conditions into interleaved float buffers,
// free of any device: the sound device's callback and offline export both drive it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/band_chain.h"
#include "audio/tone.h"

namespace quorvel {

struct PracticeSettings;
struct SharedFlags;

class Renderer {
  public:
    // sampleRate in Hz (> 0), channels per frame (> 0). The references must outlive the
    // renderer.
    Renderer(const PracticeSettings& settings, const SharedFlags& flags, const AudioState& audio,
             int sampleRate, int channels = 1);

    // Fills frames × channels interleaved samples. now is the tick of the buffer (ms); Freq,
    // the sound type and the tick hold for the whole buffer, the key flag and the band
    // settings are read for every frame. Never allocates, locks or blocks.
    void render(std::uint32_t now, float* out, std::size_t frames);

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    double OscillatorPhase() const { return phase_; }
    float envelope() const { return envelope_.value(); }
    const BandChain& band() const { return band_; }

  private:
    const PracticeSettings& settings_;
    const SharedFlags& flags_;
    const AudioState& audio_;
    int sampleRate_;
    int channels_;

    Envelope envelope_;
    double phase_ = 0.0;  // rad; only grows, never wrapped
    BandChain band_;
    std::uint32_t interfererResetsSeen_;
};

}  // namespace quorvel
