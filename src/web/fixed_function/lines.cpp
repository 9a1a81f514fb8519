// lines.cpp: llvmpipe's wide lines, pixel for pixel. Every constant below is llvmpipe's; the
// layer's other stages follow GL's rules alone.
#include "fixed_function/lines.h"

#include <cmath>

#include "fixed_function/state.h"
#include "unsupported.h"

// Constants

// With multisampling on, llvmpipe covers a line's pixel when the point (column + 25/64,
// row + 57/64), in window pixels from the bottom-left corner, lies in the line's rectangle: its
// extent across the line is (c - w/2, c + w/2], along it (start, end]. Pixels are whole: no
// partial coverage.
static const float kLineSampleX = 25.0f / 64.0f;
static const float kLineSampleY = 57.0f / 64.0f;
// llvmpipe bins in 64-pixel tiles counted from the framebuffer's top-left corner. A line loses its
// top row when that row is the last of a tile and the rectangle's upper edge lies less than 1/128
// pixel above the row's top, and its left column when that column is the last of a tile and the
// rectangle's left edge lies at least 1/128 pixel right of the column's left side.
static const int kTileSize = 64;
static const float kTileSlack = 1.0f / 128.0f;

// Types

// The line stage's state.
struct Lines {
    float width = 1.0f;  // glLineWidth's, in window pixels
};

// Globals

static Lines lines;

// Static helpers

// The framebuffer's top row plus one, in window pixels from the bottom. This takes the viewport to
// fill the framebuffer, as the game's always does (checkLineState reports one that does not).
static int framebufferTop() {
    return ff::glState.viewport[1] + ff::glState.viewport[3];
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
    if (lastInTile(framebufferTop() - 1 - *y1) && upper < static_cast<float>(*y1 + 1) + kTileSlack)
        --*y1;
}

// A horizontal (alongX) or vertical segment: the pixels from one end to the other whose sample
// points lie within `half` of the line across it.
static void axisSegment(const ff::WindowPoint& a, const ff::WindowPoint& b, float half,
                        bool alongX) {
    const bool aFirst = alongX ? a.x <= b.x : a.y <= b.y;
    const ff::WindowPoint& low = aFirst ? a : b;
    const ff::WindowPoint& high = aFirst ? b : a;
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
    ff::pixelRect(x0, y0, x1 + 1, y1 + 1, low, high, alongX);
}

// A slanted segment: its rectangle, moved so that pixel centres stand for the sample points.
static void slantedSegment(const ff::WindowPoint& a, const ff::WindowPoint& b, float half) {
    const bool xMajor = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
    const float acrossX = xMajor ? 0.0f : half;
    const float acrossY = xMajor ? half : 0.0f;
    const float shiftX = 0.5f - kLineSampleX;
    const float shiftY = 0.5f - kLineSampleY;
    const float xy[4][2] = {{a.x - acrossX + shiftX, a.y - acrossY + shiftY},
                            {b.x - acrossX + shiftX, b.y - acrossY + shiftY},
                            {b.x + acrossX + shiftX, b.y + acrossY + shiftY},
                            {a.x + acrossX + shiftX, a.y + acrossY + shiftY}};
    const ff::WindowPoint* ends[4] = {&a, &b, &b, &a};
    ff::windowQuad(xy, ends);
}

// Public functions

void ff::resetLines() {
    lines = Lines{};
}

void ff::checkLineState(GLenum mode) {
    if (glState.lighting)
        unsupported::report("glBegin", mode, "lines are drawn unlit while lighting is on");
    const int* box = glState.viewport;
    const bool drawsNothing = box[2] == 0 || box[3] == 0;
    if (!drawsNothing && !viewportFillsFramebuffer())
        unsupported::report("glBegin", mode,
                            "lines are placed as if the viewport filled the window");
}

void ff::lineSegment(const WindowPoint& a, const WindowPoint& b) {
    if (!a.visible || !b.visible) {
        unsupported::report("a line reaching behind the eye, not drawn");
        return;
    }
    const float half = lines.width * 0.5f;
    if (a.y == b.y || a.x == b.x) {
        axisSegment(a, b, half, a.y == b.y);
    } else {
        slantedSegment(a, b, half);
    }
}

void ff::setLineWidth(float width) {
    if (width > 0.0f)
        lines.width = width;
}
