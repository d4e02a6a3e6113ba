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
    Renderer(const PracticeSettings& settings, SharedFlags& flags, const AudioState& audio,
             int sampleRate, int channels = 1);

    // Fills frames × channels interleaved samples for a buffer that starts exactly at tick
    // now (ms), as a simulated run steps. Freq, the sound type and the tick hold for the whole
    // buffer; the key and the band settings are followed frame by frame. Never allocates,
    // locks or blocks.
    void render(std::uint32_t now, float* out, std::size_t frames) {
        render({now, 0}, out, frames);
    }

    // The time on the keying clock that a buffer's first frame stands for.
    struct BufferStart {
        std::uint32_t tick;  // ms
        int microseconds;    // 0..999 past the tick
    };
    // As above for a buffer that starts anywhere inside a millisecond: each queued edge of
    // ToneKeyDown takes effect at the frame of its own tick, so element lengths keep their
    // spacing exactly whatever the buffer size; with no edge queued the flag is followed.
    void render(BufferStart start, float* out, std::size_t frames);

    int sampleRate() const { return sampleRate_; }
    // No tone sounding and no key edge waiting: the time base may move without being heard.
    bool silent() const;
    int channels() const { return channels_; }
    double OscillatorPhase() const { return phase_; }
    float envelope() const { return envelope_.value(); }
    const BandChain& band() const { return band_; }

  private:
    const PracticeSettings& settings_;
    SharedFlags& flags_;  // the callback consumes its queued tone edges
    const AudioState& audio_;
    int sampleRate_;
    int channels_;

    Envelope envelope_;
    bool keyed_ = false;  // key state of the last frame
    double phase_ = 0.0;  // rad; only grows, never wrapped
    BandChain band_;
    std::uint32_t interfererResetsSeen_;
};

}  // namespace quorvel
