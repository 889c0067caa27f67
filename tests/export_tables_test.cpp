// The CSV files of File ▸ Export: what a spreadsheet reads back must be the
// window's numbers, digit for digit.
#include "form/export_tables.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "form/headless_window.h"
#include "numeric/number_text.h"

namespace {

using namespace xray;

// Rows of cells, as a plain CSV reader splits them (fields here hold no quotes).
std::vector<std::vector<std::string>> Rows(const std::string& csv) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(csv);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells(1);
    for (char c : line) {
      if (c == ',') cells.emplace_back(); else cells.back() += c;
    }
    rows.push_back(cells);
  }
  return rows;
}

TEST(SpectrumCsv, HoldsTheTwoSpectraOfARunInTheWindowsDigits) {
  HeadlessWindow window;
  window.Create();
  window.SetField(Field::EditkV, "70");
  window.SetField(Field::EditAdd, "21");
  window.Click(Button::ButtonSpectl);
  ASSERT_TRUE(window.ErrorBoxes().empty());
  const auto& inherent = window.Points(Series::Series1);
  const auto& added = window.Points(Series::FastLineSeries6);

  const std::string csv = SpectrumCsv(inherent, added);
  ASSERT_EQ(csv.back(), '\n');
  const auto rows = Rows(csv);
  ASSERT_EQ(rows.size(), 1 + static_cast<std::size_t>(window.store().Count));  // 15 .. 70 keV: 111 bins
  EXPECT_EQ(rows.size(), 112u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"energy_keV", "inherent_percent", "photons_per_mm2"}));
  double total = 0;
  for (std::size_t k = 0; k < inherent.size(); ++k) {
    const auto& row = rows[k + 1];
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(row[0], FloatToText(inherent[k].x));
    EXPECT_EQ(row[1], FloatToText(inherent[k].y));
    EXPECT_EQ(row[2], FloatToText(added[k].y));
    // Read back as a spreadsheet would: the 15 digits the window shows.
    EXPECT_NEAR(std::stod(row[2]), added[k].y, 1e-14 * added[k].y);
    total += std::stod(row[2]);
  }
  EXPECT_EQ(rows[1][0], "15");
  EXPECT_EQ(rows.back()[0], "70");
  // The rows add up to the fluence the window shows (to their 15 digits).
  EXPECT_NEAR(total, std::stod(window.FieldText(Field::EditPhtn)), 1e-12 * total);
}

TEST(SpectrumCsv, PairsPointsOfEqualEnergyAndLeavesTheOtherCellEmpty) {
  // "Added" pressed twice without "Spectl" puts a second set of points on the
  // added spectrum; a failed run may leave one spectrum empty.
  const std::vector<Point> inherent = {{15, 1}, {15.5, 2}, {16, 3}};
  const std::vector<Point> added = {{15, 10}, {15, 11}, {16, 30}, {16.5, 40}};
  EXPECT_EQ(SpectrumCsv(inherent, added),
            "energy_keV,inherent_percent,photons_per_mm2\n"
            "15,1,10\n15,,11\n15.5,2,\n16,3,30\n16.5,,40\n");
  EXPECT_EQ(SpectrumCsv({}, {}), "energy_keV,inherent_percent,photons_per_mm2\n");
  EXPECT_EQ(SpectrumCsv(std::vector<Point>{{1e-5, 2.5e20}}, {}),
            "energy_keV,inherent_percent,photons_per_mm2\n1E-5,2.5E20,\n");
}

TEST(NeqDqeCsv, HoldsTheResultBoxesRowsAfterADqeRun) {
  HeadlessWindow window;
  window.Create();
  window.SetField(Field::EditPhtn, "250000");
  window.Click(Button::ButtonCalDQE);
  ASSERT_TRUE(window.ErrorBoxes().empty());
  const auto& neq = window.Lines(Memo::MemoNEQ);
  const auto& dqe = window.Lines(Memo::MemoDQE);
  const auto rows = Rows(NeqDqeCsv(neq, dqe));
  ASSERT_EQ(rows.size(), 32u);  // the header and 31 frequencies
  EXPECT_EQ(rows[0], (std::vector<std::string>{"frequency_per_mm", "neq_per_mm2", "dqe_percent"}));
  for (std::size_t k = 1; k < rows.size(); ++k) {
    EXPECT_EQ(rows[k][0] + "\t" + rows[k][1], neq[k]);
    EXPECT_EQ(rows[k][0] + "\t" + rows[k][2], dqe[k]);
    // DQE (%) = NEQ / fluence * 100, from the file's own digits.
    EXPECT_NEAR(std::stod(rows[k][2]), std::stod(rows[k][1]) / 250000 * 100, 1e-12 * std::stod(rows[k][2]));
  }
  EXPECT_EQ(rows[1][0], "0.208333333");
}

TEST(NeqDqeCsv, KeepsEditedRowsReadableAsCsv) {
  // The result boxes are editable: a cell with a comma or quote is quoted,
  // a blank line is skipped, a box shorter than the other leaves cells empty.
  const std::vector<std::string> neq = {"cycles/mm\tNEQ(u)", "0.5\t1,5", "", "1\t\"2\"", "2\t3"};
  const std::vector<std::string> dqe = {"cycles/mm\tDQE(u)", "0.5\t10", "", "1\t20"};
  EXPECT_EQ(NeqDqeCsv(neq, dqe),
            "frequency_per_mm,neq_per_mm2,dqe_percent\n"
            "0.5,\"1,5\",10\n1,\"\"\"2\"\"\",20\n2,3,\n");
  EXPECT_EQ(NeqDqeCsv({}, {}), "frequency_per_mm,neq_per_mm2,dqe_percent\n");
}

}  // namespace
