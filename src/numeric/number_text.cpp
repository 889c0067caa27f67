#include "numeric/number_text.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

#include "numeric/calc_error.h"
#include "numeric/fp_errors.h"
#include "numeric/messages.h"

namespace xray {

namespace {

constexpr int kSignificantDigits = 15;
// Fixed notation is used for decimal exponents from -4 (0.0001) to 14 (< 1e15).
constexpr int kLowestFixedExponent = -4;
constexpr int kHighestFixedExponent = 14;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The "C" locale, so that strtod reads "." whatever locale the process runs in.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

// Checks the syntax of the trimmed text; true when it is a number.
bool IsNumberSyntax(std::string_view s) {
  std::size_t p = 0;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
  std::size_t digits = 0;
  while (p < s.size() && IsDigit(s[p])) ++p, ++digits;
  if (p < s.size() && s[p] == '.') {
    ++p;
    while (p < s.size() && IsDigit(s[p])) ++p, ++digits;
  }
  if (digits == 0) return false;
  if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
    ++p;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
    std::size_t exponent_digits = 0;
    while (p < s.size() && IsDigit(s[p])) ++p, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return p == s.size();
}

}  // namespace

double TextToFloat(std::string_view text) {
  fp::CheckFlags();
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  const std::string_view trimmed = text.substr(begin, end - begin);
  if (!IsNumberSyntax(trimmed)) ThrowNotAFloat(text);

  const std::string number(trimmed);
  errno = 0;
  const double value = strtod_l(number.c_str(), nullptr, CLocale());
  const bool out_of_range = errno == ERANGE;
  // strtod may leave overflow or underflow flags behind; neither belongs to the
  // caller's arithmetic.
  fp::Clear();
  if (out_of_range && std::isinf(value)) throw CalcError(msg::kOverflow);
  return value;
}

void AppendFloatText(std::string& out, long double v) {
  if (std::isnan(v)) {
    out += "NAN";
    return;
  }
  if (std::isinf(v)) {
    out += v > 0 ? "INF" : "-INF";
    return;
  }
  if (v == 0) {
    out += '0';
    return;
  }
  // Scientific with 14 fraction digits is exactly the value rounded to 15
  // significant digits; to_chars ignores the locale. A value that is exactly
  // a double (every stored value) takes the much faster double conversion:
  // the digits of the same value are the same.
  char buf[64];
  const double as_double = static_cast<double>(v);
  const auto result =
      static_cast<long double>(as_double) == v
          ? std::to_chars(buf, buf + sizeof buf, as_double, std::chars_format::scientific, kSignificantDigits - 1)
          : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, kSignificantDigits - 1);
  const char* p = buf;
  const bool negative = *p == '-';
  if (negative) ++p;
  char digits[kSignificantDigits];
  int count = 0;
  for (; p < result.ptr && *p != 'e'; ++p) {
    if (*p != '.') digits[count++] = *p;
  }
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), result.ptr, exponent);
  while (count > 1 && digits[count - 1] == '0') --count;

  if (negative) out += '-';
  if (exponent >= kLowestFixedExponent && exponent <= kHighestFixedExponent) {
    if (exponent < 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out.append(digits, static_cast<std::size_t>(count));
    } else {
      const int integer_digits = exponent + 1;
      for (int k = 0; k < integer_digits; ++k) out += k < count ? digits[k] : '0';
      if (count > integer_digits) {
        out += '.';
        out.append(digits + integer_digits, static_cast<std::size_t>(count - integer_digits));
      }
    }
  } else {
    out += digits[0];
    if (count > 1) {
      out += '.';
      out.append(digits + 1, static_cast<std::size_t>(count - 1));
    }
    out += 'E';
    char exp_buf[8];
    const auto exp_end = std::to_chars(exp_buf, exp_buf + sizeof exp_buf, exponent).ptr;
    out.append(exp_buf, exp_end);
  }
}

std::string FloatToText(long double v) {
  std::string out;
  AppendFloatText(out, v);
  return out;
}

}  // namespace xray
