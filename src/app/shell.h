// shell.h: the window with its handlers, the one-time GL set-up and the projection kept in step
// with the window.
#pragma once

// Hands the command line to GLUT, opens the 800 x 600 double-buffered window with depth and
// multisampling, sets GL up, registers the eight handlers and arms the first timer.
void openGameWindow(int* argc, char** argv);

// Sky colour, depth test, lights and materials, then the trees and the button layout.
void initGraphics();

// GLUT reshape handler: stores the size, sets viewport and perspective, lays buttons out again.
void reshape(int width, int height);
