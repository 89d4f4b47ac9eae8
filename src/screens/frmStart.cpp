// Placeholder until the start screen lands: a plain window with the product names.
#include "screens/StartScreen.h"

#include <QLabel>

namespace zorva {
void ShowStartScreen() {
    auto* w = new QLabel(QStringLiteral("ZORVA - VELMO"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->resize(400, 200);
    w->show();
}
} // namespace zorva
