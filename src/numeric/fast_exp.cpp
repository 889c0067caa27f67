#include "numeric/fast_exp.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace xray {

namespace {

// ln 2 = kLn2Hi + kLn2Lo; kLn2Hi has 48 significant bits, so n * kLn2Hi is exact
// for |n| < 2^16.
constexpr long double kLn2Hi = 0xB17217F7D1CFp-48L;
constexpr long double kLn2Lo = 0xF35793C7673007E6p-113L;
constexpr long double kLog2E = 0xB8AA3B295C17F0BCp-63L;

// Beyond this |x| (or for NaN) the library takes over: n stays well inside
// the exact range of n * kLn2Hi.
constexpr long double kFastRange = 11000;

// How far, in units of the extended last place, the fast result may lie from
// the library's e^x: at most 2 over a sweep of millions of arguments across
// the whole range, so 8 leaves room for the library's own error too. Results
// this close to a midpoint between two doubles go to the library.
constexpr std::uint64_t kSlack = 8;

// The bits of a double's mantissa that a long double carries beyond it.
constexpr std::uint64_t kExtraBits = 0x7FF;
constexpr std::uint64_t kMidpoint = 0x400;

}  // namespace

double ExpRoundedToDouble(long double x) {
  if (!(std::fabs(x) < kFastRange)) return static_cast<double>(std::exp(x));
  long double n;
  asm("frndint" : "=t"(n) : "0"(x * kLog2E));
  const long double r = (x - n * kLn2Hi) - n * kLn2Lo;  // |r| <= ln2 / 2
  long double p;
  asm("f2xm1" : "=t"(p) : "0"(r * kLog2E));  // 2^f - 1 for |f| <= 1/2
  long double q;
  asm("fscale" : "=t"(q) : "0"(p + 1), "u"(n));
  // Normal doubles only: below, a double holds fewer bits and the midpoint
  // test below would not apply.
  if (!(q >= 0x1p-1021L && q < 0x1p1023L)) return static_cast<double>(std::exp(x));
  std::uint64_t mantissa;
  std::memcpy(&mantissa, &q, sizeof mantissa);
  const std::uint64_t extra = mantissa & kExtraBits;
  if (extra + kSlack >= kMidpoint && extra <= kMidpoint + kSlack) return static_cast<double>(std::exp(x));
  return static_cast<double>(q);
}

}  // namespace xray
