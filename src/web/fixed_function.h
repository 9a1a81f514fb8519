// fixed_function.h: the GL 1.x state machine of the browser build. Matrix stacks, the current
// normal and colour, lights carried into eye space when set, immediate-mode primitives assembled
// into batches of indexed triangles for gpu.h, wide lines and bitmaps as window-pixel rectangles.
// gl_api.cpp, glu.cpp and glut_drawing.cpp map the C entry points the game calls onto the
// functions below; the stages behind them are in fixed_function/, one file each, in the order
// GL's pipeline runs them: matrices, state, primitive assembly, lines, bitmaps, the batch.
//
// What the layer implements, as GL, GLU and freeglut do:
// - glClear of GL_COLOR_BUFFER_BIT and GL_DEPTH_BUFFER_BIT; glClearColor; glViewport.
// - glEnable and glDisable of GL_DEPTH_TEST, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_NORMALIZE and
//   GL_COLOR_MATERIAL; glColorMaterial(GL_FRONT_AND_BACK or GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
//   glShadeModel(GL_SMOOTH); glLightfv of GL_POSITION, GL_AMBIENT, GL_DIFFUSE and GL_SPECULAR.
// - glMatrixMode(GL_MODELVIEW or GL_PROJECTION), glLoadIdentity, glPushMatrix, glPopMatrix,
//   glMultMatrixf, glMultMatrixd, glTranslatef, glRotatef, glScalef; gluPerspective, gluLookAt,
//   gluOrtho2D.
// - glBegin/glEnd of every primitive but GL_POINTS, with glVertex2f, glVertex3f, glNormal3f and
//   glColor3f; glLineWidth; glRasterPos2i and glBitmap; glutSolidCube; glutBitmapCharacter in
//   GLUT_BITMAP_HELVETICA_18.
// - In the browser (browser/glut_browser.cpp): glutInit, glutInitDisplayMode (GLUT_RGB,
//   GLUT_DOUBLE, GLUT_DEPTH, GLUT_MULTISAMPLE), glutInitWindowSize (the canvas fills the page
//   instead), glutCreateWindow, the display, reshape, keyboard, special, mouse and passive motion
//   callbacks, glutTimerFunc, glutPostRedisplay, glutSwapBuffers, glutSetCursor, glutMainLoop.
// What it assumes, beyond GL's initial state for everything it has no entry point for (materials,
// the light model, fog, blending, textures, ...):
// - lines and the raster position are drawn with lighting off (the layer does not light them);
// - the viewport fills the framebuffer while lines are drawn (llvmpipe's tile binning, which the
//   line stage copies, counts from the framebuffer's top);
// - no line reaches behind the eye.
// Anything else, a value not listed or a broken assumption, is reported once as an error
// (unsupported.h); a gl*, glu* or glut* function the layer does not define fails the browser
// build's link (browser/gl_entry_points.js).
#pragma once

#include <GL/gl.h>

// Hands any pending batch to gpu::drawTriangles (glutSwapBuffers calls it).
void ffFlush();

namespace ff {

// Matrices are 4 x 4, column-major, as GL stores them.
constexpr int kMatrixSize = 4;
constexpr int kMatrixElements = kMatrixSize * kMatrixSize;

// π in double precision: Mesa and GLU both turn degrees into radians with it.
constexpr double kPi = 3.14159265358979323846;

// The index of the element in row `row` and column `col`.
constexpr int at(int row, int col) {
    return col * kMatrixSize + row;
}

// Capabilities, lights, colour material, viewport, clearing.
void setClearColour(float r, float g, float b, float a);
void clear(bool colour, bool depth);
void setCapability(GLenum cap, bool on);
void setColourMaterial(GLenum face, GLenum mode);
void setLight(GLenum light, GLenum pname, const GLfloat* params);
void setViewport(int x, int y, int width, int height);
// The framebuffer's size in window pixels, which GLUT tells with every reshape; a viewport that
// does not fill it is reported when lines are drawn. Unknown (and not checked) until told.
void setFramebufferSize(int width, int height);
// Device pixels per window pixel, across and up: the drawing buffer is this much finer than the
// window the game sees; viewports, lines and bitmaps stay in window pixels (state.h says how they
// map). Positive and finite, else ignored.
void setDeviceScale(double across, double up);
void setLineWidth(float width);

// The current matrix, in single precision; each operation multiplies it on the right.
void selectMatrix(GLenum mode);
void loadIdentity();
void pushMatrix();
void popMatrix();
void multMatrix(const float* m);
void multMatrixd(const double* m);  // every element rounded to float first, as glMultMatrixd
void translate(float x, float y, float z);
void rotate(float degrees, float x, float y, float z);
void scale(float x, float y, float z);

// Immediate mode.
void begin(GLenum mode);
void end();
void normal(float x, float y, float z);
void colour(float r, float g, float b, float a);
void vertex(float x, float y, float z);

// Triangles from arrays, as glDrawElements with vertex and normal arrays: the current colour
// applies, the current normal stays as it was. A call with an index of `count` or more draws
// nothing, as WebGL refuses such a draw.
void drawIndexedTriangles(const float* positions, const float* normals, int count,
                          const unsigned char* order, int orderCount);

// Raster position and bitmaps.
void rasterPos(float x, float y, float z, float w);
void bitmap(int width, int height, float xorig, float yorig, float xmove, float ymove,
            const unsigned char* bits);

// For tests and benchmarks only: GL's initial state again, and state read back.

// Puts every piece of state back to its initial GL value, drops any pending batch and forgets
// which unsupported calls were reported.
void reset();
const float* matrix(GLenum mode);      // the top of the modelview or projection stack
bool rasterPosition(float window[3]);  // false while the raster position is invalid

}  // namespace ff
