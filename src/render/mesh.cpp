// mesh.cpp: box, capped frustum, sphere and flat rectangle, re-emitted on every call.
#include "mesh.h"

#include <GL/glut.h>

#include <cmath>

// Constants
static const float kPi = 3.1415927f;

// Static helpers

// Sine and cosine of the angle of step k out of n around a ring, 2k·pi/n in single precision.
static void ringStep(int k, int n, float* sine, float* cosine) {
    const float kf = static_cast<float>(k);
    sincosf((kf + kf) * kPi / static_cast<float>(n), sine, cosine);
}

// One vertex whose normal is its own position vector, as on a sphere centred on the origin.
static void radialVertex(float x, float y, float z) {
    glNormal3f(x, y, z);
    glVertex3f(x, y, z);
}

// Public functions

void drawBox(float sx, float sy, float sz) {
    glPushMatrix();
    glScalef(sx, sy, sz);
    glutSolidCube(1.0);
    glPopMatrix();
}

void drawCylinder(float bottomRadius, float topRadius, float height, int slices) {
    float s;
    float c;
    glBegin(GL_QUAD_STRIP);
    {
        for (int k = 0; k <= slices; ++k) {
            ringStep(k, slices, &s, &c);
            glNormal3f(c, 0.0f, s);  // horizontal even on a frustum
            glVertex3f(bottomRadius * c, 0.0f, bottomRadius * s);
            glVertex3f(topRadius * c, height, topRadius * s);
        }
    }
    glEnd();

    glBegin(GL_TRIANGLE_FAN);
    {
        glNormal3f(0.0f, -1.0f, 0.0f);
        glVertex3f(0.0f, 0.0f, 0.0f);
        for (int k = 0; k <= slices; ++k) {
            ringStep(k, slices, &s, &c);
            glVertex3f(bottomRadius * c, 0.0f, bottomRadius * s);
        }
    }
    glEnd();

    glBegin(GL_TRIANGLE_FAN);
    {
        glNormal3f(0.0f, 1.0f, 0.0f);
        glVertex3f(0.0f, height, 0.0f);
        for (int k = slices; k >= 0; --k) {
            ringStep(k, slices, &s, &c);
            glVertex3f(topRadius * c, height, topRadius * s);
        }
    }
    glEnd();
}

void drawSphere(float radius, int slices, int stacks) {
    if (stacks < 1)
        return;
    float s;
    float c;
    sincosf(0.0f, &s, &c);
    float upperY = radius * c;
    float upperRho = radius * s;
    for (int i = 1; i <= stacks; ++i) {
        sincosf(static_cast<float>(i) * kPi / static_cast<float>(stacks), &s, &c);
        const float lowerY = radius * c;
        const float lowerRho = radius * s;
        glBegin(GL_QUAD_STRIP);
        {
            for (int j = 0; j <= slices; ++j) {
                ringStep(j, slices, &s, &c);
                radialVertex(upperRho * c, upperY, upperRho * s);
                radialVertex(lowerRho * c, lowerY, lowerRho * s);
            }
        }
        glEnd();
        upperY = lowerY;  // this stack's lower ring is the next one's upper ring
        upperRho = lowerRho;
    }
}

void drawQuad(float x1, float y, float z1, float x2, float z2) {
    glBegin(GL_QUADS);
    {
        glVertex3f(x1, y, z1);
        glVertex3f(x2, y, z1);
        glVertex3f(x2, y, z2);
        glVertex3f(x1, y, z2);
    }
    glEnd();
}
