// webgl_programs.h: the one WebGL program every batch is drawn with: fixed-function GL's
// per-vertex lighting in its vertex shader, and each fragment's depth computed exactly where the
// context allows it, from the triangle's depth plane (depth_planes.h) where one is given.
#pragma once

#include <webgl/webgl1.h>

namespace gpu {

// Attribute slots of the program, bound before linking.
constexpr GLuint kPositionSlot = 0;
constexpr GLuint kNormalSlot = 1;
constexpr GLuint kColourSlot = 2;
constexpr GLuint kDepthPlaneSlot = 3;  // gpu::kPlaneFloats; all 0 for a triangle without a plane

// A linked program, where its uniform array (gpu_params.h) is, and whether its fragments take
// their depth from depth planes (the context lets fragments set their depth).
struct Program {
    GLuint id;
    GLint params;
    bool depthPlanes;
};

// Builds the program in the current context; id 0 when it does not build, the first failure
// since the last forgetProgramFailures() reported on the console with GL's log.
Program buildProgram();

// The context was lost: a failure to build in the next one is reported again.
void forgetProgramFailures();

}  // namespace gpu
