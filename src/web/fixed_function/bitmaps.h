// bitmaps.h: the bitmap stage: the raster position and glBitmap's pixels, drawn as window-space
// rectangles into the batch. Its GL calls are in fixed_function.h.
#pragma once

namespace ff {

// The raster position back to GL's initial one: valid, at the window's origin, white.
void resetRaster();

}  // namespace ff
