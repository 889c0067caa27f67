// The bracket search and the two interpolations, with and without the table
// cache: every case must give the same value or fail with the same error.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "form/headless_window.h"
#include "numeric/messages.h"
#include "tables/lookup.h"
#include "test_support.h"

namespace {

using namespace xray;
using test::ErrorOf;
using test::NotAFloat;

class LookupTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { reader_.set_caching(GetParam()); }
  double Linear(Memo m, double t) { return LookupLinear(reader_, m, t); }
  double LogLog(Memo m, double t) { return LookupLogLog(reader_, m, t); }
  double UpperFirst(Memo m, double t) { return LookupLinearUpperFirst(reader_, m, t); }
  void Table(Memo m, const std::string& text) { window_.SetMemoText(m, text); }

  HeadlessWindow window_;
  TableReader reader_{window_};
};

INSTANTIATE_TEST_SUITE_P(CacheOnAndOff, LookupTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "cached" : "plain"; });

TEST_P(LookupTest, LinearOnBuiltinTables) {
  EXPECT_EQ(Linear(Memo::MemokeVC, 100), 699705);          // on a row: that row's y
  EXPECT_EQ(Linear(Memo::MemokeVC, 15), 306674.5625);      // on row 1
  EXPECT_EQ(Linear(Memo::MemoCX, 75), 0.695363992);
  EXPECT_EQ(Linear(Memo::MemoCX, 80), 1.508636363);
  EXPECT_NEAR(Linear(Memo::MemoCX, 140), (9.168560606 + 10.892) / 2, 1e-15);
  EXPECT_NEAR(Linear(Memo::MemoCX, 70.2), 0.2 * 0.126383234, 1e-15);
  EXPECT_NEAR(Linear(Memo::MemokeVC, 129.5), (782160.6623 + 785248.5) / 2, 1e-9);
}

TEST_P(LookupTest, BelowTheFirstRowExtrapolates) {
  // The first segment of MemoCX rises 0.126383234 per kV from 0 at 70 kV.
  EXPECT_NEAR(Linear(Memo::MemoCX, 69), -0.126383234, 1e-15);
  // Log-log: the power law through the 15 and 20 keV tungsten rows.
  const double slope = std::log10(65.73 / 138.9) / std::log10(20.0 / 15.0);
  EXPECT_NEAR(LogLog(Memo::MemokeVWu, 10), 138.9 * std::pow(10.0 / 15.0, slope), 1e-9);
}

TEST_P(LookupTest, LogLogFollowsThePowerLaw) {
  // On a row the value comes back through 10^log10(y): equal up to the last bit.
  EXPECT_NEAR(LogLog(Memo::MemokeVWu, 70), 10.81393538, 2e-15 * 10.81393538);
  EXPECT_NEAR(LogLog(Memo::MemokeVAir, 15), 1.334, 2e-15);  // rows ending in a space read normally
  // 69.5 keV lies below the K edge, between the 60 and 69.9 rows.
  const double below = LogLog(Memo::MemokeVWu, 69.5);
  EXPECT_GT(below, 2.371164264);
  EXPECT_LT(below, 3.713);
  const double expected = 3.713 * std::pow(69.5 / 60, std::log10(2.371164264 / 3.713) / std::log10(69.9 / 60));
  EXPECT_NEAR(below, expected, 1e-12);
}

TEST_P(LookupTest, AtOrBeyondTheLastRowReadsTheEmptyLine) {
  const std::string empty = NotAFloat("");
  EXPECT_EQ(ErrorOf([&] { LogLog(Memo::MemokeVWu, 150); }), empty);
  EXPECT_EQ(ErrorOf([&] { LogLog(Memo::MemokeVWu, 151); }), empty);
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoCX, 150); }), empty);
  EXPECT_EQ(ErrorOf([&] { UpperFirst(Memo::MemoMTF, 3.65); }), empty);
  // x <= NaN is false, so the scan stops at row 2; comparing with a NaN is an
  // invalid operation.
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoCX, NAN); }), msg::kInvalidOperation);
}

TEST_P(LookupTest, OnlyRowsTheScanReachesAreConverted) {
  Table(Memo::MemoCX, "c\n1\t10\n2\t20\n3\t30\nbad\t40\n5\t50");
  EXPECT_EQ(Linear(Memo::MemoCX, 2.5), 25);
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoCX, 3); }), NotAFloat("bad"));
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoCX, 4); }), NotAFloat("bad"));
  EXPECT_EQ(Linear(Memo::MemoCX, 1.5), 15) << "a failure further down does not spoil rows above it";
  // An empty line inside the table ends it.
  Table(Memo::MemoCX, "c\n1\t10\n2\t20\n\n3\t30");
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoCX, 2.5); }), NotAFloat(""));
}

TEST_P(LookupTest, RowsOneAndTwoAreAlwaysRead) {
  Table(Memo::MemoCX, "c\n1\tbad\n2\t20\n3\t30");
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoCX, 2.5); }), NotAFloat("bad"));
  Table(Memo::MemoCX, "c\n1\t10\nbad\t20\n3\t30");
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoCX, 0); }), NotAFloat("bad"));
}

// The MTF lookup reads row 2 first and row 1 only when it is the lower row.
TEST_P(LookupTest, UpperFirstReadsRowOneLast) {
  Table(Memo::MemoMTF, "c\nbad1\t1\n1\t0.9\n2\t0.8\n3\t0.7");
  EXPECT_NEAR(UpperFirst(Memo::MemoMTF, 1.5), 0.85, 1e-15);
  EXPECT_EQ(ErrorOf([&] { UpperFirst(Memo::MemoMTF, 0.5); }), NotAFloat("bad1"));
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoMTF, 1.5); }), NotAFloat("bad1")) << "the plain lookup reads row 1 first";
  Table(Memo::MemoMTF, "c\nbad1\t1\nbad2\t0.9\n2\t0.8");
  EXPECT_EQ(ErrorOf([&] { UpperFirst(Memo::MemoMTF, 0.5); }), NotAFloat("bad2"));
  // A NaN target: the comparison that ends the scan is an invalid operation,
  // raised before row 1 is read, whether or not row 1 failed before.
  Table(Memo::MemoMTF, "c\nbad\t1\n2\t2");
  EXPECT_EQ(ErrorOf([&] { UpperFirst(Memo::MemoMTF, 1); }), NotAFloat("bad"));
  EXPECT_EQ(ErrorOf([&] { UpperFirst(Memo::MemoMTF, NAN); }), msg::kInvalidOperation);
  // ... and that fault is not taken for row 1's own error.
  Table(Memo::MemoMTF, "c\n0\t1\n1\t0.5\n2\t0.25");
  EXPECT_EQ(ErrorOf([&] { UpperFirst(Memo::MemoMTF, NAN); }), msg::kInvalidOperation);
  EXPECT_EQ(UpperFirst(Memo::MemoMTF, 0.5), 0.75);
  Table(Memo::MemoCX, "c\n1\t2\n10\t20\n100\t200");
  EXPECT_EQ(ErrorOf([&] { LogLog(Memo::MemoCX, NAN); }), msg::kInvalidOperation);
  EXPECT_NEAR(LogLog(Memo::MemoCX, 50), 100, 1e-12);
  EXPECT_EQ(UpperFirst(Memo::MemoMTF, 1), 0.5);
  EXPECT_EQ(UpperFirst(Memo::MemoMTF, -1), 1.5) << "extrapolates along the first segment";
}

TEST_P(LookupTest, LogLogFaultsOnZeroAndNegativeValues) {
  const struct {
    const char* table;
    double target;
    std::string_view message;
  } cases[] = {
      {"c\n10\t0\n20\t1\n30\t2", 15, msg::kDivideByZero},        // log10 of a zero y
      {"c\n10\t1\n20\t-1\n30\t2", 15, msg::kInvalidOperation},   // of a negative y
      {"c\n-10\t1\n20\t1\n30\t2", 15, msg::kInvalidOperation},   // of a negative x
      {"c\n10\t1\n20\t2\n30\t3", 0, msg::kDivideByZero},         // a target of zero
      {"c\n10\t1\n20\t2\n30\t3", -5, msg::kInvalidOperation},    // a negative target
      {"c\n10\t1\n20\t2\n30\t0\n40\t1", 25, msg::kDivideByZero}, // a zero the scan passes
      {"c\n-1\t0\n20\t2\n30\t3", 15, msg::kInvalidOperation},    // x is taken first
      {"c\n10\t1\n20\t2\n30\t0", 15, ""},                        // beyond the bracket: never read
  };
  for (const auto& c : cases) {
    Table(Memo::MemokeVAir, c.table);
    EXPECT_EQ(ErrorOf([&] { LogLog(Memo::MemokeVAir, c.target); }), c.message) << c.table << " at " << c.target;
  }
}

TEST_P(LookupTest, ZeroWidthFirstSegmentDividesByZero) {
  Table(Memo::MemoCX, "c\n5\t1\n5\t2\n6\t3");
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoCX, 4); }), msg::kDivideByZero);
  // The infinite quotient times a zero difference is invalid too, but the
  // division came first.
  Table(Memo::MemoCX, "c\n5\t1\n5\t1\n6\t3");
  EXPECT_EQ(ErrorOf([&] { Linear(Memo::MemoCX, 4); }), msg::kDivideByZero);
  // On the shared x the scan moves on, so no zero-width bracket arises.
  EXPECT_EQ(Linear(Memo::MemoCX, 5), 1);
}

// Rows need not ascend; the bracket is still the first row above the target.
TEST_P(LookupTest, UnorderedRowsBracketAtTheFirstRowAbove) {
  Table(Memo::MemoCX, "c\n1\t10\n5\t50\n3\t30\n7\t70\n6\t60\n9\t90");
  EXPECT_EQ(Linear(Memo::MemoCX, 4), 40);   // rows 1-2
  EXPECT_EQ(Linear(Memo::MemoCX, 5), 50);   // first x > 5 is 7 (row 4), lower row 3 (x 3)
  EXPECT_EQ(Linear(Memo::MemoCX, 6.5), 65); // first x > 6.5 is 7 (row 4), lower row 3 (x 3)
  EXPECT_EQ(Linear(Memo::MemoCX, 8), 80);   // rows 5 (6) and 6 (9)
}

TEST_P(LookupTest, AnEditTakesEffectAtTheNextLookup) {
  EXPECT_EQ(Linear(Memo::MemoCX, 80), 1.508636363);
  Table(Memo::MemoCX, "keV\t%c\n70\t0\n90\t20\n150\t80");
  EXPECT_EQ(Linear(Memo::MemoCX, 80), 10);
  window_.AppendMemoLine(Memo::MemoCX, "200\t90");
  EXPECT_EQ(Linear(Memo::MemoCX, 160), 82);
}

}  // namespace
