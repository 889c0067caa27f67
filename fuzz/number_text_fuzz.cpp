// Numbers in text: TextToFloat on arbitrary bytes, checked against the
// standard library's own reading (std::from_chars) and the error texts, and
// FloatToText of what it accepts and of extended values built from the input,
// checked for its format and for reading back.
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "numeric/calc_error.h"
#include "numeric/fp_errors.h"
#include "numeric/messages.h"
#include "numeric/number_text.h"
#include "numeric/wide_real.h"
#include "targets.h"

namespace xray::fuzz {

namespace {


std::string NotAFloat(std::string_view text) {
  const std::size_t at = msg::kNotAFloat.find("%s");
  return std::string(msg::kNotAFloat.substr(0, at)) + std::string(text) + std::string(msg::kNotAFloat.substr(at + 2));
}

// The value, or the message of the CalcError; any other exception escapes
// and the fuzzer reports it.
struct Outcome {
  std::optional<double> value;
  std::string error;
};

Outcome Read(std::string_view text) {
  fp::Clear();
  try {
    return {TextToFloat(text), ""};
  } catch (const CalcError& e) {
    return {std::nullopt, e.message()};
  }
}

// How the reading should end, independently of TextToFloat's own scanner:
// the text trimmed of spaces, a leading "+" dropped, and then std::from_chars
// must consume all of it; "inf", "nan" and hexadecimal are not numbers here.
struct Expected {
  bool number = false;
  bool out_of_range = false;
  double value = 0;
};

Expected Reference(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  std::string_view t = text.substr(begin, end - begin);
  if (t.size() >= 2 && t[0] == '+' && (t[1] == '.' || (t[1] >= '0' && t[1] <= '9'))) t.remove_prefix(1);
  Expected e;
  if (t.empty() || t.find_first_not_of("0123456789+-.eE") != std::string_view::npos) return e;
  double v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
  if (r.ptr != t.data() + t.size()) return e;
  e.number = r.ec == std::errc() || r.ec == std::errc::result_out_of_range;
  e.out_of_range = r.ec == std::errc::result_out_of_range;
  e.value = v;
  return e;
}

// The text of a decimal value that reads back as an infinite double: at or
// above DBL_MAX plus half its last place.
constexpr WideReal kFirstOverflowing = 0x1.fffffffffffff8p+1023L;

// FloatToText's format: "0", "NAN", "INF", "-INF", or an optional "-", at most
// 15 significant digits without trailing fraction zeros, fixed notation when
// 0.0001 <= |v| < 1e15 after rounding, else d[.ddd]E[-]n.
void CheckFormatted(WideReal x) {
  const std::string s = FloatToText(x);
  std::string appended = "#";
  AppendFloatText(appended, x);
  if (appended != "#" + s) Fail("AppendFloatText differs from FloatToText for " + s);
  if (std::isnan(x)) {
    if (s != "NAN") Fail("NaN formats as " + Printable(s));
    return;
  }
  if (std::isinf(x)) {
    if (s != (x > 0 ? "INF" : "-INF")) Fail("infinity formats as " + Printable(s));
    return;
  }
  if (x == 0) {
    if (s != "0") Fail("zero formats as " + Printable(s));
    return;
  }
  // Syntax.
  std::size_t p = s[0] == '-' ? 1 : 0;
  if ((s[0] == '-') != std::signbit(x)) Fail("sign lost: " + s);
  const std::size_t mantissa_begin = p;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
  const std::size_t int_digits = p - mantissa_begin;
  std::size_t frac_digits = 0;
  if (p < s.size() && s[p] == '.') {
    ++p;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p, ++frac_digits;
    if (frac_digits == 0 || s[p - 1] == '0') Fail("bad fraction: " + s);
  }
  const bool scientific = p < s.size() && s[p] == 'E';
  if (scientific) {
    ++p;
    if (p < s.size() && s[p] == '-') ++p;
    const std::size_t exp_begin = p;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
    if (p == exp_begin || s[exp_begin] == '0') Fail("bad exponent: " + s);
    if (int_digits != 1 || s[mantissa_begin] == '0') Fail("bad scientific mantissa: " + s);
  } else if (int_digits == 0 || (int_digits > 1 && s[mantissa_begin] == '0')) {
    Fail("bad fixed number: " + s);
  }
  if (p != s.size()) Fail("trailing characters: " + Printable(s));
  // Significant digits: all mantissa digits after leading zeros.
  std::size_t significant = 0;
  bool leading = true;
  for (std::size_t k = mantissa_begin; k < s.size() && s[k] != 'E'; ++k) {
    if (s[k] == '.') continue;
    if (leading && s[k] == '0') continue;
    leading = false;
    ++significant;
  }
  if (significant == 0 || significant > 15) Fail("significant digits " + std::to_string(significant) + ": " + s);
  // Value and notation.
  const WideReal r = std::strtold(s.c_str(), nullptr);
  // Half a unit in the 15th digit, plus the error of reading it back in extended precision.
  if (std::fabs(r - x) > std::fabs(x) * 5.001e-15L) Fail("rounded too far: " + s);
  const bool fixed_range = std::fabs(r) >= 0.0001L && std::fabs(r) < 1e15L;
  if (fixed_range == scientific) Fail("notation does not fit the magnitude: " + s);
  // What the program writes, it reads back.
  const Outcome back = Read(s);
  if (std::fabs(r) >= kFirstOverflowing) {
    if (back.value || back.error != msg::kOverflow) Fail(s + " should read back as an overflow");
  } else if (!back.value) {
    Fail(s + " does not read back: " + Printable(back.error));
  } else if (!SameBits(*back.value, std::strtod(s.c_str(), nullptr))) {
    Fail(s + " reads back as another double");
  }
}

void CheckReading(std::string_view text) {
  const Outcome got = Read(text);
  const Expected want = Reference(text);
  if (!want.number) {
    if (got.value) Fail("accepted '" + Printable(text) + "' as " + FloatToText(*got.value));
    if (got.error != NotAFloat(text)) Fail("'" + Printable(text) + "' gives '" + Printable(got.error) + "'");
    return;
  }
  if (want.out_of_range && !got.value) {
    if (got.error != msg::kOverflow) Fail("out of range '" + Printable(text) + "' gives '" + Printable(got.error) + "'");
    return;
  }
  if (!got.value) Fail("refused the number '" + Printable(text) + "': " + Printable(got.error));
  const double v = *got.value;
  if (want.out_of_range) {
    if (std::isinf(v) || std::fabs(v) >= DBL_MIN) Fail("out of range '" + Printable(text) + "' read as " + FloatToText(v));
  } else if (!SameBits(v, want.value)) {
    Fail("'" + Printable(text) + "' read as " + FloatToText(v) + " instead of " + FloatToText(want.value));
  }
  // The round trip: the text of the value reads back, and for a normal value
  // the text of that reads the same (15 digits survive a double).
  CheckFormatted(v);
  const std::string t = FloatToText(v);
  const Outcome again = Read(t);
  if (again.value && std::fabs(v) >= DBL_MIN && FloatToText(*again.value) != t) {
    Fail("unstable round trip: " + t + " -> " + FloatToText(*again.value));
  }
}

double DoubleAt(const std::uint8_t* data) {
  double d;
  std::memcpy(&d, data, sizeof d);
  return d;
}

}  // namespace

int FuzzNumberText(const std::uint8_t* data, std::size_t size) {
  CheckReading(std::string_view(reinterpret_cast<const char*>(data), size));
  // Extended results as the handlers hand them to FloatToText.
  if (size >= 16) {
    const double a = DoubleAt(data);
    const double b = DoubleAt(data + 8);
    CheckFormatted(a);
    CheckFormatted(static_cast<WideReal>(a) * b);
    CheckFormatted(static_cast<WideReal>(a) / b);
    CheckFormatted(static_cast<WideReal>(a) + b);
  }
  fp::Clear();
  return 0;
}

}  // namespace xray::fuzz
