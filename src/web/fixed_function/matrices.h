// matrices.h: the matrix stage: the modelview and projection stacks, 4 x 4 maths in Mesa's order
// of operations, and the normal matrix. The GL calls that change the stacks are declared in
// fixed_function.h; other stages read the tops, and the change counts their caches depend on.
#pragma once

#include <cstddef>

#include "fixed_function.h"

namespace ff {

// Constants

constexpr int kStackDepth = 32;  // Mesa's depth for both stacks
constexpr int kNormalElements = 3 * 3;

// Types

// One stack of matrices; its bottom level starts as the identity.
struct MatrixStack {
    float levels[kStackDepth][kMatrixElements] = {{1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
                                                   0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f}};
    int top = 0;  // the level of the current matrix
};

// The matrix stage's state.
struct Matrices {
    MatrixStack modelview;
    MatrixStack projection;
    bool projectionSelected = false;           // glMatrixMode chose the projection stack
    float normalMatrix[kNormalElements] = {};  // inverse transpose of the modelview's upper 3x3,
                                               // row-major
    bool normalMatrixValid = false;            // normalMatrix belongs to the current modelview
    unsigned modelviewChanges = 0;             // counts changes of the modelview's current matrix
    unsigned projectionChanges = 0;            // counts changes of the projection's current matrix
};

// Globals

extern Matrices matrices;

// Public functions

// Both stacks back to one identity matrix each, the modelview selected.
void resetMatrices();

void setIdentity(float* m);

// Recomputes normalMatrix from the current modelview.
void updateNormalMatrix();

// Object coordinates to clip coordinates through the modelview and the projection.
void toClip(float x, float y, float z, float w, float clip[4]);

inline const float* modelviewTop() {
    return matrices.modelview.levels[matrices.modelview.top];
}

inline const float* projectionTop() {
    return matrices.projection.levels[matrices.projection.top];
}

// out := m * (x, y, z, w).
inline void transform(const float* m, float x, float y, float z, float w, float out[4]) {
    for (int i = 0; i < kMatrixSize; ++i)
        out[i] = m[at(i, 0)] * x + m[at(i, 1)] * y + m[at(i, 2)] * z + m[at(i, 3)] * w;
}

// Position (x, y, z, 1) under the modelview, x, y and z only.
inline void toEyeSpace(float x, float y, float z, float out[3]) {
    const float* m = modelviewTop();
    for (int i = 0; i < 3; ++i)
        out[i] = m[at(i, 0)] * x + m[at(i, 1)] * y + m[at(i, 2)] * z + m[at(i, 3)];
}

// A normal under the current modelview's normal matrix.
inline void transformNormal(const float n[3], float out[3]) {
    if (!matrices.normalMatrixValid)
        updateNormalMatrix();
    for (size_t r = 0; r < 3; ++r) {
        const float* row = matrices.normalMatrix + 3 * r;
        out[r] = row[0] * n[0] + row[1] * n[1] + row[2] * n[2];
    }
}

}  // namespace ff
