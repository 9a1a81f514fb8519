// primitives.h: the primitive assembly stage: glBegin/glEnd and the vertices between them, split
// into triangles as llvmpipe splits quads, strips and fans, or handed on as line segments;
// primitives wholly outside the view are dropped. Its GL calls are in fixed_function.h.
#pragma once

namespace ff {

// Leaves any primitive under way, as if glBegin had never been called.
void resetPrimitive();

}  // namespace ff
