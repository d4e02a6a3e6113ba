// Contact timings written as text ("d84 u80 a244 u240"), and their playing through a keying
// engine in simulated time: how the command line and tests key without a real key.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "keying/keying_engine.h"
#include "keying/shared_flags.h"

namespace quorvel {

// One stretch of time with the dot and dash contacts held as given.
struct ContactSegment {
    bool dot = false;
    bool dash = false;
    std::uint32_t ms = 0;
    bool operator==(const ContactSegment&) const = default;
};
using TimingScript = std::vector<ContactSegment>;

struct TimingParseError {
    std::string token;
    int line = 0;    // 1-based
    int column = 0;  // 1-based, in bytes
    std::string message() const;
};

// Whitespace-separated tokens d<ms> (dot closed), a<ms> (dash closed), b<ms> (both), u<ms>
// (all open); "#" comments to the end of the line. False with the first bad token.
bool parseTimingScript(std::string_view text, TimingScript& script, TimingParseError& error);

// Plays a script on the keyboard contacts, one sample and one consumer pass per millisecond,
// from tick `now` on; returns the tick after the last sample. onTick, when given, is told each
// tick before its sample (a simulated clock follows it).
std::uint32_t playTimingScript(KeyingEngine& engine, SharedFlags& flags, const TimingScript& script,
                               std::uint32_t now,
                               const std::function<void(std::uint32_t)>& onTick = {});

}  // namespace quorvel
