// tick.cpp: the GLUT timer chain that paces the whole game, one step every 16 ms.
#include <GL/glut.h>

#include "race.h"
#include "shared_constants.h"
#include "world.h"

// Public functions

void tick(int /*value*/) {
    if (gameState == Playing)
        advanceRace();
    glutPostRedisplay();
    glutTimerFunc(kStepMilliseconds, tick, 0);
}
