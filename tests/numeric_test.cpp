// Numbers in text and floating-point faults: these decide every text the
// program shows and every error a calculation can raise.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "numeric/calc_error.h"
#include "numeric/fast_exp.h"
#include "numeric/fp_errors.h"
#include "numeric/messages.h"
#include "numeric/number_text.h"
#include "test_support.h"

namespace {

using xray::test::ErrorOf;
using xray::test::NotAFloat;

struct FormatCase {
  long double value;
  const char* text;
};

class FloatToTextTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FloatToTextTest, GeneralFormatWith15Digits) {
  EXPECT_EQ(xray::FloatToText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, FloatToTextTest,
    ::testing::Values(
        FormatCase{0.0L, "0"}, FormatCase{-0.0L, "0"}, FormatCase{1.0L, "1"}, FormatCase{-2.5L, "-2.5"},
        FormatCase{80.0L, "80"}, FormatCase{0.1, "0.1"}, FormatCase{1.0L / 3, "0.333333333333333"},
        FormatCase{2.0L / 3, "0.666666666666667"}, FormatCase{100.0L, "100"},
        FormatCase{249674.09516851803L, "249674.095168518"},
        // Fixed notation from 0.0001 up to below 1e15, judged after rounding to 15 digits.
        FormatCase{0.0001L, "0.0001"}, FormatCase{0.00012345L, "0.00012345"},
        FormatCase{0.0000999999999999999999L, "0.0001"}, FormatCase{0.0000999999999999L, "9.99999999999E-5"},
        FormatCase{1.5e-5L, "1.5E-5"}, FormatCase{3.16152085012381e-5L, "3.16152085012381E-5"},
        FormatCase{999999999999999.0L, "999999999999999"}, FormatCase{999999999999999.5L, "1E15"},
        FormatCase{1e15L, "1E15"}, FormatCase{-1.25e15L, "-1.25E15"},
        FormatCase{123456789012345678.0L, "1.23456789012346E17"}, FormatCase{1e100L, "1E100"},
        FormatCase{DBL_MAX, "1.79769313486232E308"}, FormatCase{5e-324, "4.94065645841247E-324"},
        FormatCase{0.00465587693680914L, "0.00465587693680914"}, FormatCase{12.5L, "12.5"},
        FormatCase{1e-10L, "1E-10"}, FormatCase{std::numeric_limits<long double>::infinity(), "INF"},
        FormatCase{-std::numeric_limits<long double>::infinity(), "-INF"}));

struct ParseCase {
  const char* text;
  double value;
};

class TextToFloatTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TextToFloatTest, ReadsNumbers) {
  const double v = xray::TextToFloat(GetParam().text);
  EXPECT_EQ(v, GetParam().value);
  EXPECT_EQ(std::signbit(v), std::signbit(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, TextToFloatTest,
    ::testing::Values(ParseCase{"80", 80}, ParseCase{"19.21", 19.21}, ParseCase{" 5 ", 5},
                      ParseCase{"  5  ", 5}, ParseCase{"+5", 5}, ParseCase{"-0", -0.0}, ParseCase{"-2.5", -2.5},
                      ParseCase{"1e3", 1000}, ParseCase{"1E-3", 0.001}, ParseCase{"2.5e+2", 250},
                      ParseCase{"2.", 2}, ParseCase{".5", 0.5}, ParseCase{"0.0", 0},
                      ParseCase{"4.7420000 ", 4.742}, ParseCase{"1e-400", 0},
                      ParseCase{"1e-310", 1e-310}, ParseCase{"0.104166667", 0.104166667}));

class TextToFloatRejects : public ::testing::TestWithParam<const char*> {};

TEST_P(TextToFloatRejects, NamesTheText) {
  const std::string text = GetParam();
  EXPECT_EQ(ErrorOf([&] { xray::TextToFloat(text); }), NotAFloat(text));
}

INSTANTIATE_TEST_SUITE_P(Rejected, TextToFloatRejects,
                         ::testing::Values("", " ", "\t5", "5\t", "abc", "0x10", "inf", "nan", "1,5", "1e", "e5",
                                           ".", "-", "+", "1 2", "5 e3", "5e 3", "--5", "1e+", "１"));

TEST(TextToFloat, NumberBeyondTheDoubleRangeOverflows) {
  EXPECT_EQ(ErrorOf([] { xray::TextToFloat("1e400"); }), xray::msg::kOverflow);
  EXPECT_EQ(ErrorOf([] { xray::TextToFloat("-1e400"); }), xray::msg::kOverflow);
}

TEST(TextToFloat, EmbeddedNulIsNotANumber) {
  const std::string text("5\0", 2);
  EXPECT_EQ(ErrorOf([&] { xray::TextToFloat(text); }), NotAFloat(text));
}

// Under a locale whose decimal separator is "," the built-in tables must
// still read, and numbers must still print with ".".
TEST(NumberText, IgnoresTheLocaleDecimalSeparator) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8")) {
    GTEST_SKIP() << "no de_DE locale on this machine";
  }
  ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
  EXPECT_EQ(xray::TextToFloat("138.9"), 138.9);
  EXPECT_EQ(xray::FloatToText(1.5L), "1.5");
  EXPECT_EQ(xray::FloatToText(1.5e-7L), "1.5E-7");
  EXPECT_EQ(ErrorOf([] { xray::TextToFloat("1,5"); }), NotAFloat("1,5"));
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(BoxText, AddsAPeriodUnlessTheMessageEndsAtOrBelowIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"abc", "abc."}, {"abc.", "abc."}, {"a-", "a-"}, {"a!", "a!"}, {"a/", "a/."}, {"", ""},
      {"0 による浮動小数点数除算", "0 による浮動小数点数除算."},
  };
  for (const auto& c : cases) EXPECT_EQ(xray::BoxText(c.message), c.shown) << c.message;
}

// Floating-point faults are read from the status flags, so each case computes
// at run time (volatile) what a handler's arithmetic would.
volatile double zero = 0.0;
volatile double one = 1.0;
volatile double huge = DBL_MAX;
volatile double tiny = DBL_MIN;

TEST(FloatingPointFaults, BecomeTheProgramsErrors) {
  const struct {
    const char* what;
    double (*compute)();
    std::string_view message;
  } cases[] = {
      {"x / 0", [] { return one / zero; }, xray::msg::kDivideByZero},
      {"log10(0)", [] { return std::log10(zero); }, xray::msg::kDivideByZero},
      {"0 / 0", [] { return zero / zero; }, xray::msg::kInvalidOperation},
      {"log10(-1)", [] { return std::log10(-one); }, xray::msg::kInvalidOperation},
      {"DBL_MAX * 2", [] { return huge * 2; }, xray::msg::kOverflow},
      {"extended to double", [] { return static_cast<double>(static_cast<long double>(huge) * 4); },
       xray::msg::kOverflow},
      // A division by zero yields an infinity; the invalid 0 * inf that follows
      // must not hide it.
      {"x / 0 then 0 * inf", [] { return (one / zero) * zero; }, xray::msg::kDivideByZero},
      {"overflow then inf - inf", [] { const double i = huge * 2; return i - i; }, xray::msg::kOverflow},
  };
  for (const auto& c : cases) {
    xray::fp::Clear();
    const double v = c.compute();
    EXPECT_EQ(ErrorOf([&] { xray::fp::Check(v); }), c.message) << c.what;
    EXPECT_EQ(ErrorOf([] { xray::fp::CheckFlags(); }), "") << c.what << ": the fault is reported once";
  }
}

TEST(FloatingPointFaults, UnderflowIsSilent) {
  xray::fp::Clear();
  const double v = tiny / 1e10;
  EXPECT_EQ(ErrorOf([&] { xray::fp::Check(v); }), "");
  EXPECT_GT(v, 0.0);
}

TEST(FloatingPointFaults, PendingFaultStopsTheNextConversion) {
  xray::fp::Clear();
  const double v = one / zero;
  xray::fp::Materialize(v);
  EXPECT_EQ(ErrorOf([] { xray::TextToFloat("abc"); }), xray::msg::kDivideByZero);
  EXPECT_EQ(xray::TextToFloat("2"), 2.0);
}

}  // namespace

namespace {

// The fast exponential must give exactly the double the library's e^x rounds to.
TEST(ExpRoundedToDouble, SameDoubleAsTheLibrary) {
  std::mt19937_64 rng(20261211);
  std::uniform_real_distribution<double> electron_loop(-60, 1);  // where the transmissions lie
  std::uniform_real_distribution<double> anywhere(-12000, 12000);
  std::uniform_real_distribution<double> fraction(-1, 1);
  long mismatches = 0;
  for (int k = 0; k < 400000; ++k) {
    // Arguments with bits below a double's precision, as extended products have.
    const long double x = static_cast<long double>(electron_loop(rng)) + fraction(rng) * 1e-17L;
    if (xray::ExpRoundedToDouble(x) != static_cast<double>(std::exp(x))) ++mismatches;
    const long double y = anywhere(rng);
    const double a = xray::ExpRoundedToDouble(y);
    const double b = static_cast<double>(std::exp(y));
    if (!(a == b)) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(ExpRoundedToDouble, EdgeArguments) {
  const long double inf = std::numeric_limits<long double>::infinity();
  for (long double x : {0.0L, -0.0L, 1.0L, -1.0L, 1e-30L, -1e-30L, 709.0L, 710.0L, -745.0L, -746.0L, -1e5L,
                        11000.0L, -11000.0L, 0.5L * 0.6931471805599453094L, -inf}) {
    EXPECT_EQ(xray::ExpRoundedToDouble(x), static_cast<double>(std::exp(x))) << static_cast<double>(x);
  }
  EXPECT_TRUE(std::isnan(xray::ExpRoundedToDouble(std::numeric_limits<long double>::quiet_NaN())));
  xray::fp::Clear();
}

}  // namespace
