// state.cpp: capabilities, lights, colour material, viewport and the current colour and normal,
// and the gpu::State they make for each batch.
#include "fixed_function/state.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "fixed_function/batch.h"
#include "unsupported.h"

// Constants

static const float kColourSteps = 255.0f;  // vertex colours are bytes

// Globals

ff::GlState ff::glState;

// Static helpers

static void copy4(float* to, const float* from) {
    std::memcpy(to, from, 4 * sizeof(float));
}

static bool sameValues(const float* a, const float* b, int count) {
    for (int i = 0; i < count; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

static bool same4(const float* a, const float* b) {
    return sameValues(a, b, 4);
}

static bool sameLight(const gpu::Light& a, const gpu::Light& b) {
    return a.enabled == b.enabled && same4(a.position, b.position) && same4(a.ambient, b.ambient) &&
           same4(a.diffuse, b.diffuse) && same4(a.specular, b.specular);
}

// Window-space batches: their device pixels map to clip space through the device-pixel viewport;
// z is NDC already.
static void windowProjection(float* m) {
    using ff::at;
    int box[4];
    ff::deviceBox(ff::glState.viewport, box);
    ff::setIdentity(m);
    const float w = static_cast<float>(box[2] > 0 ? box[2] : 1);
    const float h = static_cast<float>(box[3] > 0 ? box[3] : 1);
    m[at(0, 0)] = 2.0f / w;
    m[at(1, 1)] = 2.0f / h;
    m[at(0, 3)] = -1.0f - 2.0f * static_cast<float>(box[0]) / w;
    m[at(1, 3)] = -1.0f - 2.0f * static_cast<float>(box[1]) / h;
}

// The flag a capability switches, or nullptr for one the layer does not have.
static bool* capabilityFlag(GLenum cap) {
    ff::GlState& s = ff::glState;
    if (cap == GL_DEPTH_TEST)
        return &s.depthTest;
    if (cap == GL_LIGHTING)
        return &s.lighting;
    if (cap == GL_NORMALIZE)
        return &s.normalize;
    if (cap == GL_COLOR_MATERIAL)
        return &s.colourMaterial;
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + gpu::kLights)
        return &s.lights[cap - GL_LIGHT0].enabled;
    return nullptr;
}

// Public functions

void ff::resetState() {
    glState = GlState{};
}

void ff::colourToBytes(const float rgba[4], uint8_t out[4]) {
    for (int i = 0; i < 4; ++i) {
        const float c = std::min(std::max(rgba[i], 0.0f), 1.0f);
        // NOLINTNEXTLINE(bugprone-incorrect-roundings): c is in [0, 1]; lround costs a call
        out[i] = static_cast<uint8_t>(c * kColourSteps + 0.5f);
    }
}

void ff::buildDrawState(gpu::State& s, bool windowSpace) {
    if (windowSpace) {
        windowProjection(s.projection);
    } else {
        std::memcpy(s.projection, projectionTop(), sizeof s.projection);
    }
    s.depthTest = glState.depthTest;
    s.lighting = glState.lighting && !windowSpace;
    s.normalize = glState.normalize;
    s.colourMaterial =
        glState.colourMaterial && glState.colourMaterialMode == GL_AMBIENT_AND_DIFFUSE;
    copy4(s.materialAmbient, glState.materialAmbient);
    copy4(s.materialDiffuse, glState.materialDiffuse);
    for (int i = 0; i < gpu::kLights; ++i) s.lights[i] = glState.lights[i];
}

bool ff::sameDrawState(const gpu::State& a, const gpu::State& b) {
    bool same = sameValues(a.projection, b.projection, kMatrixElements) &&
                a.depthTest == b.depthTest && a.lighting == b.lighting &&
                a.normalize == b.normalize && a.colourMaterial == b.colourMaterial &&
                same4(a.materialAmbient, b.materialAmbient) &&
                same4(a.materialDiffuse, b.materialDiffuse);
    for (int i = 0; same && i < gpu::kLights; ++i) same = sameLight(a.lights[i], b.lights[i]);
    return same;
}

void ff::clipToWindow(const float clip[4], float window[3]) {
    const int* box = glState.viewport;
    const float halfW = static_cast<float>(box[2]) * 0.5f;
    const float halfH = static_cast<float>(box[3]) * 0.5f;
    window[0] = clip[0] / clip[3] * halfW + (static_cast<float>(box[0]) + halfW);
    window[1] = clip[1] / clip[3] * halfH + (static_cast<float>(box[1]) + halfH);
    window[2] = clip[2] / clip[3];
}

void ff::updateEyeNormal() {
    transformNormal(glState.normal, glState.eyeNormal);
    glState.eyeNormalValid = true;
    glState.eyeNormalModelview = matrices.modelviewChanges;
}

void ff::setClearColour(float r, float g, float b, float a) {
    const float rgba[4] = {r, g, b, a};
    for (int i = 0; i < 4; ++i) glState.clearColour[i] = std::min(std::max(rgba[i], 0.0f), 1.0f);
}

void ff::clear(bool colour, bool depth) {
    clearBuffers(colour, depth, glState.clearColour);
}

void ff::setCapability(GLenum cap, bool on) {
    bool* flag = capabilityFlag(cap);
    if (flag == nullptr) {
        unsupported::report(on ? "glEnable" : "glDisable", cap, "ignored");
        return;
    }
    if (*flag == on)
        return;
    if (cap == GL_COLOR_MATERIAL && !on && glState.colourMaterialMode == GL_AMBIENT_AND_DIFFUSE) {
        copy4(glState.materialAmbient, glState.colour);  // the material keeps its last colour
        copy4(glState.materialDiffuse, glState.colour);
    }
    *flag = on;
    ++glState.changes;
}

// Both faces are lit alike (there is no two-sided lighting), so GL_FRONT and GL_FRONT_AND_BACK
// act the same.
void ff::setColourMaterial(GLenum face, GLenum mode) {
    if (face != GL_FRONT_AND_BACK && face != GL_FRONT)
        unsupported::report("glColorMaterial", face, "taken as GL_FRONT_AND_BACK");
    if (mode != GL_AMBIENT_AND_DIFFUSE)
        unsupported::report("glColorMaterial", mode, "the material does not follow the colour");
    glState.colourMaterialMode = mode;
    ++glState.changes;
}

// GL_SPECULAR is kept with the light as GL keeps it, though no lighting term uses it: the
// material's specular colour is black, since the layer has no glMaterial.
void ff::setLight(GLenum light, GLenum pname, const GLfloat* params) {
    if (light < GL_LIGHT0 || light >= GL_LIGHT0 + gpu::kLights) {
        unsupported::report("glLightfv", light, "ignored: the layer has GL_LIGHT0 and GL_LIGHT1");
        return;
    }
    gpu::Light& l = glState.lights[light - GL_LIGHT0];
    if (pname == GL_POSITION) {
        transform(modelviewTop(), params[0], params[1], params[2], params[3], l.position);
    } else if (pname == GL_AMBIENT) {
        copy4(l.ambient, params);
    } else if (pname == GL_DIFFUSE) {
        copy4(l.diffuse, params);
    } else if (pname == GL_SPECULAR) {
        copy4(l.specular, params);
    } else {
        unsupported::report("glLightfv", pname, "keeps GL's initial value");
        return;
    }
    ++glState.changes;
}

void ff::setViewport(int x, int y, int width, int height) {
    if (width < 0 || height < 0)
        return;
    const int box[4] = {x, y, width, height};
    int device[4];
    deviceBox(box, device);
    setGpuViewport(device);  // after the batch drawn in the old viewport
    std::memcpy(glState.viewport, box, sizeof box);
    ++glState.changes;
}

// The game's viewport stays as it is in window pixels; the graphics card gets it anew in device
// pixels, unless the game never gave one.
void ff::setDeviceScale(double across, double up) {
    if (!(across > 0.0 && up > 0.0 && std::isfinite(across) && std::isfinite(up)))
        return;
    if (across == glState.deviceScale[0] && up == glState.deviceScale[1])
        return;
    flushBatch();  // drawn under the old scale
    glState.deviceScale[0] = across;
    glState.deviceScale[1] = up;
    const int* box = glState.viewport;
    if (box[2] > 0 || box[3] > 0)
        setViewport(box[0], box[1], box[2], box[3]);
    ++glState.changes;
}

void ff::setFramebufferSize(int width, int height) {
    glState.framebuffer[0] = width;
    glState.framebuffer[1] = height;
}

bool ff::viewportFillsFramebuffer() {
    const int* box = glState.viewport;
    const int* size = glState.framebuffer;
    return size[0] < 0 || (box[0] == 0 && box[1] == 0 && box[2] == size[0] && box[3] == size[1]);
}

int ff::windowToDevice(int edge, int axis) {
    return static_cast<int>(std::lround(static_cast<double>(edge) * glState.deviceScale[axis]));
}

void ff::deviceBox(const int box[4], int out[4]) {
    out[0] = windowToDevice(box[0], 0);
    out[1] = windowToDevice(box[1], 1);
    out[2] = windowToDevice(box[0] + box[2], 0) - out[0];
    out[3] = windowToDevice(box[1] + box[3], 1) - out[1];
}

void ff::normal(float x, float y, float z) {
    glState.normal[0] = x;
    glState.normal[1] = y;
    glState.normal[2] = z;
    glState.eyeNormalValid = false;
}

void ff::colour(float r, float g, float b, float a) {
    const float rgba[4] = {r, g, b, a};
    copy4(glState.colour, rgba);
    colourToBytes(glState.colour, glState.colourBytes);
}
