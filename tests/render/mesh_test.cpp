// mesh_test.cpp: the geometry of the four primitives, vertex by vertex where it matters.
#include "mesh.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "render_support.h"

namespace {

const float kPi = 3.1415927f;

double angle(const Vec3& v) {
    return std::atan2(v[2], v[0]);
}

// Angles of consecutive rim points must strictly grow (or shrink), allowing one wrap past pi.
void expectTurning(const std::vector<Vec3>& rim, int direction, const std::string& what) {
    for (size_t i = 1; i + 1 < rim.size(); ++i) {
        double step = (angle(rim[i + 1]) - angle(rim[i])) * direction;
        if (step < -M_PI)
            step += 2 * M_PI;
        EXPECT_GT(step, 0.0) << what << " rim point " << i;
    }
}

}  // namespace

TEST(Cylinder, StripAndCapsHaveTheirVertexCountsSeamAndOrder) {
    for (int n : {3, 4, 12, 18, 20}) {
        SCOPED_TRACE(n);
        const Replay r = drawn([&] { drawCylinder(0.18f, 0.13f, 1.2f, n); });
        ASSERT_EQ(r.primitives.size(), 3u);
        const Primitive& side = r.primitives[0];
        const Primitive& bottom = r.primitives[1];
        const Primitive& top = r.primitives[2];
        EXPECT_EQ(side.mode, GL_QUAD_STRIP);
        EXPECT_EQ(bottom.mode, GL_TRIANGLE_FAN);
        EXPECT_EQ(top.mode, GL_TRIANGLE_FAN);
        ASSERT_EQ(side.vertices.size(), 2u * (n + 1));
        ASSERT_EQ(bottom.vertices.size(), n + 2u);
        ASSERT_EQ(top.vertices.size(), n + 2u);

        // Step k stands at 2k pi / n from +x towards +z, the seam at 0 and 2 pi; each vertex
        // carries the horizontal unit normal of its step, though the frustum slopes.
        for (size_t i = 0; i < side.vertices.size(); ++i) {
            const double a = 2 * M_PI * static_cast<double>(i / 2) / n, r = i % 2 ? 0.13 : 0.18;
            const Vec3 normal = {std::cos(a), 0, std::sin(a)};
            expectNear(side.vertices[i], {r * normal[0], i % 2 ? 1.2 : 0, r * normal[2]}, 1e-6,
                       "vertex");
            expectNear(side.normals[i], normal, 1e-6, "normal");
        }
        // Half way round lies the single-precision pi, a float's rounding off -x.
        if (n == 4) {
            EXPECT_EQ(side.normals[4], (Vec3{-1, 0, std::sin(kPi)}));
        }
        EXPECT_EQ(bottom.normals, std::vector<Vec3>(n + 2, {0, -1, 0}));
        EXPECT_EQ(top.normals, std::vector<Vec3>(n + 2, {0, 1, 0}));
        EXPECT_EQ(bottom.vertices[0], (Vec3{0, 0, 0}));
        EXPECT_EQ(top.vertices[0], (Vec3{0, 1.2f, 0}));
        // Cap rims meet the side exactly: bottom ascending from 0, top descending from 2 pi.
        for (int k = 0; k <= n; ++k) {
            EXPECT_EQ(bottom.vertices[1 + k], side.vertices[2 * k]) << "bottom rim " << k;
            EXPECT_EQ(top.vertices[1 + k], side.vertices[2 * (n - k) + 1]) << "top rim " << k;
        }
        expectTurning({bottom.vertices.begin() + 1, bottom.vertices.end()}, 1, "bottom");
        expectTurning({top.vertices.begin() + 1, top.vertices.end()}, -1, "top");
    }
}

// The ring angle rounds as (k + k) * pi / n in single precision, in that order: another order
// moves an angle by a float step, which no picture shows.
TEST(Cylinder, AnglesAreSinglePrecisionTwoKPiOverN) {
    const Primitive side = drawn([&] { drawCylinder(1.0f, 1.0f, 1.0f, 7); }).primitives[0];
    for (int k = 0; k <= 7; ++k) {
        const float theta = (static_cast<float>(k) + static_cast<float>(k)) * kPi / 7.0f;
        EXPECT_EQ(side.normals[2 * k][0], static_cast<double>(cosf(theta))) << k;
        EXPECT_EQ(side.normals[2 * k][2], static_cast<double>(sinf(theta))) << k;
    }
}

TEST(Cylinder, NegativeSlicesDrawNothingVisible) {
    const Replay r = drawn([&] { drawCylinder(1.0f, 1.0f, 1.0f, -4); });
    ASSERT_EQ(r.primitives.size(), 3u);
    EXPECT_TRUE(r.primitives[0].vertices.empty());
    EXPECT_EQ(r.primitives[1].vertices.size(), 1u);
    EXPECT_EQ(r.primitives[2].vertices.size(), 1u);
}

TEST(Sphere, StacksRunPoleToPoleWithRadialNormals) {
    const float rad = 0.75f;
    const int slices = 14, stacks = 10;
    const Replay r = drawn([&] { drawSphere(rad, slices, stacks); });
    ASSERT_EQ(r.primitives.size(), static_cast<size_t>(stacks));
    for (size_t i = 0; i < r.primitives.size(); ++i) {
        const Primitive& strip = r.primitives[i];
        EXPECT_EQ(strip.mode, GL_QUAD_STRIP);
        ASSERT_EQ(strip.vertices.size(), 2u * (slices + 1));
        EXPECT_EQ(strip.normals, strip.vertices) << "each normal is its own vertex, stack " << i;
        for (size_t v = 0; v < strip.vertices.size(); ++v) {
            const Vec3& p = strip.vertices[v];
            EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), rad, 1e-6);
            // The lower ring of a stack is carried over, bit for bit, as the next one's upper ring.
            if (i > 0 && v % 2 == 0) {
                EXPECT_EQ(p, r.primitives[i - 1].vertices[v + 1]) << "stack " << i;
            }
        }
        // Rings grow from +x towards +z; the seam comes twice.
        expectNear(strip.vertices[2 * slices], strip.vertices[0], 1e-6, "seam");
    }
    for (size_t v = 0; v < 2u * (slices + 1); v += 2) {
        expectNear(r.primitives.front().vertices[v], {0, rad, 0}, 1e-6, "top pole");
        expectNear(r.primitives.back().vertices[v + 1], {0, -rad, 0}, 1e-6, "bottom pole");
    }
    const Vec3 equator = r.primitives[4].vertices[1 + 2 * 3];  // ring 5, step 3 of 14
    EXPECT_GT(equator[2], 0.0);
    EXPECT_NEAR(angle(equator), 2 * M_PI * 3 / 14, 1e-6);
}

TEST(Sphere, NoStacksIssueNoCallAtAll) {
    for (int stacks : {0, -1}) {
        drawn([&] { drawSphere(1.0f, 12, stacks); });
        EXPECT_TRUE(fakegl::calls.empty()) << stacks;
    }
}

TEST(Quad, FourVerticesInOrderAndNoNormal) {
    const Replay r = drawn([] { drawQuad(3.0f, 0.5f, 10.0f, -1.0f, -2.0f); });  // x and z reversed
    ASSERT_EQ(r.primitives.size(), 1u);
    EXPECT_EQ(r.primitives[0].mode, GL_QUADS);
    EXPECT_EQ(r.primitives[0].vertices,
              std::vector<Vec3>({{3, 0.5, 10}, {-1, 0.5, 10}, {-1, 0.5, -2}, {3, 0.5, -2}}));
    EXPECT_EQ(fakegl::count("glNormal3f"), 0);
}

TEST(Box, ScaledUnitCubeCentredOnOrigin) {
    const Replay r = drawn([&] { drawBox(1.1f, 0.35f, 2.2f); });
    ASSERT_EQ(r.cubes.size(), 1u);
    EXPECT_EQ(r.cubes[0].size, 1.0);
    const Bounds b = boundsOf(r, r.cubes[0].colour);
    expectNear(b.min, {-0.55, -0.175, -1.1}, 1e-6, "box min");
    expectNear(b.max, {0.55, 0.175, 1.1}, 1e-6, "box max");
}
