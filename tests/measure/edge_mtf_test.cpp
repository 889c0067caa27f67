// The MTF from an edge, against edges rendered from the analytic model: a
// step blurred by a Gaussian and integrated over square pixels, with Poisson
// noise of 10,000 quanta on the bright side.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "image_generator.h"
#include "measure/edge_mtf.h"
#include "measure_test_support.h"

namespace xray::measure::test {
namespace {

constexpr double kPitch = 0.1;  // mm

MtfOptions Pitch(double mm = kPitch) {
  MtfOptions o;
  o.pitch_mm = mm;
  return o;
}

// A tall region across a vertical edge (or a wide one across a horizontal edge):
// many lines along the edge keep the noise low; the width across only needs
// to hold the LSF window and the edge's drift.
EdgeModel Edge(double tilt, double sigma, bool along_columns = true) {
  EdgeModel s;
  s.tilt_deg = tilt;
  s.sigma_px = sigma;
  s.along_columns = along_columns;
  s.width = along_columns ? 160 : 512;
  s.height = along_columns ? 512 : 160;
  s.seed = static_cast<std::uint64_t>(tilt * 100 + sigma * 10);
  return s;
}

void ExpectAnalyticMtf(const MtfResult& r, double sigma, double tilt, const std::string& what) {
  ASSERT_FALSE(r.frequency.empty()) << what;
  double worst = 0;
  for (std::size_t i = 0; i < r.frequency.size() && r.frequency[i] <= r.nyquist; ++i) {
    const double truth = EdgeMtf(r.frequency[i] * r.pitch_mm, sigma, tilt);
    worst = std::max(worst, std::fabs(r.mtf[i] - truth));
    EXPECT_NEAR(r.mtf[i], truth, 0.02) << what << " at " << r.frequency[i] << " c/mm";
  }
  ::testing::Test::RecordProperty(what, std::to_string(worst));
}

struct Case {
  double tilt;
  double sigma;
};

class EdgeAccuracy : public ::testing::TestWithParam<Case> {};

TEST_P(EdgeAccuracy, MtfWithin002OfTheAnalyticCurveAndTiltWithin005Degree) {
  const Case c = GetParam();
  const MtfResult r = MeasureMtf(EdgeImage(Edge(c.tilt, c.sigma)), Pitch());
  EXPECT_TRUE(r.edge.along_columns);
  EXPECT_NEAR(r.edge.tilt_deg, c.tilt, 0.05);
  ExpectAnalyticMtf(r, c.sigma, c.tilt, "tilt " + std::to_string(c.tilt) + " sigma " + std::to_string(c.sigma));
}

INSTANTIATE_TEST_SUITE_P(TiltsAndBlurs, EdgeAccuracy,
                         ::testing::Values(Case{2, 0.5}, Case{2, 1.0}, Case{2, 1.5}, Case{3, 0.5}, Case{3, 1.0},
                                           Case{3, 1.5}, Case{5, 0.5}, Case{5, 1.0}, Case{5, 1.5}));

// The same edge turned every way: along the rows, falling instead of rising,
// tilted the other way, in a region cut out of a larger image.
TEST(EdgeMtf, OrientationSignAndRegionDoNotMatter) {
  struct Variant {
    std::string what;
    bool along_columns;
    bool falling;
    double tilt;
  };
  for (const Variant& v : {Variant{"along the rows", false, false, 3}, Variant{"falling", true, true, 3},
                           Variant{"tilted the other way", true, false, -3},
                           Variant{"along the rows, falling, other way", false, true, -4}}) {
    EdgeModel s = Edge(v.tilt, 1.0, v.along_columns);
    s.falling = v.falling;
    const MtfResult r = MeasureMtf(EdgeImage(s), Pitch());
    EXPECT_EQ(r.edge.along_columns, v.along_columns) << v.what;
    EXPECT_NEAR(r.edge.tilt_deg, v.tilt, 0.05) << v.what;
    ExpectAnalyticMtf(r, 1.0, v.tilt, v.what);
  }

  // A region around the edge of a wider image with a second, untilted edge
  // outside the region that would otherwise spoil it.
  EdgeModel s = Edge(3, 1.0);
  s.width = 320;
  Image image = EdgeImage(s);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < 40; ++x) image.pixels[static_cast<std::size_t>(y) * image.width + x] = 30000;
  }
  MtfOptions o = Pitch();
  o.region = Region{80, 0, 160, 512};
  const MtfResult r = MeasureMtf(image, o);
  EXPECT_NEAR(r.edge.tilt_deg, 3, 0.05);
  // The edge passes through the image centre, in image coordinates.
  const double mid_y = (r.edge.y0 + r.edge.y1) / 2;
  EXPECT_NEAR(r.edge.x0 + (r.edge.x1 - r.edge.x0) * (255.5 - r.edge.y0) / (r.edge.y1 - r.edge.y0), 159.5, 0.1);
  EXPECT_NEAR(mid_y, 255.5, 1e-9);
  ExpectAnalyticMtf(r, 1.0, 3, "region");
}

// A logarithmic detector (value = gamma log10 q) gives the same MTF once its
// values are made linear again with the same gamma.
TEST(EdgeMtf, LogarithmicResponseIsLinearisedWithItsGamma) {
  Image image = EdgeImage(Edge(3, 1.0));
  ToLogResponse(image, kDefaultGamma);
  MtfOptions o = Pitch();
  o.response.kind = Response::Kind::kLogarithmic;
  ExpectAnalyticMtf(MeasureMtf(image, o), 1.0, 3, "log");
}

// The table's frequencies: from 0, where the MTF is 1, at a round step up to
// a little beyond the Nyquist frequency, whatever the pitch.
TEST(EdgeMtf, FrequenciesRunFromZeroToBeyondNyquistAtARoundStep) {
  const Image image = EdgeImage(Edge(3, 1.0));
  for (const auto& [pitch, step] : std::vector<std::pair<double, double>>{{0.1, 0.1}, {0.139, 0.05}, {0.2, 0.05},
                                                                         {0.05, 0.2}, {0.075, 0.1}}) {
    const MtfResult r = MeasureMtf(image, Pitch(pitch));
    EXPECT_DOUBLE_EQ(r.nyquist, 1 / (2 * pitch));
    ASSERT_GE(r.frequency.size(), 50u) << pitch;
    EXPECT_EQ(r.frequency[0], 0);
    EXPECT_EQ(r.mtf[0], 1);
    for (std::size_t i = 1; i < r.frequency.size(); ++i) EXPECT_NEAR(r.frequency[i] - r.frequency[i - 1], step, 1e-12);
    EXPECT_GE(r.frequency.back(), 1.1 * r.nyquist) << pitch;
    EXPECT_LT(r.frequency.back(), 1.1 * r.nyquist + step) << pitch;
  }
}

// The pitch comes from the image when not given, and a missing or odd one is refused.
TEST(EdgeMtf, PitchFromTheImageOrGiven) {
  Image image = EdgeImage(Edge(3, 1.0));
  EXPECT_TRUE(MatchesTemplate(MeasureErrorOf([&] { MeasureMtf(image, {}); }), msg::kNoPitch));
  image.pitch_x_mm = image.pitch_y_mm = 0.15;
  EXPECT_DOUBLE_EQ(MeasureMtf(image, {}).pitch_mm, 0.15);
  EXPECT_DOUBLE_EQ(MeasureMtf(image, Pitch(0.2)).pitch_mm, 0.2);
  image.pitch_y_mm = 0.2;
  EXPECT_TRUE(MatchesTemplate(MeasureErrorOf([&] { MeasureMtf(image, {}); }), msg::kNonSquarePixels));
  for (double bad : {0.0, -0.1, std::nan(""), HUGE_VAL}) {
    EXPECT_TRUE(MatchesTemplate(MeasureErrorOf([&] { MeasureMtf(image, Pitch(bad)); }), msg::kBadPitch)) << bad;
  }
}

TEST(EdgeMtf, ImagesWithoutAUsableEdgeAreRefusedWithTheReason) {
  FlatModel flat;
  flat.width = 160;
  flat.height = 256;
  EdgeModel short_edge = Edge(1.2, 1.0);
  short_edge.height = 24;
  EdgeModel off_centre = Edge(3, 1.0);
  off_centre.width = 400;
  // Steep edges in a square, so that every row still crosses them.
  auto square = [](double tilt) {
    EdgeModel s = Edge(tilt, 1.0);
    s.width = s.height = 256;
    return s;
  };
  struct Bad {
    std::string what;
    Image image;
    std::optional<Region> region;
    std::string_view message;
  };
  const std::vector<Bad> cases = {
      {"flat field", FlatImage(flat), {}, msg::kNoEdge},
      {"edge at 0 degrees", EdgeImage(Edge(0, 1.0)), {}, msg::kEdgeAngle},
      {"edge at 0.5 degree", EdgeImage(Edge(0.5, 1.0)), {}, msg::kEdgeAngle},
      {"edge at 20 degrees", EdgeImage(square(20)), {}, msg::kEdgeAngle},
      {"edge at 45 degrees", EdgeImage(square(45)), {}, msg::kEdgeAngle},
      {"region outside", EdgeImage(Edge(3, 1.0)), Region{100, 0, 100, 512}, msg::kRegionOutside},
      {"empty region", EdgeImage(Edge(3, 1.0)), Region{0, 0, 0, 512}, msg::kRegionOutside},
      {"region too narrow", EdgeImage(Edge(3, 1.0)), Region{50, 0, 60, 512}, msg::kEdgeRegionTooSmall},
      {"edge near the side", EdgeImage(off_centre), Region{0, 0, 220, 512}, msg::kEdgeNearSide},
      {"edge too short for its tilt", EdgeImage(short_edge), {}, msg::kEdgeTooShort},
  };
  for (const Bad& c : cases) {
    MtfOptions o = Pitch();
    o.region = c.region;
    const std::string message = MeasureErrorOf([&] { MeasureMtf(c.image, o); });
    EXPECT_TRUE(MatchesTemplate(message, c.message)) << c.what << ": " << message;
  }
}

// A bright line (a wire, say) is not a step, though every row finds it.
TEST(EdgeMtf, ALineIsNotAnEdge) {
  EdgeModel rising = Edge(3, 1.0);
  rising.poisson = false;
  EdgeModel falling = rising;
  falling.falling = true;
  Image line = EdgeImage(rising);
  const Image back = EdgeImage(falling);
  // Shift the falling edge 4 pixels right: a bright band 4 pixels wide.
  for (int y = 0; y < line.height; ++y) {
    for (int x = 4; x < line.width; ++x) {
      double& p = line.pixels[static_cast<std::size_t>(y) * line.width + x];
      p = p + back.at(x - 4, y) - 10000;
    }
  }
  const std::string message = MeasureErrorOf([&] { MeasureMtf(line, Pitch()); });
  EXPECT_TRUE(MatchesTemplate(message, msg::kNoEdge)) << message;
}

}  // namespace
}  // namespace xray::measure::test
