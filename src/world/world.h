// world.h: the records and globals that make up the whole state of the game.
// Every subsystem reads and writes these directly, on the GLUT event-loop thread.
#pragma once

#include <vector>

// The three screens of the game.
enum GameState : int {
    Menu = 0,      // title screen, world halted, overview camera
    Playing = 1,   // a race is running, chase camera
    GameOver = 2,  // crash screen, world frozen as it was in the crash tick
};

// The player's car; it stands at z = 2 while the world moves past it.
struct Car {
    float x;           // lateral centre, within [-2.6, 2.6] while racing
    float y;           // height of the model's origin, drawing only
    float z;           // longitudinal centre, constant during a race
    float speed;       // world units per second, within [8, 42] while racing
    float steerAngle;  // yaw shown by the model in degrees, positive turns the nose left
};

// The driving controls held down at the moment.
struct ControlState {
    bool brake;
    bool accelerate;
    bool steerRight;
    bool steerLeft;
};

// Which model an obstacle draws as; every kind collides as the same box.
enum ObstacleKind : int {
    Box = 0,       // orange block
    Sphere = 1,    // green ball
    Cylinder = 2,  // purple drum (also any unknown value)
};

// One obstacle on the road, centred in its lane.
struct Obstacle {
    float x;  // lane centre: -2, 0 or 2
    float y;  // half of height, so the box rests on the ground
    float z;  // grows by the distance step every racing tick
    float width;
    float height;
    float depth;
    ObstacleKind kind;
};

// One roadside tree: the point on the ground where its trunk stands.
struct Tree {
    float x;
    float y;
    float z;
};

// One clickable menu button, in window pixels with a top-left origin.
struct Button {
    float x;  // left edge
    float y;  // top edge, y growing downwards
    float width;
    float height;
    const char* label;  // constant caption, not owned
};

extern GameState gameState;                  // the current screen
extern Car car;                              // the player's car
extern ControlState controls;                // controls held right now
extern std::vector<Obstacle> obstacles;      // ordered by decreasing z, front nearest the car
extern std::vector<Tree> trees;              // 70 trees in generation order
extern std::vector<Button> menuButtons;      // "Start Game", "Quit"
extern std::vector<Button> gameOverButtons;  // "Restart", "Menu"
extern float roadOffset;                     // road scroll distance, within [0, kRoadPeriod]
extern int score;                            // racing ticks survived in this race
extern int windowWidth;                      // client width in pixels
extern int windowHeight;                     // client height in pixels
