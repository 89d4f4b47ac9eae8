#include "enterprise/frmMyValues.h"

namespace zorva {

frmMyValues::frmMyValues() : ui(nullptr) { SetMainScreen(true); }
frmMyValues::~frmMyValues() = default;

} // namespace zorva
