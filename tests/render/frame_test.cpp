// frame_test.cpp: what one frame shows in each state: camera, world, texts, buttons, cursor.
#include "frame.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>

#include "render_support.h"
#include "scene.h"

namespace {

// True when the calls b stand in a from index from on.
bool callsAt(const std::vector<GlCall>& a, size_t from, const std::vector<GlCall>& b) {
    return a.size() >= from + b.size() &&
           std::equal(b.begin(), b.end(), a.begin() + from, [](const GlCall& x, const GlCall& y) {
               return x.name == y.name && x.args == y.args;
           });
}

// A frame of a fresh race in the given state and window size.
Replay frameIn(GameState state, int width = 800, int height = 600) {
    state == Menu ? startUp(width, height) : startRaceIn(state, width, height);
    return drawn(display);
}

size_t indexOf(const std::string& name) {
    for (size_t i = 0; i < fakegl::calls.size(); ++i) {
        if (fakegl::calls[i].name == name)
            return i;
    }
    return fakegl::calls.size();
}

std::vector<double> lookAt() {
    const std::vector<GlCall> calls = fakegl::named("gluLookAt");
    return calls.size() == 1 ? calls[0].args : std::vector<double>{};
}

void expectTexts(const Replay& r, const std::vector<RasterText>& expected) {
    ASSERT_EQ(r.texts.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(r.texts[i].text, expected[i].text);
        EXPECT_EQ(r.texts[i].x, expected[i].x) << expected[i].text;
        EXPECT_EQ(r.texts[i].y, expected[i].y) << expected[i].text;
    }
}

}  // namespace

TEST(Frame, ClearCameraWorldCarOverlaySwapInEveryState) {
    for (GameState state : {Menu, Playing, GameOver}) {
        SCOPED_TRACE(state);
        const Replay r = frameIn(state);
        const std::vector<GlCall> frame = fakegl::calls;
        ASSERT_GE(frame.size(), 4u);
        EXPECT_EQ(frame[0].name, "glClear");
        EXPECT_EQ(frame[0].args, std::vector<double>{GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT});
        EXPECT_EQ(frame[1].name, "glLoadIdentity");
        EXPECT_EQ(frame[2].name, "gluLookAt");
        EXPECT_EQ(frame.back().name, "glutSwapBuffers");
        EXPECT_EQ(fakegl::count("glutSwapBuffers"), 1);
        EXPECT_EQ(fakegl::count("glClear"), 1);

        // The world and the car follow the camera, re-emitted in full on every frame.
        fakegl::reset();
        drawScene();
        drawCar();
        EXPECT_TRUE(callsAt(frame, 3, fakegl::calls));
        drawn(display);
        EXPECT_TRUE(callsAt(fakegl::calls, 0, frame) && fakegl::calls.size() == frame.size());
        EXPECT_TRUE(leftAsFound(r));
        for (const GlCall& c : fakegl::named("glutBitmapCharacter")) EXPECT_EQ(c.args[0], 1.0);
    }
}

TEST(Frame, ChaseCameraOfARace) {
    // Worked out in single precision and only then widened. (The fixed camera of the title and
    // crash screens is in their reference pictures.)
    for (GameState state : {Playing, static_cast<GameState>(5)}) {
        startRaceIn(state);
        car.x = 1.3f;
        display();
        const std::vector<double> chase = {
            0.35f * 1.3f, 2.8f, 2.0f + 6.5f, 0.55f * 1.3f, 0.8f, 2.0f - 8.0f, 0, 1, 0};
        EXPECT_EQ(lookAt(), chase) << state;
    }
    EXPECT_TRUE(fakegl::named("glutBitmapCharacter").empty()) << "no overlay for unknown states";
}

TEST(Frame, TextsAndTheirRasterPositions) {
    for (int width : {800, 801}) {
        SCOPED_TRACE(width);
        expectTexts(frameIn(Menu, width), {{330, 420, "Velkarovantine"},
                                           {355, 294, "Start Game"},
                                           {382, 354, "Quit"},
                                           {10, 575, "A/D or LEFT/RIGHT to steer"},
                                           {10, 550, "W/S or UP/DOWN to accelerate"}});
        startRaceIn(GameOver, width);
        score = 57;
        display();
        expectTexts(replay(), {{290, 440, "Game Over   Score: 57"},
                               {width == 800 ? 368 : 369, 294, "Restart"},
                               {382, 354, "Menu"}});
    }
    const struct {
        int score;
        float speed;
        const char* scoreText;
        const char* speedText;
    } races[] = {
        {123, 18.4f, "Score: 123", "Speed: 18"},
        {0, 18.6f, "Score: 0", "Speed: 19"},
        {INT_MAX, 42.0f, "Score: 2147483647", "Speed: 42"},
        {-1, FLT_MAX, "Score: -1", "Speed: 340282346638528859811704183484516925440"},
    };
    for (const auto& race : races) {
        startRaceIn(Playing);
        score = race.score;
        car.speed = race.speed;
        display();
        expectTexts(replay(), {{10, 575, race.scoreText}, {10, 550, race.speedText}});
    }
    startRaceIn(GameOver);
    score = INT_MIN;
    display();
    EXPECT_EQ(replay().texts.at(0).text, "Game Over   Score: -2147483648");
}

TEST(Frame, WindowProjectionPerTextAndButtonAndArrowOnMenuOnly) {
    const struct {
        GameState state;
        int projections;
        int cursors;
    } cases[] = {{Menu, 7, 1}, {Playing, 2, 0}, {GameOver, 5, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        frameIn(c.state, 1024, 768);
        const std::vector<GlCall> ortho = fakegl::named("gluOrtho2D");
        EXPECT_EQ(static_cast<int>(ortho.size()), c.projections);
        for (const GlCall& o : ortho) EXPECT_EQ(o.args, (std::vector<double>{0, 1024, 0, 768}));
        const std::vector<GlCall> cursors = fakegl::named("glutSetCursor");
        ASSERT_EQ(static_cast<int>(cursors.size()), c.cursors);
        if (c.cursors) {
            EXPECT_EQ(cursors[0].args[0], GLUT_CURSOR_LEFT_ARROW);
        }
    }
    // On the title screen the arrow is set after the title and before the first button.
    frameIn(Menu);
    const size_t cursor = indexOf("glutSetCursor");
    EXPECT_GT(cursor, indexOf("glutBitmapCharacter"));
    EXPECT_LT(cursor, indexOf("glLineWidth"));
}

TEST(Frame, EmptyButtonArraysStillShowTheTexts) {
    startUp();
    menuButtons.clear();
    display();
    EXPECT_EQ(replay().texts.size(), 3u);
    EXPECT_EQ(fakegl::count("gluOrtho2D"), 3);
    EXPECT_EQ(fakegl::count("glVertex2f"), 0);
}

TEST(Button, FilledOutlinedAndLabelledOnTop) {
    startUp();
    const Replay r = drawn([] { drawButton(Button{100.0f, 50.5f, 160.0f, 40.0f, "Quit"}); });
    ASSERT_EQ(r.primitives.size(), 2u);
    const std::vector<Vec3> corners = {
        {100, 509.5, 0}, {260, 509.5, 0}, {260, 549.5, 0}, {100, 549.5, 0}};
    EXPECT_EQ(r.primitives[0].mode, GL_QUADS);
    EXPECT_EQ(r.primitives[0].colour, (Vec3{0.2f, 0.4f, 0.7f}));
    EXPECT_EQ(r.primitives[0].vertices, corners);
    EXPECT_EQ(r.primitives[1].mode, GL_LINE_LOOP);
    EXPECT_EQ(r.primitives[1].colour, (Vec3{1, 1, 1}));
    EXPECT_EQ(r.primitives[1].vertices, corners);
    const std::vector<GlCall> widths = fakegl::named("glLineWidth");
    ASSERT_EQ(widths.size(), 2u);
    EXPECT_EQ(widths[0].args[0], 2.0);
    EXPECT_EQ(widths[1].args[0], 1.0);
    // The label comes last, so it lies over the rectangle; 162 = 100 + 80 - 4 * 9 / 2.
    expectTexts(r, {{162, 524, "Quit"}});
    EXPECT_GT(indexOf("glRasterPos2i"), indexOf("glEnd"));
    EXPECT_EQ(fakegl::count("gluOrtho2D"), 2);
    EXPECT_TRUE(leftAsFound(r));
}

TEST(Text, WhiteSetBeforeTheRasterPositionAndStateRestored) {
    startUp(640, 480);
    const Replay r = drawn([] { drawText(7, 30, "Hi"); });
    expectTexts(r, {{7, 450, "Hi"}});
    const size_t raster = indexOf("glRasterPos2i");
    size_t colour = raster;
    while (colour > 0 && fakegl::calls[colour].name != "glColor3f") --colour;
    EXPECT_EQ(fakegl::calls[colour].args, (std::vector<double>{1, 1, 1}));
    EXPECT_EQ(fakegl::named("gluOrtho2D")[0].args, (std::vector<double>{0, 640, 0, 480}));
    EXPECT_TRUE(leftAsFound(r));
}
