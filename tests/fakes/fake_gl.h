// fake_gl.h: a recording stand-in for the GL, GLU and GLUT calls the game makes.
// Linked in place of the real libraries, so tests can read back every call in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One recorded call: its function name and its numeric arguments, widened to double.
struct GlCall {
    std::string name;
    std::vector<double> args;
};

namespace fakegl {

extern std::vector<GlCall> calls;   // every call since the last reset, in order
extern void (*timerCallback)(int);  // the function last armed with glutTimerFunc

// Forgets every recorded call.
void reset();

// The recorded calls with the given name, in order.
std::vector<GlCall> named(const std::string& name);

// How many recorded calls have the given name.
int count(const std::string& name);

// A function's address as a recorded argument; user-space addresses fit a double exactly.
template <typename F>
double address(F* function) {
    return static_cast<double>(reinterpret_cast<std::uintptr_t>(function));
}

// The characters passed to glutBitmapCharacter since the last reset, as one string.
std::string bitmapText();

}  // namespace fakegl
