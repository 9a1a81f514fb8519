// frame_repeat.h: tells a frame that repeats the last one drawn, so that it need not be drawn
// again: the browser keeps showing a canvas that nothing was drawn into.
#pragma once

#include <cstddef>

namespace gpu {

// One part of what a frame draws, as bytes.
struct FramePart {
    const void* data;
    size_t bytes;
};

// Whether these parts equal, byte for byte, those of the last frame given here; keeps them as the
// last frame either way.
bool repeatsLastFrame(const FramePart* parts, size_t count);

// Forgets the last frame: the next one is drawn, whatever it holds.
void forgetLastFrame();

}  // namespace gpu
