#include "audio/renderer.h"

#include <numbers>
#include <stdexcept>

#include "keying/shared_flags.h"
#include "storage/settings.h"

namespace quorvel {

Renderer::Renderer(const PracticeSettings& settings, const SharedFlags& flags,
                   const AudioState& audio, int sampleRate, int channels)
    : settings_(settings),
      flags_(flags),
      audio_(audio),
      sampleRate_(sampleRate),
      channels_(channels),
      band_(sampleRate),
      interfererResetsSeen_(audio.interfererResets.load(std::memory_order_relaxed)) {
    if (channels <= 0)
        throw std::invalid_argument("channel count must be positive");
}

void Renderer::render(std::uint32_t now, float* out, std::size_t frames) {
    const int freq = clampFreq(PracticeSettings::get(settings_.Freq));
    const int soundType = normaliseSoundType(PracticeSettings::get(settings_.SoundType));
    const double increment = freq * 2.0 * std::numbers::pi / sampleRate_;

    const std::uint32_t resets = audio_.interfererResets.load(std::memory_order_relaxed);
    if (resets != interfererResetsSeen_) {
        interfererResetsSeen_ = resets;
        band_.resetInterferers();
    }
    band_.beginBuffer(now, freq, soundType);

    const auto channels = static_cast<std::size_t>(channels_);
    for (std::size_t f = 0; f < frames; ++f) {
        const bool keyed = flags_.ToneKeyDown.load(std::memory_order_relaxed) != 0;
        const float amplitude = envelope_.step(keyed);
        const bool active = flags_.BandEffectsActive.load(std::memory_order_relaxed) != 0;
        const BandSettings bandSettings = active ? BandSettings::read(settings_) : BandSettings{};
        const BandFrame frame =
            band_.BandSample(active, bandSettings, keyed, amplitude, phase_, increment);
        phase_ += frame.increment;
        float* o = out + f * channels;
        for (std::size_t c = 0; c < channels; ++c)
            o[c] = frame.sample;
    }
}

}  // namespace quorvel
