// Detector images rendered from analytic models, with their exact MTF and
// noise power spectra: the truth the measurement is checked against. Nothing
// here uses the code under test. The random numbers are this file's own
// (a Mersenne twister with Box-Muller and Hoermann's transformed rejection),
// so an image is the same bit for bit with any standard library.
#pragma once

#include <cstdint>
#include <random>

#include "measure/image.h"

namespace xray::measure::test {

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}
  double Uniform();          // in (0, 1)
  double Gaussian();         // mean 0, variance 1
  long long Poisson(double mean);

 private:
  std::mt19937_64 engine_;
  bool has_spare_ = false;
  double spare_ = 0;
};

// A straight edge blurred by a Gaussian of sigma_px and integrated over square
// pixels (fill factor 1): each pixel holds low + (high - low) times the blurred
// step averaged over its area (Gauss-Legendre, 8 x 8 points), then, with
// poisson, a Poisson number of quanta of that mean; values are whole numbers.
// The edge passes through the image centre, tilted tilt_deg from the columns
// (along_columns) or the rows, positive as the measurement reports it; the
// bright side is to the right (below) unless falling.
struct EdgeModel {
  int width = 256;
  int height = 256;
  double tilt_deg = 3;
  bool along_columns = true;
  double sigma_px = 1;
  double low = 1000;
  double high = 10000;
  bool falling = false;
  bool poisson = true;
  std::uint64_t seed = 1;
};
Image EdgeImage(const EdgeModel& model);

// The presampled MTF of that edge along its normal at f cycles/pixel: the
// Gaussian's exp(-2 pi^2 sigma^2 f^2) times the square pixel's aperture seen
// across the tilted edge, |sinc(f cos t) sinc(f sin t)| (sinc(x) = sin(pi x)/(pi x));
// for small tilts that is the familiar |sinc(f a)|.
double EdgeMtf(double f, double sigma_px, double tilt_deg);

// A flat field: mean times the background shape, plus noise.
//   kWhite     Gaussian white noise of standard deviation sigma: NNPS = sigma^2 a^2 / mean^2.
//   kPoisson   a Poisson number of quanta of the local mean: NNPS = a^2 / mean.
//   kFiltered  white noise of sigma convolved with  white_part * delta + g,  g a
//              normalised Gaussian kernel of filter_sigma_px (separable,
//              truncated at 6 sigma): NNPS = sigma^2 a^2 / mean^2 |H(f)|^2, FilterGain.
// Background: 1 + tilt (x + y) / 2 - curve (x^2 + y^2) / 2 with x, y from -1 to
// 1 across the image, times (1 + heel exp(2 x) / e^2), a term no quadratic fits.
struct FlatModel {
  enum class Noise { kWhite, kPoisson, kFiltered };
  int width = 512;
  int height = 512;
  double mean = 10000;
  Noise noise = Noise::kWhite;
  double sigma = 100;
  double filter_sigma_px = 1.5;
  double white_part = 0.5;
  double tilt = 0;
  double curve = 0;
  double heel = 0;
  std::uint64_t seed = 1;
};
Image FlatImage(const FlatModel& model);

// |H(f)|^2 of the kFiltered noise at the radial frequency f cycles/pixel.
double FilterGain(double f, const FlatModel& model);

// Values mapped through the logarithmic response value = gamma log10(value),
// rounded to whole numbers.
void ToLogResponse(Image& image, double gamma);

// Values times gain plus offset, rounded to whole numbers (a linear detector).
void ToLinearResponse(Image& image, double gain, double offset);

}  // namespace xray::measure::test
