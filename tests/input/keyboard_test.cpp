// keyboard_test.cpp: every key byte and special code against the control table, in every state.
#include "keyboard.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <climits>
#include <string_view>
#include <vector>

#include "menu.h"
#include "test_support.h"

namespace {

using Flag = bool ControlState::*;

// The keys that drive each control: characters in both cases, and the arrow's GLUT code.
struct KeyRow {
    std::string_view chars;
    int special;
    Flag flag;
};

const KeyRow kKeyTable[] = {
    {"AaJj", GLUT_KEY_LEFT, &ControlState::steerLeft},
    {"DdLl", GLUT_KEY_RIGHT, &ControlState::steerRight},
    {"WwIi", GLUT_KEY_UP, &ControlState::accelerate},
    {"SsKk", GLUT_KEY_DOWN, &ControlState::brake},
};
const unsigned char kEscape = 27;
const GameState kStates[] = {Menu, Playing, GameOver};
const ControlState kHeldPatterns[] = {{false, false, false, false}, {true, true, true, true}};

// The control a key drives: a character in either case, or an arrow's GLUT code.
Flag flagFor(int key, bool special) {
    for (const KeyRow& row : kKeyTable) {
        if (special ? row.special == key : row.chars.find(static_cast<char>(key)) != row.chars.npos)
            return row.flag;
    }
    return nullptr;
}

// Sends one key event with the given controls held and expects the whole world to change
// by exactly `flag` taking `value`, or not at all when flag is null.
template <typename Key>
void expectOnlyFlag(void (*handler)(Key, int, int), int key, GameState state, ControlState held,
                    Flag flag, bool value) {
    gameState = state;
    controls = held;
    WorldSnapshot expected;
    if (flag) {
        expected.controls.*flag = value;
    }
    handler(static_cast<Key>(key), 0, 0);
    EXPECT_TRUE(WorldSnapshot() == expected)
        << "state " << state << ", key " << key << ", held " << held.steerLeft;
}

class Keyboard : public ::testing::Test {
   protected:
    void SetUp() override { startRaceIn(Playing); }
};

TEST_F(Keyboard, EveryCharacterKeyActsOnlyThroughItsControl) {
    for (GameState state : kStates) {
        for (const ControlState& held : kHeldPatterns) {
            for (int key = 0; key < 256; ++key) {
                Flag pressed = (state == Playing) ? flagFor(key, false) : nullptr;
                if (key != kEscape) {
                    expectOnlyFlag(keyDown, key, state, held, pressed, true);
                }
                expectOnlyFlag(keyUp, key, state, held, flagFor(key, false), false);
            }
        }
    }
}

TEST_F(Keyboard, EverySpecialKeyActsOnlyThroughItsArrow) {
    std::vector<int> codes = {INT_MIN, INT_MAX};
    for (int code = -5; code <= 300; ++code) codes.push_back(code);
    for (GameState state : kStates) {
        for (const ControlState& held : kHeldPatterns) {
            for (int code : codes) {
                Flag pressed = (state == Playing) ? flagFor(code, true) : nullptr;
                expectOnlyFlag(specialDown, code, state, held, pressed, true);
                expectOnlyFlag(specialUp, code, state, held, flagFor(code, true), false);
            }
        }
    }
}

TEST_F(Keyboard, OneReleaseClearsAControlWhateverKeySetIt) {
    keyDown('A', 0, 0);
    specialDown(GLUT_KEY_LEFT, 0, 0);
    specialUp(GLUT_KEY_LEFT, 0, 0);
    EXPECT_FALSE(controls.steerLeft) << "A is still held, yet the arrow's release clears the flag";

    keyDown('a', 0, 0);
    keyUp('A', 0, 0);
    EXPECT_FALSE(controls.steerLeft) << "pressed as a, released as A after Shift";

    keyDown('a', 0, 0);
    keyDown('D', 0, 0);
    EXPECT_TRUE(controls.steerLeft && controls.steerRight);
}

TEST_F(Keyboard, KeysHeldBeforeARaceActOnlyFromTheirNextPress) {
    startUp();
    keyDown('w', 0, 0);
    specialDown(GLUT_KEY_UP, 0, 0);
    mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 300);  // "Start Game"
    ASSERT_EQ(gameState, Playing);
    EXPECT_FALSE(controls.accelerate);
    keyDown('w', 0, 0);  // key repeat while still held
    EXPECT_TRUE(controls.accelerate);
}

TEST_F(Keyboard, EscapeQuitsInEveryState) {
    for (GameState state : kStates) {
        gameState = state;
        EXPECT_QUITS(keyDown(kEscape, 0, 0)) << "state " << state;
    }
}

}  // namespace
