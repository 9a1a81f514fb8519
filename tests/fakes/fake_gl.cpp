// fake_gl.cpp: records each GL/GLU/GLUT call; built with VELK_NULL_GL it records nothing,
// which gives benchmarks a GL whose functions cost no more than a call.
#include "fake_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <initializer_list>

namespace fakegl {

std::vector<GlCall> calls;
void (*timerCallback)(int) = nullptr;

void reset() {
    calls.clear();
}

std::vector<GlCall> named(const std::string& name) {
    std::vector<GlCall> out;
    for (const GlCall& c : calls) {
        if (c.name == name)
            out.push_back(c);
    }
    return out;
}

int count(const std::string& name) {
    return static_cast<int>(named(name).size());
}

std::string bitmapText() {
    std::string text;
    for (const GlCall& c : named("glutBitmapCharacter")) text += static_cast<char>(c.args[1]);
    return text;
}

}  // namespace fakegl

#ifdef VELK_NULL_GL
static inline void record(const char*, std::initializer_list<double>) {}
#else
static void record(const char* name, std::initializer_list<double> args) {
    fakegl::calls.push_back(GlCall{name, std::vector<double>(args)});
}
#endif
#define RECORD(...) record(__VA_ARGS__)

// The font symbol GLUT_BITMAP_HELVETICA_18 points at; args record 1 when it is that font.
void* glutBitmapHelvetica18 = nullptr;
[[maybe_unused]] static double isHelvetica18(void* font) {
    return font == GLUT_BITMAP_HELVETICA_18 ? 1.0 : 0.0;
}

// GL
void glClear(GLbitfield mask) {
    RECORD("glClear", {double(mask)});
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    RECORD("glClearColor", {r, g, b, a});
}
void glEnable(GLenum cap) {
    RECORD("glEnable", {double(cap)});
}
void glDisable(GLenum cap) {
    RECORD("glDisable", {double(cap)});
}
void glColorMaterial(GLenum face, GLenum mode) {
    RECORD("glColorMaterial", {double(face), double(mode)});
}
void glShadeModel(GLenum mode) {
    RECORD("glShadeModel", {double(mode)});
}
void glLightfv(GLenum light, GLenum pname, const GLfloat* p) {
    RECORD("glLightfv", {double(light), double(pname), p[0], p[1], p[2], p[3]});
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    RECORD("glViewport", {double(x), double(y), double(w), double(h)});
}
void glMatrixMode(GLenum mode) {
    RECORD("glMatrixMode", {double(mode)});
}
void glLoadIdentity() {
    RECORD("glLoadIdentity", {});
}
void glPushMatrix() {
    RECORD("glPushMatrix", {});
}
void glPopMatrix() {
    RECORD("glPopMatrix", {});
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    RECORD("glTranslatef", {x, y, z});
}
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
    RECORD("glRotatef", {a, x, y, z});
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    RECORD("glScalef", {x, y, z});
}
void glBegin(GLenum mode) {
    RECORD("glBegin", {double(mode)});
}
void glEnd() {
    RECORD("glEnd", {});
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    RECORD("glNormal3f", {x, y, z});
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    RECORD("glVertex3f", {x, y, z});
}
void glVertex2f(GLfloat x, GLfloat y) {
    RECORD("glVertex2f", {x, y});
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    RECORD("glColor3f", {r, g, b});
}
void glRasterPos2i(GLint x, GLint y) {
    RECORD("glRasterPos2i", {double(x), double(y)});
}
void glLineWidth(GLfloat width) {
    RECORD("glLineWidth", {width});
}

// GLU
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    RECORD("gluPerspective", {fovy, aspect, zNear, zFar});
}
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
               GLdouble ux, GLdouble uy, GLdouble uz) {
    RECORD("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
}
void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    RECORD("gluOrtho2D", {left, right, bottom, top});
}

// GLUT; a handler is recorded by its address.
void glutInit(int* argc, char** /*argv*/) {
    RECORD("glutInit", {double(*argc)});
}
void glutInitDisplayMode(unsigned int mode) {
    RECORD("glutInitDisplayMode", {double(mode)});
}
void glutInitWindowSize(int width, int height) {
    RECORD("glutInitWindowSize", {double(width), double(height)});
}
int glutCreateWindow(const char* /*title*/) {
    RECORD("glutCreateWindow", {});
    return 1;
}
#define FAKE_REGISTRATION(NAME, ...)               \
    void NAME(void (*handler)(__VA_ARGS__)) {      \
        RECORD(#NAME, {fakegl::address(handler)}); \
    }
FAKE_REGISTRATION(glutDisplayFunc, void)
FAKE_REGISTRATION(glutReshapeFunc, int, int)
FAKE_REGISTRATION(glutKeyboardFunc, unsigned char, int, int)
FAKE_REGISTRATION(glutKeyboardUpFunc, unsigned char, int, int)
FAKE_REGISTRATION(glutSpecialFunc, int, int, int)
FAKE_REGISTRATION(glutSpecialUpFunc, int, int, int)
FAKE_REGISTRATION(glutMouseFunc, int, int, int, int)
FAKE_REGISTRATION(glutPassiveMotionFunc, int, int)
void glutMainLoop() {
    RECORD("glutMainLoop", {});
}
void glutPostRedisplay() {
    RECORD("glutPostRedisplay", {});
}
void glutTimerFunc(unsigned int ms, void (*callback)(int), int value) {
    fakegl::timerCallback = callback;
    RECORD("glutTimerFunc", {double(ms), double(value)});
}
void glutSetCursor(int cursor) {
    RECORD("glutSetCursor", {double(cursor)});
}
void glutBitmapCharacter(void* font, int character) {
    RECORD("glutBitmapCharacter", {isHelvetica18(font), double(character)});
}
void glutSolidCube(GLdouble size) {
    RECORD("glutSolidCube", {size});
}
void glutSwapBuffers() {
    RECORD("glutSwapBuffers", {});
}
