// gl_entry_points.js: keeps the game on the browser layer's GL, GLU and GLUT (an Emscripten
// --js-library, read after Emscripten's own). Emscripten's JavaScript libraries carry a GL of
// their own over WebGL (library_webgl.js), a GLUT (library_glut.js) and more; a gl*, glu* or
// glut* function the layer does not define would link to them silently and draw past the layer.
// Taking their entries out makes such a call an undefined symbol when the game links. The layer
// reaches WebGL through the emscripten_gl* copies of the same functions, which stay.

for (var name in LibraryManager.library) {
  if (/^(gl|glu|glut)[A-Z]/.test(name)) delete LibraryManager.library[name];
}
