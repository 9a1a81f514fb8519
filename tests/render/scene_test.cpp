// scene_test.cpp: where the road, obstacles and car end up in the world as they move, and in
// what colour; the still pictures of the title and crash screens are the end-to-end tests'.
#include "scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "mesh.h"
#include "race.h"
#include "render_support.h"

namespace {

const Vec3 kDash = Vec3{0.88f, 0.82f, 0.25f};
const Vec3 kTrunk = Vec3{0.35f, 0.22f, 0.12f};
const Vec3 kWheel = Vec3{0.1f, 0.1f, 0.12f};

// What the chase camera can see along the road: from its eye to its far plane.
const double kChaseEyeZ = 8.5;
const double kChaseFarZ = -290.0;

// The expected extent of everything painted in one colour.
struct Part {
    const char* name;
    Vec3 colour;
    size_t primitives;
    Vec3 min;
    Vec3 max;
};

void expectParts(const Replay& r, const std::vector<Part>& parts) {
    for (const Part& part : parts) {
        const Bounds b = boundsOf(r, part.colour);
        ASSERT_FALSE(b.empty()) << part.name;
        EXPECT_EQ(paintedIn(r, part.colour).size(), part.primitives) << part.name;
        expectNear(b.min, part.min, 1e-5, std::string(part.name) + " min");
        expectNear(b.max, part.max, 1e-5, std::string(part.name) + " max");
    }
}

// World z of every dash's start, in drawing order.
std::vector<double> dashStarts() {
    std::vector<double> starts;
    for (const Primitive& p : paintedIn(drawn(drawRoad), kDash)) starts.push_back(p.vertices[0][2]);
    return starts;
}

}  // namespace

TEST(Road, DashStartsOfAFreshRoad) {
    startUp();
    std::vector<double> expected;
    for (int z = -390; z <= 36; z += 6) expected.push_back(z);
    for (int z = -358; z <= -4; z += 6) expected.push_back(z);
    for (int z = 2; z <= 38; z += 6) expected.push_back(z);
    expected.push_back(-356);
    EXPECT_EQ(dashStarts(), expected);
}

TEST(Road, DashesMoveWithTheWorldAndDoNotJumpWhenTheOffsetWraps) {
    startRaceIn(Playing);
    car.x = 1.0f;  // between lanes: the race goes on however long the test drives
    controls.accelerate = true;
    std::vector<double> before = dashStarts();
    bool wrapped = false;
    for (int tick = 0; tick < 800; ++tick) {
        const float offsetBefore = roadOffset;
        const std::vector<Tree> treesBefore = trees;
        advanceRace();
        wrapped = wrapped || roadOffset < offsetBefore;
        double step = 0;  // what the trees moved by, taken from one that was not sent back
        for (size_t t = 0; t < trees.size() && step == 0; ++t) {
            if (trees[t].z > treesBefore[t].z)
                step = trees[t].z - treesBefore[t].z;
        }
        const std::vector<double> after = dashStarts();
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i) {
            if (after[i] < before[i]) {
                // Only out of sight: from behind the chase camera to beyond its far plane.
                EXPECT_GT(before[i], kChaseEyeZ) << "tick " << tick << " dash " << i;
                EXPECT_LT(after[i], kChaseFarZ) << "tick " << tick << " dash " << i;
            } else {
                EXPECT_NEAR(after[i] - before[i], step, 1e-3) << "tick " << tick << " dash " << i;
            }
        }
        before = after;
    }
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(gameState, Playing);
}

TEST(Obstacle, EachKindItsShapeColourAndPlace) {
    const float w = 0.95f, h = 0.8f, d = 0.7f;
    const Vec3 orange = Vec3{0.95f, 0.45f, 0.1f}, green = Vec3{0.2f, 0.75f, 0.25f},
               purple = Vec3{0.7f, 0.25f, 0.85f};
    const double ball = 0.55 * w, drum = 0.45 * w;
    const struct {
        int kind;
        Part part;
        size_t cubes;
    } cases[] = {
        {0, {"block", orange, 0, {2 - w / 2., 0, -30 - d / 2.}, {2 + w / 2., h, -30 + d / 2.}}, 1},
        {1,
         {"ball", green, 12, {2 - ball, h - ball, -30 - ball}, {2 + ball, h + ball, -30 + ball}},
         0},
        {2, {"drum", purple, 3, {2 - drum, h, -30 - drum}, {2 + drum, 2 * h, -30 + drum}}, 0},
        {3,
         {"unknown kind", purple, 3, {2 - drum, h, -30 - drum}, {2 + drum, 2 * h, -30 + drum}},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part.name);
        const Replay r = drawn([&] {
            drawObstacle(Obstacle{2.0f, h / 2, -30.0f, w, h, d, static_cast<ObstacleKind>(c.kind)});
        });
        EXPECT_EQ(r.cubes.size(), c.cubes);
        expectParts(r, {c.part});
    }
}

TEST(Car, SteeringTurnsTheNoseAboutTheCarsOwnOrigin) {
    for (float angle : {12.0f, -12.0f}) {
        SCOPED_TRACE(angle);
        startUp();
        car = Car{-1.0f, 0.25f, 2.0f, 18.0f, angle};
        drawCar();
        const Replay r = replay();
        const Mat4& body = r.cubes[0].transform;
        expectNear(transform(body, {0, 0, 0}), {-1, 0.6, 2}, 1e-6, "body centre");
        const Vec3 nose = transform(body, {0, 0, -0.5});
        const double turn = std::sin(angle * M_PI / 180.0) * 1.1;
        EXPECT_NEAR(nose[0], -1 - turn, 1e-5) << "positive angles turn the nose towards -x";
        for (const Primitive& p : paintedIn(r, kWheel)) {
            if (p.mode != GL_TRIANGLE_FAN)
                continue;
            for (const Vec3& v : p.vertices) EXPECT_NEAR(v[1], p.vertices[0][1], 1e-6) << "flat";
        }
    }
}

TEST(Scene, RoadThenTreesThenObstaclesInIndexOrder) {
    for (bool raced : {false, true}) {
        SCOPED_TRACE(raced);
        raced ? startRaceIn(Menu) : startUp();
        drawScene();
        const Replay r = replay();
        std::vector<Vec3> expected = {{0, -0.01, 0}};
        for (const Tree& t : trees) expected.push_back(Vec3{t.x, t.y, t.z});
        for (const Obstacle& o : obstacles) expected.push_back(Vec3{o.x, o.y, o.z});
        EXPECT_EQ(obstacles.size(), raced ? 18u : 0u);
        ASSERT_EQ(r.topLevelTranslations.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            expectNear(r.topLevelTranslations[i], expected[i], 1e-7,
                       "placed item " + std::to_string(i));
        }
        EXPECT_EQ(paintedIn(r, kTrunk).size(), 3 * trees.size());
    }
}

TEST(Scene, EveryModelAndPrimitiveLeavesGlAsItFoundIt) {
    startRaceIn(Playing);
    car.steerAngle = 12.0f;
    void (*const models[])() = {
        drawRoad,
        drawCar,
        drawScene,
        [] { drawWheel(0.5f, 0.75f); },
        [] { drawTree(trees[3]); },
        [] {
            for (int kind : {0, 1, 2, 7})  // box, ball, drum, unknown
                drawObstacle(Obstacle{0, 0.25f, -20, 0.7f, 0.5f, 0.7f, ObstacleKind(kind)});
        },
    };
    for (auto draw : models) {
        const Replay r = drawn(draw);
        EXPECT_TRUE(leftAsFound(r));
        EXPECT_GT(r.deepestModelview, 0) << "every model draws in a frame of its own";
    }
    void (*const primitives[])() = {
        [] { drawBox(1, 2, 3); },          [] { drawCylinder(0.2f, 0.1f, 1, 12); },
        [] { drawSphere(0.5f, 12, 9); },   [] { drawQuad(0, 0, 0, 1, 1); },
        [] { drawCylinder(1, 1, 1, -2); },
    };
    for (auto draw : primitives) EXPECT_TRUE(leftAsFound(drawn(draw)));
}
