// Hostile inputs at the window: pastes of many megabytes, a hundred thousand
// rows, lines past the 4096-character limit, NUL and bytes that are not UTF-8,
// numbers at and beyond the double range and texts that only look like numbers.
// Each case types or pastes into a created window and presses buttons; it must
// end with exactly the error boxes given (or none) and whatever else it checks,
// and show the same state, to the bit, with the speed-ups on and off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "form/headless_window.h"
#include "form/session.h"
#include "numeric/messages.h"
#include "numeric/number_text.h"
#include "test_support.h"

namespace {

using namespace xray;
using test::Box;
using test::NotAFloat;

// ---- Large texts, built once -------------------------------------------------

constexpr int kHundredThousand = 100000;
constexpr std::size_t kTenMegabytes = 10u << 20;

// A Wiener spectrum of 100,000 rows, all below the MTF's second row (0.208333333
// cycles/mm), so that every MTF lookup stops there however long the table is.
double ManyRowsFrequency(int k) { return 0.1 + k * 1e-7; }
const std::string& HundredThousandRows() {
  static const std::string text = [] {
    std::string t = "c/mm\tWS\n";
    for (int k = 0; k < kHundredThousand; ++k) {
      t += FloatToText(ManyRowsFrequency(k));
      t += "\t2\n";
    }
    return t;
  }();
  return text;
}

// A row padded with spaces to exactly kMaxLineChars characters, then
// `beyond` more bytes of '#' that a reader of the line never sees.
std::string PaddedRow(const std::string& row, std::size_t beyond) {
  std::string line = row;
  line.resize(kMaxLineChars, ' ');
  line.append(beyond, '#');
  return line;
}

// Over 10 MB of Wiener spectrum in lines of 5,000 bytes: each reads as "0.15\t1.5".
constexpr std::size_t kLongLineBytes = 5000;
constexpr std::size_t kLongLines = kTenMegabytes / kLongLineBytes + 1;
const std::string& TenMegabytesOfLongRows() {
  static const std::string text = [] {
    const std::string line = PaddedRow("0.15\t1.5", kLongLineBytes - kMaxLineChars) + "\n";
    std::string t = "c/mm\tWS\n";
    for (std::size_t k = 0; k < kLongLines; ++k) t += line;
    return t;
  }();
  return text;
}

// An MTF of two rows over all frequencies below 10 cycles/mm, then over 10 MB
// of lines that are no numbers at all: the lookups never reach them.
constexpr const char* kTwoRowMtf = "c/mm\tMTF\n0\t1\n10\t0\n";
const std::string& TwoRowsThenTenMegabytesOfJunk() {
  static const std::string text = [] {
    std::string t = kTwoRowMtf;
    const std::string junk = std::string(99, '#') + "\n";
    while (t.size() < kTenMegabytes) t += junk;
    return t;
  }();
  return text;
}

// 5 MB of spaces on either side of the default gamma: spaces around a number
// are part of its text.
const std::string& GammaInTenMegabytesOfSpaces() {
  static const std::string text = std::string(kTenMegabytes / 2, ' ') + "1023.75" + std::string(kTenMegabytes / 2, ' ');
  return text;
}

// The rows of HundredThousandRows in descending frequency, each frequency
// twice (Wiener spectrum 2, then 3), and the same rows stable-sorted by
// frequency: the charts keep their points in that order, whatever the table's.
double DescendingFrequency(int k) { return ManyRowsFrequency(kHundredThousand / 2 - 1 - k); }
std::string WienerRows(const std::vector<std::pair<double, const char*>>& rows) {
  std::string t = "c/mm\tWS\n";
  for (const auto& [u, ws] : rows) t += FloatToText(u) + "\t" + ws + "\n";
  return t;
}
const std::string& HundredThousandRowsDescendingInPairs() {
  static const std::string text = [] {
    std::vector<std::pair<double, const char*>> rows;
    for (int k = 0; k < kHundredThousand / 2; ++k) {
      rows.emplace_back(DescendingFrequency(k), "2");
      rows.emplace_back(DescendingFrequency(k), "3");
    }
    return WienerRows(rows);
  }();
  return text;
}
const std::string& HundredThousandRowsInPairsSorted() {
  static const std::string text = [] {
    // Line 1 takes no part in DQE(u): it stays first, its pair is the last frequency.
    std::vector<std::pair<double, const char*>> rows = {{DescendingFrequency(0), "2"}};
    for (int k = kHundredThousand / 2 - 1; k >= 1; --k) {
      rows.emplace_back(DescendingFrequency(k), "2");
      rows.emplace_back(DescendingFrequency(k), "3");
    }
    rows.emplace_back(DescendingFrequency(0), "3");
    return WienerRows(rows);
  }();
  return text;
}

std::string Repeat(const std::string& s, std::size_t n) {
  std::string out;
  for (std::size_t k = 0; k < n; ++k) out += s;
  return out;
}

// ---- The cases ----------------------------------------------------------------

using Step = std::function<void(HeadlessWindow&)>;

Step Type(Field f, std::string text) {
  return [f, text = std::move(text)](HeadlessWindow& w) { w.SetField(f, text); };
}
Step Paste(Memo m, std::string text) {
  return [m, text = std::move(text)](HeadlessWindow& w) { w.SetMemoText(m, text); };
}
Step Paste(Memo m, const std::string& (*text)()) {
  return [m, text](HeadlessWindow& w) { w.SetMemoText(m, text()); };
}
Step Press(Button b) {
  return [b](HeadlessWindow& w) { w.Click(b); };
}

// A spectrum that is quick with and without the speed-ups.
constexpr const char* kLowVoltage = "20";
const Step kLowSpectrum[] = {Type(Field::EditkV, kLowVoltage), Press(Button::ButtonSpectl)};

struct HostileCase {
  std::string name;
  std::vector<Step> steps;
  std::vector<std::string> boxes;  // every error box shown, in order
  std::function<void(HeadlessWindow&)> check = nullptr;
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

// The window after FormCreate and the steps.
void Play(HeadlessWindow& w, const std::vector<Step>& steps) {
  w.Create();
  for (const Step& s : steps) s(w);
}

// Checks that a window shows what a window given `steps` shows, once `after`
// has been typed or pasted into it too (to make the inputs themselves equal).
std::function<void(HeadlessWindow&)> SameAs(std::vector<Step> steps, std::vector<Step> after) {
  return [steps = std::move(steps), after = std::move(after)](HeadlessWindow& w) {
    HeadlessWindow reference;
    Play(reference, steps);
    for (const Step& s : after) s(reference);
    test::ExpectSameState(w, reference, "against the plain inputs");
  };
}

// The NEQ row a short Wiener spectrum gives for one frequency row.
std::string NeqRowFor(const std::string& ws_row, const std::vector<Step>& before) {
  HeadlessWindow w;
  Play(w, before);
  w.SetMemoText(Memo::MemoWS, "c/mm\tWS\n0\t1\n" + ws_row);
  w.Click(Button::ButtonCalDQE);
  EXPECT_TRUE(w.ErrorBoxes().empty()) << ws_row;
  return w.Lines(Memo::MemoNEQ).at(1);
}

const Step kFluence = Type(Field::EditPhtn, "250000");

std::string WithNul(const char* before, const char* after) { return std::string(before) + '\0' + after; }

std::vector<HostileCase> Cases() {
  const std::string no_number_in_box = NotAFloat("");
  std::vector<HostileCase> cases = {
      // -- Tube voltage ("Spectl")
      {"KvBeyondTheDoubleRange", {Type(Field::EditkV, "1e400"), Press(Button::ButtonSpectl)}, {Box(msg::kOverflow)},
       [](HeadlessWindow& w) {
         EXPECT_EQ(w.store().Count, 0);
         EXPECT_FALSE(w.Clipboard().has_value());
       }},
      {"KvOf1e308", {Type(Field::EditkV, "1e308"), Press(Button::ButtonSpectl)}, {Box(msg::kStoreFull)},
       [](HeadlessWindow& w) { EXPECT_FALSE(w.Clipboard().has_value()); }},
      // No bins: an empty report, a fluence of zero.
      {"KvNegativeZero", {Type(Field::EditkV, "-0"), Press(Button::ButtonSpectl)}, {},
       [](HeadlessWindow& w) {
         EXPECT_EQ(w.store().Count, 0);
         EXPECT_EQ(w.Clipboard(), std::optional<std::string>(""));
         EXPECT_EQ(w.FieldText(Field::EditPhtn), "0");
         EXPECT_TRUE(w.Points(Series::Series1).empty());
       }},
      {"KvBetweenSpaces", {Type(Field::EditkV, "  20  "), Press(Button::ButtonSpectl)}, {},
       SameAs({kLowSpectrum[0], kLowSpectrum[1]}, {Type(Field::EditkV, "  20  ")})},
      {"KvAfterATab", {Type(Field::EditkV, "\t20"), Press(Button::ButtonSpectl)}, {Box(NotAFloat("\t20"))}},
      {"KvHexadecimal", {Type(Field::EditkV, "0x10"), Press(Button::ButtonSpectl)}, {Box(NotAFloat("0x10"))}},
      {"KvInf", {Type(Field::EditkV, "inf"), Press(Button::ButtonSpectl)}, {Box(NotAFloat("inf"))}},
      {"KvNan", {Type(Field::EditkV, "nan"), Press(Button::ButtonSpectl)}, {Box(NotAFloat("nan"))}},
      {"KvWithNul", {Type(Field::EditkV, WithNul("20", "")), Press(Button::ButtonSpectl)},
       {Box(NotAFloat(WithNul("20", "")))}},
      {"KvInvalidUtf8", {Type(Field::EditkV, "\xff\xfe" "20"), Press(Button::ButtonSpectl)},
       {Box(NotAFloat("\xff\xfe" "20"))}},
      {"KvFullWidthDigits", {Type(Field::EditkV, "\xef\xbc\x92\xef\xbc\x90"), Press(Button::ButtonSpectl)},
       {Box(NotAFloat("\xef\xbc\x92\xef\xbc\x90"))}},
      {"InherentFiltrationBeyondTheDoubleRange", {Type(Field::EditInhrnt, "1e400"), Press(Button::ButtonSpectl)},
       {Box(msg::kOverflow)}, [](HeadlessWindow& w) { EXPECT_FALSE(w.Clipboard().has_value()); }},
      // mu_Al = 7.955 cm^2/g times 1e308 g/cm^3 at the first bin of the filtration.
      {"AluminiumDensityOf1e308", {Type(Field::EditDnsAl, "1e308"), kLowSpectrum[0], kLowSpectrum[1]},
       {Box(msg::kOverflow)}, [](HeadlessWindow& w) {
         EXPECT_EQ(w.store().Count, 11) << "the bremsstrahlung loop completed";
         EXPECT_TRUE(w.Points(Series::Series1).empty());
       }},
      {"AddedFiltrationNan", {Type(Field::EditAdd, "nan"), kLowSpectrum[0], kLowSpectrum[1]}, {Box(NotAFloat("nan"))}},

      // -- Exposure ("Added", also pressed by "Spectl")
      {"ExposureBeyondTheDoubleRange", {Type(Field::EditmR, "1e400"), Press(Button::ButtonAdded)}, {Box(msg::kOverflow)}},
      // 1e308 mR is a representable absorbed energy, but not as photons per mm^2.
      {"ExposureOf1e308", {Type(Field::EditmR, "1e308"), kLowSpectrum[0], kLowSpectrum[1]}, {Box(msg::kOverflow)},
       [](HeadlessWindow& w) { EXPECT_EQ(w.FieldText(Field::EditPhtn), ""); }},
      // -0 mR: every bin gets -0 photons, the total is 0, and DQE(u) divides by it.
      {"ExposureNegativeZero",
       {Type(Field::EditmR, "-0"), kLowSpectrum[0], kLowSpectrum[1], Press(Button::ButtonCalDQE)},
       {Box(msg::kDivideByZero)}, [](HeadlessWindow& w) {
         EXPECT_EQ(w.FieldText(Field::EditPhtn), "0");
         for (const Point& p : w.Points(Series::FastLineSeries6)) EXPECT_TRUE(p.y == 0 && std::signbit(p.y));
       }},

      // -- Gamma and fluence ("DQE(u)")
      {"GammaOf1e308", {kFluence, Type(Field::EditG, "1e308"), Press(Button::ButtonCalDQE)}, {Box(msg::kOverflow)},
       [](HeadlessWindow& w) {
         EXPECT_EQ(w.Lines(Memo::MemoNEQ), std::vector<std::string>{"cycles/mm\tNEQ(u)"});
       }},
      {"GammaNan", {kFluence, Type(Field::EditG, "nan"), Press(Button::ButtonCalDQE)}, {Box(NotAFloat("nan"))},
       [](HeadlessWindow& w) { EXPECT_TRUE(w.Lines(Memo::MemoNEQ).empty()); }},
      {"GammaWithNul", {kFluence, Type(Field::EditG, WithNul("1023.75", "")), Press(Button::ButtonCalDQE)},
       {Box(NotAFloat(WithNul("1023.75", "")))}},
      {"GammaInTenMegabytesOfSpaces",
       {kFluence, [](HeadlessWindow& w) { w.SetField(Field::EditG, GammaInTenMegabytesOfSpaces()); },
        Press(Button::ButtonCalDQE)},
       {},
       SameAs({kFluence, Press(Button::ButtonCalDQE)},
              {[](HeadlessWindow& w) { w.SetField(Field::EditG, GammaInTenMegabytesOfSpaces()); }})},
      {"FluenceInf", {Type(Field::EditPhtn, "inf"), Press(Button::ButtonCalDQE)}, {Box(NotAFloat("inf"))}},
      {"FluenceHexadecimal", {Type(Field::EditPhtn, "0x10"), Press(Button::ButtonCalDQE)}, {Box(NotAFloat("0x10"))}},
      {"FluenceBetweenSpaces", {Type(Field::EditPhtn, "  250000  "), Press(Button::ButtonCalDQE)}, {},
       SameAs({kFluence, Press(Button::ButtonCalDQE)}, {Type(Field::EditPhtn, "  250000  ")})},
      {"FluenceNegativeZero", {Type(Field::EditPhtn, "-0"), Press(Button::ButtonCalDQE)}, {Box(msg::kDivideByZero)}},
      // Below the smallest subnormal: quietly 0, and then a division by it.
      {"FluenceBelowTheSmallestSubnormal", {Type(Field::EditPhtn, "1e-400"), Press(Button::ButtonCalDQE)}, {Box(msg::kDivideByZero)}},

      // -- Tables
      {"HundredThousandRowWienerSpectrum", {kFluence, Paste(Memo::MemoWS, HundredThousandRows),
                                            Press(Button::ButtonCalDQE)},
       {},
       [](HeadlessWindow& w) {
         const auto& neq = w.Lines(Memo::MemoNEQ);
         ASSERT_EQ(neq.size(), static_cast<std::size_t>(kHundredThousand)) << "a caption and every row but the first";
         EXPECT_EQ(w.Points(Series::FastLineSeries8).size(), static_cast<std::size_t>(kHundredThousand - 1));
         for (int k : {1, kHundredThousand / 2, kHundredThousand - 1}) {
           EXPECT_EQ(neq[static_cast<std::size_t>(k)], NeqRowFor(FloatToText(ManyRowsFrequency(k)) + "\t2", {kFluence}))
               << "row " << k;
         }
       }},
      // The charts sort the points in; equal frequencies keep the table's order.
      {"HundredThousandRowsDescendingWithEqualFrequencies",
       {kFluence, Paste(Memo::MemoWS, HundredThousandRowsDescendingInPairs), Press(Button::ButtonCalDQE)},
       {},
       [](HeadlessWindow& w) {
         const auto& neq = w.Lines(Memo::MemoNEQ);
         ASSERT_EQ(neq.size(), static_cast<std::size_t>(kHundredThousand));
         EXPECT_EQ(neq[1], NeqRowFor(FloatToText(DescendingFrequency(0)) + "\t3", {kFluence})) << "table order";
         HeadlessWindow sorted;
         Play(sorted, {kFluence, Paste(Memo::MemoWS, HundredThousandRowsInPairsSorted), Press(Button::ButtonCalDQE)});
         ASSERT_EQ(w.Points(Series::FastLineSeries7).size(), static_cast<std::size_t>(kHundredThousand - 1));
         EXPECT_TRUE(w.Points(Series::FastLineSeries7) == sorted.Points(Series::FastLineSeries7));
         EXPECT_TRUE(w.Points(Series::FastLineSeries8) == sorted.Points(Series::FastLineSeries8));
       }},
      // FormCreate plots a table pasted in descending energy as the built-in one.
      {"TungstenTableUpsideDown",
       {[](HeadlessWindow& w) {
          std::vector<std::string> lines = w.Lines(Memo::MemokeVWu);
          std::reverse(lines.begin() + 1, lines.end());
          w.SetMemoLines(Memo::MemokeVWu, lines);
          w.Create();
        }},
       {},
       [](HeadlessWindow& w) {
         HeadlessWindow built_in;
         built_in.Create();
         EXPECT_EQ(w.Points(Series::FastLineSeries1), built_in.Points(Series::FastLineSeries1));
       }},
      {"TenMegabytesOfRowsLongerThanALine",
       {kFluence, Paste(Memo::MemoWS, TenMegabytesOfLongRows), Press(Button::ButtonCalDQE)},
       {},
       [](HeadlessWindow& w) {
         const auto& neq = w.Lines(Memo::MemoNEQ);
         ASSERT_EQ(neq.size(), kLongLines);
         const std::string row = NeqRowFor("0.15\t1.5", {kFluence});
         for (std::size_t k = 1; k < neq.size(); ++k) ASSERT_EQ(neq[k], row) << "row " << k;
       }},
      // The 4096th character is the last one read: here it spoils the number.
      {"CharacterAtTheLineLimit",
       {kFluence, Paste(Memo::MemoWS, "c\n0\t1\n" + PaddedRow("0.15\t1.5", 0).substr(0, kMaxLineChars - 1) + "x#####"),
        Press(Button::ButtonCalDQE)},
       {Box(NotAFloat("1.5" + std::string(kMaxLineChars - 1 - 8, ' ') + "x"))}},
      // Characters, not bytes: 4096 code points of which 4091 are two-byte "é".
      {"MultiByteCharactersPastTheLineLimit",
       {kFluence, Paste(Memo::MemoWS, "c\n0\t1\n0.15\t" + Repeat("\xc3\xa9", 5000)), Press(Button::ButtonCalDQE)},
       {Box(NotAFloat(Repeat("\xc3\xa9", kMaxLineChars - 5)))}},
      // Bytes that are not UTF-8 count one character each.
      {"InvalidUtf8PastTheLineLimit",
       {kFluence, Paste(Memo::MemoWS, "c\n0\t1\n0.15\t" + std::string(5000, '\xff')), Press(Button::ButtonCalDQE)},
       {Box(NotAFloat(std::string(kMaxLineChars - 5, '\xff')))}},
      {"NulInATableRow",
       {kFluence, Paste(Memo::MemoWS, "c\n0\t1\n0.5\t" + WithNul("1.9", "")), Press(Button::ButtonCalDQE)},
       {Box(NotAFloat(WithNul("1.9", "")))},
       [](HeadlessWindow& w) { EXPECT_EQ(w.Lines(Memo::MemoNEQ).size(), 1u); }},
      // A caption is never converted, whatever bytes it holds.
      {"NulAndInvalidUtf8InACaption",
       {kFluence, Paste(Memo::MemoWS, WithNul("\xff\xfe", "c/mm\tWS") + "\n0.1\t2\n0.5\t1.9"), Press(Button::ButtonCalDQE)},
       {},
       [](HeadlessWindow& w) { EXPECT_EQ(w.Lines(Memo::MemoNEQ).at(1), NeqRowFor("0.5\t1.9", {kFluence})); }},
      {"TenMegabytesOfJunkBelowTheMtfRowsRead",
       {kFluence, Paste(Memo::MemoMTF, TwoRowsThenTenMegabytesOfJunk), Press(Button::ButtonCalDQE)},
       {},
       SameAs({kFluence, Paste(Memo::MemoMTF, kTwoRowMtf), Press(Button::ButtonCalDQE)},
              {Paste(Memo::MemoMTF, TwoRowsThenTenMegabytesOfJunk)})},
      // The tungsten lookup at 15 keV reads rows 1 and 2 and takes their logarithms.
      {"NegativeZeroInALogLogTable",
       {Paste(Memo::MemokeVWu, "keV\tW\n-0\t138.9\n20\t65.73\n30\t22.73"), kLowSpectrum[0], kLowSpectrum[1]},
       {Box(msg::kDivideByZero)}, [](HeadlessWindow& w) { EXPECT_EQ(w.store().Count, 0); }},
      // The aluminium lookup at 20 keV passes the 20 keV row and reads the next.
      {"TableValueBeyondTheDoubleRange",
       {Paste(Memo::MemokeVAlu, "keV\tAl\n15\t7.955\n20\t3.441\n30\t1e400"), kLowSpectrum[0], kLowSpectrum[1]},
       {Box(msg::kOverflow)}, [](HeadlessWindow& w) {
         EXPECT_EQ(w.store().Count, 11);
         EXPECT_TRUE(w.Points(Series::Series1).empty());
       }},
      {"InfInATable",
       {Paste(Memo::MemokeVC, "keV\tC\n0\t300000\ninf\t900000"), kLowSpectrum[0], kLowSpectrum[1]},
       {Box(NotAFloat("inf"))}},
  };
  return cases;
}

class HostileInput : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileInput, GivesItsResultOrErrorBoxWithOrWithoutSpeedups) {
  const HostileCase& c = GetParam();
  HeadlessWindow fast;
  Play(fast, c.steps);
  EXPECT_EQ(fast.ErrorBoxes(), c.boxes);
  if (c.check) c.check(fast);

  HeadlessWindow plain;
  plain.form().SetSpeedups(false);
  Play(plain, c.steps);
  test::ExpectSameState(fast, plain, c.name);
}

INSTANTIATE_TEST_SUITE_P(Window, HostileInput, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

// ---- Session steps --------------------------------------------------------------

struct BadSessionCase {
  std::string name;
  std::string json;
  std::string message;
};

void PrintTo(const BadSessionCase& c, std::ostream* os) { *os << c.name; }

class HostileSession : public ::testing::TestWithParam<BadSessionCase> {};

// Refused before anything runs, with one line; never another exception.
TEST_P(HostileSession, IsRefusedWithOneLineNamingTheProblem) {
  const BadSessionCase& c = GetParam();
  try {
    ParseSessionSteps(c.json);
    ADD_FAILURE() << "accepted";
  } catch (const SessionInputError& e) {
    EXPECT_EQ(e.what(), c.message);
  }
}

std::string Nested(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

std::string ManyKeys(std::size_t n) {
  std::string keys;
  for (std::size_t k = n; k > 0; --k) keys += "\"key" + std::to_string(k) + "\": [" + std::to_string(k) + "], ";
  return R"([{"press": "ButtonSpectl", )" + keys + R"("set": "EditkV"}])";
}

const std::string kOverflow406 = "bad JSON: [json.exception.out_of_range.406] number overflow parsing ";

INSTANTIATE_TEST_SUITE_P(
    Steps, HostileSession,
    ::testing::Values(
        BadSessionCase{"NumberBeyondTheDoubleRange", "[1e400]", kOverflow406 + "'1e400'"},
        BadSessionCase{"NumberBeyondTheDoubleRangeInAStep", R"([{"set": "EditkV", "text": "1", "x": -1e999}])",
                       kOverflow406 + "'-1e999'"},
        // Bad JSON anywhere is what is said, even after a bad step.
        BadSessionCase{"NumberBeyondTheDoubleRangeAfterABadStep", R"([{"press": 1}, 2e308])", kOverflow406 + "'2e308'"},
        BadSessionCase{"IntegerBeyondTheDoubleRange", "[" + std::string(400, '9') + "]",
                       kOverflow406 + "'" + std::string(400, '9') + "'"},
        BadSessionCase{"AMillionNestedArrays", Nested(1000000),
                       R"(step 0: a step must be an object with "set" and "text", or "press")"},
        // Of many unknown keys the one first by name is named, whatever their order.
        BadSessionCase{"ManyUnknownKeys", R"([{"press": "ButtonSpectl", "zz": 1, "aa": [1, {"b": 2}]}])",
                       R"(step 0: unknown key "aa")"},
        BadSessionCase{"AHundredThousandKeysAndBothSetAndPress", ManyKeys(100000),
                       R"(step 0: a step has exactly one of "set" or "press")"}),
    [](const ::testing::TestParamInfo<BadSessionCase>& info) { return info.param.name; });

// ---- Chart points added in any order ------------------------------------------

// The points' y in the order a series holds them; y numbers the points in the
// order they were added, so that the order shows even among equal x.
std::vector<double> Order(const std::vector<Point>& points) {
  std::vector<double> ys;
  for (const Point& p : points) ys.push_back(p.y);
  return ys;
}

// Abscissae with ties, both zeros, infinities and the extremes of the doubles.
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kAbscissae[] = {-1, -0.0, 0.0, 0.5, 1, 2, kInf, -kInf, 1e308, 5e-324};

TEST(AscendingPoints, KeepTheOrderOfAStableSortByXHoweverTheyArrive) {
  std::mt19937 random(20240611);
  for (int trial = 0; trial < 3000; ++trial) {
    AscendingPoints series;
    std::vector<Point> added;
    const unsigned n = random() % 48;
    for (unsigned k = 0; k < n; ++k) {
      const Point p{kAbscissae[random() % std::size(kAbscissae)], static_cast<double>(k)};
      series.Add(p);
      added.push_back(p);
      std::vector<Point> sorted = added;
      std::stable_sort(sorted.begin(), sorted.end(), [](const Point& a, const Point& b) { return a.x < b.x; });
      // Reads between additions, as a chart redrawn during a run would.
      if (random() % 6 == 0 || k + 1 == n) {
        ASSERT_EQ(Order(series.Points()), Order(sorted)) << "trial " << trial;
      }
    }
    series.Clear();
    EXPECT_TRUE(series.empty());
    EXPECT_TRUE(series.Points().empty());
  }
}

// NaN is not ordered: there the series keeps the order of inserting each point
// at AscendingInsertPosition in turn, as the window always has.
TEST(AscendingPoints, WithANanAbscissaInsertOneAtATimeAsBefore) {
  std::mt19937 random(7);
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  for (int trial = 0; trial < 3000; ++trial) {
    AscendingPoints series;
    std::vector<Point> one_at_a_time;
    const unsigned n = random() % 32;
    for (unsigned k = 0; k < n; ++k) {
      const Point p{random() % 5 == 0 ? kNan : kAbscissae[random() % std::size(kAbscissae)], static_cast<double>(k)};
      series.Add(p);
      const std::size_t at = AscendingInsertPosition(one_at_a_time.size(), p.x,
                                                     [&](std::size_t i) { return one_at_a_time[i].x; });
      one_at_a_time.insert(one_at_a_time.begin() + static_cast<std::ptrdiff_t>(at), p);
      if (random() % 6 == 0 || k + 1 == n) {
        ASSERT_EQ(Order(series.Points()), Order(one_at_a_time)) << "trial " << trial;
      }
    }
  }
}

}  // namespace
