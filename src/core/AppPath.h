#pragma once
#include <string>

namespace zorva {

// The application folder: the folder that holds the program file, without a
// trailing separator. Tests and the command-line tool may set it.
std::string AppPath();
void SetAppPath(const std::string& folder);
// AppPath() + "/" + name.
std::string AppFile(const std::string& name);

} // namespace zorva
