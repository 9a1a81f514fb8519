// bitmaps.cpp: the raster position and bitmaps, on the window pixels Mesa puts them on.
#include "fixed_function/bitmaps.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "fixed_function/batch.h"
#include "fixed_function/state.h"
#include "unsupported.h"

// Constants

static const int kBitsPerByte = 8;
static const unsigned kLeftmostBit = 0x80;  // bitmap rows start at a byte's top bit
// glBitmap puts the bitmap's left column at floor(raster x + epsilon - xorig), and so for y.
static const float kBitmapEpsilon = 1.0e-4f;

// Types

// The bitmap stage's state.
struct Raster {
    float window[3] = {};                        // window pixels, NDC depth
    bool valid = true;                           // inside the clip volume when it was set
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // the current colour when it was set
};

// Globals

static Raster raster;

// Static helpers

static bool bitSet(const unsigned char* row, int col) {
    return (row[col / kBitsPerByte] & (kLeftmostBit >> (col % kBitsPerByte))) != 0;
}

// One row of a bitmap: each run of set bits one rectangle of pixels, from column `left` on.
static void bitmapRow(const unsigned char* bytes, int width, int left, int y,
                      const ff::WindowPoint& ink) {
    int col = 0;
    while (col < width) {
        if (!bitSet(bytes, col)) {
            ++col;
            continue;
        }
        const int start = col;
        while (col < width && bitSet(bytes, col)) ++col;
        ff::pixelRect(left + start, y, left + col, y + 1, ink, ink, true);
    }
}

// Public functions

void ff::resetRaster() {
    raster = Raster{};
}

// The raster position: valid while inside the clip volume (its boundary included), with the
// current colour at the time it is set.
void ff::rasterPos(float x, float y, float z, float w) {
    if (glState.lighting)
        unsupported::report(
            "glRasterPos while lighting is on: its colour is the current one, unlit");
    float clip[4];
    toClip(x, y, z, w, clip);
    raster.valid = clip[3] > 0.0f;
    for (int i = 0; i < 3; ++i) raster.valid = raster.valid && std::fabs(clip[i]) <= clip[3];
    if (!raster.valid)
        return;
    clipToWindow(clip, raster.window);
    std::memcpy(raster.colour, glState.colour, sizeof raster.colour);
}

bool ff::rasterPosition(float window[3]) {
    std::memcpy(window, raster.window, sizeof raster.window);
    return raster.valid;
}

// Each row's runs of set bits become pixel rectangles in the raster colour; an invalid raster
// position draws nothing and does not move.
void ff::bitmap(int width, int height, float xorig, float yorig, float xmove, float ymove,
                const unsigned char* bits) {
    if (!raster.valid)
        return;
    if (bits != nullptr && width > 0 && height > 0) {
        prepareBatch(true);
        WindowPoint ink{};
        ink.z = raster.window[2];
        colourToBytes(raster.colour, ink.colour);
        const int left = static_cast<int>(std::floor(raster.window[0] + kBitmapEpsilon - xorig));
        const int bottom = static_cast<int>(std::floor(raster.window[1] + kBitmapEpsilon - yorig));
        const size_t rowBytes = static_cast<size_t>(width + kBitsPerByte - 1) / kBitsPerByte;
        for (int row = 0; row < height; ++row)
            bitmapRow(bits + static_cast<size_t>(row) * rowBytes, width, left, bottom + row, ink);
    }
    raster.window[0] += xmove;
    raster.window[1] += ymove;
}
