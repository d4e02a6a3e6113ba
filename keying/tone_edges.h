// The edges of ToneKeyDown with the tick at which the keying thread made them, handed to the
// audio callback so that it can place each edge at its own sample instead of at the buffer
// start. One producer (the keying thread), one consumer (the audio callback), no lock.
#pragma once

#include <cstdint>

#include "keying/spsc_ring.h"

namespace quorvel {

struct ToneEdge {
    std::uint32_t tick = 0;  // ms tick of the keying thread's pass that changed the flag
    bool down = false;
};

// Producer: push() is false when the ring is full (no consumer drains it); the flag still
// holds the state, so nothing is lost but the timing of that edge.
using ToneEdgeRing = SpscRing<ToneEdge, 256>;

}  // namespace quorvel
