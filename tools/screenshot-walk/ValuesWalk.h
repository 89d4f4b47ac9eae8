#pragma once
// Pictures of the values screen, the open-existing list and a line-item
// definition, in the current language. `save` grabs a window under a name.

#include <QString>

#include <functional>

class QWidget;

namespace zorva::walk {

using SaveFn = std::function<void(QWidget* window, const QString& name)>;

// Runs `open`, which brings up the report viewer; grabs the viewer once it
// is shown (its reading view), with `pagesName` also its page view, and
// leaves it with its Return button. False when it never came up.
bool ViewerShot(const SaveFn& save, const std::function<void()>& open, const QString& name,
                const QString& pagesName = {});

// Walks the values screens in the current language; `suffix` ("en" or "fr")
// ends the pictures' names.
void WalkValuesScreens(const SaveFn& save, const QString& suffix);

} // namespace zorva::walk
