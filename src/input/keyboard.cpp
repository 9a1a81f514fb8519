// keyboard.cpp: maps character and arrow keys onto the four held controls.
#include "keyboard.h"

#include <GL/glut.h>

#include <cstdlib>

#include "world.h"

// Constants
static const unsigned char kEscape = 27;

// Static helpers

// The control flag a character key drives, or null for keys the game ignores.
static bool* controlForKey(unsigned char key) {
    switch (key) {
        case 'A':
        case 'a':
        case 'J':
        case 'j':
            return &controls.steerLeft;
        case 'D':
        case 'd':
        case 'L':
        case 'l':
            return &controls.steerRight;
        case 'W':
        case 'w':
        case 'I':
        case 'i':
            return &controls.accelerate;
        case 'S':
        case 's':
        case 'K':
        case 'k':
            return &controls.brake;
        default:
            return nullptr;
    }
}

// The control flag an arrow key drives, or null for every other special key.
static bool* controlForSpecial(int key) {
    switch (key) {
        case GLUT_KEY_LEFT:
            return &controls.steerLeft;
        case GLUT_KEY_RIGHT:
            return &controls.steerRight;
        case GLUT_KEY_UP:
            return &controls.accelerate;
        case GLUT_KEY_DOWN:
            return &controls.brake;
        default:
            return nullptr;
    }
}

// Public functions

void keyDown(unsigned char key, int /*x*/, int /*y*/) {
    if (key == kEscape)
        std::exit(0);
    if (gameState != Playing)
        return;
    if (bool* flag = controlForKey(key))
        *flag = true;
}

void keyUp(unsigned char key, int /*x*/, int /*y*/) {
    if (bool* flag = controlForKey(key))
        *flag = false;
}

void specialDown(int key, int /*x*/, int /*y*/) {
    if (gameState != Playing)
        return;
    if (bool* flag = controlForSpecial(key))
        *flag = true;
}

void specialUp(int key, int /*x*/, int /*y*/) {
    if (bool* flag = controlForSpecial(key))
        *flag = false;
}
