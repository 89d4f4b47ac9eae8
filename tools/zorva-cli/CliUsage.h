#pragma once
// zorva-cli's usage texts: the tool's, and each command's own (--help).

#include <map>
#include <string>

namespace zorva::cli {

extern const char* kUsage;
extern const std::map<std::string, std::string> kCommandHelp;

} // namespace zorva::cli
