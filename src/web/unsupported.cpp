// unsupported.cpp: each distinct report once, on the console in the browser and on stderr natively.
#include "unsupported.h"

#include <cstdio>
#include <set>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

// Constants

static const char* const kPrefix = "Not supported by the browser's GL layer: ";
static const size_t kValueLength = 16;  // "(0x" and eight hex digits and ")", with room to spare

// Globals

static std::set<std::string> reported;

// Static helpers

// Emscripten's stderr reaches the console as a warning; the report is an error.
static void printError(const std::string& text) {
#ifdef __EMSCRIPTEN__
    EM_ASM({ console.error(UTF8ToString($0)); }, text.c_str());
#else
    std::fprintf(stderr, "%s\n", text.c_str());
#endif
}

// Public functions

void unsupported::report(const std::string& what) {
    if (!reported.insert(what).second)
        return;
    printError(kPrefix + what);
}

void unsupported::report(const char* call, unsigned value, const char* effect) {
    char hex[kValueLength];
    std::snprintf(hex, sizeof hex, "(0x%04x)", value);
    report(std::string(call) + hex + ", " + effect);
}

void unsupported::forget() {
    reported.clear();
}
