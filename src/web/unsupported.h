// unsupported.h: how the browser's GL, GLU and GLUT say what they do not do. A call, or a value
// given to one, that the layer leaves out or draws otherwise than GL would is reported once, as an
// error: in the browser on the console (console.error), natively on stderr. The browser tests fail
// on any console error, so a call the game starts making that the layer lacks fails them at once.
#pragma once

#include <string>

namespace unsupported {

// Public functions

// Reports "Not supported by the browser's GL layer: <what>", once for each distinct `what`.
void report(const std::string& what);

// The same for a value of a call: "<call>(0x<value in hex>), <effect>", e.g.
// report("glEnable", GL_FOG, "ignored").
void report(const char* call, unsigned value, const char* effect);

// Forgets what was reported, so that it is reported again (ff::reset calls it, for tests).
void forget();

}  // namespace unsupported
