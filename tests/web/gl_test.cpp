// gl_test.cpp: the browser's fixed-function GL, read back from what it hands the graphics card.
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>

#include "fixed_function.h"
#include "recording_gpu.h"

namespace {

class WebGl : public ::testing::Test {
   protected:
    void SetUp() override {
        ff::reset();
        recording::reset();
        glViewport(0, 0, 800, 600);
    }
};

// Window projection of the game's overlay: pixels, identity modelview.
void windowPixels(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void quad(float x0, float y0, float x1, float y1) {
    glBegin(GL_QUADS);
    {
        glVertex2f(x0, y0);
        glVertex2f(x1, y0);
        glVertex2f(x1, y1);
        glVertex2f(x0, y1);
    }
    glEnd();
}

std::vector<int> indicesOf(const recording::Draw& d) {
    return std::vector<int>(d.indices.begin(), d.indices.end());
}

}  // namespace

TEST_F(WebGl, GluMatricesMatchTheirDefinitions) {
    glMatrixMode(GL_PROJECTION);
    gluPerspective(62.0, 800.0 / 600.0, 0.1, 300.0);
    const float* p = ff::matrix(GL_PROJECTION);
    const double f = 1.0 / std::tan(31.0 * M_PI / 180.0);
    EXPECT_FLOAT_EQ(p[0], static_cast<float>(f * 600.0 / 800.0));
    EXPECT_FLOAT_EQ(p[5], static_cast<float>(f));
    EXPECT_FLOAT_EQ(p[10], static_cast<float>(-300.1 / 299.9));
    EXPECT_FLOAT_EQ(p[14], static_cast<float>(-60.0 / 299.9));
    EXPECT_EQ(p[11], -1.0f);
    EXPECT_EQ(p[15], 0.0f);

    glLoadIdentity();
    gluOrtho2D(0.0, 800.0, 0.0, 600.0);
    EXPECT_FLOAT_EQ(p[0], 2.0f / 800.0f);
    EXPECT_FLOAT_EQ(p[5], 2.0f / 600.0f);
    EXPECT_EQ(p[10], -1.0f);
    EXPECT_EQ(p[12], -1.0f);
    EXPECT_EQ(p[13], -1.0f);
    gluOrtho2D(0.0, 800.0, 0.0, 0.0);  // a minimised window: ignored, as GL does
    EXPECT_EQ(p[13], -1.0f);

    // Looking from (0, 5, 10) at the origin: the origin lies straight ahead, sqrt(125) away, and
    // the world's x axis stays the eye's x axis.
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(0.0, 5.0, 10.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glBegin(GL_TRIANGLES);
    {
        glVertex3f(0.0f, 0.0f, 0.0f);
        glVertex3f(1.0f, 0.0f, 0.0f);
        glVertex3f(0.0f, 5.0f, 10.0f);
    }
    glEnd();
    ffFlush();
    ASSERT_EQ(recording::draws.size(), 1u);
    const gpu::Vertex* v = recording::draws[0].vertices.data();
    EXPECT_NEAR(v[0].position[0], 0.0f, 1e-6f);
    EXPECT_NEAR(v[0].position[1], 0.0f, 1e-6f);
    EXPECT_NEAR(v[0].position[2], -std::sqrt(125.0f), 1e-5f);
    EXPECT_NEAR(v[1].position[0] - v[0].position[0], 1.0f, 1e-6f);
    EXPECT_NEAR(v[2].position[2], 0.0f, 1e-5f);  // the eye itself
}

TEST_F(WebGl, VerticesAndNormalsGoToEyeSpace) {
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);  // x turns to -z
    glScalef(2.0f, 1.0f, 1.0f);
    glBegin(GL_TRIANGLES);
    {
        glNormal3f(1.0f, 1.0f, 0.0f);  // a non-uniform scale tilts normals the other way
        glVertex3f(1.0f, 0.0f, 0.0f);
        glVertex3f(0.0f, 1.0f, 0.0f);
        glVertex3f(0.0f, 0.0f, 1.0f);
    }
    glEnd();
    ffFlush();
    const gpu::Vertex& v = recording::draws.at(0).vertices[0];
    EXPECT_NEAR(v.position[0], 0.0f, 1e-6f);
    EXPECT_NEAR(v.position[2], -2.0f, 1e-6f);
    EXPECT_NEAR(v.normal[0], 0.0f, 1e-6f);
    EXPECT_NEAR(v.normal[1], 1.0f, 1e-6f);
    EXPECT_NEAR(v.normal[2], -0.5f, 1e-6f);
}

TEST_F(WebGl, LightsAreCarriedToEyeSpaceWhenSet) {
    const float point[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const float direction[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    const float red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    glTranslatef(1.0f, 2.0f, 3.0f);
    glLightfv(GL_LIGHT0, GL_POSITION, point);
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    glLightfv(GL_LIGHT1, GL_POSITION, direction);  // turned, not moved
    glLightfv(GL_LIGHT1, GL_AMBIENT, red);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    glLoadIdentity();  // later modelview changes leave the lights where they are
    quad(0.0f, 0.0f, 1.0f, 1.0f);
    ffFlush();
    const gpu::State& s = recording::draws.at(0).state;
    EXPECT_TRUE(s.lighting);
    EXPECT_FALSE(s.lights[0].enabled);
    EXPECT_TRUE(s.lights[1].enabled);
    EXPECT_FLOAT_EQ(s.lights[0].position[0], 1.0f);
    EXPECT_FLOAT_EQ(s.lights[0].position[2], 3.0f);
    EXPECT_FLOAT_EQ(s.lights[0].position[3], 1.0f);
    EXPECT_NEAR(s.lights[1].position[0], 0.0f, 1e-6f);
    EXPECT_NEAR(s.lights[1].position[1], 1.0f, 1e-6f);
    EXPECT_EQ(s.lights[1].position[3], 0.0f);
    EXPECT_EQ(s.lights[1].ambient[0], 1.0f);
    EXPECT_EQ(s.lights[0].diffuse[0], 1.0f);  // GL's defaults: white for light 0 only
    EXPECT_EQ(s.lights[0].specular[1], 1.0f);
    EXPECT_EQ(s.lights[1].diffuse[0], 0.0f);
}

TEST_F(WebGl, EachVertexTakesTheCurrentNormalAndColour) {
    glBegin(GL_TRIANGLES);
    {
        glColor3f(1.0f, 0.0f, 0.0f);
        glNormal3f(0.0f, 1.0f, 0.0f);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glColor3f(0.0f, 1.0f, 0.0f);
        glVertex3f(1.0f, 0.0f, 0.0f);
        glNormal3f(1.0f, 0.0f, 0.0f);
        glVertex3f(0.0f, 1.0f, 0.0f);
    }
    glEnd();
    ffFlush();
    const std::vector<gpu::Vertex>& v = recording::draws.at(0).vertices;
    EXPECT_EQ(v[0].colour[0], 255);
    EXPECT_EQ(v[1].colour[1], 255);
    EXPECT_EQ(v[1].colour[3], 255);
    EXPECT_EQ(v[1].normal[1], 1.0f);
    EXPECT_EQ(v[2].normal[0], 1.0f);
    EXPECT_EQ(v[2].colour[1], 255);
}

TEST_F(WebGl, PrimitivesSplitIntoTrianglesAsLlvmpipeDoes) {
    quad(0.0f, 0.0f, 1.0f, 1.0f);  // split along its first vertex to its third
    glBegin(GL_QUAD_STRIP);        // quad (0, 1, 3, 2) split along 0 to 3
    for (int i = 0; i < 6; ++i) glVertex2f(static_cast<float>(i / 2), static_cast<float>(i % 2));
    glEnd();
    glBegin(GL_TRIANGLE_FAN);
    for (int i = 0; i < 4; ++i) glVertex2f(static_cast<float>(i), 0.0f);
    glEnd();
    ffFlush();
    const std::vector<int> expected = {0, 1, 2, 0, 2, 3, 4,  5,  7,  4,  7,  6,
                                       6, 7, 9, 6, 9, 8, 10, 11, 12, 10, 12, 13};
    EXPECT_EQ(indicesOf(recording::draws.at(0)), expected);
}

TEST_F(WebGl, GeometryBatchesUntilTheStateChanges) {
    glEnable(GL_LIGHTING);
    for (int i = 0; i < 50; ++i) {
        glPushMatrix();
        glTranslatef(0.01f * static_cast<float>(i), 0.0f, 0.0f);  // each reaches into the view
        quad(0.0f, 0.0f, 1.0f, 1.0f);
        glPopMatrix();
    }
    EXPECT_TRUE(recording::draws.empty());  // nothing drawn until something forces it
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHTING);
    quad(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(recording::draws.size(), 2u);
    EXPECT_EQ(recording::draws[0].vertices.size(), 200u);
    EXPECT_TRUE(recording::draws[0].state.lighting);
    EXPECT_FALSE(recording::draws[1].state.lighting);
    EXPECT_EQ(recording::clears, 1);

    // A strip and a fan longer than 16-bit indices reach are split across batches without losing
    // a triangle, and the fan keeps its centre (the only vertex below y = 0).
    recording::reset();
    const int count = 80000;
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i < count; ++i) glVertex2f(static_cast<float>(i / 2), float(i % 2));
    glEnd();
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(0.0f, -1.0f);
    for (int i = 1; i < count; ++i) glVertex2f(1.0f, static_cast<float>(i));
    glEnd();
    ffFlush();
    size_t triangles = 0;
    for (const recording::Draw& d : recording::draws) {
        for (uint16_t index : d.indices) ASSERT_LT(index, d.vertices.size());
        triangles += d.indices.size() / 3;
    }
    EXPECT_EQ(recording::draws.size(), 3u);
    EXPECT_EQ(triangles, static_cast<size_t>(count - 2 + count - 2));
    const recording::Draw& fanEnd = recording::draws.back();
    for (size_t k = 0; k < fanEnd.indices.size(); k += 3) {
        ASSERT_EQ(fanEnd.vertices[fanEnd.indices[k]].position[1], -1.0f);
    }
}

TEST_F(WebGl, PrimitivesWhollyBeyondOneClipPlaneAreDropped) {
    glMatrixMode(GL_PROJECTION);
    gluPerspective(60.0, 4.0 / 3.0, 1.0, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glColor3f(1.0f, 0.0f, 0.0f);
    quad(-1.0f, -1.0f, 1.0f, 1.0f);  // at z = 0, in front of the near plane: dropped
    glTranslatef(0.0f, 0.0f, -10.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    quad(-1.0f, -1.0f, 1.0f, 1.0f);  // in view: kept
    glColor3f(0.0f, 0.0f, 1.0f);
    quad(20.0f, -1.0f, 40.0f, 1.0f);  // right of the view: dropped
    glColor3f(1.0f, 1.0f, 0.0f);
    quad(-40.0f, -40.0f, 40.0f, -20.0f);  // below, reaching past the sides too: dropped
    glColor3f(0.0f, 1.0f, 1.0f);
    quad(-40.0f, -1.0f, 40.0f, 1.0f);  // left and right of the view, straddling it: kept
    glBegin(GL_TRIANGLES);  // beyond the right, the left, and behind the eye: no plane has all
    {                       // three beyond it, so kept
        glVertex3f(40.0f, 0.0f, 0.0f);
        glVertex3f(-40.0f, 0.0f, 0.0f);
        glVertex3f(0.0f, 0.0f, 20.0f);
    }
    glEnd();
    glTranslatef(0.0f, 0.0f, -300.0f);
    quad(-1.0f, -1.0f, 1.0f, 1.0f);  // beyond the far plane: dropped
    ffFlush();
    ASSERT_EQ(recording::draws.size(), 1u);
    const recording::Draw& d = recording::draws[0];
    ASSERT_EQ(d.vertices.size(), 11u);
    EXPECT_EQ(d.indices.size(), 15u);
    EXPECT_EQ(d.vertices[0].colour[1], 255);
    EXPECT_EQ(d.vertices[4].colour[1], 255);  // cyan: the blue and yellow quads are gone
    EXPECT_EQ(d.vertices[4].colour[2], 255);
    EXPECT_EQ(d.vertices[8].position[0], 40.0f);
    for (uint16_t index : d.indices) EXPECT_LT(index, d.vertices.size());
}

TEST_F(WebGl, WideLinesCoverTheDesktopsPixels) {
    // The game's "Start Game" outline at 800 x 600. Its bottom edge keeps only row 279: row 280
    // is the last of a 64-pixel tile counted from the top, which llvmpipe drops.
    windowPixels(800, 600);
    glLineWidth(2.0f);
    glBegin(GL_LINE_LOOP);
    {
        glVertex2f(320.0f, 280.0f);
        glVertex2f(480.0f, 280.0f);
        glVertex2f(480.0f, 320.0f);
        glVertex2f(320.0f, 320.0f);
    }
    glEnd();
    ffFlush();
    const std::set<std::pair<int, int>> lit = recording::rectanglePixels(recording::draws.at(0));
    EXPECT_EQ(lit.size(), 160u + 2 * 160 + 2 * 2 * 40 - 2);  // the sides overlap the top twice
    EXPECT_TRUE(lit.count({320, 279}) && lit.count({479, 279}) && !lit.count({480, 279}));
    EXPECT_FALSE(lit.count({400, 280}));
    EXPECT_TRUE(lit.count({400, 319}) && lit.count({400, 320}));
    EXPECT_TRUE(lit.count({319, 280}) && lit.count({320, 319}) && !lit.count({319, 320}));
    EXPECT_TRUE(lit.count({479, 300}) && lit.count({480, 300}) && !lit.count({481, 300}));
    EXPECT_EQ(recording::draws[0].state.projection[0], 2.0f / 800.0f);
}

TEST_F(WebGl, BitmapsLandOnWholePixelsFromTheRasterPosition) {
    windowPixels(800, 600);
    glColor3f(1.0f, 0.0f, 0.0f);
    glRasterPos2i(10, 20);
    glColor3f(0.0f, 1.0f, 0.0f);  // the raster colour was taken already
    glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, 'A');
    glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, 'A');  // moved on by the advance, 4
    glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, 'B');  // not in the font: nothing
    glRasterPos2i(-1, 20);                               // outside the window: invalid
    glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, 'A');
    ffFlush();
    const recording::Draw& d = recording::draws.at(0);
    const std::set<std::pair<int, int>> expected = {{9, 20},  {11, 20}, {9, 21},  {10, 21},
                                                    {11, 21}, {13, 20}, {15, 20}, {13, 21},
                                                    {14, 21}, {15, 21}};
    EXPECT_EQ(recording::rectanglePixels(d), expected);
    EXPECT_EQ(d.vertices[0].colour[0], 255);
    EXPECT_EQ(d.vertices[0].colour[1], 0);
    float window[3];
    EXPECT_FALSE(ff::rasterPosition(window));
    glRasterPos2i(800, 600);  // the window's far corner is still inside
    EXPECT_TRUE(ff::rasterPosition(window));
}

TEST_F(WebGl, SolidCubeDrawsFreeglutsFacesAndKeepsTheCurrentNormal) {
    glNormal3f(0.0f, 1.0f, 0.0f);
    glScalef(2.0f, 2.0f, 2.0f);
    glutSolidCube(1.0);
    quad(0.0f, 0.0f, 1.0f, 1.0f);  // no normal of its own: the one from before the cube
    ffFlush();
    const recording::Draw& d = recording::draws.at(0);
    ASSERT_EQ(d.vertices.size(), 28u);
    ASSERT_EQ(d.indices.size(), 36u + 6u);
    const float faceNormals[6][3] = {{0, 0, 1},  {1, 0, 0},  {0, 1, 0},
                                     {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    for (int face = 0; face < 6; ++face) {
        for (int k = 0; k < 4; ++k) {
            const gpu::Vertex& v = d.vertices[4 * face + k];
            for (int i = 0; i < 3; ++i) {
                EXPECT_FLOAT_EQ(v.normal[i], 0.5f * faceNormals[face][i]);
                if (faceNormals[face][i] != 0.0f) {  // on the face's plane, a unit from the centre
                    EXPECT_EQ(v.position[i], faceNormals[face][i]);
                }
            }
        }
    }
    EXPECT_EQ(d.vertices[0].position[0], 1.0f);  // freeglut's first vertex: (+, +, +)
    EXPECT_EQ(d.vertices[1].position[0], -1.0f);
    EXPECT_EQ(d.indices[4], 2);
    EXPECT_EQ(d.vertices[24].normal[1], 0.5f);
}

TEST_F(WebGl, ArrayIndicesPastTheVertexCountAreRefused) {
    const float positions[9] = {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    const float normals[9] = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f};
    const unsigned char pastTheEnd[6] = {0, 1, 2, 2, 1, 3};
    quad(0.0f, 0.0f, 1.0f, 1.0f);  // the batch holds vertices the bad index would reach
    ff::drawIndexedTriangles(positions, normals, 3, pastTheEnd, 6);
    ffFlush();
    ASSERT_EQ(recording::draws.size(), 1u);
    EXPECT_EQ(recording::draws[0].vertices.size(), 4u);  // the quad's alone
    EXPECT_EQ(recording::draws[0].indices.size(), 6u);

    recording::reset();
    const unsigned char inRange[3] = {2, 1, 0};
    ff::drawIndexedTriangles(positions, normals, 3, inRange, 3);
    ffFlush();
    ASSERT_EQ(recording::draws.size(), 1u);
    EXPECT_EQ(indicesOf(recording::draws[0]), (std::vector<int>{2, 1, 0}));
}
