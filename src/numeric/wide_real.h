// The precision of intermediate results.
#pragma once

namespace xray {

// Every sum, product, quotient and power inside a calculation is carried in
// long double (a 64-bit significand on x86-64) and rounded to double only
// where the result is stored: in the spectrum store, a series or a text box.
using WideReal = long double;

}  // namespace xray
