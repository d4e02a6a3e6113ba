// How long a contact change must last before the debounced state follows it, in ms. The
// sampler debounces by these.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quorvel {

inline std::uint32_t closingHoldTime(int keySoftness, std::uint32_t unit) {
    const auto ms = static_cast<std::uint32_t>(8 - std::clamp(keySoftness, 0, 100) * 6 / 100);
    return std::max<std::uint32_t>(1, std::min(ms, unit / 5));
}

inline std::uint32_t openingHoldTime(int keySoftness, std::uint32_t unit) {
    const auto ms = static_cast<std::uint32_t>(3 + std::clamp(keySoftness, 0, 100) * 12 / 100);
    return std::max<std::uint32_t>(1, std::min(ms, unit / 3));
}

}  // namespace quorvel
