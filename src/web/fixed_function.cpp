// fixed_function.cpp: the GL 1.x state machine of the browser build, computed the way Mesa does
// on the desktop (single-precision matrices, llvmpipe's quad split, line and bitmap pixels), so
// the browser shows the same picture.
#include "fixed_function.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "gpu.h"

// Constants

static const int kStackDepth = 32;         // Mesa's depth for both stacks
static const size_t kMaxVertices = 65536;  // every index fits in 16 bits
static const size_t kMaxIndices = 3 * kMaxVertices;
static const size_t kMaxIndicesPerVertex = 6;  // a quad completed by its fourth vertex
static const int kCarriedVertices = 4;         // a fan's centre and a primitive's last three
static const double kPi = 3.14159265358979323846;
static const int kNormalElements = 3 * 3;
static const int kQuadVertices = 4;
static const int kQuadIndices = 6;
static const int kBitsPerByte = 8;
static const unsigned kLeftmostBit = 0x80;     // bitmap rows start at a byte's top bit
static const float kColourSteps = 255.0f;      // vertex colours are bytes
static const float kMinAxisLength = 1.0e-4f;   // Mesa ignores rotations about shorter axes
static const unsigned kAllClipPlanes = 0x3Fu;  // left, right, bottom, top, near, far
// A vertex counts as beyond a clip plane only by more than this share of the largest term of its
// clip coordinates, far above the rounding by which the graphics card may differ from us.
static const float kCullMargin = 1.0e-4f;

// glBitmap puts the bitmap's left column at floor(raster x + epsilon - xorig), and so for y.
static const float kBitmapEpsilon = 1.0e-4f;

// With multisampling on, llvmpipe covers a line's pixel when the point (column + 25/64,
// row + 57/64), in window pixels from the bottom-left corner, lies in the line's rectangle: its
// extent across the line is (c - w/2, c + w/2], along it (start, end]. Pixels are whole: no
// partial coverage.
static const float kLineSampleX = 25.0f / 64.0f;
static const float kLineSampleY = 57.0f / 64.0f;
// llvmpipe bins in 64-pixel tiles counted from the framebuffer's top-left corner. A line loses its
// top row when that row is the last of a tile and the rectangle's upper edge lies less than 1/128
// pixel above the row's top, and its left column when that column is the last of a tile and the
// rectangle's left edge lies at least 1/128 pixel right of the column's left side. The viewport's
// top stands for the framebuffer's: the game's viewport fills the window.
static const int kTileSize = 64;
static const float kTileSlack = 1.0f / 128.0f;

static const float kDefaultMaterialAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
static const float kDefaultMaterialDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
static const float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
static const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
static const float kDefaultLightPosition[4] = {0.0f, 0.0f, 1.0f, 0.0f};
static const float kDefaultNormal[3] = {0.0f, 0.0f, 1.0f};
static const float kWindowNormal[3] = {0.0f, 0.0f, 1.0f};

// Types

struct MatrixStack {
    float levels[kStackDepth][ff::kMatrixElements];
    int top;
};

// A vertex carried all the way to window pixels, for lines.
struct WindowPoint {
    float x, y, z;      // window pixels, NDC depth
    bool visible;       // in front of the eye
    uint8_t colour[4];  // as vertices carry it
};

// The primitive between glBegin and glEnd.
struct Primitive {
    bool active;
    GLenum mode;
    int count;           // vertices given so far
    uint16_t first;      // batch index of its first vertex (a fan's centre)
    uint16_t last[3];    // batch indices of the latest three, newest first
    size_t firstVertex;  // the batch's sizes when it began, to take it back out
    size_t firstIndex;
    unsigned outside;        // clip planes every vertex so far lies beyond (0 once carried over)
    WindowPoint firstPoint;  // lines: the first and the latest vertex
    WindowPoint lastPoint;
};

// Globals

static MatrixStack modelview;
static MatrixStack projection;
static MatrixStack* currentStack = &modelview;
static float
    normalMatrix[kNormalElements];  // inverse transpose of the modelview's upper 3x3, row-major
static bool normalMatrixValid;

static float currentNormal[3];
static float eyeNormal[3];  // currentNormal under the current modelview
static bool eyeNormalValid;
static float currentColour[4];
static uint8_t currentColourBytes[4];  // currentColour as the vertices carry it

static bool depthTest;
static bool lighting;
static bool normalizeNormals;
static bool colourMaterial;
static GLenum colourMaterialMode;
static float materialAmbient[4];
static float materialDiffuse[4];
static gpu::Light lights[gpu::kLights];

static int viewportBox[4];
static float clearRgba[4];
static float lineWidth;

static float rasterWindow[3];
static bool rasterValid;
static float rasterColour[4];

// The batch being assembled, and the state it is drawn under.
static gpu::State batchState;
static float batchProjectionMax;  // the largest magnitude in batchState.projection
static bool batchWindowSpace;
static bool stateDirty;  // some GL state changed since batchState was built
static gpu::Vertex vertices[kMaxVertices];
static size_t vertexCount;
static uint16_t indices[kMaxIndices];
static size_t indexCount;
static Primitive primitive;

// Static helpers

static void copy4(float* to, const float* from) {
    std::memcpy(to, from, 4 * sizeof(float));
}

// A colour as a vertex carries it: each component clamped to [0, 1], to the nearest 255th.
static void colourBytes(const float rgba[4], uint8_t out[4]) {
    for (int i = 0; i < 4; ++i) {
        const float c = std::min(std::max(rgba[i], 0.0f), 1.0f);
        // NOLINTNEXTLINE(bugprone-incorrect-roundings): c is in [0, 1]; lround costs a call
        out[i] = static_cast<uint8_t>(c * kColourSteps + 0.5f);
    }
}

static void setIdentity(float* m) {
    std::fill(m, m + ff::kMatrixElements, 0.0f);
    for (int i = 0; i < ff::kMatrixSize; ++i) m[ff::at(i, i)] = 1.0f;
}

// The stack's current matrix, writable (cppcheck misses that the result points into the stack).
// cppcheck-suppress constParameter
static float* top(MatrixStack& stack) {
    return stack.levels[stack.top];
}

// a := a * b, summed in Mesa's order so every product rounds the same way.
static void multiplyInto(float* a, const float* b) {
    using ff::at;
    float p[ff::kMatrixElements];
    for (int i = 0; i < ff::kMatrixSize; ++i) {
        const float ai0 = a[at(i, 0)];
        const float ai1 = a[at(i, 1)];
        const float ai2 = a[at(i, 2)];
        const float ai3 = a[at(i, 3)];
        for (int j = 0; j < ff::kMatrixSize; ++j) {
            p[at(i, j)] =
                ai0 * b[at(0, j)] + ai1 * b[at(1, j)] + ai2 * b[at(2, j)] + ai3 * b[at(3, j)];
        }
    }
    std::memcpy(a, p, sizeof p);
}

// out := m * (x, y, z, w).
static void transform(const float* m, float x, float y, float z, float w, float out[4]) {
    using ff::at;
    for (int i = 0; i < ff::kMatrixSize; ++i)
        out[i] = m[at(i, 0)] * x + m[at(i, 1)] * y + m[at(i, 2)] * z + m[at(i, 3)] * w;
}

// Position (x, y, z, 1) under modelview m, x, y and z only.
static void placeInEyeSpace(const float* m, float x, float y, float z, float out[3]) {
    using ff::at;
    for (int i = 0; i < 3; ++i)
        out[i] = m[at(i, 0)] * x + m[at(i, 1)] * y + m[at(i, 2)] * z + m[at(i, 3)];
}

// The current stack changed: a new projection changes the batch state, a new modelview the
// normal matrix.
static void matrixChanged() {
    if (currentStack == &projection) {
        stateDirty = true;
    } else {
        normalMatrixValid = false;
        eyeNormalValid = false;
    }
}

// Inverse transpose of the modelview's upper 3x3, from its cofactors.
static void updateNormalMatrix() {
    const float* m = top(modelview);
    using ff::at;
    const float a = m[at(0, 0)];
    const float b = m[at(0, 1)];
    const float c = m[at(0, 2)];
    const float d = m[at(1, 0)];
    const float e = m[at(1, 1)];
    const float f = m[at(1, 2)];
    const float g = m[at(2, 0)];
    const float h = m[at(2, 1)];
    const float i = m[at(2, 2)];
    const float cof[kNormalElements] = {e * i - f * h, f * g - d * i, d * h - e * g,
                                        c * h - b * i, a * i - c * g, b * g - a * h,
                                        b * f - c * e, c * d - a * f, a * e - b * d};
    const float det = a * cof[0] + b * cof[1] + c * cof[2];
    const float inv = (det != 0.0f) ? 1.0f / det : 1.0f;  // singular: the direction still holds
    for (int k = 0; k < kNormalElements; ++k) normalMatrix[k] = cof[k] * inv;
    normalMatrixValid = true;
}

static void transformNormal(const float* n, float out[3]) {
    if (!normalMatrixValid)
        updateNormalMatrix();
    for (size_t r = 0; r < 3; ++r) {
        const float* row = normalMatrix + 3 * r;
        out[r] = row[0] * n[0] + row[1] * n[1] + row[2] * n[2];
    }
}

// Window-space batches: window pixels map to clip space through the viewport; z is NDC already.
static void windowProjection(float* m) {
    setIdentity(m);
    const float w = static_cast<float>(viewportBox[2] > 0 ? viewportBox[2] : 1);
    const float h = static_cast<float>(viewportBox[3] > 0 ? viewportBox[3] : 1);
    m[ff::at(0, 0)] = 2.0f / w;
    m[ff::at(1, 1)] = 2.0f / h;
    m[ff::at(0, 3)] = -1.0f - 2.0f * static_cast<float>(viewportBox[0]) / w;
    m[ff::at(1, 3)] = -1.0f - 2.0f * static_cast<float>(viewportBox[1]) / h;
}

static void buildState(gpu::State& s, bool windowSpace) {
    if (windowSpace) {
        windowProjection(s.projection);
    } else {
        std::memcpy(s.projection, top(projection), sizeof s.projection);
    }
    s.depthTest = depthTest;
    s.lighting = lighting && !windowSpace;
    s.normalize = normalizeNormals;
    s.colourMaterial = colourMaterial && colourMaterialMode == GL_AMBIENT_AND_DIFFUSE;
    copy4(s.materialAmbient, materialAmbient);
    copy4(s.materialDiffuse, materialDiffuse);
    for (int i = 0; i < gpu::kLights; ++i) s.lights[i] = lights[i];
}

static bool sameValues(const float* a, const float* b, int count) {
    for (int i = 0; i < count; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

static bool same4(const float* a, const float* b) {
    return sameValues(a, b, 4);
}

static bool sameLight(const gpu::Light& a, const gpu::Light& b) {
    return a.enabled == b.enabled && same4(a.position, b.position) && same4(a.ambient, b.ambient) &&
           same4(a.diffuse, b.diffuse) && same4(a.specular, b.specular);
}

static bool sameState(const gpu::State& a, const gpu::State& b) {
    bool same = sameValues(a.projection, b.projection, ff::kMatrixElements) &&
                a.depthTest == b.depthTest && a.lighting == b.lighting &&
                a.normalize == b.normalize && a.colourMaterial == b.colourMaterial &&
                same4(a.materialAmbient, b.materialAmbient) &&
                same4(a.materialDiffuse, b.materialDiffuse);
    for (int i = 0; same && i < gpu::kLights; ++i) same = sameLight(a.lights[i], b.lights[i]);
    return same;
}

static void flushBatch() {
    if (indexCount > 0)
        gpu::drawTriangles(batchState, vertices, vertexCount, indices, indexCount);
    vertexCount = 0;
    indexCount = 0;
}

// Makes the batch take geometry under the current state: flushes it when that state differs.
static void prepareBatch(bool windowSpace) {
    if (!stateDirty && windowSpace == batchWindowSpace)
        return;
    gpu::State next;
    buildState(next, windowSpace);
    if (vertexCount > 0 && !sameState(next, batchState))
        flushBatch();
    batchState = next;
    batchWindowSpace = windowSpace;
    stateDirty = false;
    batchProjectionMax = 0.0f;
    for (float element : batchState.projection)
        batchProjectionMax = std::max(batchProjectionMax, std::fabs(element));
}

// The clip planes an eye-space position lies clearly beyond under the batch's projection, one bit
// per plane. A primitive whose vertices all lie beyond one plane lies wholly beyond it (clipping
// is linear in clip space) and so gives no fragment.
static unsigned outcode(const float eye[3]) {
    float clip[4];
    transform(batchState.projection, eye[0], eye[1], eye[2], 1.0f, clip);
    const float margin = kCullMargin * batchProjectionMax *
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

static bool hasRoom(size_t newVertices, size_t newIndices) {
    return vertexCount + newVertices <= kMaxVertices && indexCount + newIndices <= kMaxIndices;
}

// A full batch flushed in mid-primitive: the vertices the primitive still refers to move over.
static void carryPrimitiveOver() {
    primitive.outside = 0;  // part of it is drawn already
    if (primitive.count == 0) {
        flushBatch();
        return;
    }
    const int kept = std::min(primitive.count, 3);
    gpu::Vertex carried[kCarriedVertices];
    carried[0] = vertices[primitive.first];
    for (int k = 0; k < kept; ++k) carried[1 + k] = vertices[primitive.last[k]];
    flushBatch();
    vertices[0] = carried[0];
    primitive.first = 0;
    for (int k = 0; k < kept; ++k) {
        vertices[1 + k] = carried[1 + k];
        primitive.last[k] = static_cast<uint16_t>(1 + k);
    }
    vertexCount = 1 + kept;
}

static void addTriangle(uint16_t a, uint16_t b, uint16_t c) {
    indices[indexCount++] = a;
    indices[indexCount++] = b;
    indices[indexCount++] = c;
}

// The triangles the newest vertex v completes. Quads split along the diagonal from their first
// vertex to their third; a quad strip's quad (2j, 2j+1, 2j+3, 2j+2) along 2j to 2j+3 (llvmpipe).
static void assemble(uint16_t v) {
    const int k = primitive.count;
    const uint16_t p1 = primitive.last[0];
    const uint16_t p2 = primitive.last[1];
    const uint16_t p3 = primitive.last[2];
    switch (primitive.mode) {
        case GL_TRIANGLES:
            if (k % 3 == 2)
                addTriangle(p2, p1, v);
            break;
        case GL_QUADS:
            if (k % 4 == 3) {
                addTriangle(p3, p2, p1);
                addTriangle(p3, p1, v);
            }
            break;
        case GL_QUAD_STRIP:
            if (k >= 3 && k % 2 == 1) {
                addTriangle(p3, p2, v);
                addTriangle(p3, v, p1);
            }
            break;
        case GL_TRIANGLE_STRIP:
            if (k >= 2) {
                if (k % 2 == 0) {
                    addTriangle(p2, p1, v);
                } else {
                    addTriangle(p1, p2, v);
                }
            }
            break;
        case GL_TRIANGLE_FAN:
        case GL_POLYGON:
            if (k >= 2)
                addTriangle(primitive.first, p1, v);
            break;
        default:
            break;
    }
    if (k == 0)
        primitive.first = v;
    primitive.last[2] = p2;
    primitive.last[1] = p1;
    primitive.last[0] = v;
    primitive.count = k + 1;
}

// The current normal in eye space, transformed once per normal or modelview change.
static const float* currentEyeNormal() {
    if (!eyeNormalValid) {
        transformNormal(currentNormal, eyeNormal);
        eyeNormalValid = true;
    }
    return eyeNormal;
}

static void triangleVertex(float x, float y, float z) {
    if (!hasRoom(1, kMaxIndicesPerVertex))
        carryPrimitiveOver();
    gpu::Vertex& out = vertices[vertexCount];
    const float* m = top(modelview);
    placeInEyeSpace(m, x, y, z, out.position);
    if (primitive.outside != 0)
        primitive.outside &= outcode(out.position);
    std::memcpy(out.normal, currentEyeNormal(), sizeof out.normal);
    std::memcpy(out.colour, currentColourBytes, sizeof out.colour);
    assemble(static_cast<uint16_t>(vertexCount++));
}

// Object coordinates to window pixels through modelview, projection and viewport, as GL does.
static void toClip(float x, float y, float z, float w, float clip[4]) {
    float eye[4];
    transform(top(modelview), x, y, z, w, eye);
    transform(top(projection), eye[0], eye[1], eye[2], eye[3], clip);
}

static void clipToWindow(const float clip[4], float window[3]) {
    const float halfW = static_cast<float>(viewportBox[2]) * 0.5f;
    const float halfH = static_cast<float>(viewportBox[3]) * 0.5f;
    window[0] = clip[0] / clip[3] * halfW + (static_cast<float>(viewportBox[0]) + halfW);
    window[1] = clip[1] / clip[3] * halfH + (static_cast<float>(viewportBox[1]) + halfH);
    window[2] = clip[2] / clip[3];
}

static WindowPoint windowPoint(float x, float y, float z) {
    WindowPoint p;
    float clip[4];
    toClip(x, y, z, 1.0f, clip);
    p.visible = clip[3] > 0.0f;
    float window[3] = {0.0f, 0.0f, 0.0f};
    if (p.visible)
        clipToWindow(clip, window);
    p.x = window[0];
    p.y = window[1];
    p.z = window[2];
    std::memcpy(p.colour, currentColourBytes, sizeof p.colour);
    return p;
}

// One window-space quad: corners counter-clockwise, each with its depth and colour.
static void windowQuad(const float xy[4][2], const WindowPoint* const ends[4]) {
    if (!hasRoom(kQuadVertices, kQuadIndices))
        flushBatch();
    const uint16_t base = static_cast<uint16_t>(vertexCount);
    for (int c = 0; c < 4; ++c) {
        gpu::Vertex& out = vertices[vertexCount++];
        out.position[0] = xy[c][0];
        out.position[1] = xy[c][1];
        out.position[2] = ends[c]->z;
        std::memcpy(out.normal, kWindowNormal, sizeof out.normal);
        std::memcpy(out.colour, ends[c]->colour, sizeof out.colour);
    }
    addTriangle(base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2));
    addTriangle(base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3));
}

// Whole pixels [x0, x1) x [y0, y1); the low end takes `low`'s depth and colour.
static void pixelRect(int x0, int y0, int x1, int y1, const WindowPoint& low,
                      const WindowPoint& high, bool alongX) {
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

static bool bitSet(const unsigned char* row, int col) {
    return (row[col / kBitsPerByte] & (kLeftmostBit >> (col % kBitsPerByte))) != 0;
}

static bool lastInTile(int rasterIndex) {
    return ((rasterIndex % kTileSize) + kTileSize) % kTileSize == kTileSize - 1;
}

// First and last pixel whose sample point (index + offset) lies in (lo, hi].
static void coveredRange(float lo, float hi, float offset, int* first, int* last) {
    *first = static_cast<int>(std::floor(lo - offset)) + 1;
    *last = static_cast<int>(std::floor(hi - offset));
}

// The pixels [x0, x1] x [y0, y1] of a line rectangle whose left edge is at `left` and upper edge
// at `upper`, less what llvmpipe's tile binning drops.
static void tileBinned(float left, float upper, int* x0, int* y1) {
    if (lastInTile(*x0) && left >= static_cast<float>(*x0) + kTileSlack)
        ++*x0;
    const int framebufferTop = viewportBox[1] + viewportBox[3];
    if (lastInTile(framebufferTop - 1 - *y1) && upper < static_cast<float>(*y1 + 1) + kTileSlack)
        --*y1;
}

// A horizontal (alongX) or vertical segment: the pixels from one end to the other whose sample
// points lie within `half` of the line across it.
static void axisSegment(const WindowPoint& a, const WindowPoint& b, float half, bool alongX) {
    const bool aFirst = alongX ? a.x <= b.x : a.y <= b.y;
    const WindowPoint& low = aFirst ? a : b;
    const WindowPoint& high = aFirst ? b : a;
    const float left = alongX ? low.x : a.x - half;
    const float right = alongX ? high.x : a.x + half;
    const float bottom = alongX ? a.y - half : low.y;
    const float upper = alongX ? a.y + half : high.y;
    int x0 = 0;
    int x1 = 0;
    int y0 = 0;
    int y1 = 0;
    coveredRange(left, right, kLineSampleX, &x0, &x1);
    coveredRange(bottom, upper, kLineSampleY, &y0, &y1);
    tileBinned(left, upper, &x0, &y1);
    pixelRect(x0, y0, x1 + 1, y1 + 1, low, high, alongX);
}

// A slanted segment: its rectangle, moved so that pixel centres stand for the sample points.
static void slantedSegment(const WindowPoint& a, const WindowPoint& b, float half) {
    const bool xMajor = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
    const float acrossX = xMajor ? 0.0f : half;
    const float acrossY = xMajor ? half : 0.0f;
    const float shiftX = 0.5f - kLineSampleX;
    const float shiftY = 0.5f - kLineSampleY;
    const float xy[4][2] = {{a.x - acrossX + shiftX, a.y - acrossY + shiftY},
                            {b.x - acrossX + shiftX, b.y - acrossY + shiftY},
                            {b.x + acrossX + shiftX, b.y + acrossY + shiftY},
                            {a.x + acrossX + shiftX, a.y + acrossY + shiftY}};
    const WindowPoint* ends[4] = {&a, &b, &b, &a};
    windowQuad(xy, ends);
}

// One line segment of width lineWidth as window pixels.
static void lineSegment(const WindowPoint& a, const WindowPoint& b) {
    if (!a.visible || !b.visible)
        return;  // lines reaching behind the eye are not drawn (the game draws none)
    const float half = lineWidth * 0.5f;
    if (a.y == b.y || a.x == b.x) {
        axisSegment(a, b, half, a.y == b.y);
    } else {
        slantedSegment(a, b, half);
    }
}

static bool isLineMode(GLenum mode) {
    return mode == GL_LINES || mode == GL_LINE_STRIP || mode == GL_LINE_LOOP;
}

static void lineVertex(float x, float y, float z) {
    const WindowPoint p = windowPoint(x, y, z);
    const int k = primitive.count;
    if ((primitive.mode == GL_LINES && k % 2 == 1) || (primitive.mode != GL_LINES && k >= 1))
        lineSegment(primitive.lastPoint, p);
    if (k == 0)
        primitive.firstPoint = p;
    primitive.lastPoint = p;
    primitive.count = k + 1;
}

static void resetMatrices() {
    modelview.top = 0;
    projection.top = 0;
    setIdentity(top(modelview));
    setIdentity(top(projection));
    currentStack = &modelview;
    normalMatrixValid = false;
    eyeNormalValid = false;
}

static void resetLights() {
    for (int i = 0; i < gpu::kLights; ++i) {
        gpu::Light& light = lights[i];
        light.enabled = false;
        copy4(light.position, kDefaultLightPosition);
        copy4(light.ambient, kBlack);
        copy4(light.diffuse, i == 0 ? kWhite : kBlack);
        copy4(light.specular, i == 0 ? kWhite : kBlack);
    }
}

// GL's initial state, in place before the game's first call.
[[maybe_unused]] static const bool kStartedUp = (ff::reset(), true);

// Public functions

void ffFlush() {
    flushBatch();
}

namespace ff {

void reset() {
    resetMatrices();
    resetLights();
    std::memcpy(currentNormal, kDefaultNormal, sizeof currentNormal);
    copy4(currentColour, kWhite);
    colourBytes(currentColour, currentColourBytes);
    depthTest = false;
    lighting = false;
    normalizeNormals = false;
    colourMaterial = false;
    colourMaterialMode = GL_AMBIENT_AND_DIFFUSE;
    copy4(materialAmbient, kDefaultMaterialAmbient);
    copy4(materialDiffuse, kDefaultMaterialDiffuse);
    std::memset(viewportBox, 0, sizeof viewportBox);
    std::memset(clearRgba, 0, sizeof clearRgba);
    lineWidth = 1.0f;
    std::memset(rasterWindow, 0, sizeof rasterWindow);
    rasterValid = true;
    copy4(rasterColour, kWhite);
    primitive = Primitive{};
    vertexCount = 0;
    indexCount = 0;
    stateDirty = true;
}

void setClearColour(float r, float g, float b, float a) {
    const float rgba[4] = {r, g, b, a};
    for (int i = 0; i < 4; ++i) clearRgba[i] = std::min(std::max(rgba[i], 0.0f), 1.0f);
}

void clear(bool colour, bool depth) {
    flushBatch();
    gpu::clear(colour, depth, clearRgba);
}

void setCapability(GLenum cap, bool on) {
    bool* flag = nullptr;
    if (cap == GL_DEPTH_TEST) {
        flag = &depthTest;
    } else if (cap == GL_LIGHTING) {
        flag = &lighting;
    } else if (cap == GL_NORMALIZE) {
        flag = &normalizeNormals;
    } else if (cap == GL_COLOR_MATERIAL) {
        flag = &colourMaterial;
    } else if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + gpu::kLights) {
        flag = &lights[cap - GL_LIGHT0].enabled;
    }
    if (flag == nullptr || *flag == on)
        return;
    if (cap == GL_COLOR_MATERIAL && !on && colourMaterialMode == GL_AMBIENT_AND_DIFFUSE) {
        copy4(materialAmbient, currentColour);  // the material keeps the colour it tracked last
        copy4(materialDiffuse, currentColour);
    }
    *flag = on;
    stateDirty = true;
}

void setColourMaterial(GLenum face, GLenum mode) {
    (void)face;  // both faces are lit alike: there is no two-sided lighting
    colourMaterialMode = mode;
    stateDirty = true;
}

void setLight(GLenum light, GLenum pname, const GLfloat* params) {
    if (light < GL_LIGHT0 || light >= GL_LIGHT0 + gpu::kLights)
        return;
    gpu::Light& l = lights[light - GL_LIGHT0];
    if (pname == GL_POSITION) {
        transform(top(modelview), params[0], params[1], params[2], params[3], l.position);
    } else if (pname == GL_AMBIENT) {
        copy4(l.ambient, params);
    } else if (pname == GL_DIFFUSE) {
        copy4(l.diffuse, params);
    } else if (pname == GL_SPECULAR) {
        copy4(l.specular, params);
    } else {
        return;  // attenuation and spot parameters keep their defaults
    }
    stateDirty = true;
}

void setViewport(int x, int y, int width, int height) {
    if (width < 0 || height < 0)
        return;
    flushBatch();
    viewportBox[0] = x;
    viewportBox[1] = y;
    viewportBox[2] = width;
    viewportBox[3] = height;
    gpu::viewport(x, y, width, height);
    stateDirty = true;
}

void setLineWidth(float width) {
    if (width > 0.0f)
        lineWidth = width;
}

void selectMatrix(GLenum mode) {
    if (mode == GL_MODELVIEW) {
        currentStack = &modelview;
    } else if (mode == GL_PROJECTION) {
        currentStack = &projection;
    }
}

void loadIdentity() {
    setIdentity(top(*currentStack));
    matrixChanged();
}

void pushMatrix() {
    MatrixStack& s = *currentStack;
    if (s.top + 1 >= kStackDepth)
        return;  // stack overflow: GL ignores the call
    std::memcpy(s.levels[s.top + 1], s.levels[s.top], sizeof s.levels[0]);
    ++s.top;
}

void popMatrix() {
    MatrixStack& s = *currentStack;
    if (s.top == 0)
        return;  // stack underflow: GL ignores the call
    --s.top;
    matrixChanged();
}

void multMatrix(const float* m) {
    multiplyInto(top(*currentStack), m);
    matrixChanged();
}

void translate(float x, float y, float z) {
    float* m = top(*currentStack);
    for (int i = 0; i < kMatrixSize; ++i)
        m[at(i, 3)] = m[at(i, 0)] * x + m[at(i, 1)] * y + m[at(i, 2)] * z + m[at(i, 3)];
    matrixChanged();
}

// Mesa's rotation: single-precision sine and cosine of the angle converted in double precision,
// a plain matrix for a rotation about one coordinate axis, the general formula otherwise.
void rotate(float degrees, float x, float y, float z) {
    const float radians = static_cast<float>(degrees * kPi / 180.0);
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    float r[kMatrixElements];
    setIdentity(r);
    if (x == 0.0f && z == 0.0f && y != 0.0f) {
        r[at(0, 0)] = c;
        r[at(2, 2)] = c;
        r[at(0, 2)] = (y < 0.0f) ? -s : s;
        r[at(2, 0)] = -r[at(0, 2)];
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        r[at(1, 1)] = c;
        r[at(2, 2)] = c;
        r[at(2, 1)] = (x < 0.0f) ? -s : s;
        r[at(1, 2)] = -r[at(2, 1)];
    } else if (x == 0.0f && y == 0.0f && z != 0.0f) {
        r[at(0, 0)] = c;
        r[at(1, 1)] = c;
        r[at(1, 0)] = (z < 0.0f) ? -s : s;
        r[at(0, 1)] = -r[at(1, 0)];
    } else {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= kMinAxisLength)
            return;
        x /= mag;
        y /= mag;
        z /= mag;
        const float oneC = 1.0f - c;
        const float xx = x * x;
        const float yy = y * y;
        const float zz = z * z;
        const float xy = x * y;
        const float yz = y * z;
        const float zx = z * x;
        r[at(0, 0)] = oneC * xx + c;
        r[at(0, 1)] = oneC * xy - z * s;
        r[at(0, 2)] = oneC * zx + y * s;
        r[at(1, 0)] = oneC * xy + z * s;
        r[at(1, 1)] = oneC * yy + c;
        r[at(1, 2)] = oneC * yz - x * s;
        r[at(2, 0)] = oneC * zx - y * s;
        r[at(2, 1)] = oneC * yz + x * s;
        r[at(2, 2)] = oneC * zz + c;
    }
    multMatrix(r);
}

void scale(float x, float y, float z) {
    float* m = top(*currentStack);
    for (int i = 0; i < kMatrixSize; ++i) {
        m[at(i, 0)] *= x;
        m[at(i, 1)] *= y;
        m[at(i, 2)] *= z;
    }
    matrixChanged();
}

const float* matrix(GLenum mode) {
    return (mode == GL_PROJECTION) ? top(projection) : top(modelview);
}

void begin(GLenum mode) {
    if (primitive.active)
        return;  // GL_INVALID_OPERATION: no nested glBegin
    prepareBatch(isLineMode(mode));
    primitive = Primitive{};
    primitive.active = true;
    primitive.mode = mode;
    primitive.firstVertex = vertexCount;
    primitive.firstIndex = indexCount;
    primitive.outside = kAllClipPlanes;
}

void end() {
    if (!primitive.active)
        return;
    if (primitive.mode == GL_LINE_LOOP && primitive.count >= 2)
        lineSegment(primitive.lastPoint, primitive.firstPoint);
    if (!isLineMode(primitive.mode) && primitive.outside != 0) {
        vertexCount = primitive.firstVertex;  // wholly outside the view: it would draw nothing
        indexCount = primitive.firstIndex;
    }
    primitive.active = false;
}

void normal(float x, float y, float z) {
    currentNormal[0] = x;
    currentNormal[1] = y;
    currentNormal[2] = z;
    eyeNormalValid = false;
}

void colour(float r, float g, float b, float a) {
    currentColour[0] = r;
    currentColour[1] = g;
    currentColour[2] = b;
    currentColour[3] = a;
    colourBytes(currentColour, currentColourBytes);
}

void vertex(float x, float y, float z) {
    if (!primitive.active)
        return;  // outside glBegin/glEnd a vertex draws nothing
    if (isLineMode(primitive.mode)) {
        lineVertex(x, y, z);
    } else {
        triangleVertex(x, y, z);
    }
}

void drawIndexedTriangles(const float* positions, const float* normals, int count,
                          const unsigned char* order, int orderCount) {
    if (primitive.active || count <= 0 || orderCount < 3 ||
        static_cast<size_t>(count) > kMaxVertices || static_cast<size_t>(orderCount) > kMaxIndices)
        return;
    prepareBatch(false);
    if (!hasRoom(static_cast<size_t>(count), static_cast<size_t>(orderCount)))
        flushBatch();
    const float* m = top(modelview);
    const size_t base = vertexCount;
    for (int v = 0; v < count; ++v) {
        gpu::Vertex& out = vertices[vertexCount++];
        const size_t offset = 3 * static_cast<size_t>(v);
        const float* p = positions + offset;
        placeInEyeSpace(m, p[0], p[1], p[2], out.position);
        transformNormal(normals + offset, out.normal);
        std::memcpy(out.colour, currentColourBytes, sizeof out.colour);
    }
    for (int k = 0; k + 2 < orderCount; k += 3) {
        addTriangle(static_cast<uint16_t>(base + order[k]),
                    static_cast<uint16_t>(base + order[k + 1]),
                    static_cast<uint16_t>(base + order[k + 2]));
    }
}

// The raster position: valid while inside the clip volume (its boundary included), with the
// current colour at the time it is set.
void rasterPos(float x, float y, float z, float w) {
    float clip[4];
    toClip(x, y, z, w, clip);
    rasterValid = clip[3] > 0.0f;
    for (int i = 0; i < 3; ++i) rasterValid = rasterValid && std::fabs(clip[i]) <= clip[3];
    if (!rasterValid)
        return;
    clipToWindow(clip, rasterWindow);
    copy4(rasterColour, currentColour);
}

bool rasterPosition(float window[3]) {
    std::memcpy(window, rasterWindow, sizeof rasterWindow);
    return rasterValid;
}

// Each row's runs of set bits become pixel rectangles in the raster colour; an invalid raster
// position draws nothing and does not move.
void bitmap(int width, int height, float xorig, float yorig, float xmove, float ymove,
            const unsigned char* bits) {
    if (!rasterValid)
        return;
    if (bits != nullptr && width > 0 && height > 0) {
        prepareBatch(true);
        WindowPoint ink{};
        ink.z = rasterWindow[2];
        colourBytes(rasterColour, ink.colour);
        const int left = static_cast<int>(std::floor(rasterWindow[0] + kBitmapEpsilon - xorig));
        const int bottom = static_cast<int>(std::floor(rasterWindow[1] + kBitmapEpsilon - yorig));
        const size_t rowBytes = static_cast<size_t>(width + kBitsPerByte - 1) / kBitsPerByte;
        for (int row = 0; row < height; ++row) {
            const unsigned char* bytes = bits + static_cast<size_t>(row) * rowBytes;
            int col = 0;
            while (col < width) {
                if (!bitSet(bytes, col)) {
                    ++col;
                    continue;
                }
                const int start = col;
                while (col < width && bitSet(bytes, col)) ++col;
                pixelRect(left + start, bottom + row, left + col, bottom + row + 1, ink, ink, true);
            }
        }
    }
    rasterWindow[0] += xmove;
    rasterWindow[1] += ymove;
}

}  // namespace ff
