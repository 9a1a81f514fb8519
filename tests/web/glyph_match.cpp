// glyph_match: draws every character 0..255 once with freeglut's GLUT_BITMAP_HELVETICA_18 and
// once from font::helvetica18 with glBitmap, at the same raster position in a real window, and
// compares the pixels read back and where the raster position ends up. Exit status 1 on any
// difference. Needs an X server (the test runs it under tests/e2e/desktop.py xvfb).
#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "font.h"

// Constants
static const int kSize = 64;    // window and read-back square, pixels
static const int kOrigin = 20;  // raster position x and y every glyph starts from
static const int kCodes = 256;

// Static helpers

static void drawWithGlut(int c) {
    glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, c);
}

static void drawFromTable(int c) {
    const font::Glyph* g = font::helvetica18(c);
    if (g != nullptr) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glBitmap(g->width, g->height, g->xorig, g->yorig, g->advance, 0.0f, g->bits);
    }
}

// Draws c on a cleared window; returns the red channel read back, then the raster x and y.
static std::vector<float> drawAndRead(void (*draw)(int), int c) {
    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2i(kOrigin, kOrigin);
    draw(c);
    std::vector<float> result(kSize * kSize + 4);
    glReadPixels(0, 0, kSize, kSize, GL_RED, GL_FLOAT, result.data());
    glGetFloatv(GL_CURRENT_RASTER_POSITION, &result[kSize * kSize]);
    return result;
}

// Compares one character; prints what differs.
static bool matches(int c) {
    const std::vector<float> glut = drawAndRead(drawWithGlut, c);
    const std::vector<float> table = drawAndRead(drawFromTable, c);
    int differing = 0, lit = 0;
    for (int i = 0; i < kSize * kSize; ++i) {
        differing += glut[i] != table[i];
        lit += glut[i] > 0.0f;
    }
    const float* end = &glut[kSize * kSize];
    const float* tableEnd = &table[kSize * kSize];
    const bool sameEnd = end[0] == tableEnd[0] && end[1] == tableEnd[1];
    if (differing > 0 || !sameEnd) {
        std::printf(
            "code %d: %d pixels differ (freeglut lit %d); raster ends at (%g, %g) with freeglut, "
            "(%g, %g) from the table\n",
            c, differing, lit, end[0], end[1], tableEnd[0], tableEnd[1]);
    }
    // A visible character that draws nothing would mean the read-back sees no text at all.
    if (c > ' ' && c < 127 && lit == 0) {
        std::printf("code %d: freeglut drew nothing\n", c);
        return false;
    }
    return differing == 0 && sameEnd;
}

static void compareAll() {
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kSize, 0.0, kSize, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    glReadBuffer(GL_BACK);
    int matching = 0;
    for (int c = 0; c < kCodes; ++c) {
        matching += matches(c);
    }
    std::printf(
        "%d of %d characters (codes 0..%d) match freeglut's Helvetica 18 pixel for pixel "
        "and in advance\n",
        matching, kCodes, kCodes - 1);
    std::exit(matching == kCodes ? 0 : 1);
}

// Public functions

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);  // the game's
    glutInitWindowSize(kSize, kSize);
    glutCreateWindow("glyph_match");
    glutDisplayFunc(compareAll);
    glutMainLoop();
    return 1;
}
