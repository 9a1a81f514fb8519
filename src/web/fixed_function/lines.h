// lines.h: the line stage: wide line segments as the window pixels Mesa's llvmpipe covers with
// multisampling on, drawn as window-space rectangles into the batch. glLineWidth is in
// fixed_function.h.
#pragma once

#include <GL/gl.h>

#include "fixed_function/batch.h"

namespace ff {

// The line width back to 1.
void resetLines();

// Reports what the stage does not draw as GL would for lines of glBegin's `mode` begun now: lines
// while lighting is on (drawn unlit), a viewport that does not fill the framebuffer.
void checkLineState(GLenum mode);

// One segment of the current width between two window points.
void lineSegment(const WindowPoint& a, const WindowPoint& b);

}  // namespace ff
