#include "ui/HelpKey.h"

#include "core/modMain.h"

#include <QShortcut>
#include <QWidget>

namespace zorva {

void InstallHelpKey(QWidget* window, long topic) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setObjectName(QStringLiteral("keyHelp"));
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, [topic] { gsubLaunchHelpTopic("Contents", topic); });
}

} // namespace zorva
