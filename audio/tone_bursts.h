// Measures what a listener hears of keyed audio: the length of each tone burst and of each
// gap between them, to the frame. For the timing tests and the key-timing tool.
#pragma once

#include <cstddef>
#include <vector>

namespace quorvel {

struct ToneTimeline {
    std::vector<double> bursts;  // ms, first sounding frame to last
    std::vector<double> gaps;    // ms, between consecutive bursts
    std::vector<double> onsets;  // ms from the start of the audio
};

// Interleaved float audio (first channel read); silence is exact zero, as the renderer gives
// it without band effects. A burst ends at a run of silence of at least 1 ms.
ToneTimeline toneTimeline(const float* samples, std::size_t frames, int channels, int rate);

}  // namespace quorvel
