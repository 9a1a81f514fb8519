// frame.cpp: placeholder frame until the renderer lands: clear and swap.
#include "frame.h"

#include <GL/glut.h>

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}
