// gpu_params.h: how a gpu::State reaches the vertex shader of the browser build: one uniform array
// of vec4, laid out by the slots below. The shader names the slots by paramDeclarations(), which
// is made from these same constants.
#pragma once

#include "gpu.h"

namespace gpu {

// The first vec4 of each part of the array, each part right after the one before.
constexpr int kProjectionVec = 0;                   // four columns
constexpr int kFlagsVec = kProjectionVec + 4;       // x lighting, y normalize, z colour material
constexpr int kMaterialAmbientVec = kFlagsVec + 1;  // rgba
constexpr int kMaterialDiffuseVec = kMaterialAmbientVec + 1;
constexpr int kLightsVec = kMaterialDiffuseVec + 1;  // each light's kVecsPerLight, light 0 first
// A light's vectors, from its first. Switches are 1 for on, 0 for off.
constexpr int kLightSwitchVec = 0;  // x enabled
constexpr int kLightPositionVec = 1;
constexpr int kLightAmbientVec = 2;
constexpr int kLightDiffuseVec = 3;
constexpr int kVecsPerLight = 4;

constexpr int kParamVecs = kLightsVec + kVecsPerLight * kLights;
constexpr int kParamFloats = 4 * kParamVecs;

// Lays the state out as the uniform array; params holds kParamFloats floats.
void packState(const State& state, float* params);

// The GLSL that names the slots: a #define of each one's vec4 index (P_PROJECTION, P_FLAGS,
// P_MATERIAL_AMBIENT, P_MATERIAL_DIFFUSE, and P_LIGHT0_SWITCH, P_LIGHT0_POSITION, ... for each
// light), P_COUNT, and the array itself, uParams, for the top of the vertex shader.
const char* paramDeclarations();

}  // namespace gpu
