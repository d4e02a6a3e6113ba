// A renderer with its own settings and flags, for the audio tests.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/renderer.h"
#include "keying/shared_flags.h"
#include "storage/settings.h"

namespace quorvel::test {

struct AudioRig {
    explicit AudioRig(int sampleRate = 48000, int channels = 1)
        : renderer(settings, flags, audio, sampleRate, channels) {}

    void key(bool down) { flags.ToneKeyDown.store(down ? 1 : 0); }
    void set(std::atomic<int>& setting, int value) { setting.store(value); }

    // Renders frames at one tick; returns the first channel of each frame.
    std::vector<float> render(std::uint32_t tick, std::size_t frames) {
        const auto channels = static_cast<std::size_t>(renderer.channels());
        std::vector<float> buffer(frames * channels);
        renderer.render(tick, buffer.data(), frames);
        std::vector<float> mono(frames);
        for (std::size_t f = 0; f < frames; ++f)
            mono[f] = buffer[f * channels];
        return mono;
    }
    // Renders 1 ms buffers with a tick advancing from `tick`, as a device would.
    std::vector<float> renderMs(std::uint32_t tick, std::uint32_t ms) {
        const auto perMs = static_cast<std::size_t>(renderer.sampleRate() / 1000);
        std::vector<float> out;
        for (std::uint32_t i = 0; i < ms; ++i) {
            const auto part = render(tick + i, perMs);
            out.insert(out.end(), part.begin(), part.end());
        }
        return out;
    }

    PracticeSettings settings;
    SharedFlags flags;
    AudioState audio;
    Renderer renderer;
};

}  // namespace quorvel::test
