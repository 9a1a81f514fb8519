// gl_api.cpp: the GL entry points the game calls, for the browser build: each one a call into
// the state machine of fixed_function.h.
#include <GL/gl.h>

#include "fixed_function.h"
#include "unsupported.h"

// Public functions

void glClear(GLbitfield mask) {
    const GLbitfield others = mask & ~(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (others != 0)
        unsupported::report("glClear", others, "those buffers are not cleared");
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
// Smooth shading is the only kind the layer draws.
void glShadeModel(GLenum mode) {
    if (mode != GL_SMOOTH)
        unsupported::report("glShadeModel", mode, "drawn smooth");
}
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
    ff::multMatrixd(m);
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
