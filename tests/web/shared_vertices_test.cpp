// shared_vertices_test.cpp: a frame's upload draws a batch's own triangles with fewer vertices.
#include "shared_vertices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

gpu::Vertex vertex(float x, float y, uint8_t red) {
    return gpu::Vertex{{x, y, -1.0f}, {0.0f, 0.0f, 1.0f}, {red, 0, 0, 255}};
}

TEST(SharedVertices, BatchKeepsItsTrianglesWithEachDistinctVertexOnce) {
    // Two quads as four triangles, corners repeated, and a fifth triangle with two vertices that
    // differ from others only in one colour byte or the sign of zero.
    const std::vector<gpu::Vertex> vertices = {
        vertex(0, 0, 9), vertex(1, 0, 9), vertex(1, 1, 9),    vertex(0, 0, 9), vertex(1, 1, 9),
        vertex(0, 1, 9), vertex(1, 0, 9), vertex(2, 0, 9),    vertex(2, 1, 9), vertex(1, 0, 9),
        vertex(2, 1, 9), vertex(1, 1, 8), vertex(-0.0f, 1, 9)};
    const std::vector<uint16_t> indices = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 5, 12};
    std::vector<gpu::Vertex> frameVertices = {vertex(5, 5, 5)};  // a batch queued before
    std::vector<uint16_t> frameIndices = {0, 0, 0};

    gpu::appendSharedBatch(vertices.data(), vertices.size(), indices.data(), indices.size(),
                           frameVertices, frameIndices);
    EXPECT_EQ(frameVertices.size(), 1u + 8u);
    ASSERT_EQ(frameIndices.size(), 3u + indices.size());
    for (size_t i = 0; i < indices.size(); ++i) {  // indices count from the batch's first vertex
        const size_t shared = 1u + frameIndices[3 + i];
        ASSERT_LT(shared, frameVertices.size());
        EXPECT_EQ(std::memcmp(&frameVertices[shared], &vertices[indices[i]], sizeof(gpu::Vertex)),
                  0)
            << "corner " << i;
    }
}

}  // namespace
