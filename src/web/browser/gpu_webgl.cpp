// gpu_webgl.cpp: gpu.h over WebGL 1. One shader program evaluates fixed-function GL's per-vertex
// lighting. A frame's batches are queued and reach the card together, all their vertices and
// indices in one upload each (fewer calls into the browser's GPU process than one per batch),
// through two buffers that grow only when a frame needs more room. Every GL object can be created
// again after the context was lost.
//
// WebGL is reached through Emscripten's emscripten_gl* names: the browser layer itself defines
// glEnable, glClear, glViewport and the rest for the game.
#include "gpu_webgl.h"

#include <emscripten/html5_webgl.h>
#include <webgl/webgl1.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "gpu.h"

// Constants

// Attribute slots of the shader program, bound before linking.
static const GLuint kPositionSlot = 0;
static const GLuint kNormalSlot = 1;
static const GLuint kColourSlot = 2;

// The whole gpu::State travels as one uniform array of vec4, in this order.
static const int kProjectionVec = 0;  // four columns
static const int kFlagsVec = 4;       // lighting, normalize, colour material, shininess
static const int kGlobalAmbientVec = 5;
static const int kMaterialVec = 6;  // ambient, diffuse, specular, emission
static const int kLightVec = 10;    // per light: switches, position, ambient, diffuse, specular
static const int kVecsPerLight = 5;
static const int kParamVecs = kLightVec + kVecsPerLight * gpu::kLights;
static const int kParamFloats = 4 * kParamVecs;
static_assert(kParamVecs == 20 && gpu::kLights == 2, "the shader's uParams[20] and its two lights");

// First sizes of the streaming buffers; they double whenever a frame does not fit.
static const GLsizeiptr kFirstVertexBytes = 1024 * sizeof(gpu::Vertex);
static const GLsizeiptr kFirstIndexBytes = 3 * 1024 * sizeof(uint16_t);

// GL 1.x lighting, evaluated per vertex in eye space as the fixed-function pipeline does: the
// emission, the global ambient times the material ambient, and for each enabled light its ambient
// times the material ambient, N.L times its diffuse times the material diffuse, and a specular
// term with the infinite viewer's half vector. Attenuation and spot cone keep GL's defaults. A
// light's specular term is skipped when its product with the material's is zero, where it adds
// exactly nothing; the two lights are written out so every uniform index is a constant. Without
// SPECULAR the specular term is left out altogether: batches where no light has one are drawn by
// that leaner program, as the graphics card may evaluate a branch it does not take.
static const char* const kSpecularOn = "#define SPECULAR 1\n";
static const char* const kSpecularOff = "#define SPECULAR 0\n";
static const char* const kVertexShader = R"(
attribute vec3 aPosition;
attribute vec3 aNormal;
attribute vec4 aColour;
uniform vec4 uParams[20];
varying vec4 vColour;
varying vec2 vClipDepth;

// One light's share; switches: x enabled, y specular product non-zero.
vec3 lightShare(vec4 switches, vec4 position, vec4 lightAmbient, vec4 lightDiffuse,
                vec4 lightSpecular, vec3 n, vec3 ambient, vec3 diffuse) {
    if (switches.x < 0.5)
        return vec3(0.0);
    vec3 l = normalize(position.w != 0.0 ? position.xyz / position.w - aPosition : position.xyz);
    float nDotL = max(dot(n, l), 0.0);
    vec3 share = lightAmbient.rgb * ambient + nDotL * lightDiffuse.rgb * diffuse;
#if SPECULAR
    if (switches.y > 0.5 && nDotL > 0.0) {
        float shininess = uParams[4].w;
        float nDotH = max(dot(n, normalize(l + vec3(0.0, 0.0, 1.0))), 0.0);
        float power = shininess == 0.0 ? 1.0 : (nDotH > 0.0 ? pow(nDotH, shininess) : 0.0);
        share += power * lightSpecular.rgb * uParams[8].rgb;
    }
#endif
    return share;
}

void main() {
    gl_Position = mat4(uParams[0], uParams[1], uParams[2], uParams[3]) * vec4(aPosition, 1.0);
    vClipDepth = gl_Position.zw;
    vec4 flags = uParams[4];
    if (flags.x < 0.5) {
        vColour = clamp(aColour, 0.0, 1.0);
        return;
    }
    vec4 ambient = flags.z > 0.5 ? aColour : uParams[6];
    vec4 diffuse = flags.z > 0.5 ? aColour : uParams[7];
    float normalLength = length(aNormal);
    vec3 n = (flags.y > 0.5 && normalLength > 0.0) ? aNormal / normalLength : aNormal;
    vec3 colour = uParams[9].rgb + uParams[5].rgb * ambient.rgb;
    colour += lightShare(uParams[10], uParams[11], uParams[12], uParams[13], uParams[14], n,
                         ambient.rgb, diffuse.rgb);
    colour += lightShare(uParams[15], uParams[16], uParams[17], uParams[18], uParams[19], n,
                         ambient.rgb, diffuse.rgb);
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

// The same, with each fragment's depth computed from its perspective-correct clip z and w: GL's
// window depth for depth range [0, 1], up to float rounding. Rasterisers interpolate depth across
// the screen from the triangle's corners; the road's long quads reach behind the eye and are
// clipped, and SwiftShader's interpolation of those is too coarse to keep the edge lines, a few
// millimetres above the asphalt, in front of it.
static const char* const kExactDepthFragmentShader = R"(
#extension GL_EXT_frag_depth : enable
precision highp float;
varying vec4 vColour;
varying vec2 vClipDepth;

void main() {
    gl_FragColor = vColour;
    gl_FragDepthEXT = 0.5 * (vClipDepth.x / vClipDepth.y) + 0.5;
}
)";

// Bits of mantissa a fragment shader's highp float needs for the exact depth.
static const GLint kExactDepthPrecision = 23;

// Types

// The two lighting programs: without and with the specular term.
enum ProgramKind { kLean = 0, kSpecular = 1, kProgramKinds = 2 };

// The GL objects of the context; ready is false until they exist in the current context.
struct Resources {
    bool ready;
    GLuint programs[kProgramKinds];
    GLint paramsLocations[kProgramKinds];
    GLuint vertexBuffer;
    GLuint indexBuffer;
    GLsizeiptr vertexCapacity;
    GLsizeiptr indexCapacity;
};

// A batch waiting for the frame's upload: its state as shader parameters and where its vertices
// and indices start in the frame's arrays.
struct QueuedDraw {
    float params[kParamFloats];
    ProgramKind program;
    bool depthTest;
    size_t firstVertex;
    size_t firstIndex;
    size_t indexCount;
};

// What the context last received, so unchanged state is not sent again; each program keeps its
// own uniforms.
struct Applied {
    bool programKnown;
    ProgramKind program;
    bool paramsValid[kProgramKinds];
    float params[kProgramKinds][kParamFloats];
    bool depthKnown;
    bool depthTest;
};

// Globals
static Resources resources;
static Applied applied;
static bool viewportGiven = false;
static int viewportBox[4] = {0, 0, 0, 0};
static bool failureReported = false;
static std::vector<gpu::Vertex> queuedVertices;  // cleared, not freed, after every upload
static std::vector<uint16_t> queuedIndices;
static std::vector<QueuedDraw> queuedDraws;

// Static helpers

// Reports the first failure to build the shader program, with GL's log, on the console.
static void reportFailure(const char* what, const char* log) {
    if (failureReported)
        return;
    std::fprintf(stderr, "WebGL: %s failed: %s\n", what, log);
    failureReported = true;
}

// Compiles one shader stage from a prelude and its source; 0 when it does not compile.
static GLuint compileShader(GLenum type, const char* prelude, const char* source) {
    const GLuint shader = emscripten_glCreateShader(type);
    const char* const parts[2] = {prelude, source};
    emscripten_glShaderSource(shader, 2, parts, nullptr);
    emscripten_glCompileShader(shader);
    GLint compiled = GL_FALSE;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_FALSE) {
        char log[1024] = "";
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        reportFailure(type == GL_VERTEX_SHADER ? "vertex shader" : "fragment shader", log);
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

// Links a lighting program with the attribute slots fixed; 0 on failure.
static GLuint linkProgram(ProgramKind kind, bool exactDepth) {
    const GLuint vertex = compileShader(
        GL_VERTEX_SHADER, kind == kSpecular ? kSpecularOn : kSpecularOff, kVertexShader);
    const GLuint fragment = compileShader(GL_FRAGMENT_SHADER, "",
                                          exactDepth ? kExactDepthFragmentShader : kFragmentShader);
    if (vertex == 0 || fragment == 0) {
        emscripten_glDeleteShader(vertex);
        emscripten_glDeleteShader(fragment);
        return 0;
    }
    const GLuint program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, vertex);
    emscripten_glAttachShader(program, fragment);
    emscripten_glBindAttribLocation(program, kPositionSlot, "aPosition");
    emscripten_glBindAttribLocation(program, kNormalSlot, "aNormal");
    emscripten_glBindAttribLocation(program, kColourSlot, "aColour");
    emscripten_glLinkProgram(program);
    emscripten_glDeleteShader(vertex);  // flagged only; they live on with the program
    emscripten_glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    emscripten_glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_FALSE) {
        char log[1024] = "";
        emscripten_glGetProgramInfoLog(program, sizeof log, nullptr, log);
        reportFailure("shader program", log);
        emscripten_glDeleteProgram(program);
        return 0;
    }
    return program;
}

// Creates a buffer bound to target, with room for bytes.
static GLuint createBuffer(GLenum target, GLsizeiptr bytes) {
    GLuint buffer = 0;
    emscripten_glGenBuffers(1, &buffer);
    emscripten_glBindBuffer(target, buffer);
    emscripten_glBufferData(target, bytes, nullptr, GL_DYNAMIC_DRAW);
    return buffer;
}

// Points the three attributes at the vertices from firstVertex on in the vertex buffer.
static void pointAttributes(size_t firstVertex) {
    const GLsizei stride = sizeof(gpu::Vertex);
    const size_t base = firstVertex * sizeof(gpu::Vertex);
    emscripten_glVertexAttribPointer(
        kPositionSlot, 3, GL_FLOAT, GL_FALSE, stride,
        reinterpret_cast<const void*>(base + offsetof(gpu::Vertex, position)));
    emscripten_glVertexAttribPointer(
        kNormalSlot, 3, GL_FLOAT, GL_FALSE, stride,
        reinterpret_cast<const void*>(base + offsetof(gpu::Vertex, normal)));
    emscripten_glVertexAttribPointer(
        kColourSlot, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
        reinterpret_cast<const void*>(base + offsetof(gpu::Vertex, colour)));
}

// Makes sure the program and buffers exist in the current, live context, and that the context
// holds the viewport last given. False while the context is lost or the program cannot be built.
static bool ensureReady() {
    if (resources.ready)
        return true;
    if (emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context()))
        return false;
    const bool exactDepth = exactDepthAvailable();
    for (int kind = 0; kind < kProgramKinds; ++kind) {
        const GLuint program = linkProgram(static_cast<ProgramKind>(kind), exactDepth);
        if (program == 0) {
            for (int k = 0; k < kind; ++k) emscripten_glDeleteProgram(resources.programs[k]);
            return false;
        }
        resources.programs[kind] = program;
        resources.paramsLocations[kind] = emscripten_glGetUniformLocation(program, "uParams");
    }
    resources.vertexBuffer = createBuffer(GL_ARRAY_BUFFER, kFirstVertexBytes);
    resources.vertexCapacity = kFirstVertexBytes;
    resources.indexBuffer = createBuffer(GL_ELEMENT_ARRAY_BUFFER, kFirstIndexBytes);
    resources.indexCapacity = kFirstIndexBytes;
    emscripten_glEnableVertexAttribArray(kPositionSlot);
    emscripten_glEnableVertexAttribArray(kNormalSlot);
    emscripten_glEnableVertexAttribArray(kColourSlot);
    emscripten_glDepthFunc(GL_LESS);
    emscripten_glClearDepthf(1.0f);
    if (viewportGiven)
        emscripten_glViewport(viewportBox[0], viewportBox[1], viewportBox[2], viewportBox[3]);
    applied = Applied{};
    resources.ready = true;
    return true;
}

// Copies data into the bound buffer of target, growing it (doubling) only when it is too small.
static void stream(GLenum target, GLsizeiptr& capacity, const void* data, GLsizeiptr bytes) {
    if (bytes > capacity) {
        while (capacity < bytes) capacity *= 2;
        emscripten_glBufferData(target, capacity, nullptr, GL_DYNAMIC_DRAW);
    }
    emscripten_glBufferSubData(target, 0, bytes, data);
}

// Copies four floats into the parameter block at vector index vec.
static void putVec(float* params, int vec, const float* values) {
    std::memcpy(params + 4 * vec, values, 4 * sizeof(float));
}

// Whether any of the red, green and blue components is non-zero.
static bool hasColour(const float rgba[4]) {
    return rgba[0] != 0.0f || rgba[1] != 0.0f || rgba[2] != 0.0f;
}

// Lays the state out as the shader's uniform array.
static void packState(const gpu::State& state, float* params) {
    std::memcpy(params + 4 * kProjectionVec, state.projection, sizeof state.projection);
    const float flags[4] = {state.lighting ? 1.0f : 0.0f, state.normalize ? 1.0f : 0.0f,
                            state.colourMaterial ? 1.0f : 0.0f, state.shininess};
    putVec(params, kFlagsVec, flags);
    putVec(params, kGlobalAmbientVec, state.globalAmbient);
    putVec(params, kMaterialVec, state.materialAmbient);
    putVec(params, kMaterialVec + 1, state.materialDiffuse);
    putVec(params, kMaterialVec + 2, state.materialSpecular);
    putVec(params, kMaterialVec + 3, state.materialEmission);
    for (int i = 0; i < gpu::kLights; ++i) {
        const gpu::Light& light = state.lights[i];
        const int base = kLightVec + kVecsPerLight * i;
        const bool specular = hasColour(light.specular) && hasColour(state.materialSpecular);
        const float switches[4] = {light.enabled ? 1.0f : 0.0f, specular ? 1.0f : 0.0f, 0.0f, 0.0f};
        putVec(params, base, switches);
        putVec(params, base + 1, light.position);
        putVec(params, base + 2, light.ambient);
        putVec(params, base + 3, light.diffuse);
        putVec(params, base + 4, light.specular);
    }
}

// Sends the batch's program and state where the context does not hold them yet.
static void applyState(const QueuedDraw& draw) {
    const ProgramKind kind = draw.program;
    if (!applied.programKnown || applied.program != kind) {
        emscripten_glUseProgram(resources.programs[kind]);
        applied.program = kind;
        applied.programKnown = true;
    }
    if (!applied.paramsValid[kind] ||
        std::memcmp(draw.params, applied.params[kind], sizeof draw.params) != 0) {
        emscripten_glUniform4fv(resources.paramsLocations[kind], kParamVecs, draw.params);
        std::memcpy(applied.params[kind], draw.params, sizeof draw.params);
        applied.paramsValid[kind] = true;
    }
    if (!applied.depthKnown || applied.depthTest != draw.depthTest) {
        if (draw.depthTest)
            emscripten_glEnable(GL_DEPTH_TEST);
        else
            emscripten_glDisable(GL_DEPTH_TEST);
        applied.depthTest = draw.depthTest;
        applied.depthKnown = true;
    }
}

// Uploads the queued vertices and indices and draws the queued batches in order.
static void drawQueued() {
    if (queuedDraws.empty())
        return;
    stream(GL_ARRAY_BUFFER, resources.vertexCapacity, queuedVertices.data(),
           static_cast<GLsizeiptr>(queuedVertices.size() * sizeof(gpu::Vertex)));
    stream(GL_ELEMENT_ARRAY_BUFFER, resources.indexCapacity, queuedIndices.data(),
           static_cast<GLsizeiptr>(queuedIndices.size() * sizeof(uint16_t)));
    for (const QueuedDraw& draw : queuedDraws) {
        applyState(draw);
        pointAttributes(draw.firstVertex);
        emscripten_glDrawElements(
            GL_TRIANGLES, static_cast<GLsizei>(draw.indexCount), GL_UNSIGNED_SHORT,
            reinterpret_cast<const void*>(draw.firstIndex * sizeof(uint16_t)));
    }
    queuedVertices.clear();
    queuedIndices.clear();
    queuedDraws.clear();
}

// Public functions

namespace gpu {

void forgetResources() {
    // The objects died with the context, so nothing is deleted; new ones are made on next use.
    resources = Resources{};
    applied = Applied{};
    failureReported = false;
    queuedVertices.clear();
    queuedIndices.clear();
    queuedDraws.clear();
}

void finishFrame() {
    if (resources.ready)
        drawQueued();
}

void viewport(int x, int y, int width, int height) {
    finishFrame();  // queued batches belong to the old viewport
    viewportBox[0] = x;
    viewportBox[1] = y;
    viewportBox[2] = width;
    viewportBox[3] = height;
    viewportGiven = true;
    if (resources.ready)
        emscripten_glViewport(x, y, width, height);
    else
        ensureReady();  // applies the viewport once the objects exist
}

void clear(bool colour, bool depth, const float rgba[4]) {
    if (!ensureReady())
        return;
    drawQueued();
    GLbitfield mask = 0;
    if (colour) {
        emscripten_glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (depth)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (mask != 0)
        emscripten_glClear(mask);
}

void drawTriangles(const State& state, const Vertex* vertices, size_t vertexCount,
                   const uint16_t* indices, size_t indexCount) {
    if (indexCount == 0 || !ensureReady())
        return;
    QueuedDraw draw;
    packState(state, draw.params);
    draw.program = kLean;
    for (int i = 0; i < gpu::kLights; ++i) {
        if (draw.params[4 * (kLightVec + kVecsPerLight * i) + 1] != 0.0f)
            draw.program = kSpecular;  // this light's specular switch
    }
    draw.depthTest = state.depthTest;
    draw.firstVertex = queuedVertices.size();
    draw.firstIndex = queuedIndices.size();
    draw.indexCount = indexCount;
    queuedDraws.push_back(draw);
    queuedVertices.insert(queuedVertices.end(), vertices, vertices + vertexCount);
    queuedIndices.insert(queuedIndices.end(), indices, indices + indexCount);
}

}  // namespace gpu
