// shared_vertices.h: a batch's vertices added to the frame's upload with each distinct vertex once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gpu.h"

namespace gpu {

// Public functions

// Appends the batch (vertices and the triangles' indices into them) to the frame's arrays. A
// vertex equal byte for byte to one the batch already gave is not appended again: its indices
// name the first copy. Strips, quads, fans and meshes give most corners two to six times, so the
// browser receives and shades far fewer vertices, and draws exactly the same triangles, as
// equal vertices give equal fragments. Indices appended count from the batch's first vertex.
void appendSharedBatch(const Vertex* vertices, size_t vertexCount, const uint16_t* indices,
                       size_t indexCount, std::vector<Vertex>& frameVertices,
                       std::vector<uint16_t>& frameIndices);

}  // namespace gpu
