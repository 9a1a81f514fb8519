// random_events_test.cpp: long random mixes of every input, resize and timer event through the
// real handlers must keep the world consistent after each single event.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>

#include "fake_gl.h"
#include "keyboard.h"
#include "menu.h"
#include "race.h"
#include "shell.h"
#include "test_support.h"

namespace {

const unsigned kSeed = 20240611;
const int kSequences = 20;
const int kEventsPerSequence = 5000;
const int kFarAway = 1000000;
const int kMaxWindowSide = 4000;

// Midway between two lanes no obstacle reaches the car, so a driver aiming there survives long.
const float kGapBetweenLanes = 1.0f;
const float kGapTolerance = 0.1f;

enum EventKind { KeyDown, KeyUp, SpecialDown, SpecialUp, MousePress, Motion, Resize, Tick };
// Timer events weigh most, half of them in a race after a driver's key presses, so that some
// races reach top speed and a road wrap while others crash.
const double kEventWeights[] = {3, 3, 2, 2, 4, 1, 1, 20};

class RandomEvents {
   public:
    explicit RandomEvents(unsigned seed) : rng_(seed) {}

    // Sends one random event; returns false when it was a press on "Quit", left unsent.
    bool send(EventKind kind) {
        switch (kind) {
            case KeyDown: {
                const int key = uniform(0, 254);
                keyDown(static_cast<unsigned char>(key >= 27 ? key + 1 : key), 0, 0);  // no Escape
                break;
            }
            case KeyUp:
                keyUp(static_cast<unsigned char>(uniform(0, 255)), 0, 0);
                break;
            case SpecialDown:
                specialDown(specialCode(), 0, 0);
                break;
            case SpecialUp:
                specialUp(specialCode(), 0, 0);
                break;
            case MousePress: {
                const int button = uniform(-1, 4);
                const int state = uniform(-1, 2);
                const Point p = position();
                if (gameState == Menu && button == GLUT_LEFT_BUTTON && state == GLUT_DOWN &&
                    menuButtons.size() == 2 && pointInButton(p.x, p.y, menuButtons[1])) {
                    return false;
                }
                mouseButton(button, state, p.x, p.y);
                break;
            }
            case Motion: {
                const Point p = position();
                mouseMove(p.x, p.y);
                break;
            }
            case Resize:
                reshape(uniform(0, kMaxWindowSide), uniform(0, kMaxWindowSide));
                break;
            case Tick:
                if (gameState == Playing && uniform(0, 1)) {
                    drive();
                }
                tick(0);
                break;
        }
        return true;
    }

    EventKind kind() {
        return static_cast<EventKind>(std::discrete_distribution<int>(
            std::begin(kEventWeights), std::end(kEventWeights))(rng_));
    }

   private:
    struct Point {
        int x;
        int y;
    };

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    // Arrows half the time, otherwise any code at all.
    int specialCode() { return uniform(0, 1) ? uniform(95, 110) : uniform(INT_MIN, INT_MAX); }

    // Half the time on or just around a button of the current layout, else anywhere,
    // far outside the window included.
    Point position() {
        const std::vector<Button>& buttons = uniform(0, 1) ? menuButtons : gameOverButtons;
        if (uniform(0, 1) && !buttons.empty()) {
            const Button& b = buttons[uniform(0, 1)];
            return {static_cast<int>(b.x) + uniform(-3, 163),
                    static_cast<int>(b.y) + uniform(-3, 43)};
        }
        return {uniform(-kFarAway, kFarAway), uniform(-kFarAway, kFarAway)};
    }

    // Presses the keys a player would to reach the gap between lanes nearest the car, braking
    // while steering so as not to overshoot it, and speeding up once there.
    void drive() {
        const float target = car.x < 0.0f ? -kGapBetweenLanes : kGapBetweenLanes;
        const bool left = car.x > target + kGapTolerance;
        const bool right = car.x < target - kGapTolerance;
        (left ? keyDown : keyUp)('a', 0, 0);
        (right ? keyDown : keyUp)('d', 0, 0);
        (left || right ? keyUp : keyDown)('w', 0, 0);
        (left || right ? keyDown : keyUp)('s', 0, 0);
    }

    std::mt19937 rng_;
};

TEST(RandomEvents, WorldStaysConsistentAfterEveryEvent) {
    RandomEvents events(kSeed);
    int transitions[3][3] = {};  // [from][to], counted to show the sequences reach every screen
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        startUp();
        bool raceLaidOut = false;  // only a click starts a race, and only from the title screen
        bool raceHasTicked = false;
        for (int i = 0; i < kEventsPerSequence; ++i) {
            fakegl::reset();
            const EventKind kind = events.kind();
            const GameState from = gameState;
            const WorldSnapshot before;
            if (!events.send(kind)) {
                continue;
            }
            raceLaidOut = raceLaidOut || gameState != Menu;
            raceHasTicked = raceHasTicked || (kind == Tick && from == Playing);
            ASSERT_EQ(checks::worldViolation(raceLaidOut, raceHasTicked), nullptr)
                << "sequence " << sequence << ", event " << i << " of kind " << kind;
            ASSERT_FALSE(kind == Tick && from != Playing && WorldSnapshot() != before)
                << "a halted world moved";
            ASSERT_TRUE(kind == Tick || kind == MousePress || gameState == from);
            ++transitions[from][gameState];
        }
    }
    EXPECT_GT(transitions[Menu][Playing], 0);
    EXPECT_GT(transitions[Playing][GameOver], 0);
    EXPECT_GT(transitions[GameOver][Playing], 0);
    EXPECT_GT(transitions[GameOver][Menu], 0);
    EXPECT_EQ(transitions[Menu][GameOver] + transitions[Playing][Menu], 0);
    std::printf("starts %d, crashes %d, restarts %d, returns to the title screen %d\n",
                transitions[Menu][Playing], transitions[Playing][GameOver],
                transitions[GameOver][Playing], transitions[GameOver][Menu]);
}

}  // namespace
