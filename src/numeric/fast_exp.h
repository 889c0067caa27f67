// e^x rounded to a double, as std::exp on long double would give it, faster.
#pragma once

namespace xray {

// Returns static_cast<double>(std::exp(x)) for extended x, bit for bit.
//
// The electron loop of a spectrum takes one exponential per step (tens of
// thousands per press) and stores each as a double. This evaluates e^x with
// the x87 unit directly: x = n ln2 + r (ln2 split so that n ln2_hi is exact),
// 2^(r log2 e) by f2xm1, scaled by 2^n; the result is good to a few units in
// the last place of the extended format. Rounding it to a double gives the
// same double as the library's e^x whenever it lies clearly away from a
// rounding midpoint between two doubles; near a midpoint, in the subnormal
// range, for large |x| or a NaN, the library's std::exp is used instead.
// The status flags it leaves are those of the library function for every x
// that reaches the fast path (inexact only).
double ExpRoundedToDouble(long double x);

}  // namespace xray
