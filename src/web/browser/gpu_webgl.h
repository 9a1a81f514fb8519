// gpu_webgl.h: what the browser's GLUT tells the WebGL side of gpu.h: the end of each frame and
// the loss of the context.
#pragma once

namespace gpu {

// The context was lost or restored: every GL object is gone. The next viewport, clear or draw
// creates the shader program and the buffers again and re-applies the viewport.
void forgetResources();

// Draws the batches queued since the last clear, viewport change or finished frame: the end of a
// frame (glutSwapBuffers) calls it after the fixed-function layer's own flush.
void finishFrame();

}  // namespace gpu
