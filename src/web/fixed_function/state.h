// state.h: the state stage: capabilities, the two lights, colour material, the viewport, the
// clear colour, and the current colour and normal. It builds the gpu::State a batch is drawn
// under and carries clip coordinates to window pixels; its GL calls are in fixed_function.h.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "fixed_function/matrices.h"
#include "gpu.h"

namespace ff {

// Constants

constexpr float kInitialMaterialAmbient = 0.2f;  // GL's initial material: grey 0.2 ambient,
constexpr float kInitialMaterialDiffuse = 0.8f;  // grey 0.8 diffuse
constexpr uint8_t kFullByte = 255;               // a colour component of 1 as a vertex carries it
// GL's initial lights: off, shining from +z, with white diffuse and specular colours for light 0
// and black ones for the others.
constexpr gpu::Light kInitialLight0 = {false,
                                       {0.0f, 0.0f, 1.0f, 0.0f},
                                       {0.0f, 0.0f, 0.0f, 1.0f},
                                       {1.0f, 1.0f, 1.0f, 1.0f},
                                       {1.0f, 1.0f, 1.0f, 1.0f}};
constexpr gpu::Light kInitialOtherLight = {false,
                                           {0.0f, 0.0f, 1.0f, 0.0f},
                                           {0.0f, 0.0f, 0.0f, 1.0f},
                                           {0.0f, 0.0f, 0.0f, 1.0f},
                                           {0.0f, 0.0f, 0.0f, 1.0f}};

// Types

// The state stage's state, GL's initial values to start with.
struct GlState {
    bool depthTest = false;                              // GL_DEPTH_TEST
    bool lighting = false;                               // GL_LIGHTING
    bool normalize = false;                              // GL_NORMALIZE
    bool colourMaterial = false;                         // GL_COLOR_MATERIAL
    GLenum colourMaterialMode = GL_AMBIENT_AND_DIFFUSE;  // glColorMaterial's mode
    // The material, front and back alike (there is no two-sided lighting).
    float materialAmbient[4] = {kInitialMaterialAmbient, kInitialMaterialAmbient,
                                kInitialMaterialAmbient, 1.0f};
    float materialDiffuse[4] = {kInitialMaterialDiffuse, kInitialMaterialDiffuse,
                                kInitialMaterialDiffuse, 1.0f};
    // The lights, each position carried into eye space when it was set.
    gpu::Light lights[gpu::kLights] = {kInitialLight0, kInitialOtherLight};
    int viewport[4] = {};           // x, y, width, height in window pixels
    int framebuffer[2] = {-1, -1};  // width, height in window pixels; -1 until GLUT tells them
    // Device pixels of the drawing buffer per window pixel, across and up: the page's backing
    // store over the window size the game hears. Window pixel edges land on the device pixels
    // windowToDevice rounds them to.
    double deviceScale[2] = {1.0, 1.0};
    float clearColour[4] = {};                   // glClearColor's, clamped to [0, 1]
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // the current colour
    uint8_t colourBytes[4] = {kFullByte, kFullByte, kFullByte, kFullByte};  // as vertices carry it
    float normal[3] = {0.0f, 0.0f, 1.0f};                                   // the current normal
    float eyeNormal[3] = {};          // the current normal under the modelview
    bool eyeNormalValid = false;      // eyeNormal belongs to the current normal...
    unsigned eyeNormalModelview = 0;  // ...and to this count of modelview changes
    unsigned changes = 0;  // counts changes of what buildDrawState reads, the projection aside
};
static_assert(gpu::kLights == 2, "GlState::lights starts two lights");

// Globals

extern GlState glState;

// Public functions

// Back to GL's initial state.
void resetState();

// A colour as a vertex carries it: each component clamped to [0, 1], to the nearest 255th.
void colourToBytes(const float rgba[4], uint8_t out[4]);

// The state geometry is drawn under: the projection's, or for window-space geometry (lines and
// bitmaps, in window pixels) a projection from the viewport, without lighting.
void buildDrawState(gpu::State& s, bool windowSpace);

// Whether two draw states draw alike: every field compared.
bool sameDrawState(const gpu::State& a, const gpu::State& b);

// Whether the viewport covers the whole framebuffer; true while its size is unknown.
bool viewportFillsFramebuffer();

// A window pixel edge (a whole window pixel count from the left, or from the bottom) as the device
// pixel edge round(edge * scale). Lines and bitmaps work out which window pixels they cover in
// window pixels, as they would at scale 1, and each covered pixel becomes the device pixels
// between its edges: at an integer scale an exact square, at a fractional one floor(scale) or
// ceil(scale) of them each way, never part of one, so nothing is resampled and at scale 1 the
// picture is the window's to the pixel. The 3D scene's viewport maps the same way.
int windowToDevice(int edge, int axis);

// A window-pixel box (x, y, width, height) as the device-pixel box its edges round to.
void deviceBox(const int box[4], int out[4]);

// Clip coordinates to window pixels through the viewport, depth in NDC.
void clipToWindow(const float clip[4], float window[3]);

// Carries the current normal into eye space.
void updateEyeNormal();

// The current normal in eye space, carried there once per normal or modelview change.
inline const float* currentEyeNormal() {
    if (!glState.eyeNormalValid || glState.eyeNormalModelview != matrices.modelviewChanges)
        updateEyeNormal();
    return glState.eyeNormal;
}

}  // namespace ff
