#pragma once
// zorva-cli: the program's computations without a display, for power users,
// scripts and tests. Every command goes through the same functions as the
// screens and prints JSON on stdout, nothing else.

#include "Enterprises.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace zorva::cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;   // a row or the work itself failed
inline constexpr int kExitUsage = 2;    // bad arguments or an unreadable file
inline constexpr int kExitInterrupted = 130;  // stopped by Ctrl+C

// Runs one command line (without the program name). Opens the data stores of
// the application folder (or of --app-dir) itself.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace zorva::cli
