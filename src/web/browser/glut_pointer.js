// glut_pointer.js: the pointer side of GLUT in the browser (an Emscripten --js-library next to
// glut_browser.js). Mouse, pen and touch all arrive as Pointer Events. On the canvas they are
// GLUT's mouse: buttons 0-2 pressed and released, the wheel as freeglut's wheel buttons, passive
// motion while no button is held. The page's on-screen keys (elements inside #touch-keys whose
// data-glut-special names a GLUT special key without GLUT_KEY_, such as "LEFT") each hold that key
// while at least one pointer that went down on a key is on it; they show where the main pointer
// is coarse, or from the first touch on.

var LibraryVelkPointer = {
  $VelkPointer__deps: ['$VelkGlut', '$VelkNumbers'],
  $VelkPointer: {
    owner: null,          // the pointer whose presses the game hears as GLUT's mouse buttons
    pressedButtons: 0,    // the GLUT buttons it holds, one bit each
    keyPanel: null,       // #touch-keys, or null on a page without on-screen keys
    keyOf: {},            // pointerId -> the on-screen key it is on (or null), for key pointers
    holders: null,        // Map: on-screen key -> how many key pointers are on it

    // The bit of each of GLUT's buttons (0 left, 1 middle, 2 right, numbered as PointerEvent's
    // button) in PointerEvent.buttons.
    BUTTON_BITS: [1, 4, 2],

    // Presses GLUT's mouse BUTTON on the canvas, or releases it, as the event's pointer.
    setButton: function(button, down, event) {
      if (button < 0 || button > 2) return;
      var bit = 1 << button;
      if (down === ((VelkPointer.pressedButtons & bit) !== 0)) return;
      if (VelkPointer.owner !== null && VelkPointer.owner !== event.pointerId) return;
      VelkPointer.pressedButtons ^= bit;
      VelkPointer.owner = VelkPointer.pressedButtons !== 0 ? event.pointerId : null;
      VelkGlut.place(event);
      VelkGlut.mouse(button, down);
    },

    onCanvasDown: function(event) {
      VelkGlut.canvas.focus();
      event.preventDefault();  // no emulated mouse events
      if (event.pointerType === 'touch') VelkPointer.showKeys();
      VelkPointer.setButton(event.button, true, event);
    },

    // A mouse reports a second button pressed or released during a press as a move whose
    // button is set.
    onMove: function(event) {
      var onCanvas = event.target === VelkGlut.canvas;
      if (event.button >= 0 && event.button <= 2) {
        var down = (event.buttons & VelkPointer.BUTTON_BITS[event.button]) !== 0;
        if (onCanvas || !down) VelkPointer.setButton(event.button, down, event);
      }
      if (event.pointerId in VelkPointer.keyOf) VelkPointer.slideKey(event);
      if (!onCanvas) return;
      VelkGlut.place(event);
      if (event.buttons !== 0) return;  // dragging: the game registers no motion handler
      VelkGlut.call(function() {
        _velk_glut_passive_motion(VelkGlut.pointerX, VelkGlut.pointerY);
      });
    },

    // Releases anywhere in the page end a press that began on the canvas, as a window system's
    // implicit grab delivers them; a cancelled pointer lets go of everything it held.
    onUp: function(event) {
      var cancelled = event.type === 'pointercancel';
      [0, 1, 2].forEach(function(button) {
        if (cancelled || button === event.button) VelkPointer.setButton(button, false, event);
      });
      if (!(event.pointerId in VelkPointer.keyOf)) return;
      VelkPointer.holdKey(VelkPointer.keyOf[event.pointerId], -1);
      delete VelkPointer.keyOf[event.pointerId];
    },

    // Wheel steps arrive as freeglut's wheel buttons, pressed and released.
    onWheel: function(event) {
      if (event.ctrlKey || event.deltaY === 0) return;  // leave page zoom to the browser
      event.preventDefault();
      VelkGlut.place(event);
      var wheel = VelkNumbers.wheelButtons;
      var button = event.deltaY < 0 ? wheel.up : wheel.down;
      VelkGlut.mouse(button, true);
      VelkGlut.mouse(button, false);
    },

    // The on-screen key under a viewport point, or null.
    keyAt: function(x, y) {
      var element = document.elementFromPoint(x, y);
      var key = element && element.closest('[data-glut-special]');
      return key && VelkPointer.keyPanel.contains(key) ? key : null;
    },

    // One more (DELTA 1) or one fewer (-1) pointer on KEY: the game hears the special key's
    // press when the first arrives and its release when the last leaves.
    holdKey: function(key, delta) {
      if (key === null) return;
      var count = (VelkPointer.holders.get(key) || 0) + delta;
      VelkPointer.holders.set(key, count);
      if (count !== (delta > 0 ? 1 : 0)) return;
      key.classList.toggle('held', count > 0);
      var code = VelkGlut.specialCode(key.getAttribute('data-glut-special'));
      VelkGlut.call(function() {
        _velk_glut_key(count > 0 ? 1 : 0, 1, code, VelkGlut.pointerX, VelkGlut.pointerY);
      });
    },

    onKeyDown: function(event) {
      event.preventDefault();  // no emulated mouse events, so no focus change
      VelkGlut.canvas.focus();  // a keyboard keeps working alongside
      if (event.pointerId in VelkPointer.keyOf) return;
      var key = event.target.closest('[data-glut-special]');
      if (key === null) return;
      VelkPointer.keyOf[event.pointerId] = key;
      VelkPointer.holdKey(key, 1);
    },

    // A key pointer moves its hold to whichever key it slides onto, or lets go off them all.
    slideKey: function(event) {
      var key = VelkPointer.keyAt(event.clientX, event.clientY);
      var was = VelkPointer.keyOf[event.pointerId];
      if (key === was) return;
      VelkPointer.keyOf[event.pointerId] = key;
      VelkPointer.holdKey(key, 1);
      VelkPointer.holdKey(was, -1);
    },

    // Says that the page takes touches on TARGET itself. Until a touch start is known to be
    // consumed, Chromium holds back timers, and with them the race's steps, for up to about
    // 100 ms while it waits to see whether the touch becomes a scroll.
    consumeTouches: function(target) {
      VelkGlut.listen(target, 'touchstart', function(event) { event.preventDefault(); },
                      { passive: false });
    },

    showKeys: function() {
      if (VelkPointer.keyPanel !== null) VelkPointer.keyPanel.hidden = false;
    },

    // Starts listening; the page's listeners stop, and the keys hide, with VelkGlut.stop().
    open: function(canvas) {
      var listen = VelkGlut.listen;
      var preventDefault = function(event) { event.preventDefault(); };
      listen(canvas, 'pointerdown', VelkPointer.onCanvasDown);
      listen(window, 'pointermove', VelkPointer.onMove);
      listen(window, 'pointerup', VelkPointer.onUp);
      listen(window, 'pointercancel', VelkPointer.onUp);
      listen(canvas, 'wheel', VelkPointer.onWheel, { passive: false });
      listen(canvas, 'contextmenu', preventDefault);
      VelkPointer.consumeTouches(canvas);
      var panel = document.getElementById('touch-keys');
      if (panel === null) return;
      panel.querySelectorAll('[data-glut-special]').forEach(function(key) {
        var name = key.getAttribute('data-glut-special');
        if (VelkGlut.specialCode(name) === undefined) throw new Error('no GLUT special key ' + name);
      });
      VelkPointer.keyPanel = panel;
      VelkPointer.holders = new Map();
      listen(panel, 'pointerdown', VelkPointer.onKeyDown);
      listen(panel, 'contextmenu', preventDefault);
      VelkPointer.consumeTouches(panel);
      VelkGlut.removers.push(function() { panel.hidden = true; });
      if (window.matchMedia('(pointer: coarse)').matches) VelkPointer.showKeys();
    }
  }
};

mergeInto(LibraryManager.library, LibraryVelkPointer);
