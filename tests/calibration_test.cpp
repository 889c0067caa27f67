// The "Added" handler: relative photon numbers to photons per mm^2 for the
// exposure in mR, through the energy the photons deposit in 1 cm of air.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "form/headless_window.h"
#include "numeric/messages.h"
#include "test_support.h"

namespace {

using namespace xray;
using test::Box;
using test::NotAFloat;

struct Window {
  Window() { w.Create(); }
  HeadlessWindow w;
};

// Photons per mm^2 of a single 15 keV bin at 0.95 mR, by hand from the air
// table row at 15 keV (1.334 cm^2/g) and the air density 0.001293 g/cm^3:
// N = T / (D A 100), T the energy absorbed per cm^3, D the photon energy,
// A the fraction absorbed in 1 cm.
long double SingleBinFluence(long double exposure_mR) {
  const long double T = exposure_mR * 1e-3L * 33.97L * 1.602176569e-19L * 2.08e9L;
  const long double D = 1.602176565e-16L * 15;
  const long double A = 1 - std::exp(-1.334L * 0.001293L);
  return T / (D * A * 100);
}

TEST(Added, SingleBinIndependentOfItsPhotonNumber) {
  for (double photons : {1.0, 3.7, 1e-20, 5e10}) {
    Window win;
    SpectrumStore& s = win.w.form().store;
    s.Count = 1;
    s.AddedEnergy[0] = 15;
    s.AddedPhotons[0] = photons;
    win.w.Click(Button::ButtonAdded);
    ASSERT_TRUE(win.w.ErrorBoxes().empty());
    EXPECT_NEAR(s.AddedPhotons[0], SingleBinFluence(0.95L), 1e-12 * 2.6e4) << photons;
    EXPECT_NEAR(std::stod(win.w.FieldText(Field::EditPhtn)), 25966.3776964154, 1e-9);
    EXPECT_EQ(win.w.Points(Series::FastLineSeries6), (std::vector<Point>{{15, s.AddedPhotons[0]}}));
  }
}

TEST(Added, EmptyStore) {
  Window win;
  win.w.Click(Button::ButtonAdded);
  EXPECT_TRUE(win.w.ErrorBoxes().empty());
  EXPECT_EQ(win.w.FieldText(Field::EditPhtn), "0");
  EXPECT_TRUE(win.w.Points(Series::FastLineSeries6).empty());
  // The exposure is converted all the same.
  win.w.SetField(Field::EditmR, "");
  win.w.Click(Button::ButtonAdded);
  EXPECT_EQ(test::LastBox(win.w), Box(NotAFloat("")));
}

TEST(Added, ScalesWithTheExposure) {
  Window win;
  HeadlessWindow& w = win.w;
  w.Click(Button::ButtonSpectl);
  const auto calibrated = w.store().AddedPhotons;
  const double total = std::stod(w.FieldText(Field::EditPhtn));
  const struct {
    const char* mR;
    double factor;
  } cases[] = {{"0.95", 1}, {"1.9", 2}, {"0.475", 0.5}, {"0", 0}, {"-0.95", -1}};
  for (const auto& c : cases) {
    w.SetField(Field::EditmR, c.mR);
    w.Click(Button::ButtonAdded);  // recalibrates the calibrated store: same shape
    EXPECT_TRUE(w.ErrorBoxes().empty()) << c.mR;
    for (int j = 0; j < 131; ++j) {
      EXPECT_NEAR(w.store().AddedPhotons[j], c.factor * calibrated[j], 1e-13 * std::fabs(calibrated[j])) << c.mR;
    }
    EXPECT_NEAR(std::stod(w.FieldText(Field::EditPhtn)), c.factor * total, 1e-9 * total) << c.mR;
    if (c.factor == 0) {
      EXPECT_EQ(w.FieldText(Field::EditPhtn), "0");
    }
    // Back to the calibrated default spectrum for the next case.
    w.SetField(Field::EditmR, "0.95");
    w.Click(Button::ButtonSpectl);
  }
}

// A press from the keyboard does not clear the line: the second set of points
// interleaves with the first, the line keeping ascending energy.
TEST(Added, KeyboardPressAppendsASecondSet) {
  Window win;
  win.w.Click(Button::ButtonSpectl);
  win.w.Click(Button::ButtonAdded);
  const auto& points = win.w.Points(Series::FastLineSeries6);
  ASSERT_EQ(points.size(), 262u);
  for (std::size_t k = 0; k < points.size(); k += 2) {
    EXPECT_EQ(points[k].x, points[k + 1].x);
    EXPECT_NEAR(points[k].y, points[k + 1].y, 1e-13 * std::fabs(points[k].y));
  }
  EXPECT_TRUE(std::is_sorted(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.x < b.x; }));
}

TEST(Added, BadExposureLeavesTheWeights) {
  Window win;
  HeadlessWindow& w = win.w;
  w.Click(Button::ButtonSpectl);
  const auto calibrated = w.store().AddedPhotons;
  const auto line = w.Points(Series::FastLineSeries6);
  w.SetField(Field::EditmR, "0.95 mR");
  w.Click(Button::ButtonAdded);
  EXPECT_EQ(test::LastBox(w), Box(NotAFloat("0.95 mR")));
  EXPECT_EQ(w.FieldText(Field::EditPhtn), "249674.095168518");
  EXPECT_EQ(w.Points(Series::FastLineSeries6), line);
  for (int j = 0; j < 131; ++j) {
    // Each bin now holds its absorbed-energy weight A (P E).
    EXPECT_NE(w.store().AddedPhotons[j], calibrated[j]) << j;
  }
}

TEST(Added, LookupFailureStopsTheFirstPassAtItsBin) {
  Window win;
  HeadlessWindow& w = win.w;
  w.Click(Button::ButtonSpectl);
  const auto before = w.store().AddedPhotons;
  w.SetMemoText(Memo::MemokeVAir, "keV\tx\n10\t4.742\n15\t1.334\n20\t0.5389\n30\t0.1537\n40\t0.06833\n50\t0.04098");
  w.Click(Button::ButtonAdded);
  EXPECT_EQ(test::LastBox(w), Box(NotAFloat("")));
  const int first_failing = 70;  // 50 keV
  for (int j = 0; j < 131; ++j) {
    if (j < first_failing) {
      EXPECT_NE(w.store().AddedPhotons[j], before[j]) << j;
    } else {
      EXPECT_EQ(w.store().AddedPhotons[j], before[j]) << j;
    }
  }
}

TEST(Added, NoPhotonsIsAnInvalidOperation) {
  Window win;
  SpectrumStore& s = win.w.form().store;
  s.Count = 3;
  for (int j = 0; j < 3; ++j) s.AddedEnergy[j] = 20 + j;
  win.w.Click(Button::ButtonAdded);
  EXPECT_EQ(win.w.ErrorBoxes(), std::vector<std::string>{Box(msg::kInvalidOperation)});
  EXPECT_TRUE(win.w.Points(Series::FastLineSeries6).empty());
  EXPECT_EQ(win.w.FieldText(Field::EditPhtn), "");
}

// An error inside the nested press ends "Spectl" too and is shown once; the
// report never reaches the clipboard.
TEST(Added, ErrorInsideSpectlIsShownOnce) {
  Window win;
  win.w.SetField(Field::EditmR, "abc");
  win.w.Click(Button::ButtonSpectl);
  EXPECT_EQ(win.w.ErrorBoxes(), std::vector<std::string>{Box(NotAFloat("abc"))});
  EXPECT_EQ(test::ClipboardRows(*win.w.Clipboard()).size(), 1u) << "still the last electron-step listing";
  EXPECT_EQ(win.w.Points(Series::Series1).size(), 131u);
}

}  // namespace
