// fixed_function.cpp: what fixed_function.h offers across the stages: the end of a frame's
// drawing, and GL's initial state again. Each stage starts in that state without being asked.
#include "fixed_function.h"

#include "fixed_function/batch.h"
#include "fixed_function/bitmaps.h"
#include "fixed_function/lines.h"
#include "fixed_function/matrices.h"
#include "fixed_function/primitives.h"
#include "fixed_function/state.h"
#include "unsupported.h"

// Public functions

void ffFlush() {
    ff::flushBatch();
}

void ff::reset() {
    resetMatrices();
    resetState();
    resetPrimitive();
    resetLines();
    resetRaster();
    resetBatch();
    unsupported::forget();
}
