// The "DQE(u)" handler: NEQ(u) = (gamma log10 e)^2 MTF(u)^2 / WS(u) and
// DQE(u) = NEQ(u) / q * 100 for every Wiener-spectrum frequency from line 2 on.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "form/headless_window.h"
#include "numeric/messages.h"
#include "numeric/number_text.h"
#include "test_support.h"

namespace {

using namespace xray;
using test::Box;
using test::NotAFloat;

constexpr long double kLog10E = 0.43429448190325182765L;

struct Window {
  explicit Window(const char* fluence = "100000") {
    w.Create();
    w.SetField(Field::EditPhtn, fluence);
  }
  HeadlessWindow w;
};

TEST(Dqe, BuiltinTables) {
  Window win;
  HeadlessWindow& w = win.w;
  w.Click(Button::ButtonCalDQE);
  ASSERT_TRUE(w.ErrorBoxes().empty());
  const auto& neq = w.Lines(Memo::MemoNEQ);
  const auto& dqe = w.Lines(Memo::MemoDQE);
  ASSERT_EQ(neq.size(), 32u);
  ASSERT_EQ(dqe.size(), 32u);
  EXPECT_EQ(neq[0], "cycles/mm\tNEQ(u)");
  EXPECT_EQ(dqe[0], "cycles/mm\tDQE(u)");
  EXPECT_EQ(neq[1], "0.208333333\t99249.3825275482");
  EXPECT_EQ(neq[1].substr(0, 12), "0.208333333\t") << "line 1 of the Wiener spectrum takes no part";
  ASSERT_EQ(w.Points(Series::FastLineSeries7).size(), 31u);
  ASSERT_EQ(w.Points(Series::FastLineSeries8).size(), 31u);
  EXPECT_EQ(w.Points(Series::FastLineSeries7).back().x, 3.333333333);
  // By hand: MTF between the 0.2 and 0.25 rows, WS of line 2.
  const long double u = 0.208333333L;
  const long double m = (u - 0.2L) / 0.05L * (0.975610885L - 0.981368893L) + 0.981368893L;
  const long double expected = kLog10E * kLog10E * 1023.75L * 1023.75L * m * m / 1.914447304L;
  EXPECT_NEAR(w.Points(Series::FastLineSeries7)[0].y, expected, 1e-9);
  EXPECT_NEAR(w.Points(Series::FastLineSeries8)[0].y, expected / 100000 * 100, 1e-12);
  for (std::size_t k = 1; k < neq.size(); ++k) {
    const Point p = w.Points(Series::FastLineSeries7)[k - 1];
    EXPECT_EQ(neq[k], FloatToText(p.x) + "\t" + FloatToText(p.y));
  }
}

TEST(Dqe, ScalesWithGammaSquaredAndInverseFluence) {
  Window base;
  base.w.Click(Button::ButtonCalDQE);
  Window doubled("200000");
  doubled.w.SetField(Field::EditG, "2047.5");
  doubled.w.Click(Button::ButtonCalDQE);
  for (std::size_t k = 0; k < 31; ++k) {
    const double n0 = base.w.Points(Series::FastLineSeries7)[k].y;
    const double d0 = base.w.Points(Series::FastLineSeries8)[k].y;
    EXPECT_NEAR(doubled.w.Points(Series::FastLineSeries7)[k].y, 4 * n0, 1e-13 * n0);
    EXPECT_NEAR(doubled.w.Points(Series::FastLineSeries8)[k].y, 2 * d0, 1e-13 * d0);
  }
}

TEST(Dqe, SecondPressRewritesEverything) {
  Window win;
  win.w.Click(Button::ButtonCalDQE);
  const auto neq = win.w.Lines(Memo::MemoNEQ);
  const auto points = win.w.Points(Series::FastLineSeries8);
  win.w.Click(Button::ButtonCalDQE);
  EXPECT_EQ(win.w.Lines(Memo::MemoNEQ), neq);
  EXPECT_EQ(win.w.Points(Series::FastLineSeries8), points);
}

TEST(Dqe, FieldErrorsLeaveThePreviousResults) {
  for (auto [field, text] : std::vector<std::pair<Field, const char*>>{{Field::EditG, "γ"}, {Field::EditPhtn, ""}}) {
    Window win;
    win.w.Click(Button::ButtonCalDQE);
    const auto neq = win.w.Lines(Memo::MemoNEQ);
    win.w.SetField(field, text);
    win.w.Click(Button::ButtonCalDQE);
    EXPECT_EQ(test::LastBox(win.w), Box(NotAFloat(text)));
    EXPECT_TRUE(win.w.Points(Series::FastLineSeries7).empty());
    EXPECT_TRUE(win.w.Points(Series::FastLineSeries8).empty());
    EXPECT_EQ(win.w.Lines(Memo::MemoNEQ), neq);
  }
}

// Failures inside the loop: the rows of earlier frequencies stay, nothing of
// the failing one is written.
TEST(Dqe, FailuresInsideTheLoop) {
  const struct {
    const char* name;
    const char* ws;
    const char* mtf;
    const char* fluence;
    const char* gamma;
    std::string error;
    std::size_t rows_written;
  } cases[] = {
      {"row without a tab", "c\n0.1\t1\n0.2\t1\n0.3", nullptr, "1e5", "1023.75", Box(NotAFloat("")), 1},
      {"bad W", "c\n0.1\t1\n0.2\t1\n0.3\tw", nullptr, "1e5", "1023.75", Box(NotAFloat("w")), 1},
      {"u beyond the MTF table", "c\n0.1\t1\n0.2\t1\n3.65\t1", nullptr, "1e5", "1023.75", Box(NotAFloat("")), 1},
      {"bad MTF row reached", "c\n0.1\t1\n0.2\t1\n0.3\t1", "c\n0\t1\n0.1\t0.9\n0.2\t0.8\nx\t0.7\n1\t0",
       "1e5", "1023.75", Box(NotAFloat("x")), 0},
      {"W = 0", "c\n0.1\t1\n0.2\t1\n0.3\t0", nullptr, "1e5", "1023.75", Box(msg::kDivideByZero), 1},
      {"q = 0", "c\n0.1\t1\n0.2\t1", nullptr, "0", "1023.75", Box(msg::kDivideByZero), 0},
      {"M = 0 and W = 0", "c\n0.1\t1\n0.5\t0", "c\n0\t0\n1\t0", "1e5", "1023.75", Box(msg::kInvalidOperation), 0},
      {"NEQ = 0 and q = 0", "c\n0.1\t1\n0.5\t1", "c\n0\t0\n1\t0", "0", "1023.75", Box(msg::kInvalidOperation), 0},
      {"enormous gamma", "c\n0.1\t1\n0.5\t1", nullptr, "1e5", "1e200", Box(msg::kOverflow), 0},
  };
  for (const auto& c : cases) {
    Window win(c.fluence);
    win.w.SetField(Field::EditG, c.gamma);
    win.w.SetMemoText(Memo::MemoWS, c.ws);
    if (c.mtf) win.w.SetMemoText(Memo::MemoMTF, c.mtf);
    win.w.Click(Button::ButtonCalDQE);
    EXPECT_EQ(win.w.ErrorBoxes(), std::vector<std::string>{c.error}) << c.name;
    EXPECT_EQ(win.w.Lines(Memo::MemoNEQ).size(), 1 + c.rows_written) << c.name;
    EXPECT_EQ(win.w.Lines(Memo::MemoDQE).size(), 1 + c.rows_written) << c.name;
    EXPECT_EQ(win.w.Points(Series::FastLineSeries7).size(), c.rows_written) << c.name;
    EXPECT_EQ(win.w.Points(Series::FastLineSeries8).size(), c.rows_written) << c.name;
  }
}

TEST(Dqe, ShortAndInterruptedTables) {
  const struct {
    const char* ws;
    std::size_t rows;
  } cases[] = {{"c", 0}, {"c\n0.1\t1", 0}, {"c\n0.1\t1\n0.2\t1\n\n0.3\t1\n0.4\t1", 1}, {"", 0}};
  for (const auto& c : cases) {
    Window win;
    win.w.SetMemoText(Memo::MemoWS, c.ws);
    win.w.Click(Button::ButtonCalDQE);
    EXPECT_TRUE(win.w.ErrorBoxes().empty()) << c.ws;
    EXPECT_EQ(win.w.Lines(Memo::MemoNEQ).size(), 1 + c.rows) << c.ws;
    EXPECT_EQ(win.w.Points(Series::FastLineSeries7).size(), c.rows) << c.ws;
  }
}

TEST(Dqe, MtfReadAsTheBracketSearchFinds) {
  Window win("1");
  win.w.SetField(Field::EditG, "1");
  // u = 0.5 is an MTF row: that row's value. u below line 2 of the MTF uses
  // lines 1 and 2; below line 1 it extrapolates. A negative W gives negative values.
  win.w.SetMemoText(Memo::MemoWS, "c\nunused line\n0.5\t1\n0.02\t1\n-0.05\t1\n1\t-2");
  win.w.Click(Button::ButtonCalDQE);
  ASSERT_TRUE(win.w.ErrorBoxes().empty()) << test::LastBox(win.w);
  const auto& p = win.w.Points(Series::FastLineSeries7);
  ASSERT_EQ(p.size(), 4u);
  auto mtf = [&](double neq, double w) { return std::sqrt(neq * w) / static_cast<double>(kLog10E); };
  // Points are kept in ascending u: -0.05, 0.02, 0.5, 1.
  EXPECT_NEAR(mtf(p[2].y, 1), 0.940671172, 1e-15);
  EXPECT_NEAR(mtf(p[1].y, 1), 1.001291703 + 0.4 * (0.996697254 - 1.001291703), 1e-15);
  EXPECT_NEAR(mtf(p[0].y, 1), 1.001291703 - (0.996697254 - 1.001291703), 1e-15);
  EXPECT_LT(p[3].y, 0);
  EXPECT_NEAR(mtf(p[3].y, -2), 0.835833177, 1e-15);
  // The boxes keep the order of the table.
  EXPECT_EQ(win.w.Lines(Memo::MemoNEQ)[1].substr(0, 4), "0.5\t");
}

// The MTF search reads line 2 first and line 1 only when u lies below line 2.
TEST(Dqe, MalformedFirstMtfRowIsReadOnlyWhenNeeded) {
  Window win;
  win.w.SetMemoText(Memo::MemoMTF, "c\nbroken\n0.1\t0.99\n4\t0.1");
  win.w.Click(Button::ButtonCalDQE);
  EXPECT_TRUE(win.w.ErrorBoxes().empty());
  win.w.SetMemoText(Memo::MemoWS, "c\n0.1\t1\n0.05\t1");
  win.w.Click(Button::ButtonCalDQE);
  EXPECT_EQ(win.w.ErrorBoxes(), std::vector<std::string>{Box(NotAFloat(""))});
}

}  // namespace
