// frame_queue.h: what a frame hands the graphics card, held until the frame ends: the vertices,
// indices and depth planes of its batches, the draws that use them, and the viewports and clears
// in between, in the order they came.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gpu.h"
#include "gpu_params.h"

namespace gpu {

// Constants

constexpr uint32_t kNoPlanes = UINT32_MAX;  // QueuedDraw::firstPlane of a draw without planes

// Types

// A draw waiting for the frame's upload: its batch's state as shader parameters and where its
// vertices, indices and depth planes start in the frame's arrays. Fields of 4 bytes, so that
// draws compare as bytes.
struct QueuedDraw {
    float params[kParamFloats];
    uint32_t depthTest;
    uint32_t firstVertex;
    uint32_t firstIndex;
    uint32_t indexCount;
    uint32_t firstPlane;  // the depth plane of the draw's first vertex, or kNoPlanes
};
static_assert(sizeof(QueuedDraw) == offsetof(QueuedDraw, firstPlane) + sizeof(uint32_t) &&
                  offsetof(QueuedDraw, depthTest) == sizeof(float) * kParamFloats,
              "queued draws have no padding");

// A viewport or a clear, waiting to be carried out after the draws queued before it.
struct QueuedStep {
    uint32_t drawsBefore;  // queued draws that come first
    uint32_t viewport;     // 1: the viewport box, 0: a clear of the buffers in box[0]
    int32_t box[4];
    float rgba[4];  // the clear's colour
};
static_assert(sizeof(QueuedStep) == 2 * sizeof(uint32_t) + 4 * sizeof(int32_t) + 4 * sizeof(float),
              "queued steps have no padding");

// The frame's queue. Cleared, not freed, after every frame.
struct FrameQueue {
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;  // each draw's count from its first vertex
    std::vector<float> planes;      // kPlaneFloats per vertex of the draws with depth planes
    std::vector<QueuedDraw> draws;
    std::vector<QueuedStep> steps;

    void clear();
};

// Public functions

// Queues a batch as draws made from `draw` (its params and depthTest set): its triangles with
// each distinct vertex once (shared_vertices.h). With depthPlanes (the program evaluates them),
// triangles reaching behind the eye are drawn with their depth planes (depth_planes.h) under the
// viewport, each corner a vertex of its own, in draws of their own between the others', so that
// the batch's triangles are still drawn in their order.
void queueBatch(FrameQueue& queue, const QueuedDraw& draw, const State& state,
                const int viewport[4], bool depthPlanes, const Vertex* vertices, size_t vertexCount,
                const uint16_t* indices, size_t indexCount);

}  // namespace gpu
