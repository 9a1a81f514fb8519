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
static const size_t kSharedSlots = 4096;  // a power of two
// Odd constants whose products spread a vertex's bytes over the top bits of the hash.
static const uint64_t kMix[4] = {0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu, 0x165667B19E3779F9u,
                                 0xD6E8FEB86659FD93u};
static const int kHashShift = 32;  // the hash is the products' top 32 bits, its top 12 the slot
static const int kSlotShift = 32 - 12;
static_assert(sizeof(gpu::Vertex) == sizeof(gpu::Vertex::position) + sizeof(gpu::Vertex::normal) +
                                         sizeof(gpu::Vertex::colour),
              "vertices compare byte for byte, so they have no padding");

// Types

struct SharedSlot {
    uint32_t hash;    // the vertex's whole hash
    uint16_t vertex;  // its index in the batch
};

// Globals

ff::Batch ff::batch;
gpu::Vertex ff::batchVertices[ff::kMaxVertices];
uint16_t ff::batchIndices[ff::kMaxIndices];
// The vertex the batch last added with each hash, with the rest of its hash so that most
// differing vertices are told apart without reading them. A slot may name a vertex since
// overwritten or beyond the batch's end, so a match is always checked against the vertex itself.
static SharedSlot sharedSlots[kSharedSlots];

// Static helpers

// Whether the state was built for the current GL state and this kind of geometry.
static bool stateCurrent(bool windowSpace) {
    const ff::Batch& b = ff::batch;
    return b.built && b.windowSpace == windowSpace && b.stateChanges == ff::glState.changes &&
           b.projectionChanges == ff::matrices.projectionChanges;
}

// A hash of vertex v: independent products, so it costs few cycles.
static uint32_t vertexHash(const gpu::Vertex& v) {
    uint64_t words[3];
    uint32_t last = 0;
    std::memcpy(words, &v, sizeof words);
    std::memcpy(&last, reinterpret_cast<const char*>(&v) + sizeof words, sizeof last);
    const uint64_t hash =
        (words[0] * kMix[0]) ^ (words[1] * kMix[1]) ^ (words[2] * kMix[2]) ^ (last * kMix[3]);
    return static_cast<uint32_t>(hash >> kHashShift);
}

// Bytes, not values: equal bytes draw the same, and values such as 0 and -0 that are equal
// without equal bytes only cost a copy more.
static bool sameBytes(const gpu::Vertex& a, const gpu::Vertex& b) {
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Public functions

uint16_t ff::addSharedVertex() {
    const gpu::Vertex& v = batchVertices[batch.vertexCount];
    const uint32_t hash = vertexHash(v);
    SharedSlot& slot = sharedSlots[hash >> kSlotShift];
    if (slot.hash == hash && slot.vertex < batch.vertexCount &&
        sameBytes(batchVertices[slot.vertex], v))
        return slot.vertex;
    slot = SharedSlot{hash, static_cast<uint16_t>(batch.vertexCount)};
    return addVertex();
}

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

void ff::windowQuad(const float xy[4][2], const WindowPoint* const ends[4]) {
    if (!hasRoom(kQuadVertices, kQuadIndices))
        flushBatch();
    const uint16_t base = static_cast<uint16_t>(batch.vertexCount);
    for (int c = 0; c < kQuadVertices; ++c) {
        gpu::Vertex& out = batchVertices[batch.vertexCount++];
        out.position[0] = xy[c][0];
        out.position[1] = xy[c][1];
        out.position[2] = ends[c]->z;
        std::memcpy(out.normal, kWindowNormal, sizeof out.normal);
        std::memcpy(out.colour, ends[c]->colour, sizeof out.colour);
    }
    addTriangle(base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2));
    addTriangle(base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3));
}

void ff::pixelRect(int x0, int y0, int x1, int y1, const WindowPoint& low, const WindowPoint& high,
                   bool alongX) {
    if (x0 >= x1 || y0 >= y1)
        return;
    const float fx0 = static_cast<float>(x0);
    const float fx1 = static_cast<float>(x1);
    const float fy0 = static_cast<float>(y0);
    const float fy1 = static_cast<float>(y1);
    const float xy[4][2] = {{fx0, fy0}, {fx1, fy0}, {fx1, fy1}, {fx0, fy1}};
    const WindowPoint* ends[4] = {&low, alongX ? &high : &low, &high, alongX ? &low : &high};
    windowQuad(xy, ends);
}
