// Mean energy and half-value layers against hand calculations from the built-in
// tables. The bins sit on table rows, so each coefficient is a row's value
// (cm^2/g) read off the table by eye, and the hand solution shares nothing with
// the module: a monoenergetic beam has HVL = 10 ln2 / (mu_Al rho) mm exactly,
// a mixed beam is solved by plain bisection on the continuous thickness.
#include "exposure/beam_quality.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "../test_support.h"
#include "form/headless_window.h"
#include "kerma_by_hand.h"
#include "numeric/number_text.h"

namespace {

using namespace xray;
using test::HandBin;

// Built-in table rows: (mu_en/rho) of air and mu/rho of aluminium, cm^2/g.
HandBin Row(double e_keV, double photons) {
  struct Coefficients { double e, air, al; };
  static constexpr Coefficients kRows[] = {
      {20, 0.5389, 3.441}, {30, 0.1537, 1.128}, {40, 0.06833, 0.5685},
      {60, 0.03041, 0.2778}, {80, 0.02407, 0.2018}, {100, 0.02325, 0.1704}};
  for (const auto& r : kRows) {
    if (r.e == e_keV) return {e_keV, photons, r.air, r.al};
  }
  throw std::invalid_argument("no built-in row at " + std::to_string(e_keV) + " keV in this test");
}

struct HandCase {
  const char* name;
  std::vector<HandBin> bins;
  double rho_g_cm3;
};

class BeamQualityByHand : public ::testing::TestWithParam<HandCase> {
 protected:
  HeadlessWindow window_;
};

TEST_P(BeamQualityByHand, LayersAreTheFirstGridStepsPastTheHandSolution) {
  const HandCase& c = GetParam();
  std::vector<double> energy, photons;
  double n_total = 0, ne_total = 0;
  for (const HandBin& b : c.bins) {
    energy.push_back(b.energy_keV);
    photons.push_back(b.photons);
    n_total += b.photons;
    ne_total += b.photons * b.energy_keV;
  }
  const BeamQuality q = MeasureBeamQuality(window_.form().tables, energy, photons, c.rho_g_cm3);

  EXPECT_NEAR(q.mean_energy_keV, ne_total / n_total, 1e-12 * q.mean_energy_keV);
  const double half = test::HandThickness_mm(c.bins, c.rho_g_cm3, 0.5);
  const double quarter = test::HandThickness_mm(c.bins, c.rho_g_cm3, 0.25);
  test::ExpectFirstGridStepAtOrAbove(q.hvl1_mm, half, "HVL1");
  test::ExpectFirstGridStepAtOrAbove(q.hvl1_mm + q.hvl2_mm, quarter, "HVL1 + HVL2");
  // A mixed beam hardens as it is filtered: its second layer is thicker than its first.
  if (c.bins.size() > 1) {
    EXPECT_GT(q.hvl2_mm, q.hvl1_mm);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BuiltinTables, BeamQualityByHand,
    ::testing::Values(HandCase{"mono30", {Row(30, 1)}, 2.7}, HandCase{"mono60", {Row(60, 1)}, 2.7},
                      HandCase{"mono30_half_density", {Row(30, 1)}, 1.35},
                      HandCase{"equal_20_and_60", {Row(20, 1), Row(60, 1)}, 2.7},
                      HandCase{"three_to_one_40_and_80", {Row(40, 3), Row(80, 1)}, 2.7},
                      HandCase{"fluence_20_40_100", {Row(20, 1e5), Row(40, 2e5), Row(100, 5e4)}, 2.7}),
    [](const auto& info) { return std::string(info.param.name); });

// Worked out on paper: 10 mm/cm * ln 2 / (1.128 cm^2/g * 2.7 g/cm^3) = 2.27590 mm,
// so the first grid step is 2.276 mm, and the quarter layer 4.55179 mm gives
// 4.552 - 2.276. At 60 keV, 9.24122 mm and 18.48245 mm give 9.242 and 18.483 - 9.242.
TEST(BeamQualityMono, PrintedLayersOfTwoMonoenergeticBeams) {
  HeadlessWindow window;
  const std::vector<double> one = {1};
  const double e30[] = {30}, e60[] = {60};
  const BeamQuality q30 = MeasureBeamQuality(window.form().tables, e30, one, 2.7);
  EXPECT_EQ(FloatToText(q30.hvl1_mm), "2.276");
  EXPECT_EQ(FloatToText(q30.hvl2_mm), "2.276");
  EXPECT_EQ(FloatToText(q30.mean_energy_keV), "30");
  const BeamQuality q60 = MeasureBeamQuality(window.form().tables, e60, one, 2.7);
  EXPECT_EQ(FloatToText(q60.hvl1_mm), "9.242");
  EXPECT_EQ(FloatToText(q60.hvl2_mm), "9.241");
}

struct RefusedCase {
  const char* name;
  std::vector<double> energy;
  std::vector<double> photons;
  double rho_g_cm3;
  const char* aluminium_table;  // replaces MemokeVAlu when not null
  std::string message;
};

class BeamQualityRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(BeamQualityRefused, RaisesItsError) {
  const RefusedCase& c = GetParam();
  HeadlessWindow window;
  if (c.aluminium_table) window.SetMemoText(Memo::MemokeVAlu, c.aluminium_table);
  EXPECT_EQ(test::ErrorOf([&] { MeasureBeamQuality(window.form().tables, c.energy, c.photons, c.rho_g_cm3); }),
            c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BeamQualityRefused,
    ::testing::Values(
        RefusedCase{"no_bins", {}, {}, 2.7, nullptr, std::string(msg::kNoPhotons)},
        RefusedCase{"all_bins_zero", {30, 60}, {0, 0}, 2.7, nullptr, std::string(msg::kNoPhotons)},
        RefusedCase{"negative_bin", {30, 60}, {1, -1e-9}, 2.7, nullptr, std::string(msg::kNegativePhotons)},
        // The air table ends at 200 keV: the lookup reads the empty line after it.
        RefusedCase{"past_the_air_table", {250}, {1}, 2.7, nullptr, test::NotAFloat("")},
        RefusedCase{"no_aluminium", {30}, {1}, 0, nullptr, std::string(msg::kHvlOutOfReach)},
        RefusedCase{"transparent_aluminium", {30}, {1}, 2.7, "keV\tmu\n10\t1E-12\n100\t1E-12\n",
                    std::string(msg::kHvlOutOfReach)},
        RefusedCase{"bad_aluminium_row", {30}, {1}, 2.7, "keV\tmu\n10\t1\n20\tx\n100\t1\n", test::NotAFloat("x")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BeamQualityOfTheStore, ReadsTheAluminiumDensityFieldAndTheAddedSpectrum) {
  HeadlessWindow window;
  window.Create();
  // Nothing synthesised yet: the store holds no bins.
  EXPECT_EQ(test::ErrorOf([&] { MeasureAddedBeamQuality(window.form().context()); }), std::string(msg::kNoPhotons));

  window.Click(Button::ButtonSpectl);
  ASSERT_TRUE(window.ErrorBoxes().empty());
  const BeamQuality at_2_7 = MeasureAddedBeamQuality(window.form().context());
  // Halving the density of the layers doubles the thickness they need, to the grid step.
  window.SetField(Field::EditDnsAl, "1.35");
  const BeamQuality at_1_35 = MeasureAddedBeamQuality(window.form().context());
  EXPECT_NEAR(at_1_35.hvl1_mm, 2 * at_2_7.hvl1_mm, 0.0011);
  EXPECT_EQ(at_1_35.mean_energy_keV, at_2_7.mean_energy_keV);

  window.SetField(Field::EditDnsAl, "abc");
  EXPECT_EQ(test::ErrorOf([&] { MeasureAddedBeamQuality(window.form().context()); }), test::NotAFloat("abc"));
}

TEST(BeamQualityArguments, EnergiesAndPhotonsMustPair) {
  HeadlessWindow window;
  const double energy[] = {30, 60}, photons[] = {1};
  EXPECT_THROW(MeasureBeamQuality(window.form().tables, energy, photons, 2.7), std::invalid_argument);
}

}  // namespace
