// primitives.cpp: immediate-mode primitives and glDrawElements-style arrays assembled into the
// batch: vertices carried to eye space with the current normal and colour, triangles in
// llvmpipe's order, lines as window-space segments.
#include "fixed_function/primitives.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "fixed_function/batch.h"
#include "fixed_function/lines.h"
#include "fixed_function/state.h"
#include "unsupported.h"

// Constants

static const size_t kMaxIndicesPerVertex = 6;  // a quad completed by its fourth vertex
static const unsigned kAllClipPlanes = 0x3Fu;  // left, right, bottom, top, near, far
// A vertex counts as beyond a clip plane only by more than this share of the largest term of its
// clip coordinates, far above the rounding by which the graphics card may differ from us.
static const float kCullMargin = 1.0e-4f;

// Types

// The primitive between glBegin and glEnd.
struct Primitive {
    bool active = false;         // between glBegin and glEnd
    GLenum mode = GL_TRIANGLES;  // glBegin's mode
    int count = 0;               // vertices given so far
    uint16_t first = 0;          // batch index of its first vertex (a fan's centre)
    uint16_t last[3] = {};       // batch indices of the latest three, newest first
    size_t firstVertex = 0;      // the batch's sizes when it began, to take it back out
    size_t firstIndex = 0;
    unsigned outside = 0;  // clip planes every vertex so far lies beyond (0 once carried over)
    ff::WindowPoint firstPoint{};  // lines: the first and the latest vertex
    ff::WindowPoint lastPoint{};
};

// Globals

static Primitive primitive;

// Static helpers

static bool isLineMode(GLenum mode) {
    return mode == GL_LINES || mode == GL_LINE_STRIP || mode == GL_LINE_LOOP;
}

static bool isTriangleMode(GLenum mode) {
    return mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN ||
           mode == GL_QUADS || mode == GL_QUAD_STRIP || mode == GL_POLYGON;
}

// The clip planes an eye-space position lies clearly beyond under the batch's projection, one bit
// per plane. A primitive whose vertices all lie beyond one plane lies wholly beyond it (clipping
// is linear in clip space) and so gives no fragment.
static unsigned outcode(const float eye[3]) {
    float clip[4];
    ff::transform(ff::batch.state.projection, eye[0], eye[1], eye[2], 1.0f, clip);
    const float margin = kCullMargin * ff::batch.projectionMax *
                         (std::fabs(eye[0]) + std::fabs(eye[1]) + std::fabs(eye[2]) + 1.0f);
    unsigned code = 0;
    for (int i = 0; i < 3; ++i) {
        if (clip[i] + clip[3] < -margin)
            code |= 1u << (2 * i);
        if (clip[3] - clip[i] < -margin)
            code |= 2u << (2 * i);
    }
    return code;
}

// A full batch flushed in mid-primitive: the vertices the primitive still refers to move over.
static void carryPrimitiveOver() {
    primitive.outside = 0;  // part of it is drawn already
    if (primitive.count == 0) {
        ff::flushBatch();
        return;
    }
    const int kept = std::min(primitive.count, 3);
    uint16_t carried[4] = {primitive.first, primitive.last[0], primitive.last[1],
                           primitive.last[2]};
    ff::carryOver(carried, 1 + kept);
    primitive.first = carried[0];
    for (int k = 0; k < kept; ++k) primitive.last[k] = carried[1 + k];
}

// Strips: the triangles vertex v completes, k vertices after the strip's first.
static void stripTriangles(int k, uint16_t p1, uint16_t p2, uint16_t p3, uint16_t v) {
    if (primitive.mode == GL_QUAD_STRIP) {
        if (k >= 3 && k % 2 == 1) {
            ff::addTriangle(p3, p2, v);
            ff::addTriangle(p3, v, p1);
        }
    } else if (k >= 2) {
        if (k % 2 == 0) {
            ff::addTriangle(p2, p1, v);
        } else {
            ff::addTriangle(p1, p2, v);
        }
    }
}

// The triangles the newest vertex v completes. Quads split along the diagonal from their first
// vertex to their third; a quad strip's quad (2j, 2j+1, 2j+3, 2j+2) along 2j to 2j+3 (llvmpipe).
static void completedTriangles(uint16_t v) {
    const int k = primitive.count;
    const uint16_t p1 = primitive.last[0];
    const uint16_t p2 = primitive.last[1];
    const uint16_t p3 = primitive.last[2];
    switch (primitive.mode) {
        case GL_TRIANGLES:
            if (k % 3 == 2)
                ff::addTriangle(p2, p1, v);
            break;
        case GL_QUADS:
            if (k % 4 == 3) {
                ff::addTriangle(p3, p2, p1);
                ff::addTriangle(p3, p1, v);
            }
            break;
        case GL_QUAD_STRIP:
        case GL_TRIANGLE_STRIP:
            stripTriangles(k, p1, p2, p3, v);
            break;
        case GL_TRIANGLE_FAN:
        case GL_POLYGON:
            if (k >= 2)
                ff::addTriangle(primitive.first, p1, v);
            break;
        default:
            break;
    }
}

// Adds batch vertex v to the primitive.
static void assemble(uint16_t v) {
    completedTriangles(v);
    if (primitive.count == 0)
        primitive.first = v;
    primitive.last[2] = primitive.last[1];
    primitive.last[1] = primitive.last[0];
    primitive.last[0] = v;
    ++primitive.count;
}

static void triangleVertex(float x, float y, float z) {
    if (!ff::hasRoom(1, kMaxIndicesPerVertex))
        carryPrimitiveOver();
    gpu::Vertex& out = ff::nextVertex();
    ff::toEyeSpace(x, y, z, out.position);
    if (primitive.outside != 0)
        primitive.outside &= outcode(out.position);
    std::memcpy(out.normal, ff::currentEyeNormal(), sizeof out.normal);
    std::memcpy(out.colour, ff::glState.colourBytes, sizeof out.colour);
    assemble(ff::addVertex());
}

// A line vertex: carried to window pixels, as GL does, with the current colour.
static ff::WindowPoint windowPoint(float x, float y, float z) {
    ff::WindowPoint p;
    float clip[4];
    ff::toClip(x, y, z, 1.0f, clip);
    p.visible = clip[3] > 0.0f;
    float window[3] = {0.0f, 0.0f, 0.0f};
    if (p.visible)
        ff::clipToWindow(clip, window);
    p.x = window[0];
    p.y = window[1];
    p.z = window[2];
    std::memcpy(p.colour, ff::glState.colourBytes, sizeof p.colour);
    return p;
}

static void lineVertex(float x, float y, float z) {
    const ff::WindowPoint p = windowPoint(x, y, z);
    const int k = primitive.count;
    if ((primitive.mode == GL_LINES && k % 2 == 1) || (primitive.mode != GL_LINES && k >= 1))
        ff::lineSegment(primitive.lastPoint, p);
    if (k == 0)
        primitive.firstPoint = p;
    primitive.lastPoint = p;
    primitive.count = k + 1;
}

// Whether every one of the orderCount indices names one of the count vertices.
static bool indicesBelow(const unsigned char* order, int orderCount, int count) {
    return std::all_of(order, order + orderCount, [count](unsigned char i) { return i < count; });
}

// Public functions

void ff::resetPrimitive() {
    primitive = Primitive{};
}

void ff::begin(GLenum mode) {
    if (primitive.active)
        return;  // GL_INVALID_OPERATION: no nested glBegin
    if (isLineMode(mode)) {
        checkLineState(mode);
    } else if (!isTriangleMode(mode)) {
        unsupported::report("glBegin", mode, "draws nothing");
    }
    prepareBatch(isLineMode(mode));
    primitive = Primitive{};
    primitive.active = true;
    primitive.mode = mode;
    primitive.firstVertex = batch.vertexCount;
    primitive.firstIndex = batch.indexCount;
    primitive.outside = kAllClipPlanes;
}

void ff::end() {
    if (!primitive.active)
        return;
    if (primitive.mode == GL_LINE_LOOP && primitive.count >= 2)
        lineSegment(primitive.lastPoint, primitive.firstPoint);
    if (!isLineMode(primitive.mode) && primitive.outside != 0)
        rewindBatch(primitive.firstVertex, primitive.firstIndex);  // it would draw nothing
    primitive.active = false;
}

void ff::vertex(float x, float y, float z) {
    if (!primitive.active)
        return;  // outside glBegin/glEnd a vertex draws nothing
    if (isLineMode(primitive.mode)) {
        lineVertex(x, y, z);
    } else {
        triangleVertex(x, y, z);
    }
}

void ff::drawIndexedTriangles(const float* positions, const float* normals, int count,
                              const unsigned char* order, int orderCount) {
    if (primitive.active || count <= 0 || orderCount < 3 ||
        static_cast<size_t>(count) > kMaxVertices ||
        static_cast<size_t>(orderCount) > kMaxIndices || !indicesBelow(order, orderCount, count))
        return;
    prepareBatch(false);
    if (!hasRoom(static_cast<size_t>(count), static_cast<size_t>(orderCount)))
        flushBatch();
    const size_t base = batch.vertexCount;
    for (int v = 0; v < count; ++v) {
        gpu::Vertex& out = nextVertex();
        const size_t offset = 3 * static_cast<size_t>(v);
        const float* p = positions + offset;
        toEyeSpace(p[0], p[1], p[2], out.position);
        transformNormal(normals + offset, out.normal);
        std::memcpy(out.colour, glState.colourBytes, sizeof out.colour);
        addVertex();
    }
    for (int k = 0; k + 2 < orderCount; k += 3) {
        addTriangle(static_cast<uint16_t>(base + order[k]),
                    static_cast<uint16_t>(base + order[k + 1]),
                    static_cast<uint16_t>(base + order[k + 2]));
    }
}
