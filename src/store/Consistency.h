#pragma once
// Checks that the published figures agree with themselves. The figures of a
// parent industry are pooled from the enterprises of its sub-industries, those
// of a regional group (and of Volume 3 as a whole) from the enterprises of its
// provinces and territories; and the share of enterprises with a loss follows
// from where 0 falls among the quartiles of the matching margin.

#include "store/Diagnostics.h"
#include "store/Source.h"

namespace zorvadata {

struct IndustrySource;

// A pooled group's figures lie within the range of its members' figures, when
// the members hold at least this share of its enterprises.
inline constexpr int kPooledCoveragePercent = 95;

// Every row of every ratio table against its sub-industries (the rows whose
// nearest described parent code is the row's code) and, in Volume 3, against
// the same industry in the member regions' tables of the same year.
void checkPooledFigures(const IndustrySource& src, Diagnostics& diags);

// Every row of one ratio table: the shares of enterprises with a net, pretax
// and operating loss against the quartiles of the matching margin.
void checkLossShares(const Table& t, Diagnostics& diags);

} // namespace zorvadata
