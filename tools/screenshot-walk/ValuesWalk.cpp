#include "ValuesWalk.h"

namespace zorva::walk {

void WalkValuesScreens(const SaveFn&, const QString&) {}

} // namespace zorva::walk
