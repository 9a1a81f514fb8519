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

#include "frame_repeat.h"
#include "gpu.h"
#include "gpu_params.h"
#include "scene_pieces.h"
#include "shared_vertices.h"
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
    GLuint breakTarget = 0;  // a 1 x 1 framebuffer whose clearing ends the rasteriser's scene
};

// A batch waiting for the frame's upload: its state as shader parameters and where its vertices
// and indices start in the frame's arrays. Fields of 4 bytes, so that draws compare as bytes.
struct QueuedDraw {
    float params[gpu::kParamFloats];
    uint32_t depthTest;
    uint32_t firstVertex;
    uint32_t firstIndex;
    uint32_t indexCount;
};
static_assert(sizeof(QueuedDraw) == sizeof(float) * gpu::kParamFloats + 4 * sizeof(uint32_t),
              "queued draws have no padding");

// A viewport or a clear, waiting to be carried out after the draws queued before it.
struct QueuedStep {
    uint32_t drawsBefore;  // queued draws that come first
    uint32_t viewport;     // 1: the viewport box, 0: a clear of the buffers in box[0]
    int32_t box[4];
    float rgba[4];  // the clear's colour
};
static_assert(sizeof(QueuedStep) == 2 * sizeof(uint32_t) + 4 * sizeof(int32_t) + 4 * sizeof(float),
              "queued steps have no padding");

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
static std::vector<QueuedStep> queuedSteps;

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
    resources.breakTarget = gpu::createSceneBreak();
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
    const bool depthTest = draw.depthTest != 0;
    if (!applied.depthKnown || applied.depthTest != depthTest) {
        if (depthTest)
            emscripten_glEnable(GL_DEPTH_TEST);
        else
            emscripten_glDisable(GL_DEPTH_TEST);
        applied.depthTest = depthTest;
        applied.depthKnown = true;
    }
}

// Uploads the frame's queued vertices and indices.
static void upload() {
    stream(GL_ARRAY_BUFFER, resources.vertexCapacity, queuedVertices.data(),
           static_cast<GLsizeiptr>(queuedVertices.size() * sizeof(gpu::Vertex)));
    stream(GL_ELEMENT_ARRAY_BUFFER, resources.indexCapacity, queuedIndices.data(),
           static_cast<GLsizeiptr>(queuedIndices.size() * sizeof(uint16_t)));
}

// Carries out a queued viewport or clear.
static void carryOut(const QueuedStep& step) {
    if (step.viewport != 0) {
        emscripten_glViewport(step.box[0], step.box[1], step.box[2], step.box[3]);
        return;
    }
    if ((step.box[0] & GL_COLOR_BUFFER_BIT) != 0)
        emscripten_glClearColor(step.rgba[0], step.rgba[1], step.rgba[2], step.rgba[3]);
    emscripten_glClear(static_cast<GLbitfield>(step.box[0]));
}

// Draws the queued batches and carries out the queued steps, in the order they came.
static void drawQueued() {
    if (!queuedDraws.empty())
        upload();
    size_t next = 0;
    size_t sceneLeft = gpu::kSceneIndices;
    auto drawUpTo = [&](size_t end) {
        for (; next < end; ++next) {
            const QueuedDraw& draw = queuedDraws[next];
            applyState(draw);
            pointAttributes(draw.firstVertex);
            gpu::drawPieces(resources.breakTarget, draw.firstIndex, draw.indexCount, sceneLeft);
        }
    };
    for (const QueuedStep& step : queuedSteps) {
        drawUpTo(step.drawsBefore);
        carryOut(step);
    }
    drawUpTo(queuedDraws.size());
}

// Whether the queued frame is the one drawn last, for a drawing buffer of the same size: the
// canvas then still shows it, as nothing is drawn into a canvas that is not drawn again.
static bool repeatsDrawnFrame() {
    int size[2] = {0, 0};
    emscripten_webgl_get_drawing_buffer_size(emscripten_webgl_get_current_context(), &size[0],
                                             &size[1]);
    const gpu::FramePart parts[] = {
        {size, sizeof size},
        {queuedSteps.data(), queuedSteps.size() * sizeof(QueuedStep)},
        {queuedDraws.data(), queuedDraws.size() * sizeof(QueuedDraw)},
        {queuedVertices.data(), queuedVertices.size() * sizeof(gpu::Vertex)},
        {queuedIndices.data(), queuedIndices.size() * sizeof(uint16_t)}};
    return gpu::repeatsLastFrame(parts, sizeof parts / sizeof parts[0]);
}

static void clearQueues() {
    queuedVertices.clear();
    queuedIndices.clear();
    queuedDraws.clear();
    queuedSteps.clear();
}

// Public functions

void gpu::forgetResources() {
    // The objects died with the context, so nothing is deleted; new ones are made on next use.
    resources = Resources{};
    applied = Applied{};
    forgetProgramFailures();
    forgetLastFrame();
    clearQueues();
}

void gpu::finishFrame() {
    if (resources.ready && !repeatsDrawnFrame())
        drawQueued();
    clearQueues();
}

void gpu::viewport(int x, int y, int width, int height) {
    viewportBox[0] = x;
    viewportBox[1] = y;
    viewportBox[2] = width;
    viewportBox[3] = height;
    viewportGiven = true;
    if (!resources.ready) {
        ensureReady();  // applies the viewport once the objects exist
        return;
    }
    QueuedStep step{};
    step.drawsBefore = static_cast<uint32_t>(queuedDraws.size());
    step.viewport = 1;
    std::memcpy(step.box, viewportBox, sizeof step.box);
    queuedSteps.push_back(step);
}

void gpu::clear(bool colour, bool depth, const float rgba[4]) {
    if (!ensureReady() || (!colour && !depth))
        return;
    QueuedStep step{};
    step.drawsBefore = static_cast<uint32_t>(queuedDraws.size());
    step.box[0] = static_cast<int32_t>((colour ? GL_COLOR_BUFFER_BIT : 0) |
                                       (depth ? GL_DEPTH_BUFFER_BIT : 0));
    if (colour)
        std::memcpy(step.rgba, rgba, sizeof step.rgba);
    queuedSteps.push_back(step);
}

void gpu::drawTriangles(const State& state, const Vertex* vertices, size_t vertexCount,
                        const uint16_t* indices, size_t indexCount) {
    if (indexCount == 0 || !ensureReady())
        return;
    QueuedDraw draw{};
    packState(state, draw.params);
    draw.depthTest = state.depthTest ? 1 : 0;
    draw.firstVertex = static_cast<uint32_t>(queuedVertices.size());
    draw.firstIndex = static_cast<uint32_t>(queuedIndices.size());
    draw.indexCount = static_cast<uint32_t>(indexCount);
    queuedDraws.push_back(draw);
    appendSharedBatch(vertices, vertexCount, indices, indexCount, queuedVertices, queuedIndices);
}
