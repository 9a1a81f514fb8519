// make_page_numbers.cpp: writes, at build time, the numbers that the page's JavaScript and the
// browser tests share with GLUT's C++ in the browser, from their C++ definitions: GLUT's codes of
// the keys, buttons and button states the page delivers, the names of the page states, input
// kinds and counters, and the input log's layout. Two files hold the same object: an Emscripten
// --js-library defining it as VelkNumbers for glut_browser.js and glut_pointer.js, and JSON for
// the browser tests. Built with emcc and run under node, which writes the files (NODERAWFS):
//
//   node make_page_numbers.js JS_FILE JSON_FILE
#include <cstddef>
#include <cstdio>
#include <string>

#include "glut_extras.h"
#include "glut_runtime.h"
#include "input_log.h"

// Types

// One named number.
struct Number {
    const char* name;
    int value;
};

// Constants

// An entry named as GLUT names the number.
#define GLUT_NUMBER(name) \
    { #name, name }

// GLUT's codes the page delivers, by GLUT's names; glut_browser.js and glut_pointer.js say which
// browser keys and buttons they stand for.
static const Number kGlut[] = {
    GLUT_NUMBER(GLUT_KEY_F1),       GLUT_NUMBER(GLUT_KEY_F2),      GLUT_NUMBER(GLUT_KEY_F3),
    GLUT_NUMBER(GLUT_KEY_F4),       GLUT_NUMBER(GLUT_KEY_F5),      GLUT_NUMBER(GLUT_KEY_F6),
    GLUT_NUMBER(GLUT_KEY_F7),       GLUT_NUMBER(GLUT_KEY_F8),      GLUT_NUMBER(GLUT_KEY_F9),
    GLUT_NUMBER(GLUT_KEY_F10),      GLUT_NUMBER(GLUT_KEY_F11),     GLUT_NUMBER(GLUT_KEY_F12),
    GLUT_NUMBER(GLUT_KEY_LEFT),     GLUT_NUMBER(GLUT_KEY_UP),      GLUT_NUMBER(GLUT_KEY_RIGHT),
    GLUT_NUMBER(GLUT_KEY_DOWN),     GLUT_NUMBER(GLUT_KEY_PAGE_UP), GLUT_NUMBER(GLUT_KEY_PAGE_DOWN),
    GLUT_NUMBER(GLUT_KEY_HOME),     GLUT_NUMBER(GLUT_KEY_END),     GLUT_NUMBER(GLUT_KEY_INSERT),
    GLUT_NUMBER(GLUT_KEY_NUM_LOCK), GLUT_NUMBER(GLUT_KEY_SHIFT_L), GLUT_NUMBER(GLUT_KEY_SHIFT_R),
    GLUT_NUMBER(GLUT_KEY_CTRL_L),   GLUT_NUMBER(GLUT_KEY_CTRL_R),  GLUT_NUMBER(GLUT_KEY_ALT_L),
    GLUT_NUMBER(GLUT_KEY_ALT_R),    GLUT_NUMBER(GLUT_LEFT_BUTTON), GLUT_NUMBER(GLUT_MIDDLE_BUTTON),
    GLUT_NUMBER(GLUT_RIGHT_BUTTON), GLUT_NUMBER(GLUT_DOWN),        GLUT_NUMBER(GLUT_UP)};
static const Number kWheelButtons[] = {{"up", kWheelUpButton}, {"down", kWheelDownButton}};

// Names the page gives to the values of an enum, in the order of the values (checked).
static const Number kPageStates[] = {{"running", kPageRunning},
                                     {"quit", kPageQuit},
                                     {"nowebgl", kPageNoWebGL},
                                     {"contextlost", kPageContextLost}};
static const Number kInputKinds[] = {{"key", kInputKey},
                                     {"special", kInputSpecial},
                                     {"mouse", kInputMouse},
                                     {"motion", kInputMotion}};
static const Number kCounterNames[] = {{"ticks", kTicks}, {"frames", kFrames}};

// The input log's fields in 32-bit words from its start, and a record's from the record's start.
constexpr int words(size_t bytes) {
    return static_cast<int>(bytes / sizeof(int));
}
static const Number kInputLogWords[] = {{"count", words(offsetof(InputLog, count))},
                                        {"capacity", words(offsetof(InputLog, capacity))},
                                        {"records", words(offsetof(InputLog, records))},
                                        {"recordWords", words(sizeof(InputRecord))}};
static const Number kRecordWords[] = {{"kind", words(offsetof(InputRecord, kind))},
                                      {"code", words(offsetof(InputRecord, code))},
                                      {"state", words(offsetof(InputRecord, state))},
                                      {"x", words(offsetof(InputRecord, x))},
                                      {"y", words(offsetof(InputRecord, y))}};
static_assert(sizeof(unsigned) == sizeof(int), "the log is read as 32-bit words");

// Static helpers

static std::string quoted(const char* name) {
    return std::string("\"") + name + "\"";
}

// {"name": value, ...}
template <size_t N>
static std::string object(const Number (&numbers)[N]) {
    std::string text = "{";
    for (size_t i = 0; i < N; ++i)
        text +=
            (i > 0 ? ", " : "") + quoted(numbers[i].name) + ": " + std::to_string(numbers[i].value);
    return text + "}";
}

// ["name of 0", "name of 1", ...]; false unless the values are 0, 1, ... in order.
template <size_t N>
static bool names(const Number (&numbers)[N], std::string& text) {
    text = "[";
    for (size_t i = 0; i < N; ++i) {
        if (numbers[i].value != static_cast<int>(i))
            return false;
        text += (i > 0 ? ", " : "") + quoted(numbers[i].name);
    }
    text += "]";
    return true;
}

// The whole object, as JSON; empty if an enum's names are out of order.
static std::string numbersJson() {
    std::string states;
    std::string kinds;
    std::string counters;
    if (!names(kPageStates, states) || !names(kInputKinds, kinds) ||
        !names(kCounterNames, counters))
        return "";
    return "{\n  \"glut\": " + object(kGlut) + ",\n  \"wheelButtons\": " + object(kWheelButtons) +
           ",\n  \"pageStates\": " + states + ",\n  \"inputKinds\": " + kinds +
           ",\n  \"counters\": " + counters + ",\n  \"inputLog\": " + object(kInputLogWords) +
           ",\n  \"inputRecord\": " + object(kRecordWords) + "\n}\n";
}

static bool write(const char* path, const std::string& text) {
    FILE* file = std::fopen(path, "w");
    if (file == nullptr)
        return false;
    const bool written = std::fputs(text.c_str(), file) >= 0;
    return std::fclose(file) == 0 && written;
}

// Public functions

int main(int argc, char** argv) {
    const std::string json = numbersJson();
    if (argc != 3 || json.empty()) {
        std::fprintf(stderr, "usage: make_page_numbers JS_FILE JSON_FILE (enum names in order)\n");
        return 1;
    }
    const std::string js =
        "// Generated by make_page_numbers.cpp from the C++ definitions of these numbers.\n"
        "mergeInto(LibraryManager.library, {$VelkNumbers: " +
        json + "});\n";
    if (!write(argv[1], js) || !write(argv[2], json)) {
        std::perror("make_page_numbers");
        return 1;
    }
    return 0;
}
