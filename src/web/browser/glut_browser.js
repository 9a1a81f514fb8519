// glut_browser.js: the page side of GLUT in the browser (an Emscripten --js-library). The canvas
// is the window: it fills the page's client area, the game hears its size in CSS pixels, and its
// keyboard, resize and WebGL context events go to glut_browser.cpp in the form GLUT delivers them;
// pointers are glut_pointer.js's. Its drawing buffer has the device pixels the canvas covers, so
// the browser shows it without stretching; the GL layer scales what the game draws to it.
// What the page shows for each game state is up to Module.setGameState (page.js). The numbers it
// shares with the C++ (GLUT's codes, the page states, the input log's layout) are VelkNumbers,
// written at build time from their C++ definitions by make_page_numbers.cpp.

var LibraryVelkGlut = {
  $VelkGlut__deps: ['$callUserCallback', '$VelkNumbers'],
  $VelkGlut: {
    canvas: null,
    width: -1,
    height: -1,
    across: 1,            // drawing buffer pixels per CSS pixel, as the GL layer was told
    up: 1,
    devicePixels: null,   // [width, height] the canvas covers on the screen, where the browser says
    maxSide: Infinity,    // the longest side WebGL can draw into (velk_page_limit)
    ratio: 1,             // devicePixelRatio when the drawing buffer was last sized
    // The drawing buffer holds at most a 4K screen's pixels; beyond that (or beyond what WebGL can
    // draw into) it keeps the canvas's shape at fewer pixels, and the browser stretches it.
    MAX_BUFFER_PIXELS: 3840 * 2160,
    pointerX: 0,
    pointerY: 0,
    removers: [],

    // Keys GLUT hands to the special handlers, by KeyboardEvent.key: GLUT's names without
    // GLUT_KEY_ (specialCode).
    SPECIAL_KEYS: {
      F1: 'F1', F2: 'F2', F3: 'F3', F4: 'F4', F5: 'F5', F6: 'F6', F7: 'F7', F8: 'F8', F9: 'F9',
      F10: 'F10', F11: 'F11', F12: 'F12',
      ArrowLeft: 'LEFT', ArrowUp: 'UP', ArrowRight: 'RIGHT', ArrowDown: 'DOWN',
      PageUp: 'PAGE_UP', PageDown: 'PAGE_DOWN', Home: 'HOME', End: 'END', Insert: 'INSERT',
      NumLock: 'NUM_LOCK'
    },
    // Modifier keys, which freeglut also reports through the special handlers, by .code.
    MODIFIER_KEYS: {
      ShiftLeft: 'SHIFT_L', ShiftRight: 'SHIFT_R', ControlLeft: 'CTRL_L', ControlRight: 'CTRL_R',
      AltLeft: 'ALT_L', AltRight: 'ALT_R'
    },
    // Named keys GLUT delivers as characters.
    CHARACTER_KEYS: { Escape: 27, Backspace: 8, Tab: 9, Enter: 13, Delete: 127 },
    // Keys that keep their browser meaning (focus, reload, full screen, ...) though the game
    // hears them too.
    BROWSER_KEYS: {
      Tab: true, F1: true, F2: true, F3: true, F4: true, F5: true, F6: true, F7: true, F8: true,
      F9: true, F10: true, F11: true, F12: true
    },

    // Adds a listener that stop() removes again.
    listen: function(target, type, handler, options) {
      target.addEventListener(type, handler, options || false);
      VelkGlut.removers.push(function() { target.removeEventListener(type, handler, options || false); });
    },

    stop: function() {
      VelkGlut.removers.forEach(function(remove) { remove(); });
      VelkGlut.removers = [];
    },

    // Runs a call into the game; exit() inside it ends up here as an ExitStatus and is absorbed.
    call: function(func) {
      callUserCallback(func);
    },

    // The character Xlib makes of a key pressed with Control, as freeglut receives it.
    controlCharacter: function(code) {
      if ((code >= 64 && code < 127) || code === 32) return code & 0x1f;
      if (code === 50) return 0;                    // '2'
      if (code >= 51 && code <= 55) return code - 24;  // '3'..'7' -> Escape..31
      if (code === 56) return 127;                  // '8'
      if (code === 47) return 31;                   // '/'
      return code;
    },

    // GLUT's code of the special key GLUT_KEY_<name>, or undefined for a name GLUT lacks.
    specialCode: function(name) {
      return VelkNumbers.glut['GLUT_KEY_' + name];
    },

    // {special, code} of a key event as GLUT reports it, or null for keys GLUT does not report.
    glutKey: function(event) {
      var special = VelkGlut.SPECIAL_KEYS[event.key] || VelkGlut.MODIFIER_KEYS[event.code];
      if (special) return { special: 1, code: VelkGlut.specialCode(special) };
      if (event.key in VelkGlut.CHARACTER_KEYS) return { special: 0, code: VelkGlut.CHARACTER_KEYS[event.key] };
      if (event.key.length !== 1 || event.key.charCodeAt(0) >= 128) return null;
      var code = event.key.charCodeAt(0);
      return { special: 0, code: event.ctrlKey ? VelkGlut.controlCharacter(code) : code };
    },

    // Keys whose browser action (scrolling, a find bar, ...) would get in the game's way.
    keepFromBrowser: function(event) {
      return !event.ctrlKey && !event.altKey && !event.metaKey && !(event.key in VelkGlut.BROWSER_KEYS);
    },

    onKey: function(event, down) {
      var key = VelkGlut.glutKey(event);
      if (key === null) return;
      if (VelkGlut.keepFromBrowser(event)) event.preventDefault();
      VelkGlut.call(function() {
        _velk_glut_key(down, key.special, key.code, VelkGlut.pointerX, VelkGlut.pointerY);
      });
    },

    // The pointer in canvas pixels from the canvas's top-left corner.
    place: function(event) {
      var rect = VelkGlut.canvas.getBoundingClientRect();
      VelkGlut.pointerX = Math.floor(event.clientX - rect.left);
      VelkGlut.pointerY = Math.floor(event.clientY - rect.top);
    },

    // GLUT's BUTTON pressed (DOWN true) or released where the pointer is.
    mouse: function(button, down) {
      var state = down ? VelkNumbers.glut.GLUT_DOWN : VelkNumbers.glut.GLUT_UP;
      VelkGlut.call(function() {
        _velk_glut_mouse(button, state, VelkGlut.pointerX, VelkGlut.pointerY);
      });
    },

    // Sizes the canvas to the client area; true when the size changed. The game hears the real
    // size in CSS pixels, zero included. inGame: called from the game's code, not an event.
    fitCanvas: function(inGame) {
      var root = document.documentElement;
      var width = root.clientWidth;
      var height = root.clientHeight;
      var sized = width !== VelkGlut.width || height !== VelkGlut.height;
      VelkGlut.width = width;
      VelkGlut.height = height;
      VelkGlut.fitBuffer(inGame);
      return sized;
    },

    // Sizes the drawing buffer to the device pixels the canvas covers (the browser's count where
    // it gives one that agrees with devicePixelRatio to within a CSS pixel's worth, else the CSS
    // size times devicePixelRatio, rounded), at least one pixel each way and within the cap, and
    // tells the GL layer its scale when that changed: it redraws. From the game's code the call
    // is direct (VelkGlut.call would end a program still starting). Chromium's device emulation
    // counts CSS pixels as device pixels in the browser's count, hence the agreement.
    fitBuffer: function(inGame) {
      var ratio = window.devicePixelRatio || 1;
      VelkGlut.ratio = ratio;
      var size = [Math.round(VelkGlut.width * ratio), Math.round(VelkGlut.height * ratio)];
      var counted = VelkGlut.devicePixels;
      if (counted && Math.abs(counted[0] - size[0]) <= ratio + 1 &&
          Math.abs(counted[1] - size[1]) <= ratio + 1) size = counted;
      var w = Math.max(size[0], 1), h = Math.max(size[1], 1);
      var shrink = Math.min(1, VelkGlut.maxSide / w, VelkGlut.maxSide / h,
                            Math.sqrt(VelkGlut.MAX_BUFFER_PIXELS / (w * h)));
      w = Math.max(Math.floor(w * shrink), 1);
      h = Math.max(Math.floor(h * shrink), 1);
      var canvas = VelkGlut.canvas;
      if (canvas.width !== w) canvas.width = w;  // even an unchanged size would clear it
      if (canvas.height !== h) canvas.height = h;
      var across = VelkGlut.width > 0 ? w / VelkGlut.width : 1;
      var up = VelkGlut.height > 0 ? h / VelkGlut.height : 1;
      if (across === VelkGlut.across && up === VelkGlut.up) return;
      VelkGlut.across = across;
      VelkGlut.up = up;
      if (inGame) _velk_glut_scale(across, up);
      else VelkGlut.call(function() { _velk_glut_scale(across, up); });
    },

    onDevicePixels: function(entries) {
      var box = entries[entries.length - 1].devicePixelContentBoxSize;
      if (!box || !box[0]) return;
      VelkGlut.devicePixels = [box[0].inlineSize, box[0].blockSize];
      VelkGlut.fitBuffer();
    },

    // Follows the canvas's device pixels: a ResizeObserver hears them change (a resize, zoom,
    // another screen) where the browser counts them; everywhere each frame looks at
    // devicePixelRatio (velk_page_frame), which no event reliably announces.
    watchDensity: function(canvas) {
      try {
        var observer = new ResizeObserver(VelkGlut.onDevicePixels);
        observer.observe(canvas, { box: 'device-pixel-content-box' });
        VelkGlut.removers.push(function() { observer.disconnect(); });
      } catch (e) {
        // no ResizeObserver, or none that counts device pixels
      }
    },

    onResize: function() {
      if (!VelkGlut.fitCanvas()) return;
      VelkGlut.call(function() { _velk_glut_reshape(VelkGlut.width, VelkGlut.height); });
    },

    onContextLost: function(event) {
      event.preventDefault();  // lets the browser restore the context later
      VelkGlut.call(function() { _velk_glut_context(1); });
    },

    onContextRestored: function() {
      VelkGlut.call(function() { _velk_glut_context(0); });
    },

    // The input glut_browser.cpp delivered to the game, for tests: {count, events}, count being
    // every delivery so far and events the last of them, oldest first (input_log.h's InputLog).
    readInput: function() {
      var layout = VelkNumbers.inputLog;
      var field = VelkNumbers.inputRecord;
      var log = _velk_input_log() >> 2;
      var count = HEAPU32[log + layout.count];
      var capacity = HEAPU32[log + layout.capacity];
      var events = [];
      for (var n = Math.max(count - capacity, 0); n < count; ++n) {
        var at = log + layout.records + (n % capacity) * layout.recordWords;
        events.push({ kind: VelkNumbers.inputKinds[HEAP32[at + field.kind]],
                      code: HEAP32[at + field.code], state: HEAP32[at + field.state],
                      x: HEAP32[at + field.x], y: HEAP32[at + field.y] });
      }
      return { count: count, events: events };
    }
  },

  // The game's exit() ends the program for good even while timers keep the runtime alive:
  // atexit handlers run (glut_browser.cpp stops its timers and shows the quit message), then the
  // runtime shuts down and ignores every later event.
  exit__deps: ['emscripten_force_exit'],
  exit: function(status) {
    _emscripten_force_exit(status);
  },

  velk_page_open__deps: ['$VelkGlut', '$VelkPointer'],
  velk_page_open: function(title, counters) {
    document.title = UTF8ToString(title);
    var canvas = Module['canvas'] || document.getElementById('canvas');
    VelkGlut.canvas = canvas;
    Module['readCounters'] = function() {
      var values = {};
      VelkNumbers.counters.forEach(function(name, slot) {
        values[name] = HEAP32[(counters >> 2) + slot];
      });
      return values;
    };
    Module['readInput'] = VelkGlut.readInput;
    VelkGlut.fitCanvas(true);
    VelkGlut.watchDensity(canvas);
    VelkGlut.listen(canvas, 'keydown', function(event) { VelkGlut.onKey(event, 1); });
    VelkGlut.listen(canvas, 'keyup', function(event) { VelkGlut.onKey(event, 0); });
    VelkPointer.open(canvas);
    VelkGlut.listen(window, 'resize', VelkGlut.onResize);
    VelkGlut.listen(canvas, 'webglcontextlost', VelkGlut.onContextLost);
    VelkGlut.listen(canvas, 'webglcontextrestored', VelkGlut.onContextRestored);
    canvas.focus();
  },

  velk_page_size__deps: ['$VelkGlut'],
  velk_page_size: function(width, height) {
    VelkGlut.fitCanvas(true);
    HEAP32[width >> 2] = VelkGlut.width;
    HEAP32[height >> 2] = VelkGlut.height;
  },

  // The longest side WebGL draws into, once the context exists.
  velk_page_limit__deps: ['$VelkGlut'],
  velk_page_limit: function(side) {
    if (side > 0) VelkGlut.maxSide = side;
    VelkGlut.fitBuffer(true);
  },

  // Before each frame: a new devicePixelRatio sizes the drawing buffer anew.
  velk_page_frame__deps: ['$VelkGlut'],
  velk_page_frame: function() {
    if ((window.devicePixelRatio || 1) !== VelkGlut.ratio) VelkGlut.fitBuffer(true);
  },

  velk_page_cursor__deps: ['$VelkGlut'],
  velk_page_cursor: function(css) {
    VelkGlut.canvas.style.cursor = UTF8ToString(css);
  },

  // A PageState of glut_runtime.h, by its name: running, quit, nowebgl or contextlost.
  velk_page_state__deps: ['$VelkGlut', '$VelkNumbers'],
  velk_page_state: function(state) {
    var name = VelkNumbers.pageStates[state];
    if (name === 'quit' || name === 'nowebgl') VelkGlut.stop();
    if (Module['setGameState']) Module['setGameState'](name);
  }
};

mergeInto(LibraryManager.library, LibraryVelkGlut);
