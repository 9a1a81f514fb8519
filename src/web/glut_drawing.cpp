// glut_drawing.cpp: the GLUT drawing functions the game calls, for the browser build: freeglut's
// solid cube and its bitmap characters in the Helvetica 18 font.
#include <GL/glut.h>

#include "fixed_function.h"
#include "font.h"
#include "unsupported.h"

// Constants

// glutSolidCube's 24 vertices for an edge of 1, four per face in the order freeglut draws them
// (+z, +x, +y, -x, -y, -z), each face counter-clockwise seen from outside, with its normal.
static const int kCubeFaceVertices = 4;
static const int kCubeFaceFloats = 3 * kCubeFaceVertices;
static const int kCubeVertices = 6 * kCubeFaceVertices;
static const float kCubePositions[kCubeVertices * 3] = {
    0.5f,  0.5f,  0.5f,  -0.5f, 0.5f,  0.5f,  -0.5f, -0.5f, 0.5f,  0.5f,  -0.5f, 0.5f,   // +z
    0.5f,  0.5f,  0.5f,  0.5f,  -0.5f, 0.5f,  0.5f,  -0.5f, -0.5f, 0.5f,  0.5f,  -0.5f,  // +x
    0.5f,  0.5f,  0.5f,  0.5f,  0.5f,  -0.5f, -0.5f, 0.5f,  -0.5f, -0.5f, 0.5f,  0.5f,   // +y
    -0.5f, 0.5f,  0.5f,  -0.5f, 0.5f,  -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, 0.5f,   // -x
    -0.5f, -0.5f, -0.5f, 0.5f,  -0.5f, -0.5f, 0.5f,  -0.5f, 0.5f,  -0.5f, -0.5f, 0.5f,   // -y
    0.5f,  -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, 0.5f,  -0.5f, 0.5f,  0.5f,  -0.5f,  // -z
};
static const float kCubeFaceNormals[6][3] = {{0.0f, 0.0f, 1.0f},  {1.0f, 0.0f, 0.0f},
                                             {0.0f, 1.0f, 0.0f},  {-1.0f, 0.0f, 0.0f},
                                             {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}};
// Each face as the triangles (0, 1, 2) and (0, 2, 3) of its four vertices.
static const int kCubeIndices = 36;
static const unsigned char kCubeOrder[kCubeIndices] = {
    0,  1,  2,  0,  2,  3,  4,  5,  6,  4,  6,  7,  8,  9,  10, 8,  10, 11,
    12, 13, 14, 12, 14, 15, 16, 17, 18, 16, 18, 19, 20, 21, 22, 20, 22, 23};

// Globals

// The font symbol GLUT_BITMAP_HELVETICA_18 points at; only its address matters.
void* glutBitmapHelvetica18 = nullptr;

// Public functions

// freeglut draws the cube from vertex and normal arrays, so the current normal stays as it was:
// whatever is drawn next without a normal of its own inherits the normal from before the cube.
void glutSolidCube(GLdouble size) {
    const float edge = static_cast<float>(size);
    float positions[kCubeVertices * 3];
    float normals[kCubeVertices * 3];
    for (int i = 0; i < kCubeVertices * 3; ++i) {
        positions[i] = kCubePositions[i] * edge;
        normals[i] = kCubeFaceNormals[i / kCubeFaceFloats][i % 3];
    }
    ff::drawIndexedTriangles(positions, normals, kCubeVertices, kCubeOrder, kCubeIndices);
}

// GLUT's own signature: the font is an opaque pointer compared by address.
// cppcheck-suppress constParameter
void glutBitmapCharacter(void* fontId, int character) {
    if (fontId != GLUT_BITMAP_HELVETICA_18) {
        unsupported::report("glutBitmapCharacter in a font other than GLUT_BITMAP_HELVETICA_18");
        return;
    }
    const font::Glyph* glyph = font::helvetica18(character);
    if (glyph == nullptr)
        return;
    ff::bitmap(glyph->width, glyph->height, glyph->xorig, glyph->yorig, glyph->advance, 0.0f,
               glyph->bits);
}
