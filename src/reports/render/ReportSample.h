#pragma once
// Sample report tables: a made-up grocery industry and enterprise written into
// the report tables of a user data store, in the shape the preparations
// leave them. Used for the documentation's pictures, the tests and the
// benchmarks when no prepared data store is at hand.

#include "core/DBTools.h"

#include <string>

namespace zorva::report {

// Creates the report tables (when missing) in a database.
void CreateSampleReportTables(ConnectionHandle& cn);
// Empties and fills the report data tables and the title tables of one
// report type ("rat", "bal", "com") in a language ("E" or "F").
// `firmName` is stored as the enterprise's name (any text; quotes allowed).
void FillSampleReport(ConnectionHandle& cn, const std::string& type, const std::string& language,
                      const std::string& firmName = "Harbourview Fine Foods Ltd.");

} // namespace zorva::report
