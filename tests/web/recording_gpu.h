// recording_gpu.h: a gpu.h that keeps every call, so tests can read back what the GL layer drew.
#pragma once

#include <array>
#include <set>
#include <utility>
#include <vector>

#include "gpu.h"

namespace recording {

// One gpu::drawTriangles call with copies of its arrays.
struct Draw {
    gpu::State state;
    std::vector<gpu::Vertex> vertices;
    std::vector<uint16_t> indices;
};

extern std::vector<Draw> draws;
extern std::vector<std::array<int, 4>> viewports;
extern int clears;

// Forgets every recorded call.
void reset();

// The window pixels covered by the axis-aligned rectangles (pairs of triangles) of a draw.
std::set<std::pair<int, int>> rectanglePixels(const Draw& draw);

}  // namespace recording
