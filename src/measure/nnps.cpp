#include "measure/nnps.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "measure/fft.h"
#include "measure/fp_scope.h"
#include "measure/measure_error.h"

namespace xray::measure {

namespace {

using L = long double;

constexpr int kN = kNnpsSquare;
constexpr int kStep = kNnpsSquare / 2;
constexpr L kLog10E = 0.43429448190325182765L;

// The six coefficients of c0 + c1 x + c2 y + c3 x^2 + c4 x y + c5 y^2.
constexpr std::array<std::pair<int, int>, 6> kPowers = {{{0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 1}, {0, 2}}};

// Solves the n x n system a z = b in place (Gaussian elimination, partial pivoting).
template <std::size_t n>
std::array<L, n> Solve(std::array<std::array<L, n>, n> a, std::array<L, n> b) {
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < n; ++r) {
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    }
    std::swap(a[c], a[pivot]);
    std::swap(b[c], b[pivot]);
    for (std::size_t r = c + 1; r < n; ++r) {
      const L f = a[r][c] / a[c][c];
      for (std::size_t k = c; k < n; ++k) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  std::array<L, n> z{};
  for (std::size_t c = n; c-- > 0;) {
    L s = b[c];
    for (std::size_t k = c + 1; k < n; ++k) s -= a[c][k] * z[k];
    z[c] = s / a[c][c];
  }
  return z;
}

// Coordinates scaled to [-1, 1] across the region, so the fit is well conditioned.
std::vector<L> Scaled(int n) {
  std::vector<L> t(static_cast<std::size_t>(n));
  const L half = (n - 1) / 2.0L;
  for (int i = 0; i < n; ++i) t[static_cast<std::size_t>(i)] = (i - half) / half;
  return t;
}

// Subtracts from the w x h values the second-order surface that fits them best.
void RemoveQuadraticSurface(std::vector<double>& v, int w, int h) {
  const std::vector<L> xs = Scaled(w);
  const std::vector<L> ys = Scaled(h);
  // Power sums of the coordinates; the design matrix separates into x and y parts.
  std::array<L, 5> sx{}, sy{};
  for (L x : xs) for (int k = 0; k < 5; ++k) sx[k] += std::pow(x, k);
  for (L y : ys) for (int k = 0; k < 5; ++k) sy[k] += std::pow(y, k);
  std::array<std::array<L, 6>, 6> a{};
  for (std::size_t i = 0; i < 6; ++i) {
    for (std::size_t j = 0; j < 6; ++j) {
      a[i][j] = sx[kPowers[i].first + kPowers[j].first] * sy[kPowers[i].second + kPowers[j].second];
    }
  }
  // Right-hand side from row sums of v, v x and v x^2.
  std::array<L, 6> b{};
  for (int y = 0; y < h; ++y) {
    const double* row = &v[static_cast<std::size_t>(y) * w];
    L r0 = 0, r1 = 0, r2 = 0;
    for (int x = 0; x < w; ++x) {
      const L vx = row[x] * xs[static_cast<std::size_t>(x)];
      r0 += row[x];
      r1 += vx;
      r2 += vx * xs[static_cast<std::size_t>(x)];
    }
    const L yy = ys[static_cast<std::size_t>(y)];
    const std::array<L, 3> r = {r0, r1, r2};
    for (std::size_t i = 0; i < 6; ++i) b[i] += r[kPowers[i].first] * std::pow(yy, kPowers[i].second);
  }
  const std::array<L, 6> c = Solve(a, b);
  for (int y = 0; y < h; ++y) {
    const L yy = ys[static_cast<std::size_t>(y)];
    const double c0 = c[0] + c[2] * yy + c[5] * yy * yy;
    const double c1 = c[1] + c[4] * yy;
    const double c2 = c[3];
    double* row = &v[static_cast<std::size_t>(y) * w];
    for (int x = 0; x < w; ++x) {
      const double xx = xs[static_cast<std::size_t>(x)];
      row[x] -= c0 + (c1 + c2 * xx) * xx;
    }
  }
}

// Number of squares along a side of n pixels, and the first square's offset
// that centres the grid.
std::pair<int, int> Grid(int n) {
  const int count = (n - kN) / kStep + 1;
  return {count, (n - ((count - 1) * kStep + kN)) / 2};
}

}  // namespace

struct NnpsAccumulator::State {
  NnpsOptions options;
  RealFft2D fft{kN, kN};
  // Sum over squares of the scaled |DFT|^2, kN rows (v) x kN/2 + 1 columns (u).
  std::vector<double> power = std::vector<double>(static_cast<std::size_t>(kN) * (kN / 2 + 1));
  long long squares = 0;
  std::vector<double> means;
  int width = 0;
  int height = 0;
  double pitch = 0;
  std::string first_name;
};

NnpsAccumulator::NnpsAccumulator(const NnpsOptions& options) : state_(std::make_unique<State>()) {
  CheckResponse(options.response);
  state_->options = options;
}
NnpsAccumulator::~NnpsAccumulator() = default;
NnpsAccumulator::NnpsAccumulator(NnpsAccumulator&&) noexcept = default;
NnpsAccumulator& NnpsAccumulator::operator=(NnpsAccumulator&&) noexcept = default;

int NnpsAccumulator::images() const { return static_cast<int>(state_->means.size()); }

void NnpsAccumulator::Add(const Image& flat) {
  State& s = *state_;
  const NnpsOptions& o = s.options;
  if (!s.means.empty() && (flat.width != s.width || flat.height != s.height)) {
    Fail(msg::kSizesDiffer, {flat.name, std::to_string(flat.width), std::to_string(flat.height),
                             std::to_string(s.width), std::to_string(s.height)});
  }
  const double pitch = PitchOf(flat, o.pitch_mm);
  if (!s.means.empty() && std::fabs(pitch - s.pitch) > 1e-6 * s.pitch) {
    Fail(msg::kPitchesDiffer, {NumberText(pitch), flat.name, NumberText(s.pitch)});
  }
  const Region r = RegionIn(flat, o.region);
  if (r.width < kN || r.height < kN) {
    Fail(msg::kFlatRegionTooSmall, {std::to_string(r.width), std::to_string(r.height), std::to_string(kN),
                                    std::to_string(kN)});
  }

  const FpScope fp;
  const bool linear = o.response.kind == Response::Kind::kLinear;
  std::vector<double> v(static_cast<std::size_t>(r.width) * r.height);
  L sum = 0;
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) {
      const double p = flat.at(r.x + x, r.y + y) - (linear ? o.response.dark_offset : 0.0);
      v[static_cast<std::size_t>(y) * r.width + x] = p;
      sum += p;
    }
  }
  const double mean = sum / (static_cast<L>(r.width) * r.height);
  if (linear && !(mean > 0)) {
    Fail(msg::kMeanNotAboveOffset, {flat.name, NumberText(mean + o.response.dark_offset),
                                    NumberText(o.response.dark_offset)});
  }
  RemoveQuadraticSurface(v, r.width, r.height);

  // |DFT|^2 of every square, summed; scaled once at the end.
  std::vector<double> power(s.power.size());
  const auto [nx, x0] = Grid(r.width);
  const auto [ny, y0] = Grid(r.height);
  double* in = s.fft.input();
  const std::complex<double>* spectrum = s.fft.spectrum();
  for (int sy = 0; sy < ny; ++sy) {
    for (int sx = 0; sx < nx; ++sx) {
      const double* corner = &v[static_cast<std::size_t>(y0 + sy * kStep) * r.width + x0 + sx * kStep];
      for (int y = 0; y < kN; ++y) {
        const double* src = corner + static_cast<std::size_t>(y) * r.width;
        std::copy(src, src + kN, in + static_cast<std::size_t>(y) * kN);
      }
      s.fft.Execute();
      for (std::size_t k = 0; k < power.size(); ++k) power[k] += std::norm(spectrum[k]);
    }
  }
  // dx dy / (N N), and for linear data 1 / mean^2.
  const L scale = static_cast<L>(pitch) * pitch / (static_cast<L>(kN) * kN) / (linear ? static_cast<L>(mean) * mean : 1);
  for (double& p : power) p = static_cast<double>(p * scale);
  fp.Check("noise power spectrum of " + flat.name);

  for (std::size_t k = 0; k < power.size(); ++k) s.power[k] += power[k];
  s.squares += static_cast<long long>(nx) * ny;
  if (s.means.empty()) {
    s.width = flat.width;
    s.height = flat.height;
    s.pitch = pitch;
    s.first_name = flat.name;
  }
  s.means.push_back(mean);
}

NnpsResult NnpsAccumulator::Result() const {
  const State& s = *state_;
  if (s.means.empty()) Fail(msg::kNoImages);
  const FpScope fp;
  const int cols = kN / 2 + 1;
  std::array<L, kNnpsBins> bin_power{}, bin_radius{};
  std::array<long long, kNnpsBins> bin_count{};
  // Adds the point at (kx, ky) of the stored half-plane, ky taken as signed.
  auto add = [&](int kx, int ky) {
    const int v = ky <= kN / 2 ? ky : ky - kN;
    const L radius = std::sqrt(static_cast<L>(kx) * kx + static_cast<L>(v) * v);
    if (radius > kN / 2) return;
    const int bin = std::min(kNnpsBins - 1, static_cast<int>(radius * kNnpsBins / (kN / 2)));
    bin_power[bin] += s.power[static_cast<std::size_t>(ky) * cols + kx];
    bin_radius[bin] += radius;
    ++bin_count[bin];
  };
  const NnpsAxis axis = s.options.axis;
  for (int line = 1; line <= kNnpsLinesEachSide; ++line) {
    if (axis != NnpsAxis::kVertical) {
      // Lines v = +line and v = -line, every u >= 0.
      for (int kx = 0; kx < cols; ++kx) {
        add(kx, line);
        add(kx, kN - line);
      }
    }
    if (axis != NnpsAxis::kHorizontal) {
      // Lines u = +line and u = -line: the latter is the former mirrored through
      // the origin, |DFT(-u, v)| = |DFT(u, -v)| for real data, so every v of u = +line.
      for (int ky = 0; ky < kN; ++ky) add(line, ky);
    }
  }

  NnpsResult result;
  result.pitch_mm = s.pitch;
  result.response = s.options.response;
  result.axis = axis;
  result.images = static_cast<int>(s.means.size());
  result.squares = s.squares;
  result.means = s.means;
  const bool linear = s.options.response.kind == Response::Kind::kLinear;
  const L gamma_log10e = s.options.response.gamma * kLog10E;
  for (int b = 0; b < kNnpsBins; ++b) {
    if (bin_count[b] == 0) continue;
    const L nnps = bin_power[b] / bin_count[b] / s.squares;
    result.frequency.push_back(static_cast<double>(bin_radius[b] / bin_count[b] / (kN * static_cast<L>(s.pitch))));
    result.nnps.push_back(static_cast<double>(nnps));
    result.wiener.push_back(static_cast<double>(linear ? gamma_log10e * gamma_log10e * nnps : nnps));
  }
  fp.Check("noise power spectrum");
  return result;
}

NnpsResult MeasureNnps(const std::vector<Image>& flats, const NnpsOptions& options) {
  NnpsAccumulator accumulator(options);
  for (const Image& flat : flats) accumulator.Add(flat);
  return accumulator.Result();
}

}  // namespace xray::measure
