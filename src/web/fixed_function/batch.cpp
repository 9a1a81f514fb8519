// batch.cpp: geometry gathered into batches of indexed triangles, each handed to the graphics card
// whole when the state changes, the buffers are cleared, the viewport moves or a frame ends.
#include "fixed_function/batch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "fixed_function/state.h"

// Constants

static const int kQuadVertices = 4;
static const int kQuadIndices = 6;
static const int kMaxCarried = 4;  // a fan's centre and a primitive's last three
static const float kWindowNormal[3] = {0.0f, 0.0f, 1.0f};

// Globals

ff::Batch ff::batch;
gpu::Vertex ff::batchVertices[ff::kMaxVertices];
uint16_t ff::batchIndices[ff::kMaxIndices];

// Static helpers

// Whether the state was built for the current GL state and this kind of geometry.
static bool stateCurrent(bool windowSpace) {
    const ff::Batch& b = ff::batch;
    return b.built && b.windowSpace == windowSpace && b.stateChanges == ff::glState.changes &&
           b.projectionChanges == ff::matrices.projectionChanges;
}

// One quad in device pixels: corners counter-clockwise, each with its depth and colour.
static void deviceQuad(const float xy[4][2], const ff::WindowPoint* const ends[4]) {
    using ff::batch;
    using ff::batchVertices;
    if (!ff::hasRoom(kQuadVertices, kQuadIndices))
        ff::flushBatch();
    const uint16_t base = static_cast<uint16_t>(batch.vertexCount);
    for (int c = 0; c < kQuadVertices; ++c) {
        gpu::Vertex& out = batchVertices[batch.vertexCount++];
        out.position[0] = xy[c][0];
        out.position[1] = xy[c][1];
        out.position[2] = ends[c]->z;
        std::memcpy(out.normal, kWindowNormal, sizeof out.normal);
        std::memcpy(out.colour, ends[c]->colour, sizeof out.colour);
    }
    ff::addTriangle(base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2));
    ff::addTriangle(base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3));
}

// Public functions

void ff::resetBatch() {
    batch = Batch{};
}

void ff::prepareBatch(bool windowSpace) {
    if (stateCurrent(windowSpace))
        return;
    gpu::State next;
    buildDrawState(next, windowSpace);
    if (batch.vertexCount > 0 && !sameDrawState(next, batch.state))
        flushBatch();
    batch.state = next;
    batch.built = true;
    batch.windowSpace = windowSpace;
    batch.stateChanges = glState.changes;
    batch.projectionChanges = matrices.projectionChanges;
    batch.projectionMax = 0.0f;
    for (float element : batch.state.projection)
        batch.projectionMax = std::max(batch.projectionMax, std::fabs(element));
}

void ff::flushBatch() {
    if (batch.indexCount > 0)
        gpu::drawTriangles(batch.state, batchVertices, batch.vertexCount, batchIndices,
                           batch.indexCount);
    batch.vertexCount = 0;
    batch.indexCount = 0;
}

void ff::clearBuffers(bool colour, bool depth, const float rgba[4]) {
    flushBatch();
    gpu::clear(colour, depth, rgba);
}

void ff::setGpuViewport(const int box[4]) {
    flushBatch();
    gpu::viewport(box[0], box[1], box[2], box[3]);
}

void ff::carryOver(uint16_t* kept, int count) {
    gpu::Vertex carried[kMaxCarried];
    count = std::min(count, kMaxCarried);
    for (int k = 0; k < count; ++k) carried[k] = batchVertices[kept[k]];
    flushBatch();
    for (int k = 0; k < count; ++k) {
        batchVertices[k] = carried[k];
        kept[k] = static_cast<uint16_t>(k);
    }
    batch.vertexCount = static_cast<size_t>(count);
}

void ff::rewindBatch(size_t vertexCount, size_t indexCount) {
    batch.vertexCount = vertexCount;
    batch.indexCount = indexCount;
}

// Window pixels scaled to device pixels, for quads with corners anywhere (slanted lines).
void ff::windowQuad(const float xy[4][2], const WindowPoint* const ends[4]) {
    float device[4][2];
    for (int c = 0; c < kQuadVertices; ++c) {
        device[c][0] = static_cast<float>(xy[c][0] * glState.deviceScale[0]);
        device[c][1] = static_cast<float>(xy[c][1] * glState.deviceScale[1]);
    }
    deviceQuad(device, ends);
}

void ff::pixelRect(int x0, int y0, int x1, int y1, const WindowPoint& low, const WindowPoint& high,
                   bool alongX) {
    if (x0 >= x1 || y0 >= y1)
        return;
    const float fx0 = static_cast<float>(windowToDevice(x0, 0));
    const float fx1 = static_cast<float>(windowToDevice(x1, 0));
    const float fy0 = static_cast<float>(windowToDevice(y0, 1));
    const float fy1 = static_cast<float>(windowToDevice(y1, 1));
    const float xy[4][2] = {{fx0, fy0}, {fx1, fy0}, {fx1, fy1}, {fx0, fy1}};
    const WindowPoint* ends[4] = {&low, alongX ? &high : &low, &high, alongX ? &low : &high};
    deviceQuad(xy, ends);
}
