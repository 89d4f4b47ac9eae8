#pragma once

namespace zorva {
// Creates and shows the start screen, the first window of the program.
void ShowStartScreen();
} // namespace zorva
