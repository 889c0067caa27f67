// The "Spectl" handler: bremsstrahlung bins, K lines, filtration, the report,
// the percent plot, the nested "Added", and where each failure leaves things.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "form/headless_window.h"
#include "numeric/messages.h"
#include "spectrum/synthesis.h"
#include "tables/builtin_tables.h"
#include "test_support.h"

namespace {

using namespace xray;
using test::Box;
using test::ClipboardRows;
using test::NotAFloat;

// A created window, optionally with the speed-ups off.
struct Window {
  explicit Window(bool fast = true) {
    w.form().SetSpeedups(fast);
    w.Create();
  }
  HeadlessWindow w;
};

TEST(Spectl, DefaultRun) {
  Window win;
  HeadlessWindow& w = win.w;
  w.Click(Button::ButtonSpectl);
  ASSERT_TRUE(w.ErrorBoxes().empty());
  const SpectrumStore& s = w.store();
  ASSERT_EQ(s.Count, 131);
  EXPECT_EQ(s.Energy[0], 15);
  EXPECT_EQ(s.Energy[130], 80);
  EXPECT_EQ(s.Energy[131], 0) << "bins above Count are not touched";
  EXPECT_EQ(*std::max_element(s.Photons.begin(), s.Photons.begin() + 131), 100.0);
  for (int j = 0; j < 131; ++j) {
    EXPECT_EQ(s.AddedEnergy[j], s.Energy[j]);
    EXPECT_EQ(w.Points(Series::Series1)[j], (Point{s.Energy[j], s.Photons[j]}));
    EXPECT_EQ(w.Points(Series::FastLineSeries6)[j], (Point{s.AddedEnergy[j], s.AddedPhotons[j]}));
  }
  EXPECT_EQ(w.FieldText(Field::EditPhtn), "249674.095168518");
  // The report: one row per bin, three fields, each row ended by a carriage return.
  const std::string& clip = *w.Clipboard();
  EXPECT_EQ(std::count(clip.begin(), clip.end(), '\r'), 131);
  EXPECT_EQ(clip.find('\n'), std::string::npos);
  const auto rows = ClipboardRows(clip);
  ASSERT_EQ(rows.size(), 131u);
  for (const auto& row : rows) EXPECT_EQ(row.size(), 3u);
  EXPECT_EQ(rows[0][0], "15");
  EXPECT_EQ(rows[130][0], "80");
  EXPECT_EQ(rows[0][1], "0.00465587693680914");  // exp(-0.25 cm * 7.955 cm^2/g * 2.7 g/cm^3)
  EXPECT_TRUE(w.Points(Series::Series2).empty());
  EXPECT_TRUE(w.Points(Series::Series3).empty());
}

TEST(Spectl, BinCountFollowsTheTubeVoltage) {
  const struct {
    const char* kv;
    int count;
    double last_keV;
  } cases[] = {{"80", 131, 80}, {"80.3", 131, 80}, {"149.9", 270, 149.5}, {"15", 1, 15}, {"15.4", 1, 15},
               {"70", 111, 70}, {"70.2", 111, 70}, {"100", 171, 100}};
  for (const auto& c : cases) {
    Window win;
    win.w.SetField(Field::EditkV, c.kv);
    win.w.Click(Button::ButtonSpectl);
    EXPECT_TRUE(win.w.ErrorBoxes().empty()) << c.kv << ": " << test::LastBox(win.w);
    EXPECT_EQ(win.w.store().Count, c.count) << c.kv;
    EXPECT_EQ(win.w.store().Energy[c.count - 1], c.last_keV) << c.kv;
    EXPECT_EQ(ClipboardRows(*win.w.Clipboard()).size(), static_cast<std::size_t>(c.count)) << c.kv;
  }
}

TEST(Spectl, SingleBinAt15kV) {
  Window win;
  win.w.SetField(Field::EditkV, "15");
  win.w.Click(Button::ButtonSpectl);
  EXPECT_EQ(win.w.store().Photons[0], 100);
  EXPECT_EQ(win.w.Points(Series::Series1), (std::vector<Point>{{15, 100}}));
  EXPECT_EQ(win.w.FieldText(Field::EditPhtn), "25966.3776964154");
}

// The electron-step listing of the last complete energy is what the clipboard
// holds when a run stops inside the synthesis; with V = 15 there is one step,
// at the surface: d = 0 and the transmission A = 1.
TEST(Spectl, ListingAtTheSurfaceHasFullTransmission) {
  Window win;
  win.w.SetField(Field::EditkV, "15");
  win.w.SetField(Field::EditAdd, "x");  // stops the run after the bremsstrahlung
  win.w.Click(Button::ButtonSpectl);
  const auto rows = ClipboardRows(*win.w.Clipboard());
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(rows[0].size(), 4u);
  EXPECT_EQ(rows[0][0], "15");
  EXPECT_EQ(rows[0][1], "138.9");
  EXPECT_EQ(rows[0][2], "1");
}

TEST(Spectl, BelowFifteenKilovoltsThereAreNoBins) {
  for (const char* kv : {"14.9", "0", "-5"}) {
    Window win;
    win.w.SetField(Field::EditTAngl, "not read");
    win.w.SetField(Field::EditkV, kv);
    win.w.Click(Button::ButtonSpectl);
    EXPECT_TRUE(win.w.ErrorBoxes().empty()) << kv;
    EXPECT_EQ(win.w.store().Count, 0) << kv;
    EXPECT_EQ(win.w.Clipboard(), std::string()) << kv << ": the empty report";
    EXPECT_EQ(win.w.FieldText(Field::EditPhtn), "0") << kv << ": Added still ran";
    EXPECT_TRUE(win.w.Points(Series::Series1).empty()) << kv;
  }
}

// The K-photon table is read only above 70 kV.
TEST(Spectl, KLinesOnlyAboveSeventyKilovolts) {
  for (const auto& [kv, reads_table] : std::vector<std::pair<const char*, bool>>{{"70", false}, {"70.2", true}, {"80", true}}) {
    Window win;
    win.w.SetMemoText(Memo::MemoCX, "keV\t%c\nbroken");
    win.w.SetField(Field::EditkV, kv);
    win.w.Click(Button::ButtonSpectl);
    EXPECT_EQ(test::LastBox(win.w), reads_table ? Box(NotAFloat("")) : "") << kv;
  }
}

// The K lines add K%(1 - K%/100) of the summed bins to the 58, 59, 67 and 69 keV
// bins, in the shares 0.4 : 0.6 : 0.338 : 0.086.
TEST(Spectl, KLinesLandOnFourBins) {
  Window with_lines;
  with_lines.w.Click(Button::ButtonSpectl);
  Window without;
  std::vector<std::string> no_k = BuiltinLines(Memo::MemoCX);
  no_k[11] = "80\t0";  // K% = 0 at 80 kV
  without.w.SetMemoLines(Memo::MemoCX, no_k);
  without.w.Click(Button::ButtonSpectl);
  std::vector<int> changed;
  for (int j = 0; j < 131; ++j) {
    // Report column 3: photon numbers after the inherent filtration, before the percent scaling.
    const auto a = ClipboardRows(*with_lines.w.Clipboard())[j][2];
    const auto b = ClipboardRows(*without.w.Clipboard())[j][2];
    if (a != b) changed.push_back(j);
  }
  EXPECT_EQ(changed, (std::vector<int>{86, 88, 104, 108}));
}

TEST(Spectl, ConversionErrorsInTheHeaderStopBeforeAnyBin) {
  for (Field f : {Field::EditkV, Field::EditInhrnt, Field::EditDnsW, Field::EditDnsAl}) {
    Window win;
    HeadlessWindow& w = win.w;
    w.Click(Button::ButtonSpectl);
    const SpectrumStore before = w.store();
    const auto clipboard = w.Clipboard();
    w.SetField(f, "1,5");
    w.Click(Button::ButtonSpectl);
    EXPECT_EQ(test::LastBox(w), Box(NotAFloat("1,5"))) << Name(f);
    EXPECT_TRUE(w.Points(Series::Series1).empty()) << Name(f);
    EXPECT_TRUE(w.Points(Series::FastLineSeries6).empty()) << Name(f);
    EXPECT_EQ(w.store().Photons, before.Photons) << Name(f);
    EXPECT_EQ(w.store().AddedPhotons, before.AddedPhotons) << Name(f);
    EXPECT_EQ(w.Clipboard(), clipboard) << Name(f);
  }
}

TEST(Spectl, BadAngleFailsAtTheFirstElectronStep) {
  Window win;
  win.w.SetField(Field::EditTAngl, "");
  win.w.Click(Button::ButtonSpectl);
  EXPECT_EQ(win.w.ErrorBoxes(), std::vector<std::string>{Box(NotAFloat(""))});
  EXPECT_EQ(win.w.store().Count, 0);
  EXPECT_EQ(win.w.store().Photons[0], 0);
  EXPECT_FALSE(win.w.Clipboard().has_value());
}

TEST(Spectl, FloatingPointFaultsInTheElectronLoop) {
  const struct {
    const char* kv;
    const char* angle;
    const char* density;
    std::string_view message;
  } cases[] = {
      {"80", "0", "19.21", msg::kDivideByZero},      // S = sin(0) = 0
      {"80", "11", "0", msg::kDivideByZero},         // rho_W = 0 in the depth term
      {"15", "0", "19.21", msg::kInvalidOperation},  // d = 0 and S = 0: 0/0
      {"15", "11", "0", msg::kInvalidOperation},     // d = 0/0
  };
  for (const auto& c : cases) {
    Window win;
    win.w.SetField(Field::EditkV, c.kv);
    win.w.SetField(Field::EditTAngl, c.angle);
    win.w.SetField(Field::EditDnsW, c.density);
    win.w.Click(Button::ButtonSpectl);
    EXPECT_EQ(win.w.ErrorBoxes(), std::vector<std::string>{Box(c.message)}) << c.kv << " " << c.angle << " " << c.density;
    EXPECT_EQ(win.w.store().Count, 0);
    EXPECT_FALSE(win.w.Clipboard().has_value());
  }
}

// At 150 kV the tungsten lookup at 150 keV finds no row above it.
TEST(Spectl, At150KilovoltsTheRunStopsAtThe150KeVBin) {
  Window win;
  HeadlessWindow& w = win.w;
  w.Click(Button::ButtonSpectl);
  const SpectrumStore before = w.store();
  w.SetField(Field::EditkV, "150");
  w.Click(Button::ButtonSpectl);
  EXPECT_EQ(w.ErrorBoxes(), std::vector<std::string>{Box(NotAFloat(""))});
  const SpectrumStore& s = w.store();
  EXPECT_EQ(s.Count, 131) << "Count keeps its previous value";
  EXPECT_EQ(s.Energy[269], 149.5);
  EXPECT_EQ(s.Energy[270], 0);
  EXPECT_NE(s.Photons[0], before.Photons[0]);
  EXPECT_EQ(s.AddedPhotons, before.AddedPhotons);
  const auto rows = ClipboardRows(*w.Clipboard());
  ASSERT_EQ(rows.size(), 2u) << "the listing of the 149.5 keV bin";
  EXPECT_EQ(rows[0][0], "149.5");
  EXPECT_EQ(rows[1][0], "150");
  for (Series sr : {Series::Series1, Series::FastLineSeries6}) EXPECT_TRUE(w.Points(sr).empty());
}

// A tungsten table extended beyond the store's 165 keV: the run must stop
// before writing a 302nd bin, with Count unchanged, like any failed run.
TEST(Spectl, NeverWritesPastTheStore) {
  Window win;
  HeadlessWindow& w = win.w;
  std::vector<std::string> tungsten = BuiltinLines(Memo::MemokeVWu);
  tungsten.push_back("200\t1");
  w.SetMemoLines(Memo::MemokeVWu, tungsten);
  w.SetField(Field::EditkV, "170");
  w.Click(Button::ButtonSpectl);
  EXPECT_EQ(w.ErrorBoxes(), std::vector<std::string>{Box(msg::kStoreFull)});
  EXPECT_EQ(w.store().Count, 0);
  EXPECT_EQ(w.store().Energy[300], 165);
  const auto rows = ClipboardRows(*w.Clipboard());
  EXPECT_EQ(rows.front()[0], "165.5") << "the listing of the bin that did not fit";
  EXPECT_EQ(rows.back()[0], "170");
}

TEST(Spectl, TubeVoltagesFarBeyondTheStoreAreRefusedAtOnce) {
  for (const char* kv : {"1000.5", "1e6", "1e308"}) {
    Window win;
    win.w.SetField(Field::EditkV, kv);
    win.w.Click(Button::ButtonSpectl);
    EXPECT_EQ(win.w.ErrorBoxes(), std::vector<std::string>{Box(msg::kStoreFull)}) << kv;
    EXPECT_FALSE(win.w.Clipboard().has_value()) << kv;
  }
}

// With the added-filtration field unreadable, the run stops at the first bin of
// the second filtration pass.
TEST(Spectl, BadAddedFiltrationStopsTheSecondPass) {
  Window win;
  HeadlessWindow& w = win.w;
  w.SetField(Field::EditkV, "40");
  w.Click(Button::ButtonSpectl);
  const SpectrumStore before = w.store();
  w.SetField(Field::EditkV, "80");
  w.SetField(Field::EditAdd, "abc");
  w.Click(Button::ButtonSpectl);
  EXPECT_EQ(w.ErrorBoxes(), std::vector<std::string>{Box(NotAFloat("abc"))});
  EXPECT_EQ(w.store().Count, 131);
  EXPECT_EQ(w.store().AddedPhotons, before.AddedPhotons);
  EXPECT_EQ(w.store().AddedEnergy, before.AddedEnergy);
  EXPECT_TRUE(w.Points(Series::Series1).empty());
  EXPECT_TRUE(w.Points(Series::FastLineSeries6).empty());
  const auto rows = ClipboardRows(*w.Clipboard());
  ASSERT_EQ(rows.size(), 1u) << "the last electron-step listing";
  EXPECT_EQ(rows[0][0], "80");
}

// Filtration strong enough to leave no photon at all: the percent scaling
// divides 0 by 0.
TEST(Spectl, NoPhotonsLeftIsAnInvalidOperation) {
  Window win;
  win.w.SetField(Field::EditInhrnt, "1e6");
  win.w.Click(Button::ButtonSpectl);
  EXPECT_EQ(win.w.ErrorBoxes(), std::vector<std::string>{Box(msg::kInvalidOperation)});
  EXPECT_TRUE(win.w.Points(Series::Series1).empty());
  EXPECT_EQ(win.w.FieldText(Field::EditPhtn), "");
}

TEST(Spectl, InherentFiltrationAndTheReportTransmission) {
  // At exactly 0.7 mm the second inherent pass multiplies by exp(0) = 1, and
  // the report's transmission column does not depend on the field.
  Window a, b;
  a.w.SetField(Field::EditInhrnt, "0.7");
  a.w.Click(Button::ButtonSpectl);
  b.w.SetField(Field::EditInhrnt, "5");
  b.w.Click(Button::ButtonSpectl);
  const auto ra = ClipboardRows(*a.w.Clipboard());
  const auto rb = ClipboardRows(*b.w.Clipboard());
  for (std::size_t j = 0; j < ra.size(); ++j) EXPECT_EQ(ra[j][1], rb[j][1]);
  // Added filtration 0: the added-filtration spectrum is the inherent one, so
  // after calibration it is proportional to the percent spectrum.
  Window d;
  d.w.SetField(Field::EditAdd, "0");
  d.w.Click(Button::ButtonSpectl);
  ASSERT_TRUE(d.w.ErrorBoxes().empty());
  const SpectrumStore& s = d.w.store();
  const int peak = static_cast<int>(std::max_element(s.Photons.begin(), s.Photons.begin() + s.Count) - s.Photons.begin());
  for (int j = 0; j < s.Count; ++j) {
    EXPECT_NEAR(s.AddedPhotons[j] / s.AddedPhotons[peak], s.Photons[j] / 100, 1e-13) << j;
  }
}

// The speed-ups compute the same expressions in the same order: every case
// must leave exactly the same window, bit for bit, with them on and off.
TEST(Spectl, SpeedupsChangeNothing) {
  struct Case {
    const char* name;
    std::vector<std::pair<Field, const char*>> fields;
    std::vector<std::pair<Memo, std::string>> tables;
  };
  std::vector<std::string> vc = BuiltinLines(Memo::MemokeVC);
  vc[26] = "40\tabc";  // reached at the 40 keV electron step of the first bin
  std::vector<std::string> vc_late = BuiltinLines(Memo::MemokeVC);
  vc_late[140] = "154\tabc";  // beyond the 129 keV cap: never reached
  std::vector<std::string> alu = BuiltinLines(Memo::MemokeVAlu);
  alu[7] = "80\t0";  // log10(0) when a bin reaches the 60-80 keV segment
  auto join = [](const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    return text;
  };
  const std::vector<Case> cases = {
      {"default", {}, {}},
      {"149.9 kV", {{Field::EditkV, "149.9"}}, {}},
      {"150 kV", {{Field::EditkV, "150"}}, {}},
      {"15 kV", {{Field::EditkV, "15"}}, {}},
      {"angle 30", {{Field::EditTAngl, "30"}}, {}},
      {"angle 0", {{Field::EditTAngl, "0"}}, {}},
      {"bad angle", {{Field::EditTAngl, "eleven"}}, {}},
      {"bad TW row", {}, {{Memo::MemokeVC, join(vc)}}},
      {"unreached bad TW row", {{Field::EditkV, "140"}}, {{Memo::MemokeVC, join(vc_late)}}},
      {"zero Al coefficient", {}, {{Memo::MemokeVAlu, join(alu)}}},
      {"bad mR", {{Field::EditmR, "?"}}, {}},
      {"extended W table", {{Field::EditkV, "170"}}, {{Memo::MemokeVWu, join(BuiltinLines(Memo::MemokeVWu)) + "200\t1\n"}}},
  };
  for (const Case& c : cases) {
    Window fast(true), plain(false);
    for (Window* win : {&fast, &plain}) {
      for (const auto& [f, text] : c.fields) win->w.SetField(f, text);
      for (const auto& [m, text] : c.tables) win->w.SetMemoText(m, text);
      win->w.Click(Button::ButtonSpectl);
      // Edit a table between presses: the second run must see it.
      win->w.SetMemoText(Memo::MemokeVAlu, "keV\tx\n10\t8\n300\t0.1");
      win->w.Click(Button::ButtonSpectl);
      win->w.Click(Button::ButtonCalDQE);
    }
    test::ExpectSameState(fast.w, plain.w, c.name);
  }
}

// Only the clipboard's content when the handler ends can be seen; with the
// speed-ups the listings replaced before then are never formatted.
TEST(Spectl, ClipboardIsWrittenOnlyWhatStays) {
  Window fast(true), plain(false);
  fast.w.Click(Button::ButtonSpectl);
  plain.w.Click(Button::ButtonSpectl);
  EXPECT_EQ(plain.w.ClipboardWrites(), 132u);  // 131 listings and the report
  EXPECT_LE(fast.w.ClipboardWrites(), 2u);
  EXPECT_EQ(fast.w.Clipboard(), plain.w.Clipboard());
}

}  // namespace
