// shared_vertices.cpp: vertex sharing through a small hash table of the batch's vertices.
#include "shared_vertices.h"

#include <cstring>

// Constants

static const int kSlotBits = 12;
static const size_t kSlots = size_t{1} << kSlotBits;
// Odd constants whose products spread a vertex's bytes over the top bits of the hash.
static const uint64_t kMix[4] = {0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu, 0x165667B19E3779F9u,
                                 0xD6E8FEB86659FD93u};
static const int kHashShift = 32;  // the hash is the products' top 32 bits
static_assert(sizeof(gpu::Vertex) == sizeof(gpu::Vertex::position) + sizeof(gpu::Vertex::normal) +
                                         sizeof(gpu::Vertex::colour),
              "vertices compare byte for byte, so they have no padding");

// Types

// The vertex of this batch last added with a hash whose top bits name the slot.
struct Slot {
    uint32_t batch;   // the batch that filled the slot; slots of earlier batches count as empty
    uint32_t hash;    // the whole hash, so most differing vertices are told apart unread
    uint16_t vertex;  // its index in the batch's part of the frame's array
};

// Globals

static Slot slots[kSlots];
static uint32_t batchNumber = 0;
static std::vector<uint16_t> renumbered;  // the batch's vertex i is the shared vertex renumbered[i]

// Static helpers

// A hash of vertex v: independent products, so it costs few cycles.
static uint32_t vertexHash(const gpu::Vertex& v) {
    uint64_t words[3];
    uint32_t last = 0;
    std::memcpy(words, &v, sizeof words);
    std::memcpy(&last, reinterpret_cast<const char*>(&v) + sizeof words, sizeof last);
    const uint64_t hash =
        (words[0] * kMix[0]) ^ (words[1] * kMix[1]) ^ (words[2] * kMix[2]) ^ (last * kMix[3]);
    return static_cast<uint32_t>(hash >> kHashShift);
}

// The index, in the batch's part of out, of a vertex equal to v, appending v if there is none.
static uint16_t share(const gpu::Vertex& v, std::vector<gpu::Vertex>& out, size_t first) {
    const uint32_t hash = vertexHash(v);
    Slot& slot = slots[hash >> (kHashShift - kSlotBits)];
    // Equal bytes, not equal numbers: +0 and -0 stay apart, and every copy shades alike.
    if (slot.batch == batchNumber && slot.hash == hash && first + slot.vertex < out.size() &&
        // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): bytes are what must be equal
        std::memcmp(&out[first + slot.vertex], &v, sizeof v) == 0)
        return slot.vertex;
    const auto index = static_cast<uint16_t>(out.size() - first);
    slot = Slot{batchNumber, hash, index};
    out.push_back(v);
    return index;
}

// Public functions

void gpu::appendSharedBatch(const Vertex* vertices, size_t vertexCount, const uint16_t* indices,
                            size_t indexCount, std::vector<Vertex>& frameVertices,
                            std::vector<uint16_t>& frameIndices) {
    ++batchNumber;  // wraps after 2^32 batches; a stale slot that matches is still a true match
    const size_t first = frameVertices.size();
    renumbered.resize(vertexCount);
    for (size_t i = 0; i < vertexCount; ++i)
        renumbered[i] = share(vertices[i], frameVertices, first);
    for (size_t i = 0; i < indexCount; ++i) frameIndices.push_back(renumbered[indices[i]]);
}
