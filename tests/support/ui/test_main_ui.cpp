// Entry point of the test programs that drive screens: a headless application
// object, and the navigator of the program's screens.
#include "ui/Navigator.h"
#include "ui/QtServices.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    zorva::ZorvaApplication app(argc, argv);
    zorva::InstallScreenNavigator();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
