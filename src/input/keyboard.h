// keyboard.h: key presses and releases onto the held controls; Escape quits.
#pragma once

// GLUT keyboard handler: Escape exits in every state; driving keys set a control while Playing.
void keyDown(unsigned char key, int x, int y);

// GLUT keyboard-up handler: clears the released key's control in every state.
void keyUp(unsigned char key, int x, int y);

// GLUT special-key handler: arrow keys set a control while Playing.
void specialDown(int key, int x, int y);

// GLUT special-key-up handler: clears the released arrow's control in every state.
void specialUp(int key, int x, int y);
