// swap_counter.cpp: an LD_PRELOAD shim that measures the game's frame pacing from outside its
// code. It wraps glutSwapBuffers (one call per drawn frame), glutPostRedisplay (called once per
// timer step by the game) and glViewport (called once per reshape), timestamps the first two,
// and appends summary lines to the file named by VELK_SWAP_LOG: one every VELK_SWAP_EVERY swaps
// (if set) and a final one at exit that leaves out the swaps of the first VELK_SWAP_SKIP_S
// seconds (start-up, shader compilation). The first line names the GL renderer and the number
// of samples per pixel of the window.
//
// A Windows build of the game under Wine has freeglut linked in, out of the shim's reach, and
// Wine's opengl32 swaps through the host's glXSwapBuffers, which it gets from
// glXGetProcAddressARB, itself looked up with dlsym: so the shim's dlsym hands out a
// glXGetProcAddressARB that hands out a counting glXSwapBuffers. There freeglut draws once after
// each timer step, as on Linux (the game's tick is the only redisplay request, and each turn of
// freeglut's loop runs at most one expired timer, then draws), so each swap also counts as a step.
//
// Each line: swaps, steps and reshapes so far, seconds since the first swap, then for the span it
// covers the frame and step rates, the median / 90th percentile / largest time between swaps, the
// median time spent inside the real glutSwapBuffers and the median time from the step's
// glutPostRedisplay to the end of its swap (the work of one frame), all in milliseconds, and the
// processor time the process spent per frame, whatever else the machine runs.
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

// Constants
// Frames kept for the statistics: over 17 minutes at 62.5 frames per second. The buffer is
// touched in full at start so that the shim adds a constant amount to the resident memory.
static const size_t kKeptFrames = 1 << 16;
static const unsigned kGlRenderer = 0x1F01;  // GL_RENDERER
static const unsigned kGlSamples = 0x80A9;   // GL_SAMPLES

// Types
using VoidFunction = void (*)();
using ViewportFunction = void (*)(int, int, int, int);
using GetStringFunction = const char* (*)(unsigned);
using GetIntegerFunction = void (*)(unsigned, int*);
using DlsymFunction = void* (*)(void*, const char*);
using ProcAddressFunction = void* (*)(const unsigned char*);
using GlxSwapFunction = void (*)(void*, unsigned long);

// What one swap left behind, in seconds on the monotonic clock.
struct Frame {
    double end;        // when the real glutSwapBuffers returned
    double inSwap;     // time spent inside it
    double sinceStep;  // from the latest step's redisplay request to `end`
    double cpu;        // processor time of the whole process (every thread) until `end`
};

// Where a measured span starts: the index of its first swap and the step count at that swap.
struct Span {
    size_t first;
    long steps;
};

// Globals
static std::vector<Frame> frames;
static long swapCount = 0;
static long stepCount = 0;
static long viewportCount = 0;
static double lastStepTime = 0.0;
static Span periodicSpan = {0, 0};
static Span finalSpan = {0, 0};
static long reportEvery = 0;
static double skipSeconds = 0.0;
static bool finalSpanStarted = false;
static const char* logPath = nullptr;
static ProcAddressFunction realGetProcAddress = nullptr;
static GlxSwapFunction realGlxSwap = nullptr;
static bool glutSwapping = false;

// Static helpers

static double secondsOf(clockid_t clock) {
    timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

static double now() {
    return secondsOf(CLOCK_MONOTONIC);
}

template <typename Function>
static Function nextSymbol(const char* name) {
    Function next = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    if (next == nullptr) {
        fprintf(stderr, "swap_counter: %s not found\n", name);
        abort();
    }
    return next;
}

// Value at fraction q of the values, in milliseconds; sorts them.
static double quantileMs(std::vector<double>& values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(q * (values.size() - 1) + 0.5)] * 1000.0;
}

// Appends one summary line for the swaps from span.first to the latest one.
static void writeSummary(const char* tag, Span span) {
    if (logPath == nullptr || frames.size() < span.first + 2)
        return;
    std::vector<double> intervals, inSwap, work;
    for (size_t i = span.first + 1; i < frames.size(); ++i) {
        intervals.push_back(frames[i].end - frames[i - 1].end);
        inSwap.push_back(frames[i].inSwap);
        work.push_back(frames[i].sinceStep);
    }
    double seconds = frames.back().end - frames[span.first].end;
    FILE* out = fopen(logPath, "a");
    if (out == nullptr)
        return;
    fprintf(out,
            "%s swaps=%ld steps=%ld reshapes=%ld t=%.3f span_s=%.3f fps=%.2f steps_per_s=%.2f "
            "median_ms=%.2f p90_ms=%.2f max_ms=%.2f swap_median_ms=%.2f work_median_ms=%.2f "
            "cpu_ms_per_frame=%.2f\n",
            tag, swapCount, stepCount, viewportCount, frames.back().end - frames.front().end,
            seconds, intervals.size() / seconds, (stepCount - span.steps) / seconds,
            quantileMs(intervals, 0.5), quantileMs(intervals, 0.9), quantileMs(intervals, 1.0),
            quantileMs(inSwap, 0.5), quantileMs(work, 0.5),
            (frames.back().cpu - frames[span.first].cpu) * 1000.0 / intervals.size());
    fclose(out);
}

// Names the renderer and the samples per pixel; needs the game's GL context to be current.
static void writeRenderer() {
    if (logPath == nullptr)
        return;
    int samples = 0;
    nextSymbol<GetIntegerFunction>("glGetIntegerv")(kGlSamples, &samples);
    const char* renderer = nextSymbol<GetStringFunction>("glGetString")(kGlRenderer);
    FILE* out = fopen(logPath, "a");
    if (out == nullptr)
        return;
    fprintf(out, "renderer=\"%s\" samples=%d\n", renderer ? renderer : "?", samples);
    fclose(out);
}

static void writeFinalSummary() {
    writeSummary("final", finalSpan);
}

// Reads the environment once, on the first swap.
static void setUp() {
    logPath = getenv("VELK_SWAP_LOG");
    const char* every = getenv("VELK_SWAP_EVERY");
    reportEvery = every ? atol(every) : 0;
    const char* skip = getenv("VELK_SWAP_SKIP_S");
    skipSeconds = skip ? atof(skip) : 0.0;
    frames.resize(kKeptFrames);
    frames.clear();
    atexit(writeFinalSummary);
    writeRenderer();
}

static void recordFrame(Frame frame) {
    frames.push_back(frame);
    if (!finalSpanStarted && frame.end - frames.front().end >= skipSeconds) {
        finalSpan = {frames.size() - 1, stepCount};
        finalSpanStarted = true;
    }
}

// Public functions

// Times one swap done by `swap` and keeps its figures.
template <typename Swap>
static void countSwap(Swap swap) {
    static bool ready = false;
    if (!ready) {
        setUp();
        ready = true;
    }
    double start = now();
    swap();
    double end = now();
    ++swapCount;
    if (frames.size() < kKeptFrames)
        recordFrame({end, end - start, end - lastStepTime, secondsOf(CLOCK_PROCESS_CPUTIME_ID)});
    if (reportEvery > 0 && swapCount % reportEvery == 0) {
        writeSummary("every", periodicSpan);
        periodicSpan = {frames.size() - 1, stepCount};
    }
}

// The game's swap under Wine: also the end of a step (see the top of this file).
static void glxSwapThroughWine(void* display, unsigned long drawable) {
    if (glutSwapping) {  // a GLUT the shim wraps, counted there
        realGlxSwap(display, drawable);
        return;
    }
    ++stepCount;
    lastStepTime = now();
    countSwap([&] { realGlxSwap(display, drawable); });
}

static void* getProcAddressThroughShim(const unsigned char* name) {
    void* proc = realGetProcAddress(name);
    if (proc != nullptr && strcmp(reinterpret_cast<const char*>(name), "glXSwapBuffers") == 0) {
        realGlxSwap = reinterpret_cast<GlxSwapFunction>(proc);
        return reinterpret_cast<void*>(glxSwapThroughWine);
    }
    return proc;
}

extern "C" void glutSwapBuffers() {
    static VoidFunction next = nextSymbol<VoidFunction>("glutSwapBuffers");
    glutSwapping = true;
    countSwap(next);
    glutSwapping = false;
}

extern "C" void* dlsym(void* handle, const char* name) {
    static DlsymFunction real =
        reinterpret_cast<DlsymFunction>(dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34"));
    void* symbol = real(handle, name);
    if (symbol != nullptr && strcmp(name, "glXGetProcAddressARB") == 0) {
        realGetProcAddress = reinterpret_cast<ProcAddressFunction>(symbol);
        return reinterpret_cast<void*>(getProcAddressThroughShim);
    }
    return symbol;
}

extern "C" void glutPostRedisplay() {
    static VoidFunction next = nextSymbol<VoidFunction>("glutPostRedisplay");
    next();
    ++stepCount;
    lastStepTime = now();
}

extern "C" void glViewport(int x, int y, int width, int height) {
    static ViewportFunction next = nextSymbol<ViewportFunction>("glViewport");
    next(x, y, width, height);
    ++viewportCount;
}
