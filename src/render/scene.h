// scene.h: the models of the world: road, trees, obstacles and the car.
#pragma once

#include "world.h"

// Ground, asphalt, scrolling lane dashes and edge lines, moved by roadOffset.
void drawRoad();

// A tapered trunk with two foliage balls, standing at the tree's point.
void drawTree(const Tree& tree);

// A block, ball or drum by kind; any unknown kind draws as a drum.
void drawObstacle(const Obstacle& obstacle);

// The player's car at its pose, turned by its steering angle.
void drawCar();

// One flat wheel disc at (x, z) in the car's frame.
void drawWheel(float x, float z);

// Road, then every tree, then every obstacle.
void drawScene();
