// matrices.cpp: the matrix stacks and their operations, in single precision and Mesa's order of
// operations, so every element rounds as it does on the desktop.
#include "fixed_function/matrices.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "unsupported.h"

// Constants

static const float kMinAxisLength = 1.0e-4f;  // Mesa ignores rotations about shorter axes
static const double kDegreesPerHalfTurn = 180.0;

// Globals

ff::Matrices ff::matrices;

// Static helpers

// The stack glMatrixMode selected.
static ff::MatrixStack& currentStack() {
    return ff::matrices.projectionSelected ? ff::matrices.projection : ff::matrices.modelview;
}

// The current stack's current matrix, writable.
static float* current() {
    const int top = currentStack().top;
    return currentStack().levels[top];
}

// The current matrix changed: whatever depends on it is out of date.
static void changed() {
    if (ff::matrices.projectionSelected) {
        ++ff::matrices.projectionChanges;
    } else {
        ++ff::matrices.modelviewChanges;
        ff::matrices.normalMatrixValid = false;
    }
}

// a := a * b, summed in Mesa's order so every product rounds the same way.
static void multiplyInto(float* a, const float* b) {
    using ff::at;
    float p[ff::kMatrixElements];
    for (int i = 0; i < ff::kMatrixSize; ++i) {
        const float ai0 = a[at(i, 0)];
        const float ai1 = a[at(i, 1)];
        const float ai2 = a[at(i, 2)];
        const float ai3 = a[at(i, 3)];
        for (int j = 0; j < ff::kMatrixSize; ++j) {
            p[at(i, j)] =
                ai0 * b[at(0, j)] + ai1 * b[at(1, j)] + ai2 * b[at(2, j)] + ai3 * b[at(3, j)];
        }
    }
    std::memcpy(a, p, sizeof p);
}

// A rotation by angle (sine s, cosine c) about one coordinate axis: `first` and `second` are the
// other two, in right-handed order, and `sign` the axis's direction.
static void axisRotation(float* r, int first, int second, float s, float c, float sign) {
    using ff::at;
    r[at(first, first)] = c;
    r[at(second, second)] = c;
    r[at(second, first)] = (sign < 0.0f) ? -s : s;
    r[at(first, second)] = -r[at(second, first)];
}

// The general rotation about the unit axis (x, y, z).
static void generalRotation(float* r, float x, float y, float z, float s, float c) {
    using ff::at;
    const float oneC = 1.0f - c;
    const float xx = x * x;
    const float yy = y * y;
    const float zz = z * z;
    const float xy = x * y;
    const float yz = y * z;
    const float zx = z * x;
    r[at(0, 0)] = oneC * xx + c;
    r[at(0, 1)] = oneC * xy - z * s;
    r[at(0, 2)] = oneC * zx + y * s;
    r[at(1, 0)] = oneC * xy + z * s;
    r[at(1, 1)] = oneC * yy + c;
    r[at(1, 2)] = oneC * yz - x * s;
    r[at(2, 0)] = oneC * zx - y * s;
    r[at(2, 1)] = oneC * yz + x * s;
    r[at(2, 2)] = oneC * zz + c;
}

// Public functions

void ff::resetMatrices() {
    matrices = Matrices{};
}

void ff::setIdentity(float* m) {
    std::fill(m, m + kMatrixElements, 0.0f);
    for (int i = 0; i < kMatrixSize; ++i) m[at(i, i)] = 1.0f;
}

// The inverse transpose of the modelview's upper 3x3, from its cofactors.
void ff::updateNormalMatrix() {
    const float* m = modelviewTop();
    const float a = m[at(0, 0)];
    const float b = m[at(0, 1)];
    const float c = m[at(0, 2)];
    const float d = m[at(1, 0)];
    const float e = m[at(1, 1)];
    const float f = m[at(1, 2)];
    const float g = m[at(2, 0)];
    const float h = m[at(2, 1)];
    const float i = m[at(2, 2)];
    const float cof[kNormalElements] = {e * i - f * h, f * g - d * i, d * h - e * g,
                                        c * h - b * i, a * i - c * g, b * g - a * h,
                                        b * f - c * e, c * d - a * f, a * e - b * d};
    const float det = a * cof[0] + b * cof[1] + c * cof[2];
    const float inv = (det != 0.0f) ? 1.0f / det : 1.0f;  // singular: the direction still holds
    for (int k = 0; k < kNormalElements; ++k) matrices.normalMatrix[k] = cof[k] * inv;
    matrices.normalMatrixValid = true;
}

void ff::toClip(float x, float y, float z, float w, float clip[4]) {
    float eye[4];
    transform(modelviewTop(), x, y, z, w, eye);
    transform(projectionTop(), eye[0], eye[1], eye[2], eye[3], clip);
}

void ff::selectMatrix(GLenum mode) {
    if (mode == GL_MODELVIEW) {
        matrices.projectionSelected = false;
    } else if (mode == GL_PROJECTION) {
        matrices.projectionSelected = true;
    } else {
        unsupported::report("glMatrixMode", mode, "the selected matrix stays");
    }
}

void ff::loadIdentity() {
    setIdentity(current());
    changed();
}

void ff::pushMatrix() {
    MatrixStack& s = currentStack();
    if (s.top + 1 >= kStackDepth)
        return;  // stack overflow: GL ignores the call
    std::memcpy(s.levels[s.top + 1], s.levels[s.top], sizeof s.levels[0]);
    ++s.top;
}

void ff::popMatrix() {
    MatrixStack& s = currentStack();
    if (s.top == 0)
        return;  // stack underflow: GL ignores the call
    --s.top;
    changed();
}

void ff::multMatrix(const float* m) {
    multiplyInto(current(), m);
    changed();
}

void ff::multMatrixd(const double* m) {
    float f[kMatrixElements] = {};
    for (int i = 0; i < kMatrixElements; ++i) f[i] = static_cast<float>(m[i]);
    multMatrix(f);
}

void ff::translate(float x, float y, float z) {
    float* m = current();
    for (int i = 0; i < kMatrixSize; ++i)
        m[at(i, 3)] = m[at(i, 0)] * x + m[at(i, 1)] * y + m[at(i, 2)] * z + m[at(i, 3)];
    changed();
}

// Mesa's rotation: single-precision sine and cosine of the angle converted in double precision,
// a plain matrix for a rotation about one coordinate axis, the general formula otherwise.
void ff::rotate(float degrees, float x, float y, float z) {
    const float radians = static_cast<float>(degrees * kPi / kDegreesPerHalfTurn);
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    float r[kMatrixElements];
    setIdentity(r);
    if (x == 0.0f && z == 0.0f && y != 0.0f) {
        axisRotation(r, 2, 0, s, c, y);
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        axisRotation(r, 1, 2, s, c, x);
    } else if (x == 0.0f && y == 0.0f && z != 0.0f) {
        axisRotation(r, 0, 1, s, c, z);
    } else {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= kMinAxisLength)
            return;
        generalRotation(r, x / mag, y / mag, z / mag, s, c);
    }
    multMatrix(r);
}

void ff::scale(float x, float y, float z) {
    float* m = current();
    for (int i = 0; i < kMatrixSize; ++i) {
        m[at(i, 0)] *= x;
        m[at(i, 1)] *= y;
        m[at(i, 2)] *= z;
    }
    changed();
}

const float* ff::matrix(GLenum mode) {
    return (mode == GL_PROJECTION) ? projectionTop() : modelviewTop();
}
