// scene_pieces.cpp: a frame's triangles drawn in pieces, the rasteriser's scene ended after each.
#include "scene_pieces.h"

#include <cstdint>

// Static helpers

// Makes the rasteriser finish the triangles it holds: drawing elsewhere ends its scene, which
// gl.flush would too, but a flush also makes Firefox wait for the GPU process.
static void breakScene(GLuint target) {
    emscripten_glBindFramebuffer(GL_FRAMEBUFFER, target);
    emscripten_glClear(GL_COLOR_BUFFER_BIT);
    emscripten_glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Public functions

GLuint gpu::createSceneBreak() {
    GLuint colour = 0;
    GLuint target = 0;
    emscripten_glGenRenderbuffers(1, &colour);
    emscripten_glBindRenderbuffer(GL_RENDERBUFFER, colour);
    emscripten_glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA4, 1, 1);
    emscripten_glGenFramebuffers(1, &target);
    emscripten_glBindFramebuffer(GL_FRAMEBUFFER, target);
    emscripten_glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                         colour);
    emscripten_glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return target;
}

void gpu::drawPieces(GLuint breakTarget, size_t first, size_t count, size_t& sceneLeft) {
    while (count > 0) {
        if (sceneLeft == 0) {
            breakScene(breakTarget);
            sceneLeft = kSceneIndices;
        }
        const size_t piece = count < sceneLeft ? count : sceneLeft;
        emscripten_glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(piece), GL_UNSIGNED_SHORT,
                                  reinterpret_cast<const void*>(first * sizeof(uint16_t)));
        first += piece;
        count -= piece;
        sceneLeft -= piece;
    }
}
