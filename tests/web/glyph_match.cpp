// glyph_match: draws every character 1..255 once with freeglut's GLUT_BITMAP_HELVETICA_18 and
// once from font::helvetica18 with glBitmap, at the same raster position in a real window, and
// compares the pixels read back and the raster position's advance. Exit status 1 on any
// difference. Run under an X server (glyphs.sh starts a private Xvfb).
#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "font.h"

// Constants
static const int kSize = 64;                    // window and read-back square, pixels
static const int kOriginX = 20, kOriginY = 20;  // raster position every glyph is drawn from
static const int kFirstCode = 0, kLastCode = 255;

// Types
using Pixels = std::vector<unsigned char>;

// One way of drawing a character; returns the raster position's x and y afterwards.
struct Drawn {
    Pixels pixels;
    float rasterX;
    float rasterY;
};

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

static Drawn drawAndRead(void (*draw)(int), int c) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glRasterPos2i(kOriginX, kOriginY);
    draw(c);
    float raster[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    Drawn d{Pixels(kSize * kSize * 3), raster[0], raster[1]};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, d.pixels.data());
    return d;
}

static int litPixels(const Pixels& p) {
    int lit = 0;
    for (size_t i = 0; i < p.size(); i += 3) {
        lit += (p[i] | p[i + 1] | p[i + 2]) != 0;
    }
    return lit;
}

// Prints both drawings side by side, top row first: '#' lit, '.' dark.
static void printBoth(const Pixels& a, const Pixels& b) {
    for (int y = kSize - 1; y >= 0; --y) {
        char line[2 * kSize + 4] = {};
        for (int x = 0; x < kSize; ++x) {
            line[x] = a[(y * kSize + x) * 3] ? '#' : '.';
            line[kSize + 3 + x] = b[(y * kSize + x) * 3] ? '#' : '.';
        }
        line[kSize] = line[kSize + 1] = line[kSize + 2] = ' ';
        std::printf("  %s\n", line);
    }
}

// Compares one character; prints what differs.
static bool matches(int c) {
    const Drawn glut = drawAndRead(drawWithGlut, c);
    const Drawn table = drawAndRead(drawFromTable, c);
    const bool samePixels = glut.pixels == table.pixels;
    const bool sameAdvance = glut.rasterX == table.rasterX && glut.rasterY == table.rasterY;
    if (!samePixels || !sameAdvance) {
        std::printf(
            "code %d: pixels %s (lit %d glut, %d table), raster (%g, %g) glut, (%g, %g) "
            "table\n",
            c, samePixels ? "same" : "differ", litPixels(glut.pixels), litPixels(table.pixels),
            glut.rasterX, glut.rasterY, table.rasterX, table.rasterY);
        if (!samePixels) {
            printBoth(glut.pixels, table.pixels);
        }
    }
    // A visible character that draws nothing either way would make the comparison hollow.
    if (c > ' ' && c < 127 && litPixels(glut.pixels) == 0) {
        std::printf("code %d: freeglut drew nothing; the read-back sees no text\n", c);
        return false;
    }
    return samePixels && sameAdvance;
}

static void compareAll() {
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kSize, 0.0, kSize, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glReadBuffer(GL_BACK);
    int matching = 0;
    for (int c = kFirstCode; c <= kLastCode; ++c) {
        matching += matches(c);
    }
    const int total = kLastCode - kFirstCode + 1;
    std::printf(
        "%d of %d characters (codes %d..%d) match freeglut's Helvetica 18 pixel for pixel "
        "and in advance\n",
        matching, total, kFirstCode, kLastCode);
    std::exit(matching == total ? 0 : 1);
}

// Public functions

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    // The game's window: double-buffered RGB with depth and multisampling.
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutInitWindowSize(kSize, kSize);
    glutCreateWindow("glyph_match");
    glutDisplayFunc(compareAll);
    glutMainLoop();
    return 1;
}
