#pragma once
// The navigator of the program's screens (core/Navigator.h, and the screen
// interfaces of the subsystems: enterprise/EnterpriseScreens.h, the report
// viewer of reports/render/ReportViewerLogic.h): the one place that knows
// every screen, so that no screen needs to know another.

namespace zorva {

// Installs it (the program at start, the screen tests).
void InstallScreenNavigator();

} // namespace zorva
