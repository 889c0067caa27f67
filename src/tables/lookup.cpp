#include "tables/lookup.h"

#include <cmath>

#include "numeric/fp_errors.h"
#include "numeric/wide_real.h"

namespace xray {

namespace {

// The interpolation every lookup shares, in extended precision: the quotient
// first, then the product, then the sum; the result is stored as a double.
double Interpolate(const Row& lo, const Row& up, double t) {
  const WideReal f = (static_cast<WideReal>(t) - lo.x) / (static_cast<WideReal>(up.x) - lo.x);
  const double y = f * (static_cast<WideReal>(up.y) - lo.y) + lo.y;
  fp::Check(y);
  return y;
}

}  // namespace

double LookupLinear(TableReader& tables, Memo m, double t) {
  const Bracket b = tables.LinearBracket(m, t);
  return Interpolate(b.lo, b.up, t);
}

double LookupLinearUpperFirst(TableReader& tables, Memo m, double t) {
  const Bracket b = tables.UpperFirstBracket(m, t);
  return Interpolate(b.lo, b.up, t);
}

double LookupLogLog(TableReader& tables, Memo m, double t) {
  fp::CheckFlags();
  if (const double* known = tables.KnownLogLog(m, t)) return *known;
  const LogBracket b = tables.LogLogBracket(m, t);
  const double log_y = Interpolate(b.lo, b.up, b.target);
  const double y = std::pow(10.0L, static_cast<long double>(log_y));
  fp::Check(y);
  tables.RememberLogLog(m, t, y);
  return y;
}

}  // namespace xray
