#include "measure/fp_scope.h"

#include <string>

#include "measure/measure_error.h"

namespace xray::measure {

namespace {
constexpr int kFaults = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;
}

FpScope::FpScope() {
  std::fegetexceptflag(&saved_, FE_ALL_EXCEPT);
  std::feclearexcept(kFaults);
}

FpScope::~FpScope() {
  std::feclearexcept(FE_ALL_EXCEPT);
  std::fesetexceptflag(&saved_, FE_ALL_EXCEPT);
}

void FpScope::Check(std::string_view what) const {
  const int raised = std::fetestexcept(kFaults);
  if (raised == 0) return;
  const char* fault = (raised & FE_DIVBYZERO) ? "division by zero" : (raised & FE_OVERFLOW) ? "overflow" : "invalid operation";
  Fail(msg::kNumericFault, {std::string(what), fault});
}

}  // namespace xray::measure
