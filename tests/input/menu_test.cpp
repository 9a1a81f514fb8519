// menu_test.cpp: button layout per window size, hit edges, clicks, cursor and quitting.
#include "menu.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cstring>

#include "fake_gl.h"
#include "shell.h"
#include "test_support.h"

namespace {

struct Point {
    int x;
    int y;
};

// Where the buttons lie for one window size: shared left edge and the two top edges.
struct LayoutRow {
    int width;
    int height;
    float left;
    float firstTop;
    float secondTop;
};

const LayoutRow kLayouts[] = {
    {800, 600, 320.0f, 280.0f, 220.0f},  {801, 600, 320.5f, 280.0f, 220.0f},
    {1024, 768, 432.0f, 364.0f, 304.0f}, {800, 0, 320.0f, -20.0f, -80.0f},
    {640, 0, 240.0f, -20.0f, -80.0f},
};

// At 800 x 600: on the first button's edges and centre, just outside it, and on the second.
const Point kOnFirst[] = {{320, 280}, {480, 320}, {400, 300}};
const Point kOffButtons[] = {{319, 300}, {481, 300}, {400, 270}, {400, 321}, {-1, -1}, {5000, 900}};
const Point kOnSecond[] = {{400, 240}, {320, 220}, {480, 260}};

// A world that no fresh race looks like, so that a missing or extra resetRace shows.
void dirtyWorldIn(GameState state) {
    startRaceIn(state);
    car = Car{1.5f, 0.25f, 2.0f, 33.0f, -12.0f};
    controls = ControlState{true, true, true, true};
    obstacles.pop_back();
    roadOffset = 123.0f;
    score = 77;
}

class MenuTest : public ::testing::Test {
   protected:
    void SetUp() override { startUp(); }
};

TEST_F(MenuTest, ReshapeLaysBothScreensOutAroundTheCentreReusingStorage) {
    const Button* menuData = menuButtons.data();
    const Button* overData = gameOverButtons.data();
    for (const LayoutRow& row : kLayouts) {
        SCOPED_TRACE(testing::Message() << row.width << " x " << row.height);
        reshape(row.width, row.height);
        EXPECT_EQ(windowWidth, row.width);
        EXPECT_EQ(windowHeight, row.height);
        ASSERT_EQ(checks::layoutViolation(), nullptr);  // sizes, labels, both screens alike
        EXPECT_EQ(menuButtons[0].x, row.left);
        EXPECT_EQ(menuButtons[0].y, row.firstTop);
        EXPECT_EQ(menuButtons[1].y, row.secondTop);
        EXPECT_EQ(menuButtons.data(), menuData);
        EXPECT_EQ(gameOverButtons.data(), overData);
        const std::size_t allocations = allocationCount;
        layoutButtons();
        EXPECT_EQ(allocationCount, allocations) << "a layout after the first allocated";
    }
}

TEST_F(MenuTest, EdgesCountAsInsideHalfPixelsDoNot) {
    struct Row {
        int width;
        Point p;
        bool inside;
    };
    const Row rows[] = {{800, {320, 280}, true},  {800, {480, 320}, true},
                        {800, {319, 300}, false}, {800, {481, 300}, false},
                        {800, {400, 279}, false}, {800, {400, 321}, false},
                        {801, {320, 300}, false}, {801, {321, 300}, true},
                        {801, {480, 300}, true},  {801, {481, 300}, false}};
    for (const Row& row : rows) {
        reshape(row.width, 600);
        EXPECT_EQ(pointInButton(row.p.x, row.p.y, menuButtons[0]), row.inside)
            << row.width << ": " << row.p.x << ", " << row.p.y;
    }
}

TEST_F(MenuTest, ButtonPressesSwitchScreensOverAFreshRace) {
    struct Row {
        GameState from;
        const Point* points;
        GameState to;
    };
    const Row rows[] = {
        {Menu, kOnFirst, Playing}, {GameOver, kOnFirst, Playing}, {GameOver, kOnSecond, Menu}};
    for (const Row& row : rows) {
        for (int i = 0; i < 3; ++i) {
            const Point p = row.points[i];
            SCOPED_TRACE(testing::Message() << row.from << " at " << p.x << ", " << p.y);
            dirtyWorldIn(row.from);
            const std::vector<Tree> treesBefore = trees;
            mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, p.x, p.y);
            EXPECT_EQ(gameState, row.to);
            EXPECT_EQ(checks::freshRaceViolation(), nullptr);
            EXPECT_EQ(std::memcmp(trees.data(), treesBefore.data(), sizeof(Tree) * 70), 0);
        }
    }
}

TEST_F(MenuTest, OtherPressesChangeNothing) {
    struct Press {
        int button;
        int state;
        Point p;
    };
    std::vector<Press> presses;
    for (const Point& p : kOffButtons) presses.push_back({GLUT_LEFT_BUTTON, GLUT_DOWN, p});
    for (const Point& p : {kOnFirst[2], kOnSecond[0]}) {
        presses.push_back({GLUT_LEFT_BUTTON, GLUT_UP, p});
        presses.push_back({GLUT_RIGHT_BUTTON, GLUT_DOWN, p});
        presses.push_back({GLUT_MIDDLE_BUTTON, GLUT_DOWN, p});
        presses.push_back({3, GLUT_DOWN, p});  // wheel
    }
    for (GameState state : {Menu, Playing, GameOver}) {
        for (const Press& press : presses) {
            dirtyWorldIn(state);
            const WorldSnapshot before;
            mouseButton(press.button, press.state, press.p.x, press.p.y);
            EXPECT_TRUE(WorldSnapshot() == before)
                << state << ": button " << press.button << " state " << press.state << " at "
                << press.p.x << ", " << press.p.y;
        }
    }
    dirtyWorldIn(Playing);  // a race ignores presses on where the buttons would be
    const WorldSnapshot before;
    for (const Point& p : kOnFirst) mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, p.x, p.y);
    for (const Point& p : kOnSecond) mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, p.x, p.y);
    EXPECT_TRUE(WorldSnapshot() == before);
}

TEST_F(MenuTest, PointerShowsAHandOverButtonsOutsideARaceOnly) {
    auto cursorsAfterMove = [](Point p) {
        fakegl::reset();
        const WorldSnapshot before;
        mouseMove(p.x, p.y);
        EXPECT_TRUE(WorldSnapshot() == before);
        std::vector<int> shapes;
        for (const GlCall& c : fakegl::named("glutSetCursor")) shapes.push_back(int(c.args[0]));
        return shapes;
    };
    const std::vector<int> hand = {GLUT_CURSOR_INFO}, arrow = {GLUT_CURSOR_LEFT_ARROW}, none;
    for (GameState state : {Menu, Playing, GameOver}) {
        startRaceIn(state);
        const bool racing = state == Playing;
        for (Point p : kOnFirst) EXPECT_EQ(cursorsAfterMove(p), racing ? none : hand);
        for (Point p : kOnSecond) EXPECT_EQ(cursorsAfterMove(p), racing ? none : hand);
        for (Point p : kOffButtons) EXPECT_EQ(cursorsAfterMove(p), racing ? none : arrow);
    }
}

TEST_F(MenuTest, QuitEndsTheProgramWithStatusZero) {
    for (Point p : kOnSecond) EXPECT_QUITS(mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, p.x, p.y));
}

TEST(ExitGuard, CatchesAHandlerThatQuitsByMistake) {
    EXPECT_EXIT(std::exit(0), ::testing::ExitedWithCode(3), "exited in the middle of a test");
}

}  // namespace
