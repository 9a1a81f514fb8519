// gpu_params_test.cpp: a gpu::State as the vertex shader receives it, and the GLSL names of the
// uniform array's slots.
#include "gpu_params.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The #define lines of the declarations, by name.
std::map<std::string, int> definedSlots() {
    std::map<std::string, int> slots;
    std::istringstream glsl(gpu::paramDeclarations());
    std::string word, name;
    int value = 0;
    while (glsl >> word) {
        if (word == "#define" && glsl >> name >> value)
            slots[name] = value;
    }
    return slots;
}

// A state whose every number differs from every other.
gpu::State distinctState() {
    gpu::State s{};
    float next = 1.0f;
    for (float& f : s.projection) f = next++;
    for (float& f : s.materialAmbient) f = next++;
    for (float& f : s.materialDiffuse) f = next++;
    for (gpu::Light& l : s.lights) {
        for (float& f : l.position) f = next++;
        for (float& f : l.ambient) f = next++;
        for (float& f : l.diffuse) f = next++;
        for (float& f : l.specular) f = next++;
    }
    s.lighting = true;
    s.colourMaterial = true;
    s.lights[1].enabled = true;
    return s;
}

// The four floats of one vec4 of the array.
std::vector<float> vec4(const float* params, int vec) {
    return std::vector<float>(params + 4 * vec, params + 4 * vec + 4);
}

std::vector<float> four(const float* values) {
    return std::vector<float>(values, values + 4);
}

}  // namespace

TEST(GpuParams, EachFieldLandsInTheSlotTheShaderNamesForIt) {
    const gpu::State s = distinctState();
    float params[gpu::kParamFloats];
    gpu::packState(s, params);
    std::map<std::string, int> slot = definedSlots();
    EXPECT_EQ(slot["P_COUNT"], gpu::kParamVecs);
    EXPECT_NE(std::string(gpu::paramDeclarations()).find("uniform vec4 uParams[P_COUNT];"),
              std::string::npos);
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(vec4(params, slot["P_PROJECTION"] + column), four(s.projection + 4 * column));
    EXPECT_EQ(vec4(params, slot["P_FLAGS"]), (std::vector<float>{1.0f, 0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(vec4(params, slot["P_MATERIAL_AMBIENT"]), four(s.materialAmbient));
    EXPECT_EQ(vec4(params, slot["P_MATERIAL_DIFFUSE"]), four(s.materialDiffuse));
    for (int i = 0; i < gpu::kLights; ++i) {
        const std::string light = "P_LIGHT" + std::to_string(i) + "_";
        const gpu::Light& l = s.lights[i];
        EXPECT_EQ(vec4(params, slot[light + "SWITCH"])[0], l.enabled ? 1.0f : 0.0f);
        EXPECT_EQ(vec4(params, slot[light + "POSITION"]), four(l.position));
        EXPECT_EQ(vec4(params, slot[light + "AMBIENT"]), four(l.ambient));
        EXPECT_EQ(vec4(params, slot[light + "DIFFUSE"]), four(l.diffuse));
    }
    // The named slots fill the array, each vec4 named once.
    std::map<int, std::string> owners;
    for (const auto& [name, vec] : slot) {
        const int size = name == "P_PROJECTION" ? 4 : name == "P_COUNT" ? 0 : 1;
        for (int k = vec; k < vec + size; ++k) {
            EXPECT_TRUE(k >= 0 && k < gpu::kParamVecs) << name;
            EXPECT_TRUE(owners.emplace(k, name).second) << name << " and " << owners[k];
        }
    }
    EXPECT_EQ(owners.size(), static_cast<size_t>(gpu::kParamVecs));
}
