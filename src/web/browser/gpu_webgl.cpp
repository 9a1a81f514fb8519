// gpu_webgl.cpp: gpu.h over WebGL 1. A frame's batches are queued and reach the card together,
// all their vertices and indices in one upload each (fewer calls into the browser's GPU process
// than one per batch), through two buffers that grow only when a frame needs more room. Every GL
// object can be created again after the context was lost.
//
// WebGL is reached through Emscripten's emscripten_gl* names: the browser layer itself defines
// glEnable, glClear, glViewport and the rest for the game.
#include "gpu_webgl.h"

#include <emscripten/html5_webgl.h>
#include <webgl/webgl1.h>

#include <cstring>
#include <vector>

#include "gpu.h"
#include "gpu_params.h"
#include "webgl_programs.h"

// Constants

// First sizes of the streaming buffers; they double whenever a frame does not fit.
static const GLsizeiptr kFirstVertexBytes = 1024 * sizeof(gpu::Vertex);
static const GLsizeiptr kFirstIndexBytes = 3 * 1024 * sizeof(uint16_t);

// Types

// The GL objects of the context; ready is false until they exist in the current context.
struct Resources {
    bool ready = false;
    gpu::Program program{0, -1};
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLsizeiptr vertexCapacity = 0;  // bytes
    GLsizeiptr indexCapacity = 0;
};

// A batch waiting for the frame's upload: its state as shader parameters and where its vertices
// and indices start in the frame's arrays.
struct QueuedDraw {
    float params[gpu::kParamFloats];
    bool depthTest;
    size_t firstVertex;
    size_t firstIndex;
    size_t indexCount;
};

// What the context last received, so unchanged state is not sent again.
struct Applied {
    bool programUsed = false;  // the program is the context's current one
    bool paramsKnown = false;  // params holds the program's uniform array
    float params[gpu::kParamFloats] = {};
    bool depthKnown = false;  // depthTest holds the context's depth test
    bool depthTest = false;
};

// Globals

static Resources resources;
static Applied applied;
static bool viewportGiven = false;
static int viewportBox[4] = {0, 0, 0, 0};
static std::vector<gpu::Vertex> queuedVertices;  // cleared, not freed, after every upload
static std::vector<uint16_t> queuedIndices;
static std::vector<QueuedDraw> queuedDraws;

// Static helpers

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
        gpu::kPositionSlot, 3, GL_FLOAT, GL_FALSE, stride,
        reinterpret_cast<const void*>(base + offsetof(gpu::Vertex, position)));
    emscripten_glVertexAttribPointer(
        gpu::kNormalSlot, 3, GL_FLOAT, GL_FALSE, stride,
        reinterpret_cast<const void*>(base + offsetof(gpu::Vertex, normal)));
    emscripten_glVertexAttribPointer(
        gpu::kColourSlot, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
        reinterpret_cast<const void*>(base + offsetof(gpu::Vertex, colour)));
}

// The buffers, the attribute arrays and the fixed state, in a context that has the program.
static void createObjects() {
    resources.vertexBuffer = createBuffer(GL_ARRAY_BUFFER, kFirstVertexBytes);
    resources.vertexCapacity = kFirstVertexBytes;
    resources.indexBuffer = createBuffer(GL_ELEMENT_ARRAY_BUFFER, kFirstIndexBytes);
    resources.indexCapacity = kFirstIndexBytes;
    emscripten_glEnableVertexAttribArray(gpu::kPositionSlot);
    emscripten_glEnableVertexAttribArray(gpu::kNormalSlot);
    emscripten_glEnableVertexAttribArray(gpu::kColourSlot);
    emscripten_glDepthFunc(GL_LESS);
    emscripten_glClearDepthf(1.0f);
    if (viewportGiven)
        emscripten_glViewport(viewportBox[0], viewportBox[1], viewportBox[2], viewportBox[3]);
}

// Makes sure the program and buffers exist in the current, live context, and that the context
// holds the viewport last given. False while the context is lost or the program cannot be built.
static bool ensureReady() {
    if (resources.ready)
        return true;
    if (emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context()))
        return false;
    resources.program = gpu::buildProgram();
    if (resources.program.id == 0)
        return false;
    createObjects();
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

// Sends the batch's state where the context does not hold it yet.
static void applyState(const QueuedDraw& draw) {
    if (!applied.programUsed) {
        emscripten_glUseProgram(resources.program.id);
        applied.programUsed = true;
    }
    if (!applied.paramsKnown || std::memcmp(draw.params, applied.params, sizeof draw.params) != 0) {
        emscripten_glUniform4fv(resources.program.params, gpu::kParamVecs, draw.params);
        std::memcpy(applied.params, draw.params, sizeof draw.params);
        applied.paramsKnown = true;
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

void gpu::forgetResources() {
    // The objects died with the context, so nothing is deleted; new ones are made on next use.
    resources = Resources{};
    applied = Applied{};
    forgetProgramFailures();
    queuedVertices.clear();
    queuedIndices.clear();
    queuedDraws.clear();
}

void gpu::finishFrame() {
    if (resources.ready)
        drawQueued();
}

void gpu::viewport(int x, int y, int width, int height) {
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

void gpu::clear(bool colour, bool depth, const float rgba[4]) {
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

void gpu::drawTriangles(const State& state, const Vertex* vertices, size_t vertexCount,
                        const uint16_t* indices, size_t indexCount) {
    if (indexCount == 0 || !ensureReady())
        return;
    QueuedDraw draw;
    packState(state, draw.params);
    draw.depthTest = state.depthTest;
    draw.firstVertex = queuedVertices.size();
    draw.firstIndex = queuedIndices.size();
    draw.indexCount = indexCount;
    queuedDraws.push_back(draw);
    queuedVertices.insert(queuedVertices.end(), vertices, vertices + vertexCount);
    queuedIndices.insert(queuedIndices.end(), indices, indices + indexCount);
}
