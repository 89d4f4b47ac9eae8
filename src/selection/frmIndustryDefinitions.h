#pragma once
// The industry definition window: the definition text of one industry, with
// Print. Modeless, refilled in place while open, destroyed when closed.

#include "core/gui/ScreenBase.h"

#include <string>

namespace zorva {

// Fills and shows the definition window for one NAICS code in the current
// language (creating the window when it does not exist).
void gsubOpenIndustryDef(const std::string& code);

} // namespace zorva
