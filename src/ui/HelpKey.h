#pragma once
// F1 on a window opens the concepts help of the current language at that
// window's topic (core/HelpTopics.h).

class QWidget;

namespace zorva {

// Adds the F1 key to a window that has no Contents menu item of its own.
void InstallHelpKey(QWidget* window, long topic);

} // namespace zorva
