// The noise power spectrum against flat fields of known spectra: white noise
// (NNPS = sigma^2 a^2 / mean^2), Poisson quanta (a^2 / mean), filtered noise
// (times |H(f)|^2), on level, tilted and curved backgrounds.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "image_generator.h"
#include "measure/nnps.h"
#include "measure_test_support.h"

namespace xray::measure::test {
namespace {

constexpr double kPitch = 0.1;  // mm
constexpr double kLog10E = 0.43429448190325182765;

NnpsOptions Options(NnpsAxis axis = NnpsAxis::kBoth) {
  NnpsOptions o;
  o.pitch_mm = kPitch;
  o.axis = axis;
  return o;
}

FlatModel Flat(FlatModel::Noise noise, int size = 768, std::uint64_t seed = 1) {
  FlatModel s;
  s.width = s.height = size;
  s.noise = noise;
  s.seed = seed;
  return s;
}

double MeanOf(const Image& image) {
  return std::accumulate(image.pixels.begin(), image.pixels.end(), 0.0) / static_cast<double>(image.pixels.size());
}

double Average(const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / v.size(); }

TEST(Nnps, WhiteNoiseAndPoissonQuantaAreFlatAtTheirKnownLevel) {
  struct Case {
    std::string what;
    FlatModel model;
    double truth;  // mm^2
  };
  FlatModel white = Flat(FlatModel::Noise::kWhite);
  FlatModel quanta = Flat(FlatModel::Noise::kPoisson);
  quanta.mean = 10000;
  for (const Case& c : {Case{"white", white, white.sigma * white.sigma * kPitch * kPitch / (white.mean * white.mean)},
                        Case{"Poisson", quanta, kPitch * kPitch / quanta.mean}}) {
    const NnpsResult r = MeasureNnps({FlatImage(c.model)}, Options());
    ASSERT_EQ(r.frequency.size(), static_cast<std::size_t>(kNnpsBins)) << c.what;
    EXPECT_EQ(r.squares, 25) << c.what;  // 5 x 5 squares of 256 at steps of 128 in 768
    EXPECT_NEAR(Average(r.nnps), c.truth, 0.05 * c.truth) << c.what;
    for (std::size_t i = 0; i < r.nnps.size(); ++i) {
      EXPECT_NEAR(r.nnps[i], c.truth, 0.15 * c.truth) << c.what << " at " << r.frequency[i];
    }
    // Frequencies: inside (0, Nyquist], ascending, about Nyquist/32 apart.
    const double nyquist = 1 / (2 * kPitch);
    EXPECT_GT(r.frequency.front(), 0);
    EXPECT_LE(r.frequency.back(), nyquist);
    EXPECT_GT(r.frequency.back(), 0.95 * nyquist);
    for (std::size_t i = 1; i < r.frequency.size(); ++i) {
      EXPECT_NEAR(r.frequency[i] - r.frequency[i - 1], nyquist / kNnpsBins, 0.3 * nyquist / kNnpsBins);
    }
  }
}

TEST(Nnps, FilteredNoiseFollowsTheFilterWithin10Percent) {
  const FlatModel model = Flat(FlatModel::Noise::kFiltered, 1024);
  const Image image = FlatImage(model);
  const NnpsResult r = MeasureNnps({image}, Options());
  const double mean = MeanOf(image);
  const double nyquist = 1 / (2 * kPitch);
  int checked = 0;
  for (std::size_t i = 0; i < r.frequency.size(); ++i) {
    const double f = r.frequency[i];
    if (f < 0.05 * nyquist || f > 0.9 * nyquist) continue;
    const double truth = model.sigma * model.sigma * kPitch * kPitch / (mean * mean) * FilterGain(f * kPitch, model);
    EXPECT_NEAR(r.nnps[i], truth, 0.10 * truth) << "at " << f << " c/mm";
    ++checked;
  }
  EXPECT_GE(checked, 25);
}

// The background is removed before the spectrum is taken: a tilt of 20 % and a
// curvature of 10 % across the image, with a small part no quadratic fits (an
// exponential heel of 0.2 %), add less than 10 % at low frequencies to the
// spectrum of the very same noise on a level background.
TEST(Nnps, TiltedAndCurvedBackgroundAddsNoExcessAtLowFrequencies) {
  const FlatModel level = Flat(FlatModel::Noise::kWhite, 768, 9);
  FlatModel shaded = level;
  shaded.tilt = 0.2;
  shaded.curve = 0.1;
  shaded.heel = 0.002;
  const Image a = FlatImage(level);
  const Image b = FlatImage(shaded);
  const NnpsResult flat = MeasureNnps({a}, Options());
  const NnpsResult shaped = MeasureNnps({b}, Options());
  // Same noise, other mean: compare NPS = NNPS mean^2.
  const double ma = MeanOf(a), mb = MeanOf(b);
  const double nyquist = 1 / (2 * kPitch);
  for (std::size_t i = 0; i < flat.frequency.size() && flat.frequency[i] < 0.25 * nyquist; ++i) {
    const double ratio = shaped.nnps[i] * mb * mb / (flat.nnps[i] * ma * ma);
    EXPECT_LT(ratio, 1.10) << "at " << flat.frequency[i] << " c/mm";
    EXPECT_GT(ratio, 0.90) << "at " << flat.frequency[i] << " c/mm";
  }
}

// On the DQE page's scale a linear and a logarithmic detector that see the same
// quanta give the same W(u): (gamma log10 e)^2 a^2 / q for Poisson quanta q.
TEST(Nnps, LinearAndLogarithmicDataGiveTheSameWienerSpectrum) {
  FlatModel model = Flat(FlatModel::Noise::kPoisson, 512, 4);
  model.mean = 10000;
  Image linear = FlatImage(model);
  Image logarithmic = linear;
  ToLinearResponse(linear, 4, 100);
  ToLogResponse(logarithmic, kDefaultGamma);
  NnpsOptions lin = Options(), log = Options();
  lin.response.dark_offset = 100;
  log.response.kind = Response::Kind::kLogarithmic;
  const NnpsResult a = MeasureNnps({linear}, lin);
  const NnpsResult b = MeasureNnps({logarithmic}, log);
  const double scale = kDefaultGamma * kLog10E;
  const double truth = scale * scale * kPitch * kPitch / model.mean;
  EXPECT_NEAR(Average(a.wiener), truth, 0.05 * truth);
  EXPECT_NEAR(Average(b.wiener), truth, 0.05 * truth);
  EXPECT_NEAR(a.means[0], 4 * model.mean, 0.001 * 4 * model.mean);  // above the dark offset
  // Another gamma scales the linear detector's W(u) with its square.
  lin.response.gamma = 2 * kDefaultGamma;
  EXPECT_NEAR(Average(MeasureNnps({linear}, lin).wiener), 4 * truth, 0.05 * 4 * truth);
}

// Noise correlated along the rows only (each pixel averaged with its right
// neighbour, |H(u)|^2 = cos^2(pi u)) vanishes at the horizontal Nyquist
// frequency and stays white along the columns.
TEST(Nnps, AxesAreMeasuredSeparately) {
  Image image = FlatImage(Flat(FlatModel::Noise::kWhite, 512, 6));
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x + 1 < image.width; ++x) {
      double& p = image.pixels[static_cast<std::size_t>(y) * image.width + x];
      p = (p + image.at(x + 1, y)) / 2;
    }
  }
  const NnpsResult h = MeasureNnps({image}, Options(NnpsAxis::kHorizontal));
  const NnpsResult v = MeasureNnps({image}, Options(NnpsAxis::kVertical));
  const NnpsResult both = MeasureNnps({image}, Options(NnpsAxis::kBoth));
  EXPECT_LT(h.nnps.back(), 0.05 * v.nnps.back());
  EXPECT_GT(both.nnps.back(), 2 * h.nnps.back());
  EXPECT_LT(both.nnps.back(), v.nnps.back());
  EXPECT_NEAR(v.nnps.back(), v.nnps[v.nnps.size() / 2], 0.2 * v.nnps.back());
}

// Several images average; one that does not fit is refused and leaves the
// accumulator as it was.
TEST(Nnps, ImagesAverageAndAMisfitChangesNothing) {
  const Image a = FlatImage(Flat(FlatModel::Noise::kWhite, 512, 1));
  const Image b = FlatImage(Flat(FlatModel::Noise::kWhite, 512, 2));
  NnpsAccumulator acc(Options());
  acc.Add(a);
  const NnpsResult one = acc.Result();
  EXPECT_THROW(acc.Add(FlatImage(Flat(FlatModel::Noise::kWhite, 384, 3))), MeasureError);
  EXPECT_EQ(acc.images(), 1);
  EXPECT_EQ(acc.Result().nnps, one.nnps);
  acc.Add(b);
  const NnpsResult two = acc.Result();
  const NnpsResult only_b = MeasureNnps({b}, Options());
  EXPECT_EQ(two.images, 2);
  EXPECT_EQ(two.squares, 2 * one.squares);
  for (std::size_t i = 0; i < two.nnps.size(); ++i) {
    EXPECT_NEAR(two.nnps[i], (one.nnps[i] + only_b.nnps[i]) / 2, 1e-12 * two.nnps[i]);
  }
}

TEST(Nnps, BadInputIsRefusedWithTheReason) {
  const Image flat = FlatImage(Flat(FlatModel::Noise::kWhite, 512, 1));
  Image other_pitch = flat;
  other_pitch.pitch_x_mm = other_pitch.pitch_y_mm = 0.2;
  Image with_pitch = flat;
  with_pitch.pitch_x_mm = with_pitch.pitch_y_mm = 0.1;
  struct Bad {
    std::string what;
    std::vector<Image> images;
    NnpsOptions options;
    std::string_view message;
  };
  NnpsOptions outside = Options(), small = Options(), dark = Options(), from_files;
  outside.region = Region{300, 0, 256, 256};
  small.region = Region{0, 0, 255, 512};
  dark.response.dark_offset = 20000;
  NnpsOptions bad_gamma = Options();
  bad_gamma.response.gamma = 0;
  const std::vector<Bad> cases = {
      {"no images", {}, Options(), msg::kNoImages},
      {"sizes differ", {flat, FlatImage(Flat(FlatModel::Noise::kWhite, 640, 2))}, Options(), msg::kSizesDiffer},
      {"region outside", {flat}, outside, msg::kRegionOutside},
      {"region too small", {flat}, small, msg::kFlatRegionTooSmall},
      {"mean below the dark offset", {flat}, dark, msg::kMeanNotAboveOffset},
      {"no pitch", {flat}, from_files, msg::kNoPitch},
      {"pitches differ", {with_pitch, other_pitch}, from_files, msg::kPitchesDiffer},
      {"gamma zero", {flat}, bad_gamma, msg::kBadGamma},
  };
  for (const Bad& c : cases) {
    const std::string message = MeasureErrorOf([&] { MeasureNnps(c.images, c.options); });
    EXPECT_TRUE(MatchesTemplate(message, c.message)) << c.what << ": " << message;
  }
}

}  // namespace
}  // namespace xray::measure::test
