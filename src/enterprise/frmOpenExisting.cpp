#include "enterprise/frmOpenExisting.h"

namespace zorva {

frmOpenExisting::frmOpenExisting() : ui(nullptr) { setAttribute(Qt::WA_DeleteOnClose); }
frmOpenExisting::~frmOpenExisting() = default;

bool frmOpenExisting::fncLoadFirms() { return false; }

} // namespace zorva
