// render_support.h: replays the recorded GL calls through a small model of the matrix stacks, so
// tests can ask where things ended up in the world, in which colour, and what was left behind.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "fake_gl.h"
#include "fresh_game.h"

using Vec3 = std::array<double, 3>;
using Mat4 = std::array<double, 16>;  // column-major, as GL keeps it

// One glBegin/glEnd block: vertices in world coordinates, each with the normal (as given) and
// the colour current when it was emitted.
struct Primitive {
    int mode;
    Vec3 colour;  // of its vertices, or current at glBegin when it has none
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;  // one per vertex
};

// One glutSolidCube, with the modelview matrix it was drawn under.
struct Cube {
    Mat4 transform;
    double size;
    Vec3 colour;
};

// An axis-aligned box around a set of points.
struct Bounds {
    Vec3 min{1e30, 1e30, 1e30};
    Vec3 max{-1e30, -1e30, -1e30};
    void add(const Vec3& p);
    bool empty() const { return min[0] > max[0]; }
};

// A text drawn by bitmap characters from one raster position.
struct RasterText {
    int x;
    int y;
    std::string text;
};

// What a sequence of calls did, starting from identity matrices with modelview selected.
struct Replay {
    std::vector<Primitive> primitives;
    std::vector<Cube> cubes;
    std::vector<RasterText> texts;
    std::vector<Vec3> topLevelTranslations;  // translations made one push below the start
    int deepestModelview = 0;
    bool stacksBalanced = true;  // never popped below the start, back at the start at the end
    bool modelviewSelected = true;
    bool beginEndBalanced = true;
    bool depthTestOn = true;  // as left at the end, both on at the start
    bool lightingOn = true;
    bool overlayFlat = true;  // depth test and lighting were off at every 2D vertex and text
};

Replay replay(const std::vector<GlCall>& calls = fakegl::calls);

// The calls of draw alone, replayed.
template <typename Draw>
Replay drawn(Draw draw) {
    fakegl::reset();
    draw();
    return replay();
}

// Success when the calls left GL as they found it: stacks, blocks, matrix mode, 3D state.
::testing::AssertionResult leftAsFound(const Replay& r);

// The point p carried through the matrix m.
Vec3 transform(const Mat4& m, const Vec3& p);

// Bounds of every vertex and every cube corner painted in the colour.
Bounds boundsOf(const Replay& r, const Vec3& colour);

// The primitives painted in the colour, in drawing order.
std::vector<Primitive> paintedIn(const Replay& r, const Vec3& colour);

// Component-wise comparison within tol.
void expectNear(const Vec3& actual, const Vec3& expected, double tol, const std::string& what);
