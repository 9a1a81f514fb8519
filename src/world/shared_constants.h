// shared_constants.h: the values that more than one part of the game relies on, each defined once.
#pragma once

// Constants

// The game's name: the window's title and the title screen's heading.
inline constexpr const char* kGameTitle = "Velkarovantine";

// The window size main asks for, and the stored size until the first reshape.
inline constexpr int kStartWindowWidth = 800;
inline constexpr int kStartWindowHeight = 600;

// The timer's delay from one step to the next, in milliseconds.
inline constexpr unsigned kStepMilliseconds = 16;

// The game time one racing step counts for; the division rounds to the float nearest 0.016.
inline constexpr float kStepSeconds = static_cast<float>(kStepMilliseconds) / 1000.0f;

// The speed the car drifts back to with no pedal held; every race starts at it.
inline constexpr float kCruiseSpeed = 18.0f;

// roadOffset is brought back by this distance, and the lane dashes repeat with it.
inline constexpr float kRoadPeriod = 400.0f;
