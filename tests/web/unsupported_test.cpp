// unsupported_test.cpp: what the browser's GL layer leaves out is reported on stderr, once for each
// distinct call and value; what the game calls is never reported.
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "fixed_function.h"

namespace {

const GLfloat kValues[4] = {0.5f, 0.5f, 0.5f, 1.0f};

void triangle(GLenum mode) {
    glBegin(mode);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.5f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.5f, 0.0f);
    glEnd();
}

// The game's set-up and the kinds of drawing of its frames: lit geometry in 3D, then lines and
// text in window pixels with lighting off.
void gameCalls() {
    ff::setFramebufferSize(800, 600);
    glViewport(0, 0, 800, 600);
    for (GLenum cap :
         {GL_DEPTH_TEST, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_COLOR_MATERIAL, GL_NORMALIZE})
        glEnable(cap);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glShadeModel(GL_SMOOTH);
    for (GLenum pname : {GL_POSITION, GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR})
        glLightfv(GL_LIGHT1, pname, kValues);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glMatrixMode(GL_MODELVIEW);
    for (GLenum mode :
         {GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS, GL_QUAD_STRIP, GL_POLYGON})
        triangle(mode);
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    for (GLenum mode : {GL_LINES, GL_LINE_STRIP, GL_LINE_LOOP}) triangle(mode);
    glRasterPos2i(0, 0);
    glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, 'A');
}

int otherFont = 0;

// Each unsupported call, with what its report names.
const std::vector<std::pair<std::string, std::function<void()>>> kUnsupported = {
    {"glEnable(0x0b60)", [] { glEnable(GL_FOG); }},
    {"glDisable(0x0b60)", [] { glDisable(GL_FOG); }},
    {"glEnable(0x4002)", [] { glEnable(GL_LIGHT2); }},
    {"glShadeModel(0x1d00)", [] { glShadeModel(GL_FLAT); }},
    {"glColorMaterial(0x1201)", [] { glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE); }},
    {"glColorMaterial(0x0405)", [] { glColorMaterial(GL_BACK, GL_AMBIENT_AND_DIFFUSE); }},
    {"glLightfv(0x1206)", [] { glLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, kValues); }},
    {"glLightfv(0x1207)", [] { glLightfv(GL_LIGHT0, GL_CONSTANT_ATTENUATION, kValues); }},
    {"glLightfv(0x4002)", [] { glLightfv(GL_LIGHT2, GL_DIFFUSE, kValues); }},
    {"glClear(0x0400)", [] { glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT); }},
    {"glMatrixMode(0x1702)", [] { glMatrixMode(GL_TEXTURE); }},
    {"glBegin(0x0000)", [] { triangle(GL_POINTS); }},
    {"drawn unlit",
     [] {
         glEnable(GL_LIGHTING);
         triangle(GL_LINES);
         glDisable(GL_LIGHTING);
     }},
    {"glRasterPos while lighting",
     [] {
         glEnable(GL_LIGHTING);
         glRasterPos2i(0, 0);
         glDisable(GL_LIGHTING);
     }},
    {"as if the viewport filled",
     [] {
         glViewport(0, 0, 400, 600);
         triangle(GL_LINE_STRIP);
         glViewport(0, 0, 800, 600);
     }},
    {"behind the eye",
     [] {
         glMatrixMode(GL_PROJECTION);
         gluPerspective(60.0, 1.0, 0.1, 10.0);
         glBegin(GL_LINES);
         glVertex3f(0.0f, 0.0f, -1.0f);
         glVertex3f(0.0f, 0.0f, 1.0f);
         glEnd();
         glLoadIdentity();
         glMatrixMode(GL_MODELVIEW);
     }},
    {"other than GLUT_BITMAP_HELVETICA_18", [] { glutBitmapCharacter(&otherFont, 'A'); }},
};

// The lines of `text` that contain `part`.
int linesWith(const std::string& text, const std::string& part) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) count += line.find(part) != line.npos;
    return count;
}

}  // namespace

TEST(Unsupported, ReportedOnceEachWhileTheGameCallsReportNothing) {
    ff::reset();
    testing::internal::CaptureStderr();
    gameCalls();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    testing::internal::CaptureStderr();
    for (int round = 0; round < 2; ++round) {
        for (const auto& call : kUnsupported) call.second();
        gameCalls();
    }
    const std::string reports = testing::internal::GetCapturedStderr();
    EXPECT_EQ(linesWith(reports, "Not supported by the browser's GL layer: "),
              static_cast<int>(kUnsupported.size()));
    for (const auto& call : kUnsupported)
        EXPECT_EQ(linesWith(reports, call.first), 1) << call.first << " in:\n" << reports;
}
