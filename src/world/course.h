// course.h: the roadside trees and the obstacle stream, all drawn from the seeded C generator.
#pragma once

// Seeds the generator with the game's fixed seed and plants the 70 trees (210 draws).
void generateTrees();

// Puts the car at its start pose, clears controls, score and road, lays 18 obstacles (90 draws).
void resetRace();

// Moves the obstacles by this tick's step, drops those behind the car, refills to 18 (6 draws
// each).
void updateObstacles();
