// The libFuzzer entry point of one target, chosen when the target is built
// (XRAYCALC_FUZZ_TARGET names one of the functions of targets.h).
#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return xray::fuzz::XRAYCALC_FUZZ_TARGET(data, size);
}
