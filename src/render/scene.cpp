// scene.cpp: the road, trees, obstacles and car, built from the mesh primitives.
#include "scene.h"

#include <GL/gl.h>

#include <cmath>

#include "mesh.h"
#include "shared_constants.h"

// Constants

// Colours (r, g, b).
static const float kGround[3] = {0.18f, 0.42f, 0.16f};
static const float kAsphalt[3] = {0.22f, 0.22f, 0.24f};
static const float kDash[3] = {0.88f, 0.82f, 0.25f};
static const float kEdgeLine[3] = {0.65f, 0.65f, 0.65f};
static const float kTrunk[3] = {0.35f, 0.22f, 0.12f};
static const float kLowerFoliage[3] = {0.12f, 0.55f, 0.18f};
static const float kUpperFoliage[3] = {0.08f, 0.45f, 0.14f};
static const float kBoxColour[3] = {0.95f, 0.45f, 0.1f};
static const float kSphereColour[3] = {0.2f, 0.75f, 0.25f};
static const float kCylinderColour[3] = {0.7f, 0.25f, 0.85f};
static const float kBody[3] = {0.9f, 0.15f, 0.15f};
static const float kCabin[3] = {0.25f, 0.35f, 0.85f};
static const float kWheel[3] = {0.1f, 0.1f, 0.12f};
static const float kLamp[3] = {0.95f, 0.85f, 0.25f};

// Road: every layer runs from kRoadFar to kRoadNear along z, in a frame lowered by kRoadDrop.
static const float kRoadDrop = 0.01f;
static const float kRoadFar = -400.0f;  // how far ahead the road is drawn, past the far plane
static const float kRoadNear = 60.0f;
static const float kGroundHalfWidth = 80.0f;
static const float kAsphaltHalfWidth = 3.2f;
static const float kAsphaltY = 0.005f;
static const float kEdgeInner = 3.05f;
static const float kEdgeOuter = 3.22f;
static const float kEdgeY = 0.008f;
static const int kDashCount = 140;
static const float kDashSpacing = 6.0f;
static const float kFirstDash = -390.0f;
static const float kLastDashStart = 40.0f;
static const float kDashHalfWidth = 0.12f;
static const float kDashLength = 3.0f;
static const float kDashY = 0.012f;

// Tree, in the frame of the point where it stands.
static const float kTrunkBase = 0.6f;
static const float kTrunkFootRadius = 0.18f;
static const float kTrunkHeadRadius = 0.13f;
static const float kTrunkHeight = 1.2f;
static const int kTrunkSlices = 12;
static const float kLowerFoliageY = 1.7f;
static const float kLowerFoliageRadius = 0.75f;
static const int kLowerFoliageSlices = 14;
static const int kLowerFoliageStacks = 10;
static const float kUpperFoliageY = 2.15f;
static const float kUpperFoliageRadius = 0.55f;
static const int kUpperFoliageSlices = 12;
static const int kUpperFoliageStacks = 9;

// Obstacles, sized from their record.
static const float kBallRadiusShare = 0.55f;
static const int kBallSlices = 16;
static const int kBallStacks = 12;
static const float kDrumRadiusShare = 0.45f;
static const int kDrumSlices = 20;

// Car, in its own frame.
static const float kBodyY = 0.35f;
static const float kBodySize[3] = {1.1f, 0.35f, 2.2f};
static const float kCabinY = 0.65f;
static const float kCabinZ = -0.1f;
static const float kCabinSize[3] = {0.9f, 0.28f, 1.1f};
static const float kWheelX = 0.5f;
static const float kWheelZ = 0.75f;
static const float kWheelY = 0.22f;
static const float kWheelRadius = 0.22f;
static const float kWheelThickness = 0.2f;
static const int kWheelSlices = 18;
static const float kLampX = 0.52f;
static const float kLampY = 0.48f;
static const float kLampZ = 1.0f;
static const float kLampSize[3] = {0.08f, 0.08f, 0.22f};

// Static helpers

static void setColour(const float* rgb) {
    glColor3f(rgb[0], rgb[1], rgb[2]);
}

// A box of the given edge lengths centred on (x, y, z) of the current frame.
static void placedBox(float x, float y, float z, const float* size) {
    glPushMatrix();
    glTranslatef(x, y, z);
    drawBox(size[0], size[1], size[2]);
    glPopMatrix();
}

// A sphere centred at height y above the current frame's origin.
static void raisedSphere(float y, float radius, int slices, int stacks) {
    glPushMatrix();
    glTranslatef(0.0f, y, 0.0f);
    drawSphere(radius, slices, stacks);
    glPopMatrix();
}

// A capped frustum whose base stands at height y above the current frame's origin.
static void raisedCylinder(float y, float bottomRadius, float topRadius, float height, int slices) {
    glPushMatrix();
    glTranslatef(0.0f, y, 0.0f);
    drawCylinder(bottomRadius, topRadius, height, slices);
    glPopMatrix();
}

// Public functions

void drawRoad() {
    // s = 0, e = roadOffset: dashes move with the world; a wrap only moves dashes out of sight.
    glPushMatrix();
    glTranslatef(0.0f, -kRoadDrop, 0.0f);

    setColour(kGround);
    drawQuad(-kGroundHalfWidth, 0.0f, kRoadFar, kGroundHalfWidth, kRoadNear);
    setColour(kAsphalt);
    drawQuad(-kAsphaltHalfWidth, kAsphaltY, kRoadFar, kAsphaltHalfWidth, kRoadNear);

    setColour(kDash);
    for (int i = 0; i < kDashCount; ++i) {
        const float p = static_cast<float>(i) * kDashSpacing + kFirstDash + roadOffset;
        float z = fmodf(p, kRoadPeriod);
        if (z > kLastDashStart)
            z -= kRoadPeriod;
        drawQuad(-kDashHalfWidth, kDashY, z, kDashHalfWidth, z + kDashLength);
    }

    setColour(kEdgeLine);
    drawQuad(-kEdgeOuter, kEdgeY, kRoadFar, -kEdgeInner, kRoadNear);
    drawQuad(kEdgeInner, kEdgeY, kRoadFar, kEdgeOuter, kRoadNear);
    glPopMatrix();
}

void drawTree(const Tree& tree) {
    glPushMatrix();
    glTranslatef(tree.x, tree.y, tree.z);
    setColour(kTrunk);
    raisedCylinder(kTrunkBase, kTrunkFootRadius, kTrunkHeadRadius, kTrunkHeight, kTrunkSlices);
    setColour(kLowerFoliage);
    raisedSphere(kLowerFoliageY, kLowerFoliageRadius, kLowerFoliageSlices, kLowerFoliageStacks);
    setColour(kUpperFoliage);
    raisedSphere(kUpperFoliageY, kUpperFoliageRadius, kUpperFoliageSlices, kUpperFoliageStacks);
    glPopMatrix();
}

void drawObstacle(const Obstacle& obstacle) {
    glPushMatrix();
    glTranslatef(obstacle.x, obstacle.y, obstacle.z);
    const float lift = 0.5f * obstacle.height;
    if (obstacle.kind == Box) {
        setColour(kBoxColour);
        drawBox(obstacle.width, obstacle.height, obstacle.depth);
    } else if (obstacle.kind == Sphere) {
        setColour(kSphereColour);
        raisedSphere(lift, kBallRadiusShare * obstacle.width, kBallSlices, kBallStacks);
    } else {  // Cylinder, and any kind the game does not know
        setColour(kCylinderColour);
        const float r = kDrumRadiusShare * obstacle.width;
        raisedCylinder(lift, r, r, obstacle.height, kDrumSlices);
    }
    glPopMatrix();
}

void drawWheel(float x, float z) {
    glPushMatrix();
    glTranslatef(x, kWheelY, z);
    drawCylinder(kWheelRadius, kWheelRadius, kWheelThickness, kWheelSlices);
    glPopMatrix();
}

void drawCar() {
    glPushMatrix();
    glTranslatef(car.x, car.y, car.z);
    glRotatef(car.steerAngle, 0.0f, 1.0f, 0.0f);
    setColour(kBody);
    placedBox(0.0f, kBodyY, 0.0f, kBodySize);
    setColour(kCabin);
    placedBox(0.0f, kCabinY, kCabinZ, kCabinSize);
    setColour(kWheel);
    drawWheel(-kWheelX, kWheelZ);
    drawWheel(kWheelX, kWheelZ);
    drawWheel(-kWheelX, -kWheelZ);
    drawWheel(kWheelX, -kWheelZ);
    setColour(kLamp);
    placedBox(kLampX, kLampY, kLampZ, kLampSize);
    placedBox(-kLampX, kLampY, kLampZ, kLampSize);
    glPopMatrix();
}

void drawScene() {
    drawRoad();
    for (const Tree& tree : trees) drawTree(tree);
    for (const Obstacle& obstacle : obstacles) drawObstacle(obstacle);
}
