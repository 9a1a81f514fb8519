// font.h: GLUT's 18-pixel Helvetica bitmap font, the glyphs glutBitmapCharacter draws.
// The table is generated at build time from the X11 font helvR18 (xfonts-75dpi).
#pragma once

namespace font {

// One glyph in glBitmap's terms.
struct Glyph {
    int width;      // pixels
    int height;     // rows
    float xorig;    // from the glyph's left edge to the raster position, as glBitmap's xorig
    float yorig;    // from the glyph's bottom row to the raster position (the baseline)
    float advance;  // how far the raster position moves on
    const unsigned char* bits;  // height rows, bottom row first, (width + 7) / 8 bytes a row,
                                // most significant bit leftmost
};

// The glyph of character code c, or nullptr when the font has none.
const Glyph* helvetica18(int c);

}  // namespace font
