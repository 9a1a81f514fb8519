// batch.h: the batch stage: the vertex and index arrays geometry gathers in while the state it is
// drawn under stays the same, and the window-space quads lines and bitmaps are made of. It is the
// only caller of gpu.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gpu.h"

namespace ff {

// Constants

constexpr size_t kMaxVertices = 65536;  // every index fits in 16 bits
constexpr size_t kMaxIndices = 3 * kMaxVertices;

// Types

// A vertex carried all the way to window pixels, for lines and bitmaps.
struct WindowPoint {
    float x, y, z;      // window pixels, NDC depth
    bool visible;       // in front of the eye
    uint8_t colour[4];  // as vertices carry it
};

// The batch stage's state; the vertices and indices themselves are in batchVertices and
// batchIndices.
struct Batch {
    gpu::State state{};              // what the pending geometry is drawn under
    bool built = false;              // state was built since the last reset
    bool windowSpace = false;        // state is the window-space one of lines and bitmaps
    unsigned stateChanges = 0;       // glState.changes when state was built
    unsigned projectionChanges = 0;  // matrices.projectionChanges when state was built
    float projectionMax = 0.0f;      // the largest magnitude in state.projection
    size_t vertexCount = 0;          // vertices in use
    size_t indexCount = 0;           // indices in use
};

// Globals

extern Batch batch;
extern gpu::Vertex batchVertices[kMaxVertices];
extern uint16_t batchIndices[kMaxIndices];

// Public functions

// Drops the pending geometry; the next batch builds its state afresh.
void resetBatch();

// Makes the batch take geometry under the current state: flushes it when that state differs.
void prepareBatch(bool windowSpace);

// Hands the pending geometry to the graphics card.
void flushBatch();

// Flushes, then clears the colour and/or depth buffer (the colour to rgba).
void clearBuffers(bool colour, bool depth, const float rgba[4]);

// Flushes, then hands the graphics card a new viewport (x, y, width, height).
void setGpuViewport(const int box[4]);

// Flushes a full batch and starts the next with copies of `count` of its vertices: `kept` holds
// their indices, and afterwards their indices in the new batch.
void carryOver(uint16_t* kept, int count);

// Takes back all geometry added since the batch held these counts.
void rewindBatch(size_t vertexCount, size_t indexCount);

// One window-space quad: corners counter-clockwise in window pixels, scaled to device pixels,
// each with its depth and colour.
void windowQuad(const float xy[4][2], const WindowPoint* const ends[4]);

// Whole window pixels [x0, x1) x [y0, y1), as the device pixels between their rounded edges
// (windowToDevice); the low end takes `low`'s depth and colour, the high end (the right along x,
// else the top) `high`'s.
void pixelRect(int x0, int y0, int x1, int y1, const WindowPoint& low, const WindowPoint& high,
               bool alongX);

inline bool hasRoom(size_t newVertices, size_t newIndices) {
    return batch.vertexCount + newVertices <= kMaxVertices &&
           batch.indexCount + newIndices <= kMaxIndices;
}

// The next vertex, to be filled in and then added by addVertex (hasRoom first).
inline gpu::Vertex& nextVertex() {
    return batchVertices[batch.vertexCount];
}

// Adds the vertex nextVertex gave; returns its index.
inline uint16_t addVertex() {
    return static_cast<uint16_t>(batch.vertexCount++);
}

inline void addTriangle(uint16_t a, uint16_t b, uint16_t c) {
    uint16_t* out = batchIndices + batch.indexCount;
    out[0] = a;
    out[1] = b;
    out[2] = c;
    batch.indexCount += 3;
}

}  // namespace ff
