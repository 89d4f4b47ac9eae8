// Zorva / Velmo: compares an enterprise's financial statements with the
// published benchmarks of its industry.

#include "core/Services.h"
#include "core/Strings.h"
#include "core/gui/QtServices.h"
#include "core/modMain.h"
#include "screens/StartScreen.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    using namespace zorva;
    const bool platformChosen = std::getenv("QT_QPA_PLATFORM") && *std::getenv("QT_QPA_PLATFORM");
    const bool display = (std::getenv("DISPLAY") && *std::getenv("DISPLAY")) ||
                         (std::getenv("WAYLAND_DISPLAY") && *std::getenv("WAYLAND_DISPLAY"));
    if (!platformChosen && !display) {
        std::cerr << (HasResString(932) ? LoadResString(932)
                                        : std::string("No display is available: start Zorva in a graphical session."))
                  << std::endl;
        return 2;
    }

    ZorvaApplication app(argc, argv);
    InstallQtServices();
    try {
        OpenDataStores();
    } catch (const StartupError& e) {
        MsgBox(e.what(), MsgButtons::OK, MsgIcon::Critical, "Zorva - Velmo");
        return 1;
    }
    ShowStartScreen();
    return app.exec();
}
