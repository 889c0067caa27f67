// Axis ranges and labels of the window's charts, without Qt.
//
// The charts label their value axes with numeric patterns ("###.", "#0.#", and
// "#,##0.###" where the window names none) at multiples of a label step. Qt
// Charts only knows printf formats, which cannot leave out an optional digit,
// group thousands or drop trailing fraction zeros, so the window computes the
// label values and texts here and hands them to the axis ready-made.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xray::gui {

// The pattern of an axis that names none: thousands grouped, up to three decimals.
inline constexpr std::string_view kDefaultLabelPattern = "#,##0.###";

// Writes value with a numeric pattern: '#' an optional digit, '0' a required
// digit, ',' anywhere in the integer part groups thousands, the first '.' is the
// decimal separator. The fraction has as many digits as the pattern has
// placeholders after '.', rounded, with trailing zeros dropped down to the
// number of '0's there; the separator shows only when fraction digits follow.
// The integer part has at least as many digits as there are '0's before '.', so
// "#." writes 0 as an empty text and "#0.#" writes it as "0". The separator is
// always ".", as everywhere in the program.
std::string FormatWithPattern(double value, std::string_view pattern);

// The finest step whose labels a pattern still writes apart: 10^-(fraction
// placeholders), so 1 for "###." and 0.001 for "#,##0.###".
double PatternResolution(std::string_view pattern);

struct AxisRange {
  double min;
  double max;
  friend bool operator==(const AxisRange&, const AxisRange&) = default;
};

// What the window fixes of an axis: nothing (automatic), its minimum, or both ends.
struct AxisLimits {
  std::optional<double> min{};
  std::optional<double> max{};
};

// The range an axis shows for data spanning `data` (nullopt: no points at all).
// An automatic end follows the data; a fixed end stays. When the result would
// be empty (no points, one point, or data wholly below a fixed minimum) the
// free end is moved out by `widen` (the label step, or 1 when automatic) so the
// axis still has a scale.
AxisRange ResolveRange(const AxisLimits& limits, std::optional<AxisRange> data, double widen);

// The values that carry labels: every multiple of step inside the range, in
// ascending order (at most kMaxLabels of them).
inline constexpr int kMaxLabels = 200;
std::vector<double> LabelValues(AxisRange range, double step);

// The label step an axis uses. A fixed step (given > 0) is kept while its
// labels fit and otherwise multiplied by 2, 5, 10, 20, ... until they do; an
// automatic step (given == 0) is the smallest of 1, 2, 5 x 10^k, not finer
// than `resolution`, whose labels fit. fits(step) says whether the labels at
// that step stand apart without overlapping.
double ChooseLabelStep(AxisRange range, double given, double resolution,
                       const std::function<bool(double step)>& fits);

}  // namespace xray::gui
