// shell.cpp: fixed-function GL state, the two lights, and the perspective on every resize.
#include "shell.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include "course.h"
#include "menu.h"
#include "world.h"

// Constants
static const double kFieldOfViewDeg = 62.0;
static const double kNearPlane = 0.1;
static const double kFarPlane = 300.0;
static const GLfloat kSkyColour[4] = {0.45f, 0.72f, 0.92f, 1.0f};

// Public functions

void initGraphics() {
    glClearColor(kSkyColour[0], kSkyColour[1], kSkyColour[2], kSkyColour[3]);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);

    // Given while the modelview is the identity, so both lights stay fixed relative to the eye.
    const GLfloat keyPosition[4] = {4.0f, 8.0f, 3.0f, 1.0f};
    const GLfloat keyAmbient[4] = {0.45f, 0.45f, 0.45f, 1.0f};
    const GLfloat keyDiffuse[4] = {0.95f, 0.95f, 0.85f, 1.0f};
    const GLfloat keySpecular[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, keyPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, keyAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, keyDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, keySpecular);

    glEnable(GL_LIGHT1);
    const GLfloat fillDirection[4] = {-3.0f, 5.0f, -2.0f, 0.0f};
    const GLfloat fillColour[4] = {0.2f, 0.15f, 0.1f, 1.0f};
    glLightfv(GL_LIGHT1, GL_POSITION, fillDirection);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, fillColour);
    glLightfv(GL_LIGHT1, GL_AMBIENT, fillColour);

    generateTrees();
    layoutButtons();
}

void reshape(int width, int height) {
    windowWidth = width;
    windowHeight = height;
    const int h = (height == 0) ? 1 : height;  // a minimised window reports height 0
    glViewport(0, 0, width, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfViewDeg, static_cast<double>(width) / h, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    layoutButtons();
}
