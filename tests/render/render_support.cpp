// render_support.cpp: a tiny fixed-function pipeline model over the recorded calls.
#include "render_support.h"

#include <GL/gl.h>

#include <cmath>

// Static helpers

static Mat4 identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

static Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 out{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            for (int k = 0; k < 4; ++k) out[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
        }
    }
    return out;
}

// GL's rotation matrix for angle degrees about the axis k.
static Mat4 rotation(double angle, Vec3 k) {
    const double len = std::hypot(k[0], k[1], k[2]);
    for (double& v : k) v /= len;
    const double c = std::cos(angle * M_PI / 180.0), s = std::sin(angle * M_PI / 180.0);
    Mat4 m = identity();
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row)
            m[col * 4 + row] = (1 - c) * k[row] * k[col] + (row == col) * c;
    }
    m[1] += s * k[2], m[2] -= s * k[1], m[4] -= s * k[2];
    m[6] += s * k[0], m[8] += s * k[1], m[9] -= s * k[0];
    return m;
}

// Public functions

void Bounds::add(const Vec3& p) {
    for (int i = 0; i < 3; ++i) {
        min[i] = std::fmin(min[i], p[i]);
        max[i] = std::fmax(max[i], p[i]);
    }
}

Vec3 transform(const Mat4& m, const Vec3& p) {
    Vec3 out;
    for (int r = 0; r < 3; ++r)
        out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
    return out;
}

Replay replay(const std::vector<GlCall>& calls) {
    Replay out;
    std::vector<Mat4> stacks[2] = {{identity()}, {identity()}};  // modelview, projection
    int mode = 0;
    Vec3 colour{1, 1, 1};
    Vec3 normal{0, 0, 1};  // GL's initial normal
    Primitive* open = nullptr;
    auto top = [&]() -> Mat4& { return stacks[mode].back(); };
    for (const GlCall& c : calls) {
        const std::vector<double>& a = c.args;
        if (c.name == "glMatrixMode") {
            mode = a[0] == GL_PROJECTION ? 1 : 0;
        } else if (c.name == "glPushMatrix") {
            stacks[mode].push_back(top());
            if (mode == 0) {
                out.deepestModelview =
                    std::max(out.deepestModelview, static_cast<int>(stacks[0].size()) - 1);
            }
        } else if (c.name == "glPopMatrix") {
            if (stacks[mode].size() == 1)
                out.stacksBalanced = false;
            else
                stacks[mode].pop_back();
        } else if (c.name == "glLoadIdentity") {
            top() = identity();
        } else if (c.name == "glTranslatef") {
            Mat4 t = identity();
            t[12] = a[0], t[13] = a[1], t[14] = a[2];
            top() = multiply(top(), t);
            if (mode == 0 && stacks[0].size() == 2)
                out.topLevelTranslations.push_back({a[0], a[1], a[2]});
        } else if (c.name == "glScalef") {
            Mat4 s = identity();
            s[0] = a[0], s[5] = a[1], s[10] = a[2];
            top() = multiply(top(), s);
        } else if (c.name == "glRotatef") {
            top() = multiply(top(), rotation(a[0], {a[1], a[2], a[3]}));
        } else if (c.name == "glColor3f") {
            colour = {a[0], a[1], a[2]};
        } else if (c.name == "glEnable" || c.name == "glDisable") {
            const bool on = c.name == "glEnable";
            if (a[0] == GL_DEPTH_TEST)
                out.depthTestOn = on;
            if (a[0] == GL_LIGHTING)
                out.lightingOn = on;
        } else if (c.name == "glBegin") {
            if (open)
                out.beginEndBalanced = false;
            out.primitives.push_back(Primitive{static_cast<int>(a[0]), colour, {}, {}});
            open = &out.primitives.back();
        } else if (c.name == "glEnd") {
            if (!open)
                out.beginEndBalanced = false;
            open = nullptr;
        } else if (c.name == "glVertex3f" || c.name == "glVertex2f") {
            if (!open) {
                out.beginEndBalanced = false;
                continue;
            }
            const Vec3 p{a[0], a[1], a.size() > 2 ? a[2] : 0.0};
            open->vertices.push_back(transform(stacks[0].back(), p));
            open->normals.push_back(normal);  // GL binds the current normal and colour to a vertex
            open->colour = colour;
            if (c.name == "glVertex2f" && (out.depthTestOn || out.lightingOn))
                out.overlayFlat = false;
        } else if (c.name == "glNormal3f") {
            normal = {a[0], a[1], a[2]};
        } else if (c.name == "glutSolidCube") {
            out.cubes.push_back(Cube{stacks[0].back(), a[0], colour});
        } else if (c.name == "glRasterPos2i") {
            out.texts.push_back(RasterText{static_cast<int>(a[0]), static_cast<int>(a[1]), ""});
            if (out.depthTestOn || out.lightingOn)
                out.overlayFlat = false;
        } else if (c.name == "glutBitmapCharacter" && !out.texts.empty()) {
            out.texts.back().text += static_cast<char>(a[1]);
        }
    }
    if (open)
        out.beginEndBalanced = false;
    if (stacks[0].size() != 1 || stacks[1].size() != 1)
        out.stacksBalanced = false;
    out.modelviewSelected = mode == 0;
    return out;
}

Bounds boundsOf(const Replay& r, const Vec3& colour) {
    Bounds b;
    for (const Primitive& p : r.primitives) {
        if (p.colour != colour)
            continue;
        for (const Vec3& v : p.vertices) b.add(v);
    }
    for (const Cube& cube : r.cubes) {
        if (cube.colour != colour)
            continue;
        const double h = cube.size / 2;
        for (int corner = 0; corner < 8; ++corner) {
            const Vec3 local{corner & 1 ? h : -h, corner & 2 ? h : -h, corner & 4 ? h : -h};
            b.add(transform(cube.transform, local));
        }
    }
    return b;
}

std::vector<Primitive> paintedIn(const Replay& r, const Vec3& colour) {
    std::vector<Primitive> out;
    for (const Primitive& p : r.primitives) {
        if (p.colour == colour)
            out.push_back(p);
    }
    return out;
}

void expectNear(const Vec3& actual, const Vec3& expected, double tol, const std::string& what) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], tol) << what << " axis " << i;
}

::testing::AssertionResult leftAsFound(const Replay& r) {
    const std::pair<bool, const char*> facts[] = {
        {r.stacksBalanced, "matrix stacks not balanced"},
        {r.beginEndBalanced, "glBegin/glEnd not balanced"},
        {r.modelviewSelected, "modelview not selected"},
        {r.depthTestOn && r.lightingOn, "depth test or lighting left off"},
        {r.overlayFlat, "2D drawn with depth test or lighting on"},
    };
    for (const auto& fact : facts) {
        if (!fact.first)
            return ::testing::AssertionFailure() << fact.second;
    }
    return ::testing::AssertionSuccess();
}
