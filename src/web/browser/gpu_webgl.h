// gpu_webgl.h: what the browser's GLUT tells the WebGL side of gpu.h about the context.
#pragma once

namespace gpu {

// The context was lost or restored: every GL object is gone. The next viewport, clear or draw
// creates the shader program and the buffers again and re-applies the viewport.
void forgetResources();

}  // namespace gpu
