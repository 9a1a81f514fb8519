// depth_planes_test.cpp: the depth planes of triangles reaching behind the eye, and the frame's
// queue that draws them in the batch's order.
#include "depth_planes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "frame_queue.h"

namespace {

const int kViewport[4] = {10, 20, 800, 600};

// gluPerspective(62, 4 / 3, 0.1, 300), column-major, as the game's camera.
gpu::State perspective() {
    gpu::State state{};
    const double f = 1.0 / std::tan(31.0 * M_PI / 180.0);
    const double nearZ = 0.1;
    const double farZ = 300.0;
    state.projection[0] = static_cast<float>(f * 3.0 / 4.0);
    state.projection[5] = static_cast<float>(f);
    state.projection[10] = static_cast<float>((farZ + nearZ) / (nearZ - farZ));
    state.projection[11] = -1.0f;
    state.projection[14] = static_cast<float>(2.0 * farZ * nearZ / (nearZ - farZ));
    state.depthTest = true;
    return state;
}

gpu::Vertex at(float x, float y, float z) {
    return gpu::Vertex{{x, y, z}, {0.0f, 1.0f, 0.0f}, {1, 2, 3, 255}};
}

TEST(DepthPlanes, GiveTheWindowDepthOfEveryVisiblePointOfTheTriangle) {
    const gpu::State state = perspective();
    // A strip of road from far ahead to behind the eye, and a triangle wholly in front.
    const float road[3][3] = {
        {-3.2f, -2.8f, -400.0f}, {3.2f, -2.8f, -400.0f}, {3.2f, -2.8f, 50.0f}};
    const float ahead[3][3] = {{-1.0f, 0.5f, -2.0f}, {2.0f, -1.0f, -9.0f}, {0.0f, 3.0f, -30.0f}};
    for (const auto* corners : {road, ahead}) {
        float plane[gpu::kPlaneFloats];
        ASSERT_TRUE(
            gpu::windowDepthPlane(state, kViewport, corners[0], corners[1], corners[2], plane));
        EXPECT_EQ(plane[3], 1.0f);
        for (double a = 0.05; a < 1.0; a += 0.1) {
            for (double b = 0.05; a + b < 1.0; b += 0.1) {
                double eye[3];
                for (int i = 0; i < 3; ++i)
                    eye[i] = corners[0][i] + a * (corners[1][i] - corners[0][i]) +
                             b * (corners[2][i] - corners[0][i]);
                const double w = -eye[2];
                if (w < 0.1)
                    continue;  // in front of the near plane only: what the screen shows
                // GL: clip, NDC, then window pixels and depth for depth range [0, 1].
                const double x = kViewport[0] + (state.projection[0] * eye[0] / w + 1.0) * 400.0;
                const double y = kViewport[1] + (state.projection[5] * eye[1] / w + 1.0) * 300.0;
                const double z = (state.projection[10] * eye[2] + state.projection[14]) / w;
                const double depth = (z + 1.0) / 2.0;
                EXPECT_NEAR(1.0 - (plane[0] * x + plane[1] * y + plane[2]), depth, 1e-6)
                    << "at " << x << ", " << y;
            }
        }
    }
    // A plane through the eye shows only an edge; a viewport with no pixels has no plane.
    const float edgeOn[3][3] = {{0.0f, 0.0f, -1.0f}, {0.0f, 1.0f, -2.0f}, {0.0f, -1.0f, 3.0f}};
    const int empty[4] = {0, 0, 0, 600};
    float plane[gpu::kPlaneFloats] = {};
    EXPECT_FALSE(gpu::windowDepthPlane(state, kViewport, edgeOn[0], edgeOn[1], edgeOn[2], plane));
    EXPECT_FALSE(gpu::windowDepthPlane(state, empty, road[0], road[1], road[2], plane));
}

// A batch of six triangles: 0, 3 and 5 in front of the eye; 1 and 2 reaching behind it; 4
// behind it but edge-on (in the plane x = 0, through the eye).
struct Batch {
    std::vector<gpu::Vertex> vertices = {at(-1, -1, -5),  at(1, -1, -5),  at(0, 1, -5),
                                         at(-3, -2, -90), at(3, -2, -90), at(0, -2, 20),
                                         at(0, 0, -1),    at(0, 1, -2),   at(0, -1, 3)};
    std::vector<uint16_t> indices = {0, 1, 2, 3, 4, 5, 5, 4, 0, 0, 1, 2, 6, 7, 8, 2, 1, 0};
};

TEST(DepthPlanes, BatchSplitsIntoRunsInDrawingOrderAndIsQueuedSo) {
    const Batch batch;
    gpu::State state = perspective();
    std::vector<gpu::TriangleRun> runs;
    std::vector<float> planes;
    gpu::splitByDepthPlanes(state, kViewport, batch.vertices.data(), batch.vertices.size(),
                            batch.indices.data(), batch.indices.size(), runs, planes);
    ASSERT_EQ(runs.size(), 3u);
    const size_t expected[3][3] = {{0, 1, 0}, {1, 2, 1}, {3, 3, 0}};  // first, count, planes
    for (size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(runs[r].first, expected[r][0]);
        EXPECT_EQ(runs[r].count, expected[r][1]);
        EXPECT_EQ(runs[r].planes, expected[r][2] != 0);
    }
    EXPECT_EQ(planes.size(), 2 * gpu::kPlaneFloats);

    // Queued, the draws give back the batch's triangles in order, each plane with its corners.
    gpu::FrameQueue queue;
    queue.vertices.push_back(at(9, 9, 9));  // a batch queued before
    gpu::queueBatch(queue, gpu::QueuedDraw{}, state, kViewport, true, batch.vertices.data(),
                    batch.vertices.size(), batch.indices.data(), batch.indices.size());
    ASSERT_EQ(queue.draws.size(), 3u);
    size_t corner = 0;
    for (const gpu::QueuedDraw& draw : queue.draws) {
        EXPECT_EQ(draw.firstPlane != gpu::kNoPlanes, draw.indexCount == 6);
        for (size_t k = 0; k < draw.indexCount; ++k, ++corner) {
            const size_t v = draw.firstVertex + queue.indices[draw.firstIndex + k];
            EXPECT_EQ(std::memcmp(&queue.vertices[v], &batch.vertices[batch.indices[corner]],
                                  sizeof(gpu::Vertex)),
                      0)
                << "corner " << corner;
            if (draw.firstPlane != gpu::kNoPlanes) {
                const size_t own = draw.firstPlane + (v - draw.firstVertex);
                EXPECT_EQ(std::memcmp(&queue.planes[gpu::kPlaneFloats * own],
                                      &planes[gpu::kPlaneFloats * ((corner - 3) / 3)],
                                      gpu::kPlaneFloats * sizeof(float)),
                          0);
            }
        }
    }
    EXPECT_EQ(corner, batch.indices.size());

    // Without the depth test, or where the program takes no planes, one draw as before.
    state.depthTest = false;
    gpu::splitByDepthPlanes(state, kViewport, batch.vertices.data(), batch.vertices.size(),
                            batch.indices.data(), batch.indices.size(), runs, planes);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_FALSE(runs[0].planes);
    queue.clear();
    gpu::queueBatch(queue, gpu::QueuedDraw{}, perspective(), kViewport, false,
                    batch.vertices.data(), batch.vertices.size(), batch.indices.data(),
                    batch.indices.size());
    ASSERT_EQ(queue.draws.size(), 1u);
    EXPECT_EQ(queue.draws[0].firstPlane, gpu::kNoPlanes);
    EXPECT_TRUE(queue.planes.empty());
}

}  // namespace
