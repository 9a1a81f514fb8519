// race.h: the fixed simulation step, the crash test and the GLUT timer that drives them.
#pragma once

// One racing step of 0.016 s: speed, steering, road, trees, obstacles, score and crash test.
// Plain arithmetic on the globals, no GL, so tests and benchmarks call it directly.
void advanceRace();

// True when the car's box overlaps at least one obstacle's colliding box.
bool checkCollision();

// GLUT timer handler: advances the race while Playing, then redraws and re-arms for 16 ms.
void tick(int value);
