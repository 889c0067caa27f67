// Floating-point faults as errors, read from the status flags.
//
// The arithmetic of every handler runs with the floating-point exceptions masked;
// afterwards the accumulated status flags say whether a division by zero, an
// invalid operation or an overflow happened. Check() turns a pending fault into
// the program's error. Handlers call it after each computed step and before every
// effect a user can see, so that a fault stops a handler at the same point where
// an unmasked hardware exception would have. Underflow and inexact results are
// not faults: a result too small to represent quietly becomes 0 or subnormal.
// No hardware traps are ever enabled, so Qt and the C library run undisturbed.
#pragma once

namespace xray::fp {

// Forgets any fault left by earlier arithmetic (start of a handler).
void Clear();

// Throws the CalcError of a pending fault and clears it; does nothing when none is
// pending. When several flags are up, the fault that must have come first wins:
// a division by zero or an overflow yields an infinity that can only lead to an
// invalid operation afterwards, never the reverse.
void CheckFlags();

// Makes sure the values are computed before the flags are read, then checks.
// Pass the values just computed, so the compiler cannot sink their arithmetic
// below the flag test.
template <typename T>
inline void Materialize(const T& value) {
  asm volatile("" : : "m"(value) : "memory");
}

template <typename... T>
inline void Check(const T&... values) {
  (Materialize(values), ...);
  CheckFlags();
}

}  // namespace xray::fp
