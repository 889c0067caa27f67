// The row format, the built-in tables, the start-up plots and the text-box
// conventions of the headless window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/headless_window.h"
#include "tables/builtin_tables.h"
#include "tables/reference_table.h"
#include "test_support.h"

namespace {

using namespace xray;
using test::ErrorOf;
using test::NotAFloat;

TEST(BuiltinTables, CaptionsAndRowCounts) {
  const struct {
    Memo memo;
    const char* caption;
    std::size_t rows;
    const char* first;
    const char* last;
  } cases[] = {
      {Memo::MemokeVWu, "keV\t(g/cm^2)", 16, "15\t138.9", "150\t1.592934105"},
      {Memo::MemokeVAlu, "keV\t(g/cm^2)", 10, "15\t7.955", "200\t0.1223"},
      {Memo::MemokeVAir, "keV\t(g/cm^2)", 11, "10\t4.7420000 ", "200\t0.0267200 "},
      {Memo::MemokeVC, "kV\tTW-C", 146, "15\t306674.5625", "160\t887289"},
      {Memo::MemoCX, "keV\t%c", 62, "70\t0.0", "150\t10.892"},
      {Memo::MemoMTF, "c/mm\tCSI-X", 74, "0\t1.001291703", "3.65\t0.126220917"},
      {Memo::MemoWS, "c/mm\tCSI-X\u30FBWS", 32, "0.104166667\t1.832733824", "3.333333333\t0.350575033"},
  };
  for (const auto& c : cases) {
    const auto& lines = BuiltinLines(c.memo);
    ASSERT_EQ(lines.size(), c.rows + 1) << Name(c.memo);
    EXPECT_EQ(lines.front(), c.caption) << Name(c.memo);
    EXPECT_EQ(lines[1], c.first) << Name(c.memo);
    EXPECT_EQ(lines.back(), c.last) << Name(c.memo);
  }
  EXPECT_TRUE(BuiltinLines(Memo::MemoNEQ).empty());
  EXPECT_TRUE(BuiltinLines(Memo::MemoDQE).empty());
}

// Every data row reads, and x rises strictly: the lookups rely on both.
TEST(BuiltinTables, RowsConvertAndAscend) {
  for (Memo m : {Memo::MemokeVWu, Memo::MemokeVAlu, Memo::MemokeVAir, Memo::MemokeVC, Memo::MemoCX, Memo::MemoMTF,
                 Memo::MemoWS}) {
    const auto& lines = BuiltinLines(m);
    double previous = -1e300;
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const Row r = SplitRow(lines[i]);
      EXPECT_GT(r.x, previous) << Name(m) << " line " << i;
      previous = r.x;
    }
  }
}

// The Thomson-Whiddington rows are the exact decimal values of the quartic fit.
TEST(BuiltinTables, ThomsonWhiddingtonRowsAreExact) {
  const auto& lines = BuiltinLines(Memo::MemokeVC);
  const std::vector<std::string> telling = {"15\t306674.5625", "16\t315870.9648", "20\t350809",
                                            "30\t426393.5",   "69\t610624.1843", "70\t613891.5",
                                            "100\t699705",    "129\t782160.6623", "160\t887289"};
  for (const std::string& row : telling) {
    const int k = std::stoi(row);
    EXPECT_EQ(lines[static_cast<std::size_t>(k - 14)], row);
  }
}

TEST(BuiltinTables, TextsAsTyped) {
  const auto& mtf = BuiltinLines(Memo::MemoMTF);
  EXPECT_EQ(mtf[2].substr(0, mtf[2].find('\t')), "0.05");
  EXPECT_EQ(mtf[3].substr(0, mtf[3].find('\t')), "0.1");
  EXPECT_EQ(mtf[21].substr(0, mtf[21].find('\t')), "1");
  EXPECT_EQ(mtf[22].substr(0, mtf[22].find('\t')), "1.05");
  for (std::size_t i = 1; i < BuiltinLines(Memo::MemokeVAir).size(); ++i) {
    EXPECT_EQ(BuiltinLines(Memo::MemokeVAir)[i].back(), ' ') << "air row " << i << " keeps its trailing space";
  }
  const auto& cx = BuiltinLines(Memo::MemoCX);
  EXPECT_EQ(cx[11], "80\t1.508636363");
  EXPECT_EQ(cx[61], "130\t9.168560606");
}

TEST(SplitRow, ReadsXThenY) {
  const struct {
    const char* row;
    double x;
    double y;
  } good[] = {{"15\t138.9", 15, 138.9}, {" 15 \t 138.9 ", 15, 138.9}, {"10\t4.7420000 ", 10, 4.742},
              {"-1\t-2e3", -1, -2000}, {"70\t0.0", 70, 0}};
  for (const auto& c : good) {
    const Row r = SplitRow(c.row);
    EXPECT_EQ(r.x, c.x) << c.row;
    EXPECT_EQ(r.y, c.y) << c.row;
  }
  const struct {
    const char* row;
    const char* failing;
  } bad[] = {
      {"abc", ""},          // no tab: the x-text is empty
      {"", ""},             // the empty line after a table
      {"\t5", ""},          // a row that begins with its tab
      {"5\t", ""},          // nothing after the tab
      {"5\t6\t7", "6\t7"},  // a second tab stays in the y-text
      {"x\ty", "x"},        // x is converted first; y is never read
      {"1\ty", "y"},
      {"1\t2;", "2;"},
  };
  for (const auto& c : bad) EXPECT_EQ(ErrorOf([&] { SplitRow(c.row); }), NotAFloat(c.failing)) << c.row;
}

TEST(TextBoxLines, SplitAsPasted) {
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\nb", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\rb\n", {"a\rb"}},
      {"\n", {""}},
      {"a\n\n", {"a", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

TEST(TextBoxLines, ReadingPastTheEndGivesAnEmptyLine) {
  HeadlessWindow w;
  w.SetMemoText(Memo::MemoWS, "caption\n1\t2");
  EXPECT_EQ(w.MemoLine(Memo::MemoWS, 1), "1\t2");
  EXPECT_EQ(w.MemoLine(Memo::MemoWS, 2), "");
  EXPECT_EQ(w.MemoLine(Memo::MemoWS, 1000), "");
  EXPECT_EQ(w.MemoLine(Memo::MemoWS, -1), "");
}

TEST(TextBoxLines, ALineReadsAsAtMost4096Characters) {
  HeadlessWindow w;
  const std::string kanji = "\u6570";  // three bytes in UTF-8, one character
  std::string long_line;
  for (int k = 0; k < 5000; ++k) long_line += kanji;
  w.SetMemoLines(Memo::MemoMTF, {"caption", long_line, std::string(4096, '7'), std::string(4097, '7')});
  EXPECT_EQ(w.MemoLine(Memo::MemoMTF, 1).size(), 4096 * kanji.size());
  EXPECT_EQ(w.MemoLine(Memo::MemoMTF, 2).size(), 4096u);
  EXPECT_EQ(w.MemoLine(Memo::MemoMTF, 3).size(), 4096u);
  EXPECT_EQ(w.Lines(Memo::MemoMTF)[3].size(), 4097u) << "the box keeps the whole line";
  // A stray byte that is not UTF-8 counts as one character.
  const std::string invalid = std::string(5000, '\xFF');
  EXPECT_EQ(ClipLine(invalid).size(), 4096u);
}

TEST(Series, PointsStayInAscendingX) {
  HeadlessWindow w;
  const Series s = Series::Series2;
  for (auto [x, y] : std::vector<std::pair<double, double>>{{1, 10}, {3, 30}, {2, 20}, {3, 31}, {0, 0}, {2, 21}}) {
    w.AddPoint(s, x, y);
  }
  const std::vector<Point> expected = {{0, 0}, {1, 10}, {2, 20}, {2, 21}, {3, 30}, {3, 31}};
  EXPECT_EQ(w.Points(s), expected);
}

TEST(StartUp, WindowAsDefined) {
  HeadlessWindow w;
  const struct {
    Field field;
    const char* text;
  } fields[] = {{Field::EditkV, "80"},   {Field::EditInhrnt, "2.5"}, {Field::EditAdd, "19.3"},
                {Field::EditDnsW, "19.21"}, {Field::EditTAngl, "11"}, {Field::EditDnsAl, "2.7"},
                {Field::EditPhtn, ""},   {Field::EditmR, "0.95"},     {Field::EditG, "1023.75"}};
  for (const auto& f : fields) EXPECT_EQ(w.FieldText(f.field), f.text) << Name(f.field);
  for (Series s : kAllSeries) EXPECT_TRUE(w.Points(s).empty()) << Name(s);
  EXPECT_FALSE(w.Clipboard().has_value());
  EXPECT_EQ(w.store().Count, 0);
}

TEST(FormCreate, PlotsFiveTablesUntransformed) {
  HeadlessWindow w;
  w.Create();
  EXPECT_TRUE(w.ErrorBoxes().empty());
  const struct {
    Series series;
    std::size_t points;
    Point first;
    Point last;
  } cases[] = {
      {Series::FastLineSeries1, 16, {15, 138.9}, {150, 1.592934105}},
      {Series::FastLineSeries2, 10, {15, 7.955}, {200, 0.1223}},
      {Series::FastLineSeries5, 11, {10, 4.742}, {200, 0.02672}},
      {Series::FastLineSeries3, 146, {15, 306674.5625}, {160, 887289}},
      {Series::FastLineSeries4, 62, {70, 0}, {150, 10.892}},
  };
  for (const auto& c : cases) {
    const auto& points = w.Points(c.series);
    ASSERT_EQ(points.size(), c.points) << Name(c.series);
    EXPECT_EQ(points.front(), c.first) << Name(c.series);
    EXPECT_EQ(points.back(), c.last) << Name(c.series);
  }
  for (Series s : {Series::Series1, Series::Series2, Series::Series3, Series::FastLineSeries6,
                   Series::FastLineSeries7, Series::FastLineSeries8}) {
    EXPECT_TRUE(w.Points(s).empty()) << Name(s);
  }
}

TEST(FormCreate, EmptyLineEndsAPlotAndCaptionIsNeverRead) {
  HeadlessWindow w;
  w.SetMemoText(Memo::MemokeVAlu, "any\ttext at all\n15\t7.955\n20\t3.441\n\n30\t1.128");
  w.Create();
  EXPECT_TRUE(w.ErrorBoxes().empty());
  EXPECT_EQ(w.Points(Series::FastLineSeries2).size(), 2u);
}

// A row that does not convert stops the start-up plots there: the current
// series keeps the points before it and the later tables are not plotted.
TEST(FormCreate, MalformedRowStopsTheRest) {
  HeadlessWindow w;
  w.SetMemoText(Memo::MemokeVAir, "keV\tx\n10\t4.742\n15\t1.334\n20\toops\n30\t0.1537");
  w.Create();
  ASSERT_EQ(w.ErrorBoxes().size(), 1u);
  EXPECT_EQ(w.ErrorBoxes()[0], test::Box(NotAFloat("oops")));
  EXPECT_EQ(w.Points(Series::FastLineSeries1).size(), 16u);
  EXPECT_EQ(w.Points(Series::FastLineSeries2).size(), 10u);
  EXPECT_EQ(w.Points(Series::FastLineSeries5).size(), 2u);
  EXPECT_TRUE(w.Points(Series::FastLineSeries3).empty());
  EXPECT_TRUE(w.Points(Series::FastLineSeries4).empty());
}

}  // namespace
