// recording_gpu.cpp: the recording gpu.h and a small stand-in for the Helvetica font.
#include "recording_gpu.h"

#include <algorithm>
#include <cmath>

#include "font.h"

namespace recording {

std::vector<Draw> draws;
std::vector<std::array<int, 4>> viewports;
int clears = 0;

void reset() {
    draws.clear();
    viewports.clear();
    clears = 0;
}

std::set<std::pair<int, int>> rectanglePixels(const Draw& draw) {
    std::set<std::pair<int, int>> pixels;
    for (size_t k = 0; k + 5 < draw.indices.size(); k += 6) {
        const float* a = draw.vertices[draw.indices[k]].position;
        const float* c = draw.vertices[draw.indices[k + 2]].position;
        const int x0 = static_cast<int>(std::lround(std::min(a[0], c[0])));
        const int x1 = static_cast<int>(std::lround(std::max(a[0], c[0])));
        const int y0 = static_cast<int>(std::lround(std::min(a[1], c[1])));
        const int y1 = static_cast<int>(std::lround(std::max(a[1], c[1])));
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) pixels.insert({x, y});
        }
    }
    return pixels;
}

}  // namespace recording

namespace gpu {

void viewport(int x, int y, int width, int height) {
    recording::viewports.push_back({x, y, width, height});
}

void clear(bool, bool, const float*) {
    ++recording::clears;
}

void drawTriangles(const State& state, const Vertex* vertices, size_t vertexCount,
                   const uint16_t* indices, size_t indexCount) {
    recording::draws.push_back(
        recording::Draw{state, std::vector<Vertex>(vertices, vertices + vertexCount),
                        std::vector<uint16_t>(indices, indices + indexCount)});
}

}  // namespace gpu

// Stand-in font: only 'A', 3 pixels wide and 2 rows high, origin one pixel in from its left.
static const unsigned char kGlyphBits[2] = {0xA0, 0xE0};  // bottom row "X.X", top row "XXX"
static const font::Glyph kGlyphA = {3, 2, 1.0f, 0.0f, 4.0f, kGlyphBits};

const font::Glyph* font::helvetica18(int c) {
    return c == 'A' ? &kGlyphA : nullptr;
}
