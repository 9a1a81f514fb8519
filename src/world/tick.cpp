// tick.cpp: the GLUT timer chain that paces the whole game, one step every 16 ms.
#include <GL/glut.h>

#include "race.h"
#include "world.h"

// Constants
static const unsigned kTimerPeriodMs = 16;

// Public functions

void tick(int /*value*/) {
    if (gameState == Playing)
        advanceRace();
    glutPostRedisplay();
    glutTimerFunc(kTimerPeriodMs, tick, 0);
}
