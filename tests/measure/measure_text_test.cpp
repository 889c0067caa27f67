// The measured tables as text, and the whole chain: tables measured from the
// images of an ideal counting detector behind a Gaussian blur, pasted into the
// DQE page, give DQE(u) = MTF(u)^2 (in percent), as the physics says.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "form/headless_window.h"
#include "image_generator.h"
#include "measure/measure_text.h"
#include "numeric/number_text.h"

namespace xray::measure::test {
namespace {

constexpr double kPitch = 0.1;
constexpr double kQuanta = 10000;  // per pixel

struct Row {
  double x;
  double y;
};

Row Split(const std::string& line) {
  const std::size_t tab = line.find('\t');
  EXPECT_NE(tab, std::string::npos) << line;
  EXPECT_EQ(line.find('\t', tab + 1), std::string::npos) << line;
  return {TextToFloat(line.substr(0, tab)), TextToFloat(line.substr(tab + 1))};
}

MtfResult Mtf(double sigma) {
  EdgeModel edge;
  edge.width = 160;
  edge.height = 512;
  edge.sigma_px = sigma;
  MtfOptions o;
  o.pitch_mm = kPitch;
  return MeasureMtf(EdgeImage(edge), o);
}

NnpsResult PoissonNnps(int images) {
  NnpsAccumulator acc(NnpsOptions{std::nullopt, Response{}, kPitch, NnpsAxis::kHorizontal});
  for (int i = 0; i < images; ++i) {
    FlatModel flat;
    flat.noise = FlatModel::Noise::kPoisson;
    flat.mean = kQuanta;
    flat.seed = 100 + static_cast<std::uint64_t>(i);
    acc.Add(FlatImage(flat));
  }
  return acc.Result();
}

TEST(MeasureText, TablesAreACaptionAndFrequencyValueRows) {
  const MtfResult mtf = Mtf(1.0);
  const std::vector<std::string> m = MtfTableLines(mtf);
  ASSERT_EQ(m.size(), mtf.frequency.size() + 1);
  EXPECT_EQ(m[0].rfind("c/mm\tMTF (edge tilted 3", 0), 0u) << m[0];
  EXPECT_NE(m[0].find("0.1 mm pixels"), std::string::npos) << m[0];
  EXPECT_EQ(m[1], "0\t1");
  EXPECT_EQ(m[2].rfind("0.1\t0.9", 0), 0u) << m[2];  // the round frequency step, the MTF near 1
  for (std::size_t i = 1; i < m.size(); ++i) {
    const Row r = Split(m[i]);
    EXPECT_NEAR(r.x, mtf.frequency[i - 1], 1e-12);
    EXPECT_NEAR(r.y, mtf.mtf[i - 1], 1e-5 * std::fabs(mtf.mtf[i - 1]) + 1e-300);
  }

  const NnpsResult nnps = PoissonNnps(1);
  for (WienerScale scale : {WienerScale::kDqePage, WienerScale::kNnps}) {
    const std::vector<double>& values = scale == WienerScale::kDqePage ? nnps.wiener : nnps.nnps;
    const std::vector<std::string> w = WienerTableLines(nnps, scale);
    ASSERT_EQ(w.size(), nnps.frequency.size() + 2);
    EXPECT_EQ(w[0].rfind("c/mm\t", 0), 0u);
    EXPECT_NE(w[0].find("the 0 c/mm row repeats the next and is not used"), std::string::npos) << w[0];
    // The first row, which the DQE page skips, repeats the first measured point at 0.
    EXPECT_EQ(Split(w[1]).x, 0);
    EXPECT_EQ(w[1].substr(w[1].find('\t')), w[2].substr(w[2].find('\t')));
    for (std::size_t i = 2; i < w.size(); ++i) {
      const Row r = Split(w[i]);
      EXPECT_NEAR(r.x, nnps.frequency[i - 2], 1e-5 * nnps.frequency[i - 2]);
      EXPECT_NEAR(r.y, values[i - 2], 1e-5 * values[i - 2]);
    }
  }
  EXPECT_NE(WienerTableLines(nnps)[0].find("gamma 1023.75"), std::string::npos);
  EXPECT_NE(WienerTableLines(nnps, WienerScale::kNnps)[0].find("NNPS (mm^2)"), std::string::npos);
  EXPECT_EQ(JoinLines({"a", "b"}), "a\nb\n");
}

TEST(MeasureText, MeasuredTablesGiveTheIdealDetectorsDqeOnTheDqePage) {
  const double sigma = 0.5;
  const MtfResult mtf = Mtf(sigma);
  const NnpsResult nnps = PoissonNnps(2);
  HeadlessWindow window;
  window.SetMemoLines(Memo::MemoMTF, MtfTableLines(mtf));
  window.SetMemoLines(Memo::MemoWS, WienerTableLines(nnps));
  window.Create();
  // Every quantum counted: the fluence is the quanta per pixel over the pixel area.
  window.SetField(Field::EditPhtn, FloatToText(kQuanta / (kPitch * kPitch)));
  window.Click(Button::ButtonCalDQE);
  ASSERT_TRUE(window.ErrorBoxes().empty()) << window.ErrorBoxes()[0];

  const std::vector<std::string>& dqe = window.Lines(Memo::MemoDQE);
  // Every measured frequency made it through: the skipped first row was the copy at 0.
  ASSERT_EQ(dqe.size(), nnps.frequency.size() + 1);
  int checked = 0;
  for (std::size_t i = 1; i < dqe.size(); ++i) {
    const Row r = Split(dqe[i]);
    EXPECT_NEAR(r.x, nnps.frequency[i - 1], 1e-5 * r.x);
    const double truth = EdgeMtf(r.x * kPitch, sigma, 3);
    if (truth < 0.3) continue;
    EXPECT_NEAR(r.y, 100 * truth * truth, 0.15 * 100 * truth * truth) << "at " << r.x << " c/mm";
    ++checked;
  }
  EXPECT_GE(checked, 20);
}

}  // namespace
}  // namespace xray::measure::test
