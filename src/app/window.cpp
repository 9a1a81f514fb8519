// window.cpp: the game's window, its eight handlers and the first timer.
#include "window.h"

#include <GL/glut.h>

#include "frame.h"
#include "keyboard.h"
#include "menu.h"
#include "race.h"
#include "shared_constants.h"
#include "shell.h"

// Public functions

void openGameWindow(int* argc, char** argv) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutInitWindowSize(kStartWindowWidth, kStartWindowHeight);
    glutCreateWindow(kGameTitle);
    initGraphics();
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyDown);
    glutKeyboardUpFunc(keyUp);
    glutSpecialFunc(specialDown);
    glutSpecialUpFunc(specialUp);
    glutMouseFunc(mouseButton);
    glutPassiveMotionFunc(mouseMove);
    glutTimerFunc(0, tick, 0);
}
