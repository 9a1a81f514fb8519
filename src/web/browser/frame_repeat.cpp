// frame_repeat.cpp: the last frame drawn, kept as copies of its parts.
#include "frame_repeat.h"

#include <cstring>
#include <vector>

// Constants

static const size_t kMaxParts = 8;

// Globals

static bool lastKnown = false;
static std::vector<unsigned char> lastParts[kMaxParts];  // kept, not freed, between frames

// Public functions

bool gpu::repeatsLastFrame(const FramePart* parts, size_t count) {
    bool same = lastKnown && count <= kMaxParts;
    for (size_t i = 0; same && i < count; ++i)
        same = lastParts[i].size() == parts[i].bytes &&
               (parts[i].bytes == 0 ||
                std::memcmp(lastParts[i].data(), parts[i].data, parts[i].bytes) == 0);
    if (same)
        return true;
    lastKnown = count <= kMaxParts;
    for (size_t i = 0; lastKnown && i < count; ++i) {
        const auto* bytes = static_cast<const unsigned char*>(parts[i].data);
        lastParts[i].assign(bytes, bytes + parts[i].bytes);
    }
    return false;
}

void gpu::forgetLastFrame() {
    lastKnown = false;
}
