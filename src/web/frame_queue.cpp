// frame_queue.cpp: a batch queued as one draw, or split into draws with and without depth planes.
#include "frame_queue.h"

#include <algorithm>

#include "depth_planes.h"
#include "shared_vertices.h"

// Constants

// Triangles of one draw with depth planes: its corners count from its first vertex in 16 bits.
static const size_t kMaxPlaneTriangles = 65536 / 3;

// Globals

// Scratch arrays of queueBatch, kept so that batches allocate nothing once the frames settle.
static std::vector<gpu::TriangleRun> runs;
static std::vector<float> trianglePlanes;  // kPlaneFloats per triangle of the plane runs

// Static helpers

static void queueDraw(gpu::FrameQueue& queue, gpu::QueuedDraw draw, size_t firstVertex,
                      size_t firstIndex, size_t indexCount, uint32_t firstPlane) {
    draw.firstVertex = static_cast<uint32_t>(firstVertex);
    draw.firstIndex = static_cast<uint32_t>(firstIndex);
    draw.indexCount = static_cast<uint32_t>(indexCount);
    draw.firstPlane = firstPlane;
    queue.draws.push_back(draw);
}

// Queues `count` triangles (their corners' batch indices from `corners` on) as one draw, each
// corner a vertex of its own that carries its triangle's plane (from `planes` on).
static void queuePlaneDraw(gpu::FrameQueue& queue, const gpu::QueuedDraw& draw,
                           const gpu::Vertex* vertices, const uint16_t* corners, size_t count,
                           const float* planes) {
    const size_t firstVertex = queue.vertices.size();
    const size_t firstIndex = queue.indices.size();
    const auto firstPlane = static_cast<uint32_t>(queue.planes.size() / gpu::kPlaneFloats);
    for (size_t k = 0; k < 3 * count; ++k) {
        queue.indices.push_back(static_cast<uint16_t>(k));
        queue.vertices.push_back(vertices[corners[k]]);
        const float* plane = planes + gpu::kPlaneFloats * (k / 3);
        queue.planes.insert(queue.planes.end(), plane, plane + gpu::kPlaneFloats);
    }
    queueDraw(queue, draw, firstVertex, firstIndex, 3 * count, firstPlane);
}

// Public functions

void gpu::FrameQueue::clear() {
    vertices.clear();
    indices.clear();
    planes.clear();
    draws.clear();
    steps.clear();
}

void gpu::queueBatch(FrameQueue& queue, const QueuedDraw& draw, const State& state,
                     const int viewport[4], bool depthPlanes, const Vertex* vertices,
                     size_t vertexCount, const uint16_t* indices, size_t indexCount) {
    const size_t sharedVertex = queue.vertices.size();
    const size_t sharedIndex = queue.indices.size();
    appendSharedBatch(vertices, vertexCount, indices, indexCount, queue.vertices, queue.indices);
    trianglePlanes.clear();
    if (depthPlanes)
        splitByDepthPlanes(state, viewport, vertices, vertexCount, indices, indexCount, runs,
                           trianglePlanes);
    if (trianglePlanes.empty()) {
        queueDraw(queue, draw, sharedVertex, sharedIndex, indexCount, kNoPlanes);
        return;
    }
    // The triangles without planes are drawn piece by piece from the shared vertices, between
    // the draws with planes.
    const float* plane = trianglePlanes.data();
    for (const TriangleRun& run : runs) {
        if (!run.planes) {
            queueDraw(queue, draw, sharedVertex, sharedIndex + 3 * run.first, 3 * run.count,
                      kNoPlanes);
            continue;
        }
        for (size_t done = 0; done < run.count; done += kMaxPlaneTriangles) {
            const size_t count = std::min(run.count - done, kMaxPlaneTriangles);
            queuePlaneDraw(queue, draw, vertices, indices + 3 * (run.first + done), count, plane);
            plane += kPlaneFloats * count;
        }
    }
}
