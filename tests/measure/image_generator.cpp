#include "image_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace xray::measure::test {

namespace {

constexpr double kPi = 3.14159265358979323846;

// 8-point Gauss-Legendre nodes and weights on [-1/2, 1/2] (weights sum to 1).
constexpr std::array<double, 8> kNodes = {-0.4801449282487681, -0.3983332387068134, -0.2627662049581646,
                                          -0.0916717345148920, 0.0916717345148920,  0.2627662049581646,
                                          0.3983332387068134,  0.4801449282487681};
constexpr std::array<double, 8> kWeights = {0.0506142681451881, 0.1111905172266872, 0.1568533229389436,
                                            0.1813418916891810, 0.1813418916891810, 0.1568533229389436,
                                            0.1111905172266872, 0.0506142681451881};

double Phi(double t) { return 0.5 * std::erfc(-t / std::sqrt(2.0)); }

double Sinc(double x) { return x == 0 ? 1 : std::sin(kPi * x) / (kPi * x); }

double Clamp16(double v) { return std::clamp(std::round(v), 0.0, 65535.0); }

Image Blank(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * height, 0);
  image.name = "generated";
  return image;
}

// Normalised Gaussian kernel of sigma, taps -r..r with r = ceil(6 sigma).
std::vector<double> GaussianKernel(double sigma) {
  const int r = static_cast<int>(std::ceil(6 * sigma));
  std::vector<double> k(2 * static_cast<std::size_t>(r) + 1);
  double sum = 0;
  for (int i = -r; i <= r; ++i) sum += k[static_cast<std::size_t>(i + r)] = std::exp(-0.5 * i * i / (sigma * sigma));
  for (double& v : k) v /= sum;
  return k;
}

}  // namespace

double Random::Uniform() {
  // 53 random bits, shifted off 0.
  return (static_cast<double>(engine_() >> 11) + 0.5) * 0x1.0p-53;
}

double Random::Gaussian() {
  if (has_spare_) {
    has_spare_ = false;
    return spare_;
  }
  const double r = std::sqrt(-2 * std::log(Uniform()));
  const double phi = 2 * kPi * Uniform();
  spare_ = r * std::sin(phi);
  has_spare_ = true;
  return r * std::cos(phi);
}

long long Random::Poisson(double mean) {
  if (mean <= 0) return 0;
  if (mean < 10) {
    // Multiplication of uniforms (Knuth).
    const double limit = std::exp(-mean);
    long long k = 0;
    for (double p = Uniform(); p > limit; p *= Uniform()) ++k;
    return k;
  }
  // Transformed rejection with squeeze (W. Hoermann, Insurance: Mathematics and
  // Economics 12 (1993) 39-45), exact for mean >= 10.
  const double smu = std::sqrt(mean);
  const double b = 0.931 + 2.53 * smu;
  const double a = -0.059 + 0.02483 * b;
  const double inv_alpha = 1.1239 + 1.1328 / (b - 3.4);
  const double vr = 0.9277 - 3.6224 / (b - 2);
  for (;;) {
    const double u = Uniform() - 0.5;
    const double v = Uniform();
    const double us = 0.5 - std::fabs(u);
    const long long k = static_cast<long long>(std::floor((2 * a / us + b) * u + mean + 0.43));
    if (us >= 0.07 && v <= vr) return k;
    if (k < 0 || (us < 0.013 && v > us)) continue;
    if (std::log(v) + std::log(inv_alpha) - std::log(a / (us * us) + b) <=
        -mean + k * std::log(mean) - std::lgamma(k + 1.0)) {
      return k;
    }
  }
}

Image EdgeImage(const EdgeModel& s) {
  Image image = Blank(s.width, s.height);
  Random random(s.seed);
  const double t = s.tilt_deg * kPi / 180;
  const double cx = (s.width - 1) / 2.0, cy = (s.height - 1) / 2.0;
  // Signed distance from the edge along its normal, positive on the bright side.
  // Along the columns the edge runs along (sin t, cos t); along the rows, (cos t, sin t).
  auto distance = [&](double x, double y) {
    const double d = s.along_columns ? (x - cx) * std::cos(t) - (y - cy) * std::sin(t)
                                     : (y - cy) * std::cos(t) - (x - cx) * std::sin(t);
    return s.falling ? -d : d;
  };
  const double reach = 8 * s.sigma_px + 1;
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      const double d = distance(x, y);
      double fraction = d > 0 ? 1 : 0;
      if (std::fabs(d) < reach) {
        fraction = 0;
        for (std::size_t i = 0; i < kNodes.size(); ++i) {
          for (std::size_t j = 0; j < kNodes.size(); ++j) {
            fraction += kWeights[i] * kWeights[j] * Phi(distance(x + kNodes[i], y + kNodes[j]) / s.sigma_px);
          }
        }
      }
      const double mean = s.low + (s.high - s.low) * fraction;
      image.pixels[static_cast<std::size_t>(y) * s.width + x] =
          s.poisson ? static_cast<double>(random.Poisson(mean)) : Clamp16(mean);
    }
  }
  return image;
}

double EdgeMtf(double f, double sigma_px, double tilt_deg) {
  const double t = tilt_deg * kPi / 180;
  return std::exp(-2 * kPi * kPi * sigma_px * sigma_px * f * f) *
         std::fabs(Sinc(f * std::cos(t)) * Sinc(f * std::sin(t)));
}

Image FlatImage(const FlatModel& s) {
  Image image = Blank(s.width, s.height);
  Random random(s.seed);
  std::vector<double> noise;
  if (s.noise == FlatModel::Noise::kFiltered) {
    // White noise on a border wide enough that every output pixel sees a full kernel.
    const std::vector<double> g = GaussianKernel(s.filter_sigma_px);
    const int r = static_cast<int>(g.size() / 2);
    const int w = s.width + 2 * r, h = s.height + 2 * r;
    std::vector<double> white(static_cast<std::size_t>(w) * h);
    for (double& v : white) v = s.sigma * random.Gaussian();
    std::vector<double> rows(static_cast<std::size_t>(s.width) * h);  // filtered along x
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < s.width; ++x) {
        double sum = 0;
        for (int k = -r; k <= r; ++k) sum += g[static_cast<std::size_t>(k + r)] * white[static_cast<std::size_t>(y) * w + x + r + k];
        rows[static_cast<std::size_t>(y) * s.width + x] = sum;
      }
    }
    noise.resize(static_cast<std::size_t>(s.width) * s.height);
    for (int y = 0; y < s.height; ++y) {
      for (int x = 0; x < s.width; ++x) {
        double sum = 0;
        for (int k = -r; k <= r; ++k) sum += g[static_cast<std::size_t>(k + r)] * rows[static_cast<std::size_t>(y + r + k) * s.width + x];
        noise[static_cast<std::size_t>(y) * s.width + x] =
            s.white_part * white[static_cast<std::size_t>(y + r) * w + x + r] + sum;
      }
    }
  }
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      const double u = 2.0 * x / (s.width - 1) - 1, v = 2.0 * y / (s.height - 1) - 1;
      const double shape = (1 + s.tilt * (u + v) / 2 - s.curve * (u * u + v * v) / 2) *
                           (1 + s.heel * std::exp(2 * u) / std::exp(2.0));
      const double mean = s.mean * shape;
      double value = 0;
      switch (s.noise) {
        case FlatModel::Noise::kWhite: value = mean + s.sigma * random.Gaussian(); break;
        case FlatModel::Noise::kPoisson: value = static_cast<double>(random.Poisson(mean)); break;
        case FlatModel::Noise::kFiltered: value = mean + noise[static_cast<std::size_t>(y) * s.width + x]; break;
      }
      image.pixels[static_cast<std::size_t>(y) * s.width + x] = Clamp16(value);
    }
  }
  return image;
}

double FilterGain(double f, const FlatModel& s) {
  const double h = s.white_part + std::exp(-2 * kPi * kPi * s.filter_sigma_px * s.filter_sigma_px * f * f);
  return h * h;
}

void ToLogResponse(Image& image, double gamma) {
  for (double& v : image.pixels) v = Clamp16(gamma * std::log10(std::max(v, 1.0)));
}

void ToLinearResponse(Image& image, double gain, double offset) {
  for (double& v : image.pixels) v = Clamp16(gain * v + offset);
}

}  // namespace xray::measure::test
