// The screen tests' helpers (Click, Press, ShowAndActivate, WhileModal,
// ClippedWidgets) are shared with the screens' own test program.
#include "screens/ScreensFixture.cpp"
