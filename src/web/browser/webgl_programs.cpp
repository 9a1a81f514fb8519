// webgl_programs.cpp: the shaders that evaluate fixed-function GL for every batch, compiled and
// linked in the current WebGL context.
//
// WebGL is reached through Emscripten's emscripten_gl* names: the browser layer itself defines
// glEnable, glClear, glViewport and the rest for the game.
#include "webgl_programs.h"

#include <emscripten/html5_webgl.h>

#include <cstdio>

#include "gpu_params.h"

// Constants

// GL 1.x lighting, evaluated per vertex in eye space as the fixed-function pipeline does: the
// global ambient times the material ambient, and for each enabled light its ambient times the
// material ambient plus N.L times its diffuse times the material diffuse. Attenuation and spot
// cone keep GL's defaults; the global ambient is GL's initial one, and the material's specular
// colour and emission GL's initial black, so their terms are left out. The two lights are
// written out so every uniform index is a constant; the indices are named by the declarations
// of gpu_params.h, put in front of this source.
static const char* const kVertexShader = R"(
attribute vec3 aPosition;
attribute vec3 aNormal;
attribute vec4 aColour;
attribute vec4 aDepthPlane;
varying vec4 vColour;
varying vec2 vClipDepth;
varying vec4 vDepthPlane;

const vec3 kGlobalAmbient = vec3(0.2);

vec3 lightShare(vec4 switches, vec4 position, vec4 lightAmbient, vec4 lightDiffuse, vec3 n,
                vec3 ambient, vec3 diffuse) {
    if (switches.x < 0.5)
        return vec3(0.0);
    vec3 l = normalize(position.w != 0.0 ? position.xyz / position.w - aPosition : position.xyz);
    float nDotL = max(dot(n, l), 0.0);
    return lightAmbient.rgb * ambient + nDotL * lightDiffuse.rgb * diffuse;
}

void main() {
    gl_Position = mat4(uParams[P_PROJECTION], uParams[P_PROJECTION + 1],
                       uParams[P_PROJECTION + 2], uParams[P_PROJECTION + 3]) *
                  vec4(aPosition, 1.0);
    vClipDepth = gl_Position.zw;
    vDepthPlane = vec4(aDepthPlane.xyz * gl_Position.w, aDepthPlane.w);
    vec4 flags = uParams[P_FLAGS];
    if (flags.x < 0.5) {
        vColour = clamp(aColour, 0.0, 1.0);
        return;
    }
    vec4 ambient = flags.z > 0.5 ? aColour : uParams[P_MATERIAL_AMBIENT];
    vec4 diffuse = flags.z > 0.5 ? aColour : uParams[P_MATERIAL_DIFFUSE];
    float normalLength = length(aNormal);
    vec3 n = (flags.y > 0.5 && normalLength > 0.0) ? aNormal / normalLength : aNormal;
    vec3 colour = kGlobalAmbient * ambient.rgb;
    colour += lightShare(uParams[P_LIGHT0_SWITCH], uParams[P_LIGHT0_POSITION],
                         uParams[P_LIGHT0_AMBIENT], uParams[P_LIGHT0_DIFFUSE], n, ambient.rgb,
                         diffuse.rgb);
    colour += lightShare(uParams[P_LIGHT1_SWITCH], uParams[P_LIGHT1_POSITION],
                         uParams[P_LIGHT1_AMBIENT], uParams[P_LIGHT1_DIFFUSE], n, ambient.rgb,
                         diffuse.rgb);
    vColour = vec4(clamp(colour, 0.0, 1.0), clamp(diffuse.a, 0.0, 1.0));
}
)";

// The fragment's colour is the interpolated lit colour (smooth shading).
static const char* const kFragmentShader = R"(
precision mediump float;
varying vec4 vColour;

void main() {
    gl_FragColor = vColour;
}
)";

// The same, with each fragment's depth computed in the shader: GL's window depth for depth range
// [0, 1], up to float rounding. A triangle with a corner behind the eye brings the plane it lies
// in (depth_planes.h: the rasteriser's own depth errs across it), evaluated at the pixel; any
// other triangle its perspective-correct clip z and w, which keeps the edge lines, a few
// millimetres above the asphalt, in front of it where SwiftShader's own depth is too coarse.
// Varyings are interpolated through their value over w, which loses digits across a triangle
// from near the eye to the far plane; a quotient of two varyings interpolated alike (z / w, and
// the plane times w over w) loses none, as the two share the loss.
static const char* const kExactDepthFragmentShader = R"(
#extension GL_EXT_frag_depth : enable
precision highp float;
varying vec4 vColour;
varying vec2 vClipDepth;
varying vec4 vDepthPlane;

void main() {
    gl_FragColor = vColour;
    gl_FragDepthEXT =
        vDepthPlane.w > 0.5
            ? 1.0 - dot(vDepthPlane.xyz / vClipDepth.y, vec3(gl_FragCoord.xy, 1.0))
            : 0.5 * (vClipDepth.x / vClipDepth.y) + 0.5;
}
)";

// Bits of mantissa a fragment shader's highp float needs for the exact depth.
static const GLint kExactDepthPrecision = 23;

static const GLsizei kLogSize = 1024;  // bytes of a compile or link log reported

// Types

// glGetShaderiv or glGetProgramiv, and glGetShaderInfoLog or glGetProgramInfoLog.
using GetStatus = void (*)(GLuint, GLenum, GLint*);
using GetLog = void (*)(GLuint, GLsizei, GLsizei*, GLchar*);

// Globals

static bool failureReported = false;  // a failure was reported since the last context loss

// Static helpers

// Reports the first failure to build the program, with GL's log, on the console.
static void reportFailure(const char* what, const char* log) {
    if (failureReported)
        return;
    std::fprintf(stderr, "WebGL: %s failed: %s\n", what, log);
    failureReported = true;
}

// Whether a shader compiled or a program linked (status); if not, reports GL's log for `what`.
static bool succeeded(GLuint object, GLenum status, GetStatus getStatus, GetLog getLog,
                      const char* what) {
    GLint result = GL_FALSE;
    getStatus(object, status, &result);
    if (result != GL_FALSE)
        return true;
    char log[kLogSize] = "";
    getLog(object, sizeof log, nullptr, log);
    reportFailure(what, log);
    return false;
}

// Compiles one shader stage from a prelude and its source; 0 when it does not compile.
static GLuint compileShader(GLenum type, const char* prelude, const char* source) {
    const GLuint shader = emscripten_glCreateShader(type);
    const char* const parts[2] = {prelude, source};
    emscripten_glShaderSource(shader, 2, parts, nullptr);
    emscripten_glCompileShader(shader);
    if (!succeeded(shader, GL_COMPILE_STATUS, emscripten_glGetShaderiv,
                   emscripten_glGetShaderInfoLog,
                   type == GL_VERTEX_SHADER ? "vertex shader" : "fragment shader")) {
        emscripten_glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// Whether fragments can set their own depth in single precision (EXT_frag_depth, highp floats).
static bool exactDepthAvailable() {
    if (emscripten_webgl_enable_extension(emscripten_webgl_get_current_context(),
                                          "EXT_frag_depth") == EM_FALSE)
        return false;
    GLint range[2] = {0, 0};
    GLint precision = 0;
    emscripten_glGetShaderPrecisionFormat(GL_FRAGMENT_SHADER, GL_HIGH_FLOAT, range, &precision);
    return precision >= kExactDepthPrecision;
}

// Links the two stages with the attribute slots fixed; 0 on failure. The stages are deleted
// either way (flagged only, while the program lives).
static GLuint link(GLuint vertex, GLuint fragment) {
    const GLuint program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, vertex);
    emscripten_glAttachShader(program, fragment);
    emscripten_glBindAttribLocation(program, gpu::kPositionSlot, "aPosition");
    emscripten_glBindAttribLocation(program, gpu::kNormalSlot, "aNormal");
    emscripten_glBindAttribLocation(program, gpu::kColourSlot, "aColour");
    emscripten_glBindAttribLocation(program, gpu::kDepthPlaneSlot, "aDepthPlane");
    emscripten_glLinkProgram(program);
    emscripten_glDeleteShader(vertex);
    emscripten_glDeleteShader(fragment);
    if (!succeeded(program, GL_LINK_STATUS, emscripten_glGetProgramiv,
                   emscripten_glGetProgramInfoLog, "shader program")) {
        emscripten_glDeleteProgram(program);
        return 0;
    }
    return program;
}

// Public functions

gpu::Program gpu::buildProgram() {
    const bool exactDepth = exactDepthAvailable();
    const GLuint vertex = compileShader(GL_VERTEX_SHADER, paramDeclarations(), kVertexShader);
    const GLuint fragment = compileShader(GL_FRAGMENT_SHADER, "",
                                          exactDepth ? kExactDepthFragmentShader : kFragmentShader);
    if (vertex == 0 || fragment == 0) {
        emscripten_glDeleteShader(vertex);
        emscripten_glDeleteShader(fragment);
        return Program{0, -1, false};
    }
    const GLuint program = link(vertex, fragment);
    if (program == 0)
        return Program{0, -1, false};
    return Program{program, emscripten_glGetUniformLocation(program, "uParams"), exactDepth};
}

void gpu::forgetProgramFailures() {
    failureReported = false;
}
