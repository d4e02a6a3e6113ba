#include "audio/renderer.h"

#include <numbers>
#include <stdexcept>

#include "keying/shared_flags.h"
#include "storage/settings.h"

namespace quorvel {

Renderer::Renderer(const PracticeSettings& settings, SharedFlags& flags, const AudioState& audio,
                   int sampleRate, int channels)
    : settings_(settings),
      flags_(flags),
      audio_(audio),
      sampleRate_(sampleRate),
      channels_(channels),
      envelope_(sampleRate),
      band_(sampleRate),
      interfererResetsSeen_(audio.interfererResets.load(std::memory_order_relaxed)) {
    if (channels <= 0)
        throw std::invalid_argument("channel count must be positive");
}

namespace {

// Frame of the buffer at which an edge of `tick` falls; negative when it is already due.
std::int64_t edgeFrame(std::uint32_t tick, Renderer::BufferStart start, int sampleRate) {
    const auto ms = static_cast<std::int32_t>(tick - start.tick);  // unsigned tick difference
    const std::int64_t us = static_cast<std::int64_t>(ms) * 1000 - start.microseconds;
    // Rounded down to the frame: a frame sounds the key state of the time it starts at.
    const std::int64_t scaled = us * sampleRate;
    return scaled >= 0 ? scaled / 1000000 : -((-scaled + 999999) / 1000000);
}

}  // namespace

bool Renderer::silent() const {
    return !keyed_ && envelope_.value() == 0.0f && flags_.toneEdges.empty();
}

void Renderer::render(BufferStart start, float* out, std::size_t frames) {
    const int freq = clampFreq(PracticeSettings::get(settings_.Freq));
    const int soundType = normaliseSoundType(PracticeSettings::get(settings_.SoundType));
    const double increment = freq * 2.0 * std::numbers::pi / sampleRate_;

    const std::uint32_t resets = audio_.interfererResets.load(std::memory_order_relaxed);
    if (resets != interfererResetsSeen_) {
        interfererResetsSeen_ = resets;
        band_.resetInterferers();
    }
    band_.beginBuffer(start.tick, freq, soundType);

    ToneEdgeRing& edges = flags_.toneEdges;
    const auto channels = static_cast<std::size_t>(channels_);
    for (std::size_t f = 0; f < frames; ++f) {
        // Flag before ring: the keying thread queues an edge before it changes the flag.
        const bool flag = flags_.ToneKeyDown.load(std::memory_order_acquire) != 0;
        bool pending = false;
        while (!edges.empty()) {
            const ToneEdge edge = edges.front();
            if (edgeFrame(edge.tick, start, sampleRate_) > static_cast<std::int64_t>(f)) {
                pending = true;
                break;
            }
            keyed_ = edge.down;
            edges.pop();
        }
        // An edge still to come owns the key until then; otherwise the flag holds, which is
        // also how a stop that clears the flag directly is heard.
        if (!pending)
            keyed_ = flag;
        const float amplitude = envelope_.step(keyed_);
        const bool active = flags_.BandEffectsActive.load(std::memory_order_relaxed) != 0;
        const BandSettings bandSettings = active ? BandSettings::read(settings_) : BandSettings{};
        const BandFrame frame =
            band_.BandSample(active, bandSettings, keyed_, amplitude, phase_, increment);
        phase_ += frame.increment;
        float* o = out + f * channels;
        for (std::size_t c = 0; c < channels; ++c)
            o[c] = frame.sample;
    }
}

}  // namespace quorvel
