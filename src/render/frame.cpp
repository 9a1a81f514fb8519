// frame.cpp: one whole frame: camera of the screen, world, car, then texts and buttons on top.
#include "frame.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <cstdio>
#include <cstring>

#include "scene.h"
#include "shared_constants.h"

// Constants

// Fixed camera of the title and crash screens.
static const double kOverviewEye[3] = {0.0, 5.0, 10.0};

// Chase camera, relative to the car.
static const float kChaseEyeShare = 0.35f;  // of car.x
static const float kChaseEyeY = 2.8f;
static const float kChaseEyeBehind = 6.5f;
static const float kChaseCentreShare = 0.55f;  // of car.x
static const float kChaseCentreY = 0.8f;
static const float kChaseCentreAhead = 8.0f;

// Overlay texts and their positions, in window pixels from the top-left corner.
static const char* const kSteerHelp = "A/D or LEFT/RIGHT to steer";
static const char* const kPedalHelp = "W/S or UP/DOWN to accelerate";
static const char* const kScoreFormat = "Score: %d";
static const char* const kSpeedFormat = "Speed: %.0f";
static const char* const kGameOverFormat = "Game Over   Score: %d";
static const int kTitleLeftOfCentre = 70;
static const int kTitleAboveCentre = 120;
static const int kGameOverLeftOfCentre = 110;
static const int kGameOverAboveCentre = 140;
static const int kMargin = 10;
static const int kFirstLineY = 25;
static const int kSecondLineY = 50;

// Longest formatted text: "Speed: " and a float printed whole, up to 40 characters for -FLT_MAX.
static const size_t kTextBufferSize = 48;

// Buttons and labels.
static const float kButtonFill[3] = {0.2f, 0.4f, 0.7f};
static const float kOutlineWidth = 2.0f;
static const float kDefaultLineWidth = 1.0f;
static const int kGlyphWidthEstimate = 9;
static const float kLabelBelowMiddle = 6.0f;

// Static helpers

// Switches to window pixels (bottom-left origin) with depth test and lighting off.
static void enterWindowProjection() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, windowWidth, 0.0, windowHeight);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

// Restores the 3D set-up that enterWindowProjection saved, modelview selected.
static void leaveWindowProjection() {
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

// The chase camera behind the car, computed in single precision.
static void lookFromBehindCar() {
    const float eyeX = kChaseEyeShare * car.x;
    const float eyeZ = car.z + kChaseEyeBehind;
    const float centreX = kChaseCentreShare * car.x;
    const float centreZ = car.z - kChaseCentreAhead;
    gluLookAt(eyeX, kChaseEyeY, eyeZ, centreX, kChaseCentreY, centreZ, 0.0, 1.0, 0.0);
}

// The four corners of a button counter-clockwise from its bottom-left, in window pixels.
static void emitCorners(float x, float bottom, float w, float h) {
    glVertex2f(x, bottom);
    glVertex2f(x + w, bottom);
    glVertex2f(x + w, bottom + h);
    glVertex2f(x, bottom + h);
}

static void drawButtons(const std::vector<Button>& buttons) {
    for (const Button& button : buttons) drawButton(button);
}

static void drawMenuOverlay() {
    drawText(windowWidth / 2 - kTitleLeftOfCentre, windowHeight / 2 - kTitleAboveCentre,
             kGameTitle);
    glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
    drawButtons(menuButtons);
    drawText(kMargin, kFirstLineY, kSteerHelp);
    drawText(kMargin, kSecondLineY, kPedalHelp);
}

static void drawRaceOverlay() {
    char text[kTextBufferSize];
    snprintf(text, sizeof text, kScoreFormat, score);
    drawText(kMargin, kFirstLineY, text);
    snprintf(text, sizeof text, kSpeedFormat, static_cast<double>(car.speed));
    drawText(kMargin, kSecondLineY, text);
}

static void drawGameOverOverlay() {
    char text[kTextBufferSize];
    snprintf(text, sizeof text, kGameOverFormat, score);
    drawText(windowWidth / 2 - kGameOverLeftOfCentre, windowHeight / 2 - kGameOverAboveCentre,
             text);
    drawButtons(gameOverButtons);
}

// Public functions

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    const bool overview = (gameState == Menu || gameState == GameOver);
    if (overview) {
        gluLookAt(kOverviewEye[0], kOverviewEye[1], kOverviewEye[2], 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    } else {
        lookFromBehindCar();
    }
    drawScene();
    drawCar();
    if (gameState == Menu) {
        drawMenuOverlay();
    } else if (gameState == Playing) {
        drawRaceOverlay();
    } else if (gameState == GameOver) {
        drawGameOverOverlay();
    }
    glutSwapBuffers();
}

void drawText(int x, int y, const char* text) {
    enterWindowProjection();
    glColor3f(1.0f, 1.0f, 1.0f);  // before the raster position, which takes the current colour
    glRasterPos2i(x, windowHeight - y);
    for (const char* c = text; *c != '\0'; ++c) {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, static_cast<unsigned char>(*c));
    }
    leaveWindowProjection();
}

void drawButton(const Button& button) {
    const float x = button.x;
    const float w = button.width;
    const float h = button.height;
    const float bottom = (static_cast<float>(windowHeight) - button.y) - h;

    enterWindowProjection();
    glColor3f(kButtonFill[0], kButtonFill[1], kButtonFill[2]);
    glBegin(GL_QUADS);
    { emitCorners(x, bottom, w, h); }
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
    glLineWidth(kOutlineWidth);
    glBegin(GL_LINE_LOOP);
    { emitCorners(x, bottom, w, h); }
    glEnd();
    glLineWidth(kDefaultLineWidth);
    leaveWindowProjection();

    const float labelWidth = static_cast<float>(kGlyphWidthEstimate * std::strlen(button.label));
    const int tx = static_cast<int>((w * 0.5f + x) - labelWidth * 0.5f);
    const int ty = static_cast<int>((h * 0.5f + button.y) + kLabelBelowMiddle);
    drawText(tx, ty, button.label);
}
