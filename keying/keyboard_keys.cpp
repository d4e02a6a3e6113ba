#include "keying/keyboard_keys.h"

namespace quorvel {

bool keyboardKeyEvent(SharedFlags& flags, int keyCode, KeyAction action, bool autoRepeat) {
    if (keyCode != kDotKeyCode && keyCode != kDashKeyCode)
        return false;
    if (flags.keyboardKeyingEnabled.load(std::memory_order_relaxed) != 1)
        return false;
    std::atomic<int>& contact = keyCode == kDotKeyCode ? flags.keyboardDot : flags.keyboardDash;
    if (action == KeyAction::Press) {
        contact.store(1, std::memory_order_relaxed);
    } else if (!autoRepeat) {
        contact.store(0, std::memory_order_relaxed);
    }
    return true;
}

}  // namespace quorvel
