#include "numeric/fp_errors.h"

#include <cfenv>

#include "numeric/calc_error.h"
#include "numeric/messages.h"

namespace xray::fp {

namespace {
constexpr int kFaults = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;
}

void Clear() { std::feclearexcept(kFaults); }

void CheckFlags() {
  const int raised = std::fetestexcept(kFaults);
  if (raised == 0) return;
  std::feclearexcept(kFaults);
  if (raised & FE_DIVBYZERO) throw CalcError(msg::kDivideByZero);
  if (raised & FE_OVERFLOW) throw CalcError(msg::kOverflow);
  throw CalcError(msg::kInvalidOperation);
}

}  // namespace xray::fp
