// gl_api.cpp: the GL, GLU and GLUT drawing entry points the game calls, for the browser build.
// GLU's matrices are computed as GLU computes them, in the same precision, so they match the
// desktop's; GL's side of each call is the state machine in fixed_function.cpp.
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <cmath>

#include "fixed_function.h"
#include "font.h"

// Constants

static const double kPi = 3.14159265358979323846;

// glutSolidCube's 24 vertices for an edge of 1, four per face in the order freeglut draws them
// (+z, +x, +y, -x, -y, -z), each face counter-clockwise seen from outside, with its normal.
static const int kCubeFaceVertices = 4;
static const int kCubeFaceFloats = 3 * kCubeFaceVertices;
static const int kCubeVertices = 6 * kCubeFaceVertices;
static const float kCubePositions[kCubeVertices * 3] = {
    0.5f,  0.5f,  0.5f,  -0.5f, 0.5f,  0.5f,  -0.5f, -0.5f, 0.5f,  0.5f,  -0.5f, 0.5f,   // +z
    0.5f,  0.5f,  0.5f,  0.5f,  -0.5f, 0.5f,  0.5f,  -0.5f, -0.5f, 0.5f,  0.5f,  -0.5f,  // +x
    0.5f,  0.5f,  0.5f,  0.5f,  0.5f,  -0.5f, -0.5f, 0.5f,  -0.5f, -0.5f, 0.5f,  0.5f,   // +y
    -0.5f, 0.5f,  0.5f,  -0.5f, 0.5f,  -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, 0.5f,   // -x
    -0.5f, -0.5f, -0.5f, 0.5f,  -0.5f, -0.5f, 0.5f,  -0.5f, 0.5f,  -0.5f, -0.5f, 0.5f,   // -y
    0.5f,  -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, 0.5f,  -0.5f, 0.5f,  0.5f,  -0.5f,  // -z
};
static const float kCubeFaceNormals[6][3] = {{0.0f, 0.0f, 1.0f},  {1.0f, 0.0f, 0.0f},
                                             {0.0f, 1.0f, 0.0f},  {-1.0f, 0.0f, 0.0f},
                                             {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}};
// Each face as the triangles (0, 1, 2) and (0, 2, 3) of its four vertices.
static const int kCubeIndices = 36;
static const unsigned char kCubeOrder[kCubeIndices] = {
    0,  1,  2,  0,  2,  3,  4,  5,  6,  4,  6,  7,  8,  9,  10, 8,  10, 11,
    12, 13, 14, 12, 14, 15, 16, 17, 18, 16, 18, 19, 20, 21, 22, 20, 22, 23};

// Globals

// The font symbol GLUT_BITMAP_HELVETICA_18 points at; only its address matters.
void* glutBitmapHelvetica18 = nullptr;

// Static helpers

// GLU's vector helpers, in single precision as GLU has them.
static void normalise(float v[3]) {
    const float r = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (r == 0.0f)
        return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

static void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// A double-precision matrix as glMultMatrixd takes it: every element rounded to float.
static void multMatrixd(const double* m) {
    float f[ff::kMatrixElements];
    for (int i = 0; i < ff::kMatrixElements; ++i) f[i] = static_cast<float>(m[i]);
    ff::multMatrix(f);
}

// glOrtho as Mesa computes it: the bounds rounded to float, then single precision. An empty
// volume (a minimised window's height of 0) is an invalid value: the matrix stays as it was.
static void ortho(float left, float right, float bottom, float top, float zNear, float zFar) {
    if (left == right || bottom == top || zNear == zFar)
        return;
    using ff::at;
    float m[ff::kMatrixElements] = {};
    m[at(0, 0)] = 2.0f / (right - left);
    m[at(0, 3)] = -(right + left) / (right - left);
    m[at(1, 1)] = 2.0f / (top - bottom);
    m[at(1, 3)] = -(top + bottom) / (top - bottom);
    m[at(2, 2)] = -2.0f / (zFar - zNear);
    m[at(2, 3)] = -(zFar + zNear) / (zFar - zNear);
    m[at(3, 3)] = 1.0f;
    ff::multMatrix(m);
}

// Public functions

// GL

void glClear(GLbitfield mask) {
    ff::clear((mask & GL_COLOR_BUFFER_BIT) != 0, (mask & GL_DEPTH_BUFFER_BIT) != 0);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    ff::setClearColour(r, g, b, a);
}
void glEnable(GLenum cap) {
    ff::setCapability(cap, true);
}
void glDisable(GLenum cap) {
    ff::setCapability(cap, false);
}
void glColorMaterial(GLenum face, GLenum mode) {
    ff::setColourMaterial(face, mode);
}
// Smooth shading is the only kind the layer draws, and the game asks for nothing else.
void glShadeModel(GLenum /*mode*/) {}
void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    ff::setLight(light, pname, params);
}
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    ff::setViewport(x, y, width, height);
}
void glMatrixMode(GLenum mode) {
    ff::selectMatrix(mode);
}
void glLoadIdentity() {
    ff::loadIdentity();
}
void glPushMatrix() {
    ff::pushMatrix();
}
void glPopMatrix() {
    ff::popMatrix();
}
void glMultMatrixf(const GLfloat* m) {
    ff::multMatrix(m);
}
void glMultMatrixd(const GLdouble* m) {
    multMatrixd(m);
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    ff::translate(x, y, z);
}
void glRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z) {
    ff::rotate(degrees, x, y, z);
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    ff::scale(x, y, z);
}
void glBegin(GLenum mode) {
    ff::begin(mode);
}
void glEnd() {
    ff::end();
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    ff::normal(x, y, z);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    ff::vertex(x, y, z);
}
void glVertex2f(GLfloat x, GLfloat y) {
    ff::vertex(x, y, 0.0f);
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    ff::colour(r, g, b, 1.0f);
}
void glRasterPos2i(GLint x, GLint y) {
    ff::rasterPos(static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f);
}
void glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
              GLfloat ymove, const GLubyte* bitmap) {
    ff::bitmap(width, height, xorig, yorig, xmove, ymove, bitmap);
}
void glLineWidth(GLfloat width) {
    ff::setLineWidth(width);
}

// GLU

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * kPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    using ff::at;
    double m[ff::kMatrixElements] = {};
    m[at(0, 0)] = cotangent / aspect;
    m[at(1, 1)] = cotangent;
    m[at(2, 2)] = -(zFar + zNear) / deltaZ;
    m[at(3, 2)] = -1;
    m[at(2, 3)] = -2 * zNear * zFar / deltaZ;
    multMatrixd(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    float forward[3] = {static_cast<float>(centreX - eyeX), static_cast<float>(centreY - eyeY),
                        static_cast<float>(centreZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    using ff::at;
    float m[ff::kMatrixElements] = {};
    for (int i = 0; i < 3; ++i) {
        m[at(0, i)] = side[i];
        m[at(1, i)] = up[i];
        m[at(2, i)] = -forward[i];
    }
    m[at(3, 3)] = 1.0f;
    ff::multMatrix(m);
    ff::translate(static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    ortho(static_cast<float>(left), static_cast<float>(right), static_cast<float>(bottom),
          static_cast<float>(top), -1.0f, 1.0f);
}

// GLUT

// freeglut draws the cube from vertex and normal arrays, so the current normal stays as it was:
// whatever is drawn next without a normal of its own inherits the normal from before the cube.
void glutSolidCube(GLdouble size) {
    const float edge = static_cast<float>(size);
    float positions[kCubeVertices * 3];
    float normals[kCubeVertices * 3];
    for (int i = 0; i < kCubeVertices * 3; ++i) {
        positions[i] = kCubePositions[i] * edge;
        normals[i] = kCubeFaceNormals[i / kCubeFaceFloats][i % 3];
    }
    ff::drawIndexedTriangles(positions, normals, kCubeVertices, kCubeOrder, kCubeIndices);
}

// GLUT's own signature: the font is an opaque pointer compared by address.
// cppcheck-suppress constParameter
void glutBitmapCharacter(void* fontId, int character) {
    if (fontId != GLUT_BITMAP_HELVETICA_18)
        return;
    const font::Glyph* glyph = font::helvetica18(character);
    if (glyph == nullptr)
        return;
    ff::bitmap(glyph->width, glyph->height, glyph->xorig, glyph->yorig, glyph->advance, 0.0f,
               glyph->bits);
}
