// Floating-point faults of one analysis, read from the status flags (never
// traps), without disturbing the caller's: the flags pending when the analysis
// starts are put back when it ends, whatever it raised meanwhile.
#pragma once

#include <cfenv>
#include <string_view>

namespace xray::measure {

class FpScope {
 public:
  FpScope();
  ~FpScope();
  FpScope(const FpScope&) = delete;
  FpScope& operator=(const FpScope&) = delete;

  // Throws the MeasureError kNumericFault, naming what was computed, when a
  // division by zero, an invalid operation or an overflow happened since the
  // scope began.
  void Check(std::string_view what) const;

 private:
  std::fexcept_t saved_{};
};

}  // namespace xray::measure
