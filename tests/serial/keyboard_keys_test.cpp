#include <gtest/gtest.h>

#include "keying/keyboard_keys.h"

namespace quorvel {
namespace {

TEST(KeyboardKeys, JAndKPassThroughWhileKeyboardKeyingIsOff) {
    SharedFlags flags;
    EXPECT_FALSE(keyboardKeyEvent(flags, 'J', KeyAction::Press, false));
    EXPECT_FALSE(keyboardKeyEvent(flags, 'K', KeyAction::Press, false));
    EXPECT_EQ(flags.keyboardDot.load(), 0);
    EXPECT_EQ(flags.keyboardDash.load(), 0);
    EXPECT_FALSE(keyboardKeyEvent(flags, 'J', KeyAction::Release, false));
}

TEST(KeyboardKeys, JAndKAreTheContactsWhileEnabled) {
    SharedFlags flags;
    flags.keyboardKeyingEnabled = 1;
    EXPECT_TRUE(keyboardKeyEvent(flags, 'J', KeyAction::Press, false));
    EXPECT_EQ(flags.keyboardDot.load(), 1);
    EXPECT_TRUE(keyboardKeyEvent(flags, 'K', KeyAction::Press, false));
    EXPECT_TRUE(flags.dotClosed());
    EXPECT_TRUE(flags.dashClosed());
    EXPECT_TRUE(keyboardKeyEvent(flags, 'J', KeyAction::Release, false));
    EXPECT_EQ(flags.keyboardDot.load(), 0);
    EXPECT_EQ(flags.keyboardDash.load(), 1);
    EXPECT_TRUE(keyboardKeyEvent(flags, 'K', KeyAction::Release, false));
    EXPECT_EQ(flags.keyboardDash.load(), 0);
    EXPECT_EQ(flags.serialDot.load() + flags.serialDash.load(), 0);
}

TEST(KeyboardKeys, OtherKeysAlwaysPass) {
    SharedFlags flags;
    flags.keyboardKeyingEnabled = 1;
    // Lower-case codes are the keypad '*' and '+' as Windows virtual keys.
    for (int key : {int{'j'}, int{'k'}, int{'L'}, int{'A'}, int{' '}, 0x6A, 0x6B, 0}) {
        EXPECT_FALSE(keyboardKeyEvent(flags, key, KeyAction::Press, false)) << key;
        EXPECT_FALSE(keyboardKeyEvent(flags, key, KeyAction::Release, false)) << key;
    }
    EXPECT_EQ(flags.keyboardDot.load() + flags.keyboardDash.load(), 0);
}

TEST(KeyboardKeys, AutoRepeatKeepsTheContactClosed) {
    SharedFlags flags;
    flags.keyboardKeyingEnabled = 1;
    ASSERT_TRUE(keyboardKeyEvent(flags, 'K', KeyAction::Press, false));
    // Held keys arrive as release/press pairs marked auto-repeat on some platforms.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(keyboardKeyEvent(flags, 'K', KeyAction::Release, true));
        EXPECT_EQ(flags.keyboardDash.load(), 1);
        EXPECT_TRUE(keyboardKeyEvent(flags, 'K', KeyAction::Press, true));
        EXPECT_EQ(flags.keyboardDash.load(), 1);
    }
    // A repeated press sets the contact again even if something opened it meanwhile.
    flags.keyboardDash = 0;
    EXPECT_TRUE(keyboardKeyEvent(flags, 'K', KeyAction::Press, true));
    EXPECT_EQ(flags.keyboardDash.load(), 1);
    EXPECT_TRUE(keyboardKeyEvent(flags, 'K', KeyAction::Release, false));
    EXPECT_EQ(flags.keyboardDash.load(), 0);
}

}  // namespace
}  // namespace quorvel
