// Keyboard keying: J closes the dot contact and K the dash contact while keyboard keying is
// enabled. The front end passes every key event here and swallows the ones consumed.
#pragma once

#include "keying/shared_flags.h"

namespace quorvel {

// Windows virtual-key codes and Qt key codes agree for letters. Lower-case codes are other
// keys on Windows (0x6A is the keypad '*'), so only these two count.
inline constexpr int kDotKeyCode = 0x4A;   // J
inline constexpr int kDashKeyCode = 0x4B;  // K

enum class KeyAction { Press, Release };

// True when the key was consumed: J or K while keyboardKeyingEnabled is 1. A press, repeated
// or not, closes the contact; a release opens it unless it is an auto-repeat release (some
// platforms send release and press pairs while a key is held).
bool keyboardKeyEvent(SharedFlags& flags, int keyCode, KeyAction action, bool autoRepeat);

}  // namespace quorvel
