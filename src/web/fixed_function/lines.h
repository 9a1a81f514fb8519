// lines.h: the line stage: wide line segments as the window pixels Mesa's llvmpipe covers with
// multisampling on, drawn as window-space rectangles into the batch. glLineWidth is in
// fixed_function.h.
#pragma once

#include "fixed_function/batch.h"

namespace ff {

// The line width back to 1.
void resetLines();

// One segment of the current width between two window points.
void lineSegment(const WindowPoint& a, const WindowPoint& b);

}  // namespace ff
