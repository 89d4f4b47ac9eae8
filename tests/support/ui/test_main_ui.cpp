// Entry point of the test programs that drive screens: a headless application
// object, the navigator of the program's screens, and a settings folder of
// their own (the screens' kept choices never reach the user's).
#include "ui/Navigator.h"
#include "ui/QtServices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char config[] = "/tmp/zorva-test-config-XXXXXX";
    if (mkdtemp(config)) setenv("XDG_CONFIG_HOME", config, 1);
    zorva::ZorvaApplication app(argc, argv);
    zorva::InstallScreenNavigator();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(config, ec);
    return result;
}
