#include "measure/edge_mtf.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>

#include "measure/fp_scope.h"
#include "measure/measure_error.h"

namespace xray::measure {

namespace {

using L = long double;

constexpr L kPi = 3.141592653589793238462643383279503L;
constexpr L kDegree = kPi / 180;
constexpr int kCentroidHalfWidth = 6;  // pixels either side of the edge for its centroid
constexpr int kRefits = 3;
constexpr int kMinLines = 20;          // lines along the edge at the least
constexpr double kMaxScatterPx = 2;    // rms scatter of the lines' edge positions at the most
constexpr double kBin = 1.0 / kEsfBinsPerPixel;

// The region's exposure-linear pixels, arranged so the edge crosses every line:
// lines x across values, line by line.
struct Lines {
  int count = 0;
  int across = 0;
  std::vector<double> v;
  const double* line(int k) const { return &v[static_cast<std::size_t>(k) * across]; }
};

// How much the mean profile across a direction changes: its range after a
// 5-pixel running mean (which keeps a step and flattens the noise).
double ProfileRange(const std::vector<L>& profile) {
  double lo = INFINITY, hi = -INFINITY;
  for (std::size_t i = 2; i + 2 < profile.size(); ++i) {
    const double m = (profile[i - 2] + profile[i - 1] + profile[i] + profile[i + 1] + profile[i + 2]) / 5;
    lo = std::min(lo, m);
    hi = std::max(hi, m);
  }
  return hi - lo;
}

// True when the edge runs along the columns: the column means then step across
// the region while the row means stay level.
bool AlongColumns(const Image& image, const Region& r) {
  std::vector<L> columns(static_cast<std::size_t>(r.width)), rows(static_cast<std::size_t>(r.height));
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) {
      const double p = image.at(r.x + x, r.y + y);
      columns[static_cast<std::size_t>(x)] += p;
      rows[static_cast<std::size_t>(y)] += p;
    }
  }
  for (L& c : columns) c /= r.height;
  for (L& c : rows) c /= r.width;
  return ProfileRange(columns) >= ProfileRange(rows);
}

struct LineFit {
  double a = 0;  // position across at line 0
  double b = 0;  // change of the position per line
  int inliers = 0;
  double scatter = 0;
};

// Least-squares line pos = a + b k through the valid positions, refitted
// without those far off it.
LineFit FitLine(const std::vector<double>& pos, const std::vector<char>& valid) {
  std::vector<char> use = valid;
  LineFit fit;
  for (int round = 0; round < 3; ++round) {
    L n = 0, sk = 0, sp = 0, skk = 0, skp = 0;
    for (std::size_t k = 0; k < pos.size(); ++k) {
      if (!use[k]) continue;
      n += 1;
      sk += k;
      sp += pos[k];
      skk += static_cast<L>(k) * k;
      skp += k * static_cast<L>(pos[k]);
    }
    const L det = n * skk - sk * sk;
    if (n < 2 || det <= 0) return LineFit{};
    fit.b = static_cast<double>((n * skp - sk * sp) / det);
    fit.a = static_cast<double>((sp - fit.b * sk) / n);
    std::vector<double> residual;
    for (std::size_t k = 0; k < pos.size(); ++k) {
      if (valid[k]) residual.push_back(std::fabs(pos[k] - (fit.a + fit.b * k)));
    }
    std::nth_element(residual.begin(), residual.begin() + residual.size() / 2, residual.end());
    const double robust_sd = 1.4826 * residual[residual.size() / 2];
    const double limit = std::max(4 * robust_sd, 1.0);
    L ss = 0;
    fit.inliers = 0;
    for (std::size_t k = 0; k < pos.size(); ++k) {
      const double e = pos[k] - (fit.a + fit.b * k);
      use[k] = valid[k] && std::fabs(e) <= limit;
      if (use[k]) {
        ++fit.inliers;
        ss += static_cast<L>(e) * e;
      }
    }
    fit.scatter = fit.inliers > 0 ? static_cast<double>(std::sqrt(ss / fit.inliers)) : INFINITY;
  }
  return fit;
}

// The edge's position along every line: the centroid of the derivative across
// it (sign-corrected so the edge rises), first around the steepest point of the
// line, then around the fitted line.
LineFit FindEdge(const Lines& lines, double sign) {
  const int n = lines.count;
  const int c = lines.across;
  std::vector<double> pos(static_cast<std::size_t>(n));
  std::vector<char> valid(static_cast<std::size_t>(n), 1);
  std::vector<double> g(static_cast<std::size_t>(c));
  auto derivative = [&](int k) {
    const double* v = lines.line(k);
    for (int x = 1; x + 1 < c; ++x) g[static_cast<std::size_t>(x)] = sign * (v[x + 1] - v[x - 1]);
  };
  for (int k = 0; k < n; ++k) {
    derivative(k);
    double best = -INFINITY;
    for (int x = 3; x + 3 < c; ++x) {
      const double s = g[x - 2] + g[x - 1] + g[x] + g[x + 1] + g[x + 2];
      if (s > best) {
        best = s;
        pos[static_cast<std::size_t>(k)] = x;
      }
    }
  }
  LineFit fit = FitLine(pos, valid);
  for (int round = 0; round < kRefits; ++round) {
    for (int k = 0; k < n; ++k) {
      derivative(k);
      const double centre = fit.a + fit.b * k;
      const int lo = std::max(1, static_cast<int>(std::ceil(centre - kCentroidHalfWidth)));
      const int hi = std::min(c - 2, static_cast<int>(std::floor(centre + kCentroidHalfWidth)));
      L sg = 0, sxg = 0;
      for (int x = lo; x <= hi; ++x) {
        sg += g[static_cast<std::size_t>(x)];
        sxg += static_cast<L>(x) * g[static_cast<std::size_t>(x)];
      }
      const bool ok = lo < hi && sg > 0 && sxg / sg >= lo && sxg / sg <= hi;
      valid[static_cast<std::size_t>(k)] = ok;
      if (ok) pos[static_cast<std::size_t>(k)] = static_cast<double>(sxg / sg);
    }
    fit = FitLine(pos, valid);
  }
  return fit;
}

// sin(pi x) / (pi x)
L Sinc(L x) { return x == 0 ? 1 : std::sin(kPi * x) / (kPi * x); }

// The largest of 1, 2, 2.5 and 5 times a power of ten that is at most x.
double RoundStep(double x) {
  const L decade = std::pow(10.0L, std::floor(std::log10(static_cast<L>(x))));
  L step = decade;
  for (L m : {2.0L, 2.5L, 5.0L, 10.0L}) {
    if (m * decade <= x * (1 + 1e-12L)) step = m * decade;
  }
  return static_cast<double>(step);
}

}  // namespace

MtfResult MeasureMtf(const Image& image, const MtfOptions& options) {
  const Region r = RegionIn(image, options.region);
  const double pitch = PitchOf(image, options.pitch_mm);
  CheckResponse(options.response);
  const double window = kLsfWindowHalfWidthPx;
  const int needed_across = 2 * static_cast<int>(std::ceil(window + 2)) + 1;
  auto check_size = [&](int across, int along) {
    if (across < needed_across || along < kMinLines) {
      Fail(msg::kEdgeRegionTooSmall, {std::to_string(r.width), std::to_string(r.height),
                                      std::to_string(needed_across), std::to_string(kMinLines)});
    }
  };
  check_size(std::max(r.width, r.height), std::min(r.width, r.height));

  const FpScope fp;
  MtfResult result;
  result.pitch_mm = pitch;
  result.nyquist = 1 / (2 * pitch);
  EdgeLine& edge = result.edge;
  edge.along_columns = AlongColumns(image, r);
  Lines lines;
  lines.count = edge.along_columns ? r.height : r.width;
  lines.across = edge.along_columns ? r.width : r.height;
  check_size(lines.across, lines.count);
  lines.v = LinearPixels(image, r, options.response, !edge.along_columns);

  // Which way the edge rises: the mean of the first quarter across against the last.
  L first = 0, last = 0;
  const int quarter = lines.across / 4;
  for (int k = 0; k < lines.count; ++k) {
    const double* v = lines.line(k);
    for (int x = 0; x < quarter; ++x) {
      first += v[x];
      last += v[lines.across - 1 - x];
    }
  }
  const double sign = last >= first ? 1 : -1;

  const LineFit fit = FindEdge(lines, sign);
  if (fit.inliers < kMinLines || fit.inliers < 0.9 * lines.count) {
    Fail(msg::kNoEdge, {"only " + std::to_string(fit.inliers) + " of " + std::to_string(lines.count) +
                        " lines across it meet it on one straight line"});
  }
  if (!(fit.scatter <= kMaxScatterPx)) {
    Fail(msg::kNoEdge, {"the lines across it place it " + NumberText(fit.scatter, 3) +
                        " pixels off a straight line, on average"});
  }
  edge.lines = fit.inliers;
  edge.scatter_px = fit.scatter;
  const L tilt = std::atan(static_cast<L>(fit.b));
  edge.tilt_deg = static_cast<double>(tilt / kDegree);
  const char* from = edge.along_columns ? "columns" : "rows";
  if (std::fabs(edge.tilt_deg) < kMinEdgeTiltDeg || std::fabs(edge.tilt_deg) > kMaxEdgeTiltDeg) {
    Fail(msg::kEdgeAngle, {NumberText(std::fabs(edge.tilt_deg), 3), from, NumberText(kMinEdgeTiltDeg),
                           NumberText(kMaxEdgeTiltDeg)});
  }
  const double last_pos = fit.a + fit.b * (lines.count - 1);
  if (edge.along_columns) {
    edge.x0 = r.x + fit.a, edge.y0 = r.y, edge.x1 = r.x + last_pos, edge.y1 = r.y + lines.count - 1;
  } else {
    edge.x0 = r.x, edge.y0 = r.y + fit.a, edge.x1 = r.x + lines.count - 1, edge.y1 = r.y + last_pos;
  }

  // Room on both sides of the edge, along its normal.
  const L cos_tilt = std::cos(tilt);
  const int half_bins = static_cast<int>(std::ceil((window + 1) * kEsfBinsPerPixel));
  const double reach = (half_bins + 0.5) * kBin;  // distance from the edge that the outermost bins cover
  const double room = static_cast<double>(
      std::min({static_cast<L>(std::min(fit.a, last_pos)), static_cast<L>(lines.across - 1 - std::max(fit.a, last_pos))}) *
      cos_tilt);
  if (room < reach) Fail(msg::kEdgeNearSide, {NumberText(std::max(room, 0.0), 3), NumberText(std::ceil(reach))});

  // The oversampled ESF: bin i at distance (i - half_bins) * kBin from the edge.
  const std::size_t bins = 2 * static_cast<std::size_t>(half_bins) + 1;
  std::vector<L> sum(bins);
  std::vector<long long> count(bins);
  const L reach_across = reach / cos_tilt;
  for (int k = 0; k < lines.count; ++k) {
    const double* v = lines.line(k);
    const L centre = fit.a + static_cast<L>(fit.b) * k;
    const int lo = std::max(0, static_cast<int>(std::ceil(centre - reach_across)));
    const int hi = std::min(lines.across - 1, static_cast<int>(std::floor(centre + reach_across)));
    for (int x = lo; x <= hi; ++x) {
      const long long i = std::llround((x - centre) * cos_tilt / kBin) + half_bins;
      if (i < 0 || i >= static_cast<long long>(bins)) continue;
      sum[static_cast<std::size_t>(i)] += v[x];
      ++count[static_cast<std::size_t>(i)];
    }
  }
  result.esf.assign(bins, 0);
  std::vector<std::size_t> filled;
  for (std::size_t i = 0; i < bins; ++i) {
    if (count[i] > 0) {
      result.esf[i] = static_cast<double>(sum[i] / count[i]);
      filled.push_back(i);
    }
  }
  // An empty bin takes the straight line between its filled neighbours (the
  // nearest value at the ends); more than two empty in a row mean the tilt does
  // not sweep the pixels across the whole grid.
  const std::size_t max_gap = 2;
  if (filled.empty() || filled.front() > max_gap || bins - 1 - filled.back() > max_gap) {
    Fail(msg::kEdgeTooShort, {std::to_string(lines.count)});
  }
  for (std::size_t i = 0; i < filled.front(); ++i) result.esf[i] = result.esf[filled.front()];
  for (std::size_t i = filled.back() + 1; i < bins; ++i) result.esf[i] = result.esf[filled.back()];
  for (std::size_t j = 0; j + 1 < filled.size(); ++j) {
    const std::size_t lo = filled[j];
    const std::size_t hi = filled[j + 1];
    if (hi - lo - 1 > max_gap) Fail(msg::kEdgeTooShort, {std::to_string(lines.count)});
    for (std::size_t i = lo + 1; i < hi; ++i) {
      result.esf[i] = result.esf[lo] + (result.esf[hi] - result.esf[lo]) * static_cast<double>(i - lo) / (hi - lo);
    }
  }

  // A step, not a line or a bump: the two sides differ by most of the profile's range.
  const auto [esf_min, esf_max] = std::minmax_element(result.esf.begin(), result.esf.end());
  const double step = sign * (result.esf.back() - result.esf.front());
  if (!(step > 0.5 * (*esf_max - *esf_min))) {
    Fail(msg::kNoEdge, {"the profile across it is not a step from one level to another"});
  }
  if (sign < 0) {
    for (double& e : result.esf) e = -e;
  }

  // The windowed LSF.
  result.lsf.assign(bins, 0);
  for (std::size_t i = 1; i + 1 < bins; ++i) {
    const L d = (static_cast<L>(i) - half_bins) * kBin;
    if (std::fabs(d) >= window) continue;
    const L hann = 0.5L * (1 + std::cos(kPi * d / window));
    result.lsf[i] = static_cast<double>((result.esf[i + 1] - result.esf[i - 1]) / (2 * kBin) * hann);
  }

  // Its Fourier transform at round frequencies up to a little beyond Nyquist.
  const double step_mm = RoundStep(result.nyquist / 50);
  const int last_row = static_cast<int>(std::ceil(kMtfBeyondNyquist * result.nyquist / step_mm - 1e-9));
  L zero = 0;
  for (double l : result.lsf) zero += l;
  for (int row = 0; row <= last_row; ++row) {
    const L f_mm = row * static_cast<L>(step_mm);
    const L f = f_mm * pitch;  // cycles per pixel
    std::complex<L> sum_f = 0;
    for (std::size_t i = 0; i < bins; ++i) {
      if (result.lsf[i] == 0) continue;
      const L phase = -2 * kPi * f * (static_cast<L>(i) - half_bins) * kBin;
      sum_f += std::polar(static_cast<L>(result.lsf[i]), phase);
    }
    const L response = Sinc(2 * f * kBin) * Sinc(f * kBin);
    result.frequency.push_back(static_cast<double>(f_mm));
    result.mtf.push_back(row == 0 ? 1.0 : static_cast<double>(std::abs(sum_f) / std::fabs(zero) / response));
  }
  fp.Check("MTF");
  return result;
}

}  // namespace xray::measure
