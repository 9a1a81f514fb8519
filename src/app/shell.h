// shell.h: the one-time GL set-up and the projection kept in step with the window.
#pragma once

// Sky colour, depth test, lights and materials, then the trees and the button layout.
void initGraphics();

// GLUT reshape handler: stores the size, sets viewport and perspective, lays buttons out again.
void reshape(int width, int height);
