// menu.cpp: lays out the title and crash menus and acts on the pointer.
#include "menu.h"

#include <GL/glut.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "course.h"

// Constants
static const float kButtonWidth = 160.0f;
static const float kButtonHeight = 40.0f;
static const float kFirstTopAboveCentre = 20.0f;   // the first button is centred vertically
static const float kSecondTopAboveCentre = 80.0f;  // the second stands 60 pixels higher
static const char* const kStartLabel = "Start Game";
static const char* const kQuitLabel = "Quit";
static const char* const kRestartLabel = "Restart";
static const char* const kMenuLabel = "Menu";

// Static helpers

// Appends the pair of buttons of one screen: the first centred, the second above it.
static void layoutPair(std::vector<Button>& buttons, const char* first, const char* second) {
    const float left = static_cast<float>(windowWidth) * 0.5f - kButtonWidth * 0.5f;
    const float middle = static_cast<float>(windowHeight) * 0.5f;
    buttons.clear();
    buttons.push_back(
        Button{left, middle - kFirstTopAboveCentre, kButtonWidth, kButtonHeight, first});
    buttons.push_back(
        Button{left, middle - kSecondTopAboveCentre, kButtonWidth, kButtonHeight, second});
}

// Switches to a new screen with a freshly laid-out race behind it.
static void enterState(GameState next) {
    gameState = next;
    resetRace();
}

// Acts on a press on the title screen's button at index.
static void pressMenuButton(size_t index) {
    if (index == 0)
        enterState(Playing);
    if (index == 1)
        std::exit(0);
}

// Acts on a press on the crash screen's button at index.
static void pressGameOverButton(size_t index) {
    if (index == 0)
        enterState(Playing);
    if (index == 1)
        enterState(Menu);
}

// Public functions

void layoutButtons() {
    layoutPair(menuButtons, kStartLabel, kQuitLabel);
    layoutPair(gameOverButtons, kRestartLabel, kMenuLabel);
}

bool pointInButton(int x, int y, const Button& button) {
    const float px = static_cast<float>(x);
    const float py = static_cast<float>(y);
    return px >= button.x && px <= button.x + button.width && py >= button.y &&
           py <= button.y + button.height;
}

void mouseButton(int button, int state, int x, int y) {
    if (button != GLUT_LEFT_BUTTON || state != GLUT_DOWN)
        return;
    if (gameState == Menu) {
        for (size_t i = 0; i < menuButtons.size(); ++i) {
            if (pointInButton(x, y, menuButtons[i]))
                pressMenuButton(i);
        }
    } else if (gameState == GameOver) {
        for (size_t i = 0; i < gameOverButtons.size(); ++i) {
            if (pointInButton(x, y, gameOverButtons[i]))
                pressGameOverButton(i);
        }
    }
}

void mouseMove(int x, int y) {
    if (gameState == Playing)
        return;
    const std::vector<Button>& buttons = (gameState == Menu) ? menuButtons : gameOverButtons;
    const bool overButton = std::any_of(buttons.begin(), buttons.end(),
                                        [x, y](const Button& b) { return pointInButton(x, y, b); });
    glutSetCursor(overButton ? GLUT_CURSOR_INFO : GLUT_CURSOR_LEFT_ARROW);
}
