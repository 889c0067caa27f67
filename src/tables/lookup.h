// Table lookup: bracket search over a reference table with linear or
// base-10 log-log interpolation.
#pragma once

#include "tables/table_reader.h"
#include "window/controls.h"

namespace xray {

// y at x = t, interpolated linearly between the bracketing rows:
// f = (t - x_lo) / (x_up - x_lo); y = f * (y_up - y_lo) + y_lo.
// A target below row 1 extrapolates along the first segment; a target at or
// above the last row reads the empty line after the table and fails with the
// conversion error of the empty text.
double LookupLinear(TableReader& tables, Memo m, double t);

// The same, reading row 2 first and row 1 only when it is the lower row of the
// bracket (the MTF lookup of the NEQ calculation). Same bracket, same result.
double LookupLinearUpperFirst(TableReader& tables, Memo m, double t);

// y at x = t along the power law through the bracketing rows: the bracket
// search and the interpolation run on log10 of both columns, and the result is
// 10 to the interpolated logarithm. Zero or negative values met on the way
// (rows read, or t) raise the division-by-zero or invalid-operation error.
double LookupLogLog(TableReader& tables, Memo m, double t);

}  // namespace xray
