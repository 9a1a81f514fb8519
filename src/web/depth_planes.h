// depth_planes.h: the window depth of triangles that reach behind the eye, as the plane each one
// lies in, for the fragment shader to evaluate at every pixel.
//
// A rasteriser works out a triangle's depth, and every value it interpolates, from where the
// triangle's three corners land on the screen. A corner behind the eye lands mirrored through the
// centre of the view, close to the other two, so across the visible part of such a triangle the
// depth is extrapolated far beyond the three points it was worked out from. SwiftShader (Chromium's
// software WebGL) snaps those points to its sub-pixel grid first; for long rectangles that run
// from far ahead to behind the eye, layered a few millimetres apart, the extrapolated depth then
// errs by more than the gap at some canvas sizes (800 x 600), and a layer sinks under the one
// beneath it. The planes here are worked out in double precision from the corners themselves,
// nothing snapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gpu.h"

namespace gpu {

// Floats of one triangle's depth plane: [0] x + [1] y + [2] is how far the window depth lies below
// 1 at window pixel (x, y) (as gl_FragCoord gives it), and [3] = 1 tells the shader the plane is
// there. Far away the depth comes close to 1, where a float's steps are coarsest; its distance
// from 1 keeps the digits that layers a few millimetres apart need.
constexpr size_t kPlaneFloats = 4;

// Consecutive triangles of a batch, from triangle `first` on: drawn with depth planes or not.
struct TriangleRun {
    size_t first;
    size_t count;
    bool planes;
};

// The window depth (depth range [0, 1]) of the plane through three eye-space points under the
// state's projection and the viewport (x, y, width, height), as a depth plane (above). False,
// with plane untouched, when the points span no plane that shows more than an edge.
bool windowDepthPlane(const State& state, const int viewport[4], const float* a, const float* b,
                      const float* c, float plane[kPlaneFloats]);

// Splits a batch's triangles (indexCount / 3 of them) into runs in drawing order. Triangles with
// a corner at or behind the eye (clip w <= 0) get their depth planes, appended to `planes`, one
// per triangle of a plane run, in order; the others, and every triangle drawn without the depth
// test, keep the rasteriser's depth. Runs are cleared first; planes are appended to.
void splitByDepthPlanes(const State& state, const int viewport[4], const Vertex* vertices,
                        size_t vertexCount, const uint16_t* indices, size_t indexCount,
                        std::vector<TriangleRun>& runs, std::vector<float>& planes);

}  // namespace gpu
