// gpu_webgl.cpp: gpu.h over WebGL 1. A frame's batches are queued (frame_queue.h) and reach the
// card together, all their vertices, indices and depth planes in one upload each (fewer calls
// into the browser's GPU process than one per batch), through buffers that grow only when a frame
// needs more room. Every GL object can be created again after the context was lost.
//
// WebGL is reached through Emscripten's emscripten_gl* names: the browser layer itself defines
// glEnable, glClear, glViewport and the rest for the game.
#include "gpu_webgl.h"

#include <emscripten/html5_webgl.h>
#include <webgl/webgl1.h>

#include <cstring>

#include "depth_planes.h"
#include "frame_queue.h"
#include "frame_repeat.h"
#include "gpu.h"
#include "gpu_params.h"
#include "scene_pieces.h"
#include "webgl_programs.h"

// Constants

// First sizes of the streaming buffers; they double whenever a frame does not fit.
static const GLsizeiptr kFirstVertexBytes = 1024 * sizeof(gpu::Vertex);
static const GLsizeiptr kFirstIndexBytes = 3 * 1024 * sizeof(uint16_t);
static const GLsizeiptr kFirstPlaneBytes = 64 * gpu::kPlaneFloats * sizeof(float);

// Types

// The GL objects of the context; ready is false until they exist in the current context.
struct Resources {
    bool ready = false;
    gpu::Program program{0, -1, false};
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint planeBuffer = 0;
    GLsizeiptr vertexCapacity = 0;  // bytes
    GLsizeiptr indexCapacity = 0;
    GLsizeiptr planeCapacity = 0;
    GLuint breakTarget = 0;  // a 1 x 1 framebuffer whose clearing ends the rasteriser's scene
};

// What the context last received, so unchanged state is not sent again.
struct Applied {
    bool programUsed = false;  // the program is the context's current one
    bool paramsKnown = false;  // params holds the program's uniform array
    float params[gpu::kParamFloats] = {};
    bool depthKnown = false;  // depthTest holds the context's depth test
    bool depthTest = false;
    bool planeArray = false;  // the depth plane attribute reads the plane buffer
};

// Globals

static Resources resources;
static Applied applied;
static bool viewportGiven = false;
static int viewportBox[4] = {0, 0, 0, 0};
static gpu::FrameQueue queue;

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
    resources.planeBuffer = createBuffer(GL_ARRAY_BUFFER, kFirstPlaneBytes);
    resources.planeCapacity = kFirstPlaneBytes;
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, resources.vertexBuffer);
    resources.breakTarget = gpu::createSceneBreak();
    emscripten_glEnableVertexAttribArray(gpu::kPositionSlot);
    emscripten_glEnableVertexAttribArray(gpu::kNormalSlot);
    emscripten_glEnableVertexAttribArray(gpu::kColourSlot);
    // Draws without planes read the plane attribute's constant value: none.
    emscripten_glVertexAttrib4f(gpu::kDepthPlaneSlot, 0.0f, 0.0f, 0.0f, 0.0f);
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

// Copies data into buffer, bound to target, growing it (doubling) only when it is too small.
static void stream(GLenum target, GLuint buffer, GLsizeiptr& capacity, const void* data,
                   GLsizeiptr bytes) {
    emscripten_glBindBuffer(target, buffer);
    if (bytes > capacity) {
        while (capacity < bytes) capacity *= 2;
        emscripten_glBufferData(target, capacity, nullptr, GL_DYNAMIC_DRAW);
    }
    emscripten_glBufferSubData(target, 0, bytes, data);
}

// Sends the batch's state where the context does not hold it yet.
static void applyState(const gpu::QueuedDraw& draw) {
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

// Uploads the frame's queued vertices, indices and depth planes; the vertex buffer stays bound.
static void upload() {
    if (!queue.planes.empty())
        stream(GL_ARRAY_BUFFER, resources.planeBuffer, resources.planeCapacity, queue.planes.data(),
               static_cast<GLsizeiptr>(queue.planes.size() * sizeof(float)));
    stream(GL_ELEMENT_ARRAY_BUFFER, resources.indexBuffer, resources.indexCapacity,
           queue.indices.data(), static_cast<GLsizeiptr>(queue.indices.size() * sizeof(uint16_t)));
    stream(GL_ARRAY_BUFFER, resources.vertexBuffer, resources.vertexCapacity, queue.vertices.data(),
           static_cast<GLsizeiptr>(queue.vertices.size() * sizeof(gpu::Vertex)));
}

// Points the depth plane attribute at the draw's planes, or leaves it at its constant: none.
static void pointPlanes(uint32_t firstPlane) {
    const bool planes = firstPlane != gpu::kNoPlanes;
    if (planes) {
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, resources.planeBuffer);
        emscripten_glVertexAttribPointer(
            gpu::kDepthPlaneSlot, static_cast<GLint>(gpu::kPlaneFloats), GL_FLOAT, GL_FALSE, 0,
            reinterpret_cast<const void*>(firstPlane * gpu::kPlaneFloats * sizeof(float)));
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, resources.vertexBuffer);
    }
    if (planes == applied.planeArray)
        return;
    if (planes)
        emscripten_glEnableVertexAttribArray(gpu::kDepthPlaneSlot);
    else
        emscripten_glDisableVertexAttribArray(gpu::kDepthPlaneSlot);
    applied.planeArray = planes;
}

// Carries out a queued viewport or clear.
static void carryOut(const gpu::QueuedStep& step) {
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
    if (!queue.draws.empty())
        upload();
    size_t next = 0;
    size_t sceneLeft = gpu::kSceneIndices;
    auto drawUpTo = [&](size_t end) {
        for (; next < end; ++next) {
            const gpu::QueuedDraw& draw = queue.draws[next];
            applyState(draw);
            pointAttributes(draw.firstVertex);
            pointPlanes(draw.firstPlane);
            gpu::drawPieces(resources.breakTarget, draw.firstIndex, draw.indexCount, sceneLeft);
        }
    };
    for (const gpu::QueuedStep& step : queue.steps) {
        drawUpTo(step.drawsBefore);
        carryOut(step);
    }
    drawUpTo(queue.draws.size());
}

// Whether the queued frame is the one drawn last, for a drawing buffer of the same size: the
// canvas then still shows it, as nothing is drawn into a canvas that is not drawn again.
static bool repeatsDrawnFrame() {
    int size[2] = {0, 0};
    emscripten_webgl_get_drawing_buffer_size(emscripten_webgl_get_current_context(), &size[0],
                                             &size[1]);
    const gpu::FramePart parts[] = {
        {size, sizeof size},
        {queue.steps.data(), queue.steps.size() * sizeof(gpu::QueuedStep)},
        {queue.draws.data(), queue.draws.size() * sizeof(gpu::QueuedDraw)},
        {queue.vertices.data(), queue.vertices.size() * sizeof(gpu::Vertex)},
        {queue.indices.data(), queue.indices.size() * sizeof(uint16_t)},
        {queue.planes.data(), queue.planes.size() * sizeof(float)}};
    return gpu::repeatsLastFrame(parts, sizeof parts / sizeof parts[0]);
}

// Public functions

void gpu::forgetResources() {
    // The objects died with the context, so nothing is deleted; new ones are made on next use.
    resources = Resources{};
    applied = Applied{};
    forgetProgramFailures();
    forgetLastFrame();
    queue.clear();
}

void gpu::finishFrame() {
    if (resources.ready && !repeatsDrawnFrame())
        drawQueued();
    queue.clear();
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
    step.drawsBefore = static_cast<uint32_t>(queue.draws.size());
    step.viewport = 1;
    std::memcpy(step.box, viewportBox, sizeof step.box);
    queue.steps.push_back(step);
}

void gpu::clear(bool colour, bool depth, const float rgba[4]) {
    if (!ensureReady() || (!colour && !depth))
        return;
    QueuedStep step{};
    step.drawsBefore = static_cast<uint32_t>(queue.draws.size());
    step.box[0] = static_cast<int32_t>((colour ? GL_COLOR_BUFFER_BIT : 0) |
                                       (depth ? GL_DEPTH_BUFFER_BIT : 0));
    if (colour)
        std::memcpy(step.rgba, rgba, sizeof step.rgba);
    queue.steps.push_back(step);
}

void gpu::drawTriangles(const State& state, const Vertex* vertices, size_t vertexCount,
                        const uint16_t* indices, size_t indexCount) {
    if (indexCount == 0 || !ensureReady())
        return;
    QueuedDraw draw{};
    packState(state, draw.params);
    draw.depthTest = state.depthTest ? 1 : 0;
    // The viewport the draw is carried out in; none given (all zero) gives no planes.
    queueBatch(queue, draw, state, viewportBox, resources.program.depthPlanes, vertices,
               vertexCount, indices, indexCount);
}
