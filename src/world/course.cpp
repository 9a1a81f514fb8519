// course.cpp: plants the trees and keeps the obstacle stream topped up.
#include "course.h"

#include <cstdlib>

#include "shared_constants.h"
#include "world.h"

// Constants
static const unsigned kSeed = 12345;
static const int kTreeCount = 70;
static const int kObstacleCount = 18;
static const float kFirstObstacleZ = -15.0f;
static const float kStartSpacing = 14.0f;
static const float kRemovalLine = 15.0f;
static const float kBaseGap = 14.0f;
static const int kGapChoices = 6;  // a new obstacle lies 14 to 19 beyond the last
static const float kEmptyStreamBase = -64.0f;
static const float kLaneCentres[3] = {-2.0f, 0.0f, 2.0f};
static const float kFootprintBase = 0.7f;  // width and depth: 0.7 or 0.95
static const float kFootprintStep = 0.25f;
static const float kHeightBase = 0.5f;  // height: 0.5 or 0.8
static const float kHeightStep = 0.3f;
// x, y, z, speed, steerAngle: every race starts in the middle lane at cruising speed.
static const Car kStartPose = {0.0f, 0.25f, 2.0f, kCruiseSpeed, 0.0f};

// Static helpers

// One draw of the shared generator, reduced to [0, n).
static int draw(int n) {
    return std::rand() % n;
}

// Fills an obstacle at z from five draws: lane, kind, width, height, depth.
static Obstacle makeObstacle(float z) {
    Obstacle o;
    o.x = kLaneCentres[draw(3)];
    o.kind = static_cast<ObstacleKind>(draw(3));
    o.width = static_cast<float>(draw(2)) * kFootprintStep + kFootprintBase;
    o.height = static_cast<float>(draw(2)) * kHeightStep + kHeightBase;
    o.y = o.height * 0.5f;
    o.depth = static_cast<float>(draw(2)) * kFootprintStep + kFootprintBase;
    o.z = z;
    return o;
}

// Public functions

void generateTrees() {
    trees.clear();
    std::srand(kSeed);
    for (int i = 0; i < kTreeCount; ++i) {
        const float side = (draw(2) == 1) ? 1.0f : -1.0f;
        const float distance = static_cast<float>(draw(18)) + 4.5f;
        const float z = static_cast<float>(draw(420) - 350);
        trees.push_back(Tree{side * distance, 0.0f, z});
    }
}

void resetRace() {
    car = kStartPose;
    obstacles.clear();
    controls = ControlState{};
    score = 0;
    roadOffset = 0.0f;
    for (int i = 0; i < kObstacleCount; ++i) {
        obstacles.push_back(makeObstacle(kFirstObstacleZ - static_cast<float>(i) * kStartSpacing));
    }
}

void updateObstacles() {
    if (!obstacles.empty()) {
        const float step = kStepSeconds * car.speed;
        for (Obstacle& o : obstacles) o.z += step;
    }
    while (!obstacles.empty() && obstacles.front().z > kRemovalLine) {
        obstacles.erase(obstacles.begin());
    }
    while (obstacles.size() < static_cast<size_t>(kObstacleCount)) {
        const float base = obstacles.empty() ? kEmptyStreamBase : obstacles.back().z - kBaseGap;
        const float z = base - static_cast<float>(draw(kGapChoices));
        obstacles.push_back(makeObstacle(z));
    }
}
