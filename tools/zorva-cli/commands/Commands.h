#pragma once
// The commands of zorva-cli, one file each; CliCommands.cpp runs the one the
// command line names, after the data stores are open. Each prints JSON lines
// on `out` and returns the exit status.

#include "CliOptions.h"

#include <iosfwd>

namespace zorva::cli {

int cmdDatasets(const Options& o, std::ostream& out);
int cmdIndustries(const Options& o, std::ostream& out);
int cmdCompare(const Options& o, std::ostream& out, std::ostream& err);
int cmdPrepare(const Options& o, std::ostream& out);
int cmdReport(const Options& o, std::ostream& out);
int cmdImport(const Options& o, std::ostream& out);
int cmdList(const Options& o, std::ostream& out);
int cmdOpen(const Options& o, std::ostream& out);
int cmdStore(std::ostream& out);

} // namespace zorva::cli
