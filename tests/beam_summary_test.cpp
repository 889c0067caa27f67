// The beam summary the status bar shows and `xraycalc-cli spectrum` prints:
// the same numbers as the window's own fields, the fluence per air kerma by
// hand and against the values IEC 62220-1-1 gives for its standard beams.
#include "form/beam_summary.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "form/headless_window.h"
#include "numeric/number_text.h"

namespace {

using namespace xray;

// A window after "Spectl" for these field texts.
struct SpectlRun {
  HeadlessWindow window;
  SpectlRun(std::string_view kv, std::string_view added, std::string_view mR = "0.95") {
    window.Create();
    window.SetField(Field::EditkV, kv);
    window.SetField(Field::EditAdd, added);
    window.SetField(Field::EditmR, mR);
    window.Click(Button::ButtonSpectl);
  }
  BeamSummary Summary() { return SummarizeBeam(window.form().context()); }
};

struct Beam {
  const char* kv;
  const char* added;
  const char* mR;
};

class BeamSummaryOfARun : public ::testing::TestWithParam<Beam> {};

TEST_P(BeamSummaryOfARun, AgreesWithTheWindowAndTheBeamQuality) {
  SpectlRun run(GetParam().kv, GetParam().added, GetParam().mR);
  ASSERT_TRUE(run.window.ErrorBoxes().empty());
  const BeamSummary s = run.Summary();
  // The very double "Added" wrote into EditPhtn.
  EXPECT_EQ(FloatToText(s.fluence_per_mm2), run.window.FieldText(Field::EditPhtn));
  const BeamQuality q = MeasureAddedBeamQuality(run.window.form().context());
  EXPECT_EQ(s.quality.hvl1_mm, q.hvl1_mm);
  EXPECT_EQ(s.quality.hvl2_mm, q.hvl2_mm);
  EXPECT_EQ(s.quality.mean_energy_keV, q.mean_energy_keV);
  // 1 mR = 8.76 µGy of air kerma.
  const double mR = std::stod(GetParam().mR);
  EXPECT_DOUBLE_EQ(s.air_kerma_uGy, mR * 8.76);
  EXPECT_NEAR(s.fluence_per_air_kerma, s.fluence_per_mm2 / (mR * 8.76), 1e-12 * s.fluence_per_air_kerma);
}

INSTANTIATE_TEST_SUITE_P(Beams, BeamSummaryOfARun,
                         ::testing::Values(Beam{"70", "21", "0.95"}, Beam{"80", "19.3", "0.95"},
                                           Beam{"100", "10", "2.5"}, Beam{"149.9", "0", "0.01"},
                                           Beam{"40", "4", "100"}));

TEST(BeamSummary, FluencePerAirKermaDoesNotDependOnTheExposure) {
  // The calibration is linear in the exposure: the fluence scales, the
  // fluence per kerma stays (to the last digits of the arithmetic).
  const double at_1 = SpectlRun("90", "30", "1").Summary().fluence_per_air_kerma;
  const double at_7 = SpectlRun("90", "30", "7.3").Summary().fluence_per_air_kerma;
  EXPECT_NEAR(at_7, at_1, 1e-12 * at_1);
}

TEST(BeamSummary, StandardBeamsComeNearThePublishedFluencePerAirKerma) {
  // IEC 62220-1-1 photons/mm^2/µGy for RQA3, 5, 7 and 9. The model's tube
  // (2.5 mm Al inherent, no tube-specific tuning of the kV) gives 0.93 to
  // 0.99 of them; 10 % is the model's stated reach, not a fit.
  for (const StandardBeam& beam : kStandardBeams) {
    if (!beam.reference_fluence_per_air_kerma) continue;
    SpectlRun run(beam.kv_text, beam.added_text);
    const double ratio = run.Summary().fluence_per_air_kerma / *beam.reference_fluence_per_air_kerma;
    EXPECT_NEAR(ratio, 1, 0.1) << beam.name;
  }
}

TEST(BeamSummary, StatusLineInTheCommandLinesDigits) {
  // xraycalc-cli spectrum --kv 70 --added 21 prints Fluence 241441.685717608,
  // MeanEnergy 52.0113696928355, HVL1 6.597, HVL2 7.106.
  SpectlRun run("70", "21");
  const BeamSummary s = run.Summary();
  EXPECT_EQ(JoinStatusItems(BeamStatusItems(s, nullptr)),
            "HVL1 6.597 mm Al · HVL2 7.106 mm Al · mean 52.0113696928355 keV · 29012 photons/mm²/µGy"
            " · fluence 241441.685717608 photons/mm²");
  EXPECT_EQ(BeamStatusItems(s, ActiveStandardBeam("70", "21")).back(),
            "RQA5 reference 30174 /mm²/µGy, ratio 0.962");
  // A beam without a published reference adds nothing.
  EXPECT_EQ(BeamStatusItems(s, ActiveStandardBeam("80", "26")).size(), 5u);
}

TEST(BeamSummary, ABeamWithoutPhotonsHasNoSummary) {
  struct Case {
    const char* name;
    const char* kv;
    const char* mR;
  };
  for (const Case& c : {Case{"below 15 kV", "10", "0.95"}, Case{"no exposure", "80", "0"}}) {
    SpectlRun run(c.kv, "19.3", c.mR);
    ASSERT_TRUE(run.window.ErrorBoxes().empty()) << c.name;
    EXPECT_EQ(test::ErrorOf([&] { run.Summary(); }), msg::kNoPhotons) << c.name;
  }
  SpectlRun negative("80", "19.3", "-1");
  EXPECT_EQ(test::ErrorOf([&] { negative.Summary(); }), msg::kNegativePhotons);
}

TEST(StandardBeams, ActiveWhileTheFieldsHoldTheirNumbers) {
  struct Case {
    const char* kv;
    const char* added;
    const char* beam;  // nullptr: none
  };
  const Case cases[] = {
      {"70", "21", "RQA5"},   {"70.0", " 21 ", "RQA5"}, {"7e1", "2.1E1", "RQA5"}, {"40", "4", "RQA2"},
      {"120", "40", "RQA9"},  {"150", "45", "RQA10"},   {"70", "21.5", nullptr},  {"70", "", nullptr},
      {"abc", "21", nullptr}, {"21", "70", nullptr},
  };
  for (const Case& c : cases) {
    const StandardBeam* beam = ActiveStandardBeam(c.kv, c.added);
    EXPECT_EQ(beam ? beam->name : std::string_view("none"), c.beam ? c.beam : "none") << c.kv << " + " << c.added;
  }
  // Each is typed as the menu types it, and only RQA10 is beyond the model.
  for (const StandardBeam& beam : kStandardBeams) {
    EXPECT_EQ(ActiveStandardBeam(beam.kv_text, beam.added_text), &beam);
    EXPECT_EQ(beam.unavailable.empty(), beam.name != "RQA10");
  }
}

}  // namespace
