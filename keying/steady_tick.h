// The millisecond tick every real-time thread shares: keying, playback, serial key and audio
// date their edges on it.
#pragma once

#include <chrono>
#include <cstdint>

namespace quorvel {

// The tick of a time of the steady clock, in milliseconds, wrapping like the system tick.
inline std::uint32_t tickOf(std::chrono::steady_clock::time_point t) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());  // wraps by design
}

inline std::uint32_t steadyTickMs() {
    return tickOf(std::chrono::steady_clock::now());
}

// Where the tick of t began.
inline std::chrono::steady_clock::time_point tickStart(std::chrono::steady_clock::time_point t) {
    return t - t.time_since_epoch() % std::chrono::milliseconds(1);
}

}  // namespace quorvel
