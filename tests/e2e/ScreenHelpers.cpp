// The screen tests' helpers (Click, Press, ShowAndActivate, WhileModal) are
// shared with the screens' own test program.
#include "screens/ScreensFixture.cpp"
