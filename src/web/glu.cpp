// glu.cpp: the GLU functions the game calls, for the browser build. Their matrices are computed
// as GLU computes them, in the same precision, so they match the desktop's.
#include <GL/glu.h>

#include <cmath>

#include "fixed_function.h"

// Static helpers

// GLU's vector helpers, in single precision as GLU has them.
static void normalise(float v[3]) {
    const float r = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (r == 0.0f)
        return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

static void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// glOrtho as Mesa computes it: the bounds rounded to float, then single precision. An empty
// volume (a minimised window's height of 0) is an invalid value: the matrix stays as it was.
static void ortho(float left, float right, float bottom, float top, float zNear, float zFar) {
    if (left == right || bottom == top || zNear == zFar)
        return;
    using ff::at;
    float m[ff::kMatrixElements] = {};
    m[at(0, 0)] = 2.0f / (right - left);
    m[at(0, 3)] = -(right + left) / (right - left);
    m[at(1, 1)] = 2.0f / (top - bottom);
    m[at(1, 3)] = -(top + bottom) / (top - bottom);
    m[at(2, 2)] = -2.0f / (zFar - zNear);
    m[at(2, 3)] = -(zFar + zNear) / (zFar - zNear);
    m[at(3, 3)] = 1.0f;
    ff::multMatrix(m);
}

// Public functions

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * ff::kPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    using ff::at;
    double m[ff::kMatrixElements] = {};
    m[at(0, 0)] = cotangent / aspect;
    m[at(1, 1)] = cotangent;
    m[at(2, 2)] = -(zFar + zNear) / deltaZ;
    m[at(3, 2)] = -1;
    m[at(2, 3)] = -2 * zNear * zFar / deltaZ;
    ff::multMatrixd(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    float forward[3] = {static_cast<float>(centreX - eyeX), static_cast<float>(centreY - eyeY),
                        static_cast<float>(centreZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    using ff::at;
    float m[ff::kMatrixElements] = {};
    for (int i = 0; i < 3; ++i) {
        m[at(0, i)] = side[i];
        m[at(1, i)] = up[i];
        m[at(2, i)] = -forward[i];
    }
    m[at(3, 3)] = 1.0f;
    ff::multMatrix(m);
    ff::translate(static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    ortho(static_cast<float>(left), static_cast<float>(right), static_cast<float>(bottom),
          static_cast<float>(top), -1.0f, 1.0f);
}
