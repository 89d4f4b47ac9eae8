// Compiled as a file of the core by the "layers" test, which expects it to
// fail (the core may not use the enterprise), and as a file of the enterprise,
// which it expects to build.
#include "enterprise/EnterpriseRecord.h"
int probe() { return sizeof(zorva::RecordTexts); }
