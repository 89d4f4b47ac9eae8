// Zorva / Velmo: compares an enterprise's financial statements with the
// published benchmarks of its industry.

#include "core/AppPath.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "ui/QtServices.h"
#include "core/modMain.h"
#include "ui/Navigator.h"
#include "ui/StartScreen.h"

#include <QIcon>

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

std::string usage() {
    return zorva::LoadResString(1566) + "\n" + zorva::LoadResString(3210) + "\n\n" + zorva::LoadResString(1567) + "\n" +
           zorva::LoadResString(3211) + "\n";
}

// The program's own options; anything else is left to Qt. Returns an exit
// status when the program should end at once, -1 to go on.
int readOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << usage();
            return 0;
        }
        // --user-store FILE, --industry-store FILE, or either with "=FILE".
        std::string file;
        bool industry = false;
        for (const std::string option : {"--user-store", "--industry-store"}) {
            if (a == option) {
                if (i + 1 >= argc || !*argv[i + 1]) {
                    std::cerr << usage();
                    return 2;
                }
                file = argv[++i];
            } else if (a.rfind(option + "=", 0) == 0) {
                file = a.substr(option.size() + 1);
                if (file.empty()) {
                    std::cerr << usage();
                    return 2;
                }
            } else {
                continue;
            }
            industry = option == "--industry-store";
            break;
        }
        if (file.empty()) continue;
        if (industry) zorva::SetIndustryStorePath(file);
        else zorva::SetUserStorePath(file);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace zorva;
    if (const int status = readOptions(argc, argv); status >= 0) return status;
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
    // Ties the windows to the installed menu entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zorva.Zorva"));
    // The installed icon (hicolor theme) on every window; none in a build.
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zorva")));
    InstallQtServices();
    InstallScreenNavigator();
    try {
        OpenDataStores();
    } catch (const StartupError& e) {
        MsgBox(e.what(), MsgButtons::OK, MsgIcon::Critical, "Zorva - Velmo");
        return 1;
    }
    ShowStartScreen();
    return app.exec();
}
