#include "gui/axis_labels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace xray::gui {

namespace {

// More fraction digits than a double carries are never useful.
constexpr int kMaxDecimals = 20;

struct Pattern {
  int min_int_digits = 0;  // '0's from the first '0' up to the separator
  int min_decimals = 0;    // up to the last '0' after the separator
  int max_decimals = 0;    // placeholders after the separator
  bool grouped = false;    // a ',' in the integer part
};

bool IsPlaceholder(char c) { return c == '#' || c == '0'; }

Pattern Parse(std::string_view text) {
  Pattern p;
  const std::size_t point = text.find('.');
  const std::string_view integer = text.substr(0, point);
  bool required = false;
  for (char c : integer) {
    if (c == ',') p.grouped = true;
    if (c == '0') required = true;
    if (required && IsPlaceholder(c)) ++p.min_int_digits;
  }
  if (point != std::string_view::npos) {
    const std::string_view fraction = text.substr(point + 1);
    for (std::size_t k = 0; k < fraction.size(); ++k) {
      if (!IsPlaceholder(fraction[k])) continue;
      ++p.max_decimals;
      if (fraction[k] == '0') p.min_decimals = p.max_decimals;
    }
  }
  return p;
}

std::string Group(const std::string& digits) {
  std::string out;
  const std::size_t n = digits.size();
  for (std::size_t k = 0; k < n; ++k) {
    if (k > 0 && (n - k) % 3 == 0) out += ',';
    out += digits[k];
  }
  return out;
}

// The nice steps 1, 2, 5 x 10^k from the first one not below `from`.
double NiceStepAtLeast(double from) {
  double decade = std::pow(10.0, std::floor(std::log10(from)));
  for (;;) {
    for (double m : {1.0, 2.0, 5.0}) {
      // A relative tolerance keeps 0.3 / 0.1 style rounding from skipping a step.
      if (m * decade >= from * (1 - 1e-9)) return m * decade;
    }
    decade *= 10;
  }
}

// The next coarser thinning of a fixed step: x2, x5, x10, x20, ...
double NextMultiple(double base, double current) {
  const double ratio = current / base;
  return base * NiceStepAtLeast(ratio * 1.5);
}

}  // namespace

std::string FormatWithPattern(double value, std::string_view pattern) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : value > 0 ? "INF" : "-INF";
  const Pattern p = Parse(pattern);

  // Round to the pattern's decimals; printf rounds the exact binary value. The
  // largest double has 309 integer digits, so the buffer holds any value.
  const int decimals = std::min(p.max_decimals, kMaxDecimals);
  std::array<char, 309 + 2 + kMaxDecimals + 1> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, std::fabs(value));
  const std::string fixed(buffer.data());

  const std::size_t point = fixed.find('.');
  std::string integer = fixed.substr(0, point);
  std::string fraction = point == std::string::npos ? std::string() : fixed.substr(point + 1);

  while (static_cast<int>(fraction.size()) > p.min_decimals && fraction.back() == '0') fraction.pop_back();
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));  // no leading zeros
  if (static_cast<int>(integer.size()) < p.min_int_digits) {
    integer.insert(0, static_cast<std::size_t>(p.min_int_digits) - integer.size(), '0');
  }
  if (p.grouped) integer = Group(integer);

  const bool nonzero = fixed.find_first_of("123456789") != std::string::npos;
  std::string out = (value < 0 && nonzero) ? "-" : "";
  out += integer;
  if (!fraction.empty()) out += '.' + fraction;
  return out;
}

double PatternResolution(std::string_view pattern) {
  return std::pow(10.0, -std::min(Parse(pattern).max_decimals, kMaxDecimals));
}

AxisRange ResolveRange(const AxisLimits& limits, std::optional<AxisRange> data, double widen) {
  if (!(widen > 0)) widen = 1;
  AxisRange r{0, 0};
  if (data) r = *data;
  if (limits.min) r.min = *limits.min;
  if (limits.max) r.max = *limits.max;
  if (!(r.max > r.min)) {
    if (!limits.max) {
      r.max = r.min + widen;
    } else if (!limits.min) {
      r.min = r.max - widen;
    }
    // Both ends fixed and reversed is a definition error; the axis keeps them.
  }
  return r;
}

std::vector<double> LabelValues(AxisRange range, double step) {
  std::vector<double> values;
  if (!(step > 0) || !std::isfinite(range.min) || !std::isfinite(range.max) || range.max < range.min) return values;
  // A label within a billionth of the span of an end stands on that end.
  const double slack = (range.max - range.min) * 1e-9;
  const double first = std::ceil((range.min - slack) / step);
  for (int k = 0; k < kMaxLabels; ++k) {
    double v = (first + k) * step;  // multiplied, not summed: no drift
    if (v > range.max + slack) break;
    v = std::clamp(v, range.min, range.max);
    if (std::fabs(v) < step * 1e-9) v = 0;  // no "-0"
    values.push_back(v);
  }
  return values;
}

double ChooseLabelStep(AxisRange range, double given, double resolution,
                       const std::function<bool(double)>& fits) {
  const double span = range.max - range.min;
  if (!(resolution > 0)) resolution = 1;
  double step = given > 0 ? given : NiceStepAtLeast(std::max(resolution, span / kMaxLabels));
  if (!(span > 0) || !std::isfinite(span)) return step;
  // Never more labels than kMaxLabels; beyond the span there is at most one label.
  while (span / step >= kMaxLabels) step = given > 0 ? NextMultiple(given, step) : NiceStepAtLeast(step * 1.5);
  while (step <= span && !fits(step)) step = given > 0 ? NextMultiple(given, step) : NiceStepAtLeast(step * 1.5);
  return step;
}

}  // namespace xray::gui
