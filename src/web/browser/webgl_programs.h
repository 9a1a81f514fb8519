// webgl_programs.h: the one WebGL program every batch is drawn with: fixed-function GL's
// per-vertex lighting in its vertex shader, and each fragment's depth computed exactly where the
// context allows it.
#pragma once

#include <webgl/webgl1.h>

namespace gpu {

// Attribute slots of the program, bound before linking.
constexpr GLuint kPositionSlot = 0;
constexpr GLuint kNormalSlot = 1;
constexpr GLuint kColourSlot = 2;

// A linked program and where its uniform array (gpu_params.h) is.
struct Program {
    GLuint id;
    GLint params;
};

// Builds the program in the current context; id 0 when it does not build, the first failure
// since the last forgetProgramFailures() reported on the console with GL's log.
Program buildProgram();

// The context was lost: a failure to build in the next one is reported again.
void forgetProgramFailures();

}  // namespace gpu
