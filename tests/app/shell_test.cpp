// shell_test.cpp: the one-time GL state and the projection kept in step with the window.
#include "shell.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fake_gl.h"
#include "frame.h"
#include "keyboard.h"
#include "menu.h"
#include "race.h"
#include "window.h"
#include "world.h"

// A call as the fake records it, for comparing whole sequences.
static GlCall call(std::string name, std::vector<double> args = {}) {
    return GlCall{std::move(name), std::move(args)};
}

// The calls as "name(arg, ...)" lines with every digit, so comparing them is exact and a
// mismatch prints readably.
static std::vector<std::string> describe(const std::vector<GlCall>& calls) {
    std::vector<std::string> out;
    for (const GlCall& c : calls) {
        std::string line = c.name + "(";
        for (double a : c.args) {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g,", a);
            line += text;
        }
        out.push_back(line + ")");
    }
    return out;
}

// Checks a button is centred across the window, the way every layout places both.
static void expectCentredAcross(const Button& b, int width) {
    EXPECT_FLOAT_EQ(b.x + b.width * 0.5f, static_cast<float>(width) * 0.5f);
}

class Shell : public ::testing::Test {
   protected:
    void SetUp() override { fakegl::reset(); }
};

TEST_F(Shell, WindowModeGlStateLightsHandlersAndFirstTimerInOrder) {
    int argc = 3;
    char* argv[] = {nullptr, nullptr, nullptr, nullptr};
    openGameWindow(&argc, argv);
    const std::vector<GlCall> expected = {
        call("glutInit", {3}),
        call("glutInitDisplayMode", {GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE}),
        call("glutInitWindowSize", {800, 600}),
        call("glutCreateWindow"),
        call("glClearColor", {0.45f, 0.72f, 0.92f, 1.0f}),
        call("glEnable", {GL_DEPTH_TEST}),
        call("glEnable", {GL_LIGHTING}),
        call("glEnable", {GL_LIGHT0}),
        call("glEnable", {GL_COLOR_MATERIAL}),
        call("glColorMaterial", {GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE}),
        call("glEnable", {GL_NORMALIZE}),
        call("glShadeModel", {GL_SMOOTH}),
        call("glLightfv", {GL_LIGHT0, GL_POSITION, 4.0f, 8.0f, 3.0f, 1.0f}),
        call("glLightfv", {GL_LIGHT0, GL_AMBIENT, 0.45f, 0.45f, 0.45f, 1.0f}),
        call("glLightfv", {GL_LIGHT0, GL_DIFFUSE, 0.95f, 0.95f, 0.85f, 1.0f}),
        call("glLightfv", {GL_LIGHT0, GL_SPECULAR, 0.4f, 0.4f, 0.4f, 1.0f}),
        call("glEnable", {GL_LIGHT1}),
        call("glLightfv", {GL_LIGHT1, GL_POSITION, -3.0f, 5.0f, -2.0f, 0.0f}),
        call("glLightfv", {GL_LIGHT1, GL_DIFFUSE, 0.2f, 0.15f, 0.1f, 1.0f}),
        call("glLightfv", {GL_LIGHT1, GL_AMBIENT, 0.2f, 0.15f, 0.1f, 1.0f}),
        call("glutDisplayFunc", {fakegl::address(display)}),
        call("glutReshapeFunc", {fakegl::address(reshape)}),
        call("glutKeyboardFunc", {fakegl::address(keyDown)}),
        call("glutKeyboardUpFunc", {fakegl::address(keyUp)}),
        call("glutSpecialFunc", {fakegl::address(specialDown)}),
        call("glutSpecialUpFunc", {fakegl::address(specialUp)}),
        call("glutMouseFunc", {fakegl::address(mouseButton)}),
        call("glutPassiveMotionFunc", {fakegl::address(mouseMove)}),
        call("glutTimerFunc", {0, 0}),  // the first step at once; the main loop is main's
    };
    EXPECT_EQ(describe(fakegl::calls), describe(expected));
    EXPECT_EQ(fakegl::timerCallback, &tick);
}

TEST_F(Shell, ReshapeStoresSizeAndSetsViewportAndPerspective) {
    const struct {
        int width, height;
        double viewportHeight, aspect;
    } rows[] = {{1024, 768, 768, 1024.0 / 768.0}, {800, 600, 600, 800.0 / 600.0}, {640, 0, 1, 640}};
    for (const auto& row : rows) {
        fakegl::reset();
        reshape(row.width, row.height);
        EXPECT_EQ(windowWidth, row.width);
        EXPECT_EQ(windowHeight, row.height);
        const std::vector<GlCall> expected = {
            call("glViewport", {0, 0, double(row.width), row.viewportHeight}),
            call("glMatrixMode", {GL_PROJECTION}),
            call("glLoadIdentity"),
            call("gluPerspective", {62.0, row.aspect, 0.1, 300.0}),
            call("glMatrixMode", {GL_MODELVIEW}),
        };
        EXPECT_EQ(describe(fakegl::calls), describe(expected));
        ASSERT_EQ(menuButtons.size(), 2u);
        expectCentredAcross(menuButtons[1], row.width);
        expectCentredAcross(gameOverButtons[0], row.width);
        EXPECT_FLOAT_EQ(menuButtons[0].y + menuButtons[0].height * 0.5f,
                        static_cast<float>(row.height) * 0.5f);
    }
}
