// depth_planes.cpp: each triangle's plane found from its corners' clip coordinates, in double
// precision, and a batch's triangles split into the runs that need planes and those that do not.
#include "depth_planes.h"

#include <cmath>

// Constants

static const size_t kSide = 4;  // rows and columns of the projection, which is column-major

// Static helpers

// Clip coordinates of an eye-space point under the state's projection.
static void toClip(const gpu::State& state, const float* eye, double clip[kSide]) {
    const float* m = state.projection;
    for (size_t row = 0; row < kSide; ++row) {
        clip[row] = static_cast<double>(m[row]) * eye[0] +
                    static_cast<double>(m[kSide + row]) * eye[1] +
                    static_cast<double>(m[2 * kSide + row]) * eye[2] + m[3 * kSide + row];
    }
}

// The determinant of the 3 x 3 matrix made of columns i, j and k of the three rows.
static double minor(const double rows[3][kSide], int i, int j, int k) {
    return rows[0][i] * (rows[1][j] * rows[2][k] - rows[1][k] * rows[2][j]) -
           rows[0][j] * (rows[1][i] * rows[2][k] - rows[1][k] * rows[2][i]) +
           rows[0][k] * (rows[1][i] * rows[2][j] - rows[1][j] * rows[2][i]);
}

// Marks the vertices at or behind the eye (clip w <= 0); false if there are none.
static bool markBehindEye(const gpu::State& state, const gpu::Vertex* vertices, size_t vertexCount,
                          std::vector<uint8_t>& behind) {
    const float* w = state.projection + (kSide - 1);  // the last row, a column apart
    behind.resize(vertexCount);
    unsigned any = 0;
    for (size_t i = 0; i < vertexCount; ++i) {
        const float* eye = vertices[i].position;
        const float clipW =
            w[0] * eye[0] + w[kSide] * eye[1] + w[2 * kSide] * eye[2] + w[3 * kSide];
        behind[i] = clipW <= 0.0f ? 1 : 0;
        any |= behind[i];
    }
    return any != 0;
}

// Public functions

bool gpu::windowDepthPlane(const State& state, const int viewport[4], const float* a,
                           const float* b, const float* c, float plane[kPlaneFloats]) {
    double rows[3][kSide];
    toClip(state, a, rows[0]);
    toClip(state, b, rows[1]);
    toClip(state, c, rows[2]);
    // The plane p with p . q = 0 for every clip point q of the triangle, homogeneous points
    // behind the eye included: the cofactors of the three rows.
    const double p[kSide] = {minor(rows, 1, 2, 3), -minor(rows, 0, 2, 3), minor(rows, 0, 1, 3),
                             -minor(rows, 0, 1, 2)};
    const double width = viewport[2];
    const double height = viewport[3];
    if (p[2] == 0.0 || width <= 0.0 || height <= 0.0)
        return false;
    // NDC z = -(p0 x + p1 y + p3) / p2 and window depth = (z + 1) / 2, so 1 - depth =
    // (1 - z) / 2, with NDC x and y carried to window pixels by the viewport.
    const double across = p[0] / p[2];
    const double up = p[1] / p[2];
    const double ndcXAtZero = -2.0 * viewport[0] / width - 1.0;
    const double ndcYAtZero = -2.0 * viewport[1] / height - 1.0;
    const double result[3] = {across / width, up / height,
                              0.5 * (1.0 + across * ndcXAtZero + up * ndcYAtZero + p[3] / p[2])};
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(static_cast<float>(result[i])))
            return false;
    }
    for (int i = 0; i < 3; ++i) plane[i] = static_cast<float>(result[i]);
    plane[3] = 1.0f;
    return true;
}

void gpu::splitByDepthPlanes(const State& state, const int viewport[4], const Vertex* vertices,
                             size_t vertexCount, const uint16_t* indices, size_t indexCount,
                             std::vector<TriangleRun>& runs, std::vector<float>& planes) {
    static std::vector<uint8_t> behind;
    runs.clear();
    const size_t triangles = indexCount / 3;
    size_t rest = 0;  // the first triangle not in a run yet
    if (state.depthTest && markBehindEye(state, vertices, vertexCount, behind)) {
        for (size_t t = 0; t < triangles; ++t) {
            const uint16_t* corners = indices + 3 * t;
            float plane[kPlaneFloats];
            if ((behind[corners[0]] | behind[corners[1]] | behind[corners[2]]) == 0 ||
                !windowDepthPlane(state, viewport, vertices[corners[0]].position,
                                  vertices[corners[1]].position, vertices[corners[2]].position,
                                  plane))
                continue;
            if (t > rest)
                runs.push_back(TriangleRun{rest, t - rest, false});
            if (t == rest && !runs.empty() && runs.back().planes)
                ++runs.back().count;
            else
                runs.push_back(TriangleRun{t, 1, true});
            planes.insert(planes.end(), plane, plane + kPlaneFloats);
            rest = t + 1;
        }
    }
    if (triangles > rest)
        runs.push_back(TriangleRun{rest, triangles - rest, false});
}
