#include "keying/keyboard_source.h"

namespace quorvel {

bool KeyboardKeySource::start() {
    flags_.keyboardDot.store(0, std::memory_order_relaxed);
    flags_.keyboardDash.store(0, std::memory_order_relaxed);
    flags_.keyboardKeyingEnabled.store(1, std::memory_order_relaxed);
    flags_.keyingWake.notify();
    running_ = true;
    return true;
}

void KeyboardKeySource::stop() {
    if (!running_)
        return;
    flags_.keyboardKeyingEnabled.store(0, std::memory_order_relaxed);
    flags_.keyboardDot.store(0, std::memory_order_relaxed);
    flags_.keyboardDash.store(0, std::memory_order_relaxed);
    running_ = false;
}

}  // namespace quorvel
