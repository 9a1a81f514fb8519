// window.h: the game's window, opened once with every handler registered.
#pragma once

// Hands the command line to GLUT, opens the double-buffered window of the start size with depth and
// multisampling, sets GL up, registers the eight handlers and arms the first timer.
void openGameWindow(int* argc, char** argv);
