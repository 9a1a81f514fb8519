// scene_pieces.h: drawing a frame's triangles in pieces, each finished by the rasteriser before
// the next is given.
#pragma once

#include <webgl/webgl1.h>

#include <cstddef>

namespace gpu {

// Constants

// Indices a drawing call takes at most before the rasteriser is made to finish what it has. A
// software rasteriser (Mesa's llvmpipe) bins a whole frame's triangles before it draws any; a
// frame of tens of thousands of triangles then fills many memory blocks, which it gives back
// afterwards, and under Chromium each block given back costs a page-table flush on every core.
// Drawing in pieces of this size keeps the binned data small. It changes no pixel: the pieces are
// drawn in the same order into the same buffers.
constexpr size_t kSceneIndices = 6000;

// Public functions

// A 1 x 1 framebuffer whose clearing ends the rasteriser's scene.
GLuint createSceneBreak();

// Draws count indices from first (triangles of the bound buffers), in pieces, ending the
// rasteriser's scene with breakTarget before a piece when the scene has taken kSceneIndices.
// sceneLeft counts what the current scene may still take.
void drawPieces(GLuint breakTarget, size_t first, size_t count, size_t& sceneLeft);

}  // namespace gpu
