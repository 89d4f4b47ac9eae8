#pragma once
// The Qt implementations of the platform services, and the application object
// that applies the failure policy to errors escaping an event handler.

#include <QApplication>

namespace zorva {

// Installs the Qt message box, process, printer and clock services.
void InstallQtServices();

// Installs or removes Qt's own French translations (standard buttons, print
// and file dialogs) so that they follow gintLanguage. Called before every
// event the application handles and before every message box, so no screen
// needs to call it after changing the language.
void FollowProgramLanguage();

// Title of the program's message boxes: the product name in the current language.
QString ApplicationTitle();

class ZorvaApplication : public QApplication {
public:
    ZorvaApplication(int& argc, char** argv);
    // An exception escaping an event handler ends the program through the
    // failure policy (one clear error box), never silently.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Converts between the UTF-8 texts of the logic and Qt's strings.
inline QString qs(const std::string& s) { return QString::fromStdString(s); }
inline std::string ss(const QString& s) { return s.toStdString(); }

} // namespace zorva
