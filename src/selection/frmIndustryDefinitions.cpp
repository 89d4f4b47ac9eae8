#include "selection/frmIndustryDefinitions.h"

namespace zorva {

void gsubOpenIndustryDef(const std::string&) {}

} // namespace zorva
