// gpu.h: what the browser's fixed-function GL hands to the graphics card: batches of indexed
// triangles, each with the whole fixed-function state it is drawn under. The browser build
// implements these over WebGL; native tests and benchmarks link a recording or empty version.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gpu {

// Lights the layer supports: the game uses GL_LIGHT0 and GL_LIGHT1.
constexpr int kLights = 2;

// One vertex as the vertex shader receives it.
struct Vertex {
    float position[3];  // eye space; for window-space batches, device pixels x, y and NDC z
    float normal[3];    // eye space, not normalised (the shader does that when normalize is on)
    uint8_t colour[4];  // the current colour when the vertex was given, in 255ths of [0, 1]
};

// One light, with its position already carried into eye space as GL does when it is set.
struct Light {
    bool enabled;
    float position[4];  // w = 0: a directional light shining from this direction
    float ambient[4];
    float diffuse[4];
    float specular[4];  // kept as GL keeps it; it lights nothing, as the material's specular
                        // colour is GL's initial black (the layer has no glMaterial)
};

// Everything a batch is drawn with besides its vertices. What else GL's lighting reads keeps GL's
// initial value, since the game changes none of it: the global ambient (the shader's constant),
// the material's black specular colour and emission (terms that add nothing, so left out).
struct State {
    // NOLINTNEXTLINE(readability-magic-numbers): a 4 x 4 matrix
    float projection[16];  // column-major, applied to (position, 1)
    bool depthTest;
    bool lighting;
    bool normalize;
    bool colourMaterial;  // the vertex colour is the ambient and diffuse material
    float materialAmbient[4];
    float materialDiffuse[4];
    Light lights[kLights];
};

// The viewport in window pixels, origin at the bottom-left corner.
void viewport(int x, int y, int width, int height);

// Clears the colour buffer to rgba and/or the depth buffer to 1.
void clear(bool colour, bool depth, const float rgba[4]);

// Draws indexCount / 3 triangles; every index is below vertexCount.
void drawTriangles(const State& state, const Vertex* vertices, size_t vertexCount,
                   const uint16_t* indices, size_t indexCount);

}  // namespace gpu
