// main.cpp: opens the game's window and hands control to GLUT's loop for the rest of the run.
#include <GL/glut.h>

#include "window.h"

// Public functions

int main(int argc, char** argv) {
    openGameWindow(&argc, argv);
    glutMainLoop();
    return 0;
}
