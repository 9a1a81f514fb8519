// gpu_params.cpp: a gpu::State laid out as the vertex shader's uniform array, and the GLSL names
// of its slots.
#include "gpu_params.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

// Constants

static const size_t kDefineLength = 64;  // room for the longest #define line and more

// One named slot of the array.
struct Slot {
    const char* name;
    int vec;
};

static const Slot kSlots[] = {{"PROJECTION", gpu::kProjectionVec},
                              {"FLAGS", gpu::kFlagsVec},
                              {"MATERIAL_AMBIENT", gpu::kMaterialAmbientVec},
                              {"MATERIAL_DIFFUSE", gpu::kMaterialDiffuseVec}};
static const Slot kLightSlots[] = {{"SWITCH", gpu::kLightSwitchVec},
                                   {"POSITION", gpu::kLightPositionVec},
                                   {"AMBIENT", gpu::kLightAmbientVec},
                                   {"DIFFUSE", gpu::kLightDiffuseVec}};

// Static helpers

// The array's vec4 at index vec.
static float* vecAt(float* params, int vec) {
    return params + 4 * static_cast<size_t>(vec);
}

// Copies four floats into the array at vector index vec.
static void putVec(float* params, int vec, const float* values) {
    std::memcpy(vecAt(params, vec), values, 4 * sizeof(float));
}

static float oneIf(bool on) {
    return on ? 1.0f : 0.0f;
}

// "#define P_<name> <vec>\n".
static std::string define(const std::string& name, int vec) {
    char line[kDefineLength];
    std::snprintf(line, sizeof line, "#define P_%s %d\n", name.c_str(), vec);
    return line;
}

static std::string makeDeclarations() {
    std::string glsl;
    for (const Slot& slot : kSlots) glsl += define(slot.name, slot.vec);
    for (int i = 0; i < gpu::kLights; ++i) {
        const std::string light = "LIGHT" + std::to_string(i) + "_";
        for (const Slot& slot : kLightSlots)
            glsl += define(light + slot.name, gpu::kLightsVec + gpu::kVecsPerLight * i + slot.vec);
    }
    glsl += define("COUNT", gpu::kParamVecs);
    return glsl + "uniform vec4 uParams[P_COUNT];\n";
}

// Public functions

void gpu::packState(const State& state, float* params) {
    std::memcpy(vecAt(params, kProjectionVec), state.projection, sizeof state.projection);
    const float flags[4] = {oneIf(state.lighting), oneIf(state.normalize),
                            oneIf(state.colourMaterial), 0.0f};
    putVec(params, kFlagsVec, flags);
    putVec(params, kMaterialAmbientVec, state.materialAmbient);
    putVec(params, kMaterialDiffuseVec, state.materialDiffuse);
    for (int i = 0; i < kLights; ++i) {
        const Light& light = state.lights[i];
        const int base = kLightsVec + kVecsPerLight * i;
        const float switches[4] = {oneIf(light.enabled), 0.0f, 0.0f, 0.0f};
        putVec(params, base + kLightSwitchVec, switches);
        putVec(params, base + kLightPositionVec, light.position);
        putVec(params, base + kLightAmbientVec, light.ambient);
        putVec(params, base + kLightDiffuseVec, light.diffuse);
    }
}

const char* gpu::paramDeclarations() {
    static const std::string glsl = makeDeclarations();
    return glsl.c_str();
}
