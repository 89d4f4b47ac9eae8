#pragma once
// Pictures of the values screen, the open-existing list and a line-item
// definition, in the current language. `save` grabs a window under a name.

#include <QString>

#include <functional>

class QWidget;

namespace zorva::walk {

using SaveFn = std::function<void(QWidget* window, const QString& name)>;

// Walks the values screens in the current language; `suffix` ("en" or "fr")
// ends the pictures' names.
void WalkValuesScreens(const SaveFn& save, const QString& suffix);

} // namespace zorva::walk
