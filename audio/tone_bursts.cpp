#include "audio/tone_bursts.h"

namespace quorvel {

ToneTimeline toneTimeline(const float* samples, std::size_t frames, int channels, int rate) {
    ToneTimeline t;
    const auto stride = static_cast<std::size_t>(channels);
    const auto quiet = static_cast<std::size_t>(rate / 1000);  // frames of silence ending a burst
    const auto ms = [rate](std::size_t frame) {
        return 1000.0 * static_cast<double>(frame) / rate;
    };
    bool on = false;
    std::size_t start = 0;
    std::size_t last = 0;  // last sounding frame
    for (std::size_t f = 0; f < frames; ++f) {
        const bool sounding = samples[f * stride] != 0.0f;
        if (sounding) {
            if (!on) {
                if (!t.bursts.empty())
                    t.gaps.push_back(ms(f) - ms(last + 1));
                start = f;
                t.onsets.push_back(ms(f));
                on = true;
            }
            last = f;
        } else if (on && f - last >= quiet) {
            t.bursts.push_back(ms(last + 1) - ms(start));
            on = false;
        }
    }
    if (on)
        t.bursts.push_back(ms(last + 1) - ms(start));
    return t;
}

}  // namespace quorvel
