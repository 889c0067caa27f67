// xraycalc-cli mtf, nnps and dqe --edge/--flat run as a real process on the
// images shipped in tests/measure/data and on images written for the test.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "image_files.h"
#include "image_generator.h"
#include "measure_test_support.h"
#include "numeric/number_text.h"
#include "run_process.h"
#include "shipped_images.h"

namespace {

using namespace xray;
using namespace xray::measure::test;
using xray::test::Lines;
using xray::test::ProcessResult;

ProcessResult Cli(const std::vector<std::string>& args) { return xray::test::RunProcess(XRAYCALC_CLI, args); }

std::string Data(const std::string& file) { return std::string(XRAYCALC_MEASURE_DATA) + "/" + file; }

struct Row {
  double x;
  double y;
};

// The rows after the caption, each "x<TAB>y".
std::vector<Row> Rows(const std::string& table) {
  std::vector<Row> rows;
  const std::vector<std::string> lines = Lines(table);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::size_t tab = lines[i].find('\t');
    rows.push_back({TextToFloat(lines[i].substr(0, tab)), TextToFloat(lines[i].substr(tab + 1))});
  }
  return rows;
}

void ExpectBadInput(const ProcessResult& r, const std::string& starts, const std::string& what) {
  EXPECT_EQ(r.status, 2) << what;
  EXPECT_EQ(r.out, "") << what;
  const std::vector<std::string> lines = Lines(r.err);
  ASSERT_EQ(lines.size(), 1u) << what << ": " << r.err;
  EXPECT_EQ(lines[0].rfind(starts, 0), 0u) << what << ": " << lines[0];
}

TEST(CliMtf, ShippedEdgeGivesItsAnalyticMtfFromZeroToBeyondNyquist) {
  const ProcessResult r = Cli({"mtf", Data("edge.dcm")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Lines(r.out)[0], "c/mm\tMTF (edge tilted 3 deg, 0.1 mm pixels)");
  const std::vector<Row> rows = Rows(r.out);
  ASSERT_GE(rows.size(), 50u);
  EXPECT_EQ(rows[0].x, 0);
  EXPECT_EQ(rows[0].y, 1);
  EXPECT_GE(rows.back().x, 1.1 * 5);  // Nyquist 5 cycles/mm
  for (const Row& row : rows) {
    if (row.x > 5) break;
    // 128 lines of a noisy edge: a little looser than the library's tests.
    EXPECT_NEAR(row.y, EdgeMtf(row.x * kShippedPitchMm, kShippedEdgeSigmaPx, kShippedEdgeTiltDeg), 0.03) << row.x;
  }
  // The same pixels in a PGM, which states no pitch: the same table once the pitch is given.
  const ScratchDir dir;
  WritePgm(dir.Path("edge.pgm"), ShippedImages().front().image);
  const ProcessResult pgm = Cli({"mtf", dir.Path("edge.pgm"), "--pitch", "0.1"});
  EXPECT_EQ(pgm.status, 0) << pgm.err;
  EXPECT_EQ(pgm.out, r.out);
  ExpectBadInput(Cli({"mtf", dir.Path("edge.pgm")}),
                 "xraycalc-cli mtf: the image gives no pixel pitch; give it in mm with --pitch MM", "no pitch");
}

TEST(CliNnps, ShippedFlatsGiveThePoissonLevelOnTheDqePagesScale) {
  const ProcessResult r = Cli({"nnps", Data("flat1.dcm"), Data("flat2.dcm"), "--dark-offset", "100"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Lines(r.out);
  EXPECT_NE(lines[0].find("gamma 1023.75, 2 images; the 0 c/mm row repeats the next and is not used"),
            std::string::npos)
      << lines[0];
  const std::vector<Row> rows = Rows(r.out);
  ASSERT_EQ(rows.size(), 33u);
  EXPECT_EQ(rows[0].x, 0);
  EXPECT_EQ(rows[0].y, rows[1].y);
  // Poisson quanta q per pixel: NNPS = a^2 / q, W = (gamma log10 e)^2 a^2 / q.
  const double g = 1023.75 * 0.43429448190325182765;
  const double truth = g * g * kShippedPitchMm * kShippedPitchMm / kShippedFlatQuanta;
  double sum = 0;
  for (std::size_t i = 1; i < rows.size(); ++i) sum += rows[i].y;
  EXPECT_NEAR(sum / 32, truth, 0.1 * truth);

  const ProcessResult nnps = Cli({"nnps", Data("flat1.dcm"), Data("flat2.dcm"), "--dark-offset", "100", "--unscaled"});
  ASSERT_EQ(nnps.status, 0) << nnps.err;
  const std::vector<Row> plain = Rows(nnps.out);
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_NEAR(rows[i].y, g * g * plain[i].y, 1e-5 * rows[i].y);
}

// dqe --edge --flat is the same as pasting what mtf and nnps print into the
// tables: nnps on the axis across the edge, as dqe measures it.
TEST(CliDqe, MeasuredTablesEqualThePrintedOnes) {
  const ScratchDir dir;
  const ProcessResult mtf = Cli({"mtf", Data("edge.dcm")});
  const ProcessResult nnps =
      Cli({"nnps", Data("flat1.dcm"), Data("flat2.dcm"), "--dark-offset", "100", "--axis", "horizontal"});
  ASSERT_EQ(mtf.status, 0);
  ASSERT_EQ(nnps.status, 0);
  std::ofstream(dir.Path("mtf.txt")) << mtf.out;
  std::ofstream(dir.Path("ws.txt")) << nnps.out;
  const ProcessResult pasted = Cli({"dqe", "--fluence", "10000", "--table", "MemoMTF=" + dir.Path("mtf.txt"),
                                    "--table", "MemoWS=" + dir.Path("ws.txt")});
  const ProcessResult measured = Cli({"dqe", "--fluence", "10000", "--edge", Data("edge.dcm"), "--flat",
                                      Data("flat1.dcm"), Data("flat2.dcm"), "--dark-offset", "100"});
  ASSERT_EQ(measured.status, 0) << measured.err;
  EXPECT_EQ(measured.err, "");
  EXPECT_EQ(measured.out, pasted.out);
  // One DQE row per measured frequency: the copy at 0 was the skipped row.
  EXPECT_EQ(Lines(measured.out).size(), 33u);
}

TEST(CliMeasure, BadImagesAndOptionsEndWithOneLineAndStatus2) {
  const ScratchDir dir;
  std::ofstream(dir.Path("notes.txt")) << "not an image\n";
  FlatModel flat;
  flat.width = flat.height = 256;
  WritePgm(dir.Path("flat.pgm"), FlatImage(flat));
  // A flat field with pixels half the size of the edge image's.
  TiffOptions fine;
  fine.resolution = 200;
  fine.resolution_unit = 3;
  WriteTiff(dir.Path("fine.tif"), FlatImage(flat), fine);
  WriteRaw(dir.Path("flat.raw"), FlatImage(flat));
  const std::string edge = Data("edge.dcm");
  const std::string flat1 = Data("flat1.dcm");  // 256 x 256
  struct Bad {
    std::vector<std::string> args;
    std::string starts;
  };
  const std::vector<Bad> cases = {
      {{"mtf", dir.Path("notes.txt")}, "xraycalc-cli mtf: '" + dir.Path("notes.txt") + "' is not a DICOM"},
      {{"mtf", dir.Path("missing.dcm")}, "xraycalc-cli mtf: cannot read '" + dir.Path("missing.dcm") + "': "},
      {{"mtf", dir.Path("flat.pgm"), "--pitch", "0.1"}, "xraycalc-cli mtf: no straight edge found"},
      {{"mtf", edge, "--roi", "0,0,200,100"}, "xraycalc-cli mtf: the region 0,0,200,100 (x,y,width,height)"},
      {{"mtf", edge, "--roi", "1,2,3"}, "xraycalc-cli mtf: --roi 1,2,3: expected X,Y,WIDTH,HEIGHT"},
      {{"mtf", edge, "--pitch", "0,1"}, "xraycalc-cli mtf: --pitch: '0,1' is not a number"},
      {{"mtf", edge, "--pitch", "-1"}, "xraycalc-cli mtf: the pixel pitch must be a positive number"},
      {{"mtf", edge, "--response", "log", "--dark-offset", "5"}, "xraycalc-cli mtf: --dark-offset applies"},
      {{"mtf", dir.Path("flat.raw"), "--width", "256"}, "xraycalc-cli mtf: a raw image needs both"},
      {{"mtf", edge, "--offset", "8"}, "xraycalc-cli mtf: --offset is the header size of a raw image"},
      {{"nnps", dir.Path("flat.raw"), "--width", "256", "--height", "255"}, "xraycalc-cli nnps: '"},
      {{"nnps", flat1, edge}, "xraycalc-cli nnps: the flat fields differ in size"},
      {{"nnps", edge}, "xraycalc-cli nnps: the region is 128x128 pixels"},
      {{"nnps", flat1, "--dark-offset", "1000"}, "xraycalc-cli nnps: the mean pixel value of"},
      {{"nnps", flat1, "--gamma", "0"}, "xraycalc-cli nnps: the gamma must be a positive number"},
      {{"dqe", "--fluence", "1", "--edge", dir.Path("notes.txt")}, "xraycalc-cli: --edge: '"},
      {{"dqe", "--fluence", "1", "--flat", edge}, "xraycalc-cli: --flat: the region is 128x128 pixels"},
      {{"dqe", "--fluence", "1", "--edge", edge, "--table", "MemoMTF=" + dir.Path("notes.txt")},
       "xraycalc-cli: --edge and --table MemoMTF=... both give MemoMTF"},
      {{"dqe", "--fluence", "1", "--edge-roi", "0,0,1,1"}, "xraycalc-cli: --edge-roi needs --edge"},
      {{"dqe", "--fluence", "1", "--pitch", "0.1"}, "xraycalc-cli: the image options"},
      {{"dqe", "--fluence", "1", "--edge", edge, "--flat", dir.Path("fine.tif")},
       "xraycalc-cli: the flat fields' spectrum reaches "},
  };
  for (const Bad& c : cases) {
    std::string what;
    for (const std::string& a : c.args) what += a + " ";
    ExpectBadInput(Cli(c.args), c.starts, what);
  }
}

TEST(CliMeasure, UsageAndHelp) {
  for (const auto& [args, usage] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"mtf"}, "usage: xraycalc-cli mtf EDGE_IMAGE "},
           {{"nnps", "--axis", "diagonal", "a.tif"}, "usage: xraycalc-cli nnps FLAT_IMAGE... "},
           {{"mtf", "a.dcm", "--response", "cubic"}, "usage: xraycalc-cli mtf EDGE_IMAGE "}}) {
    const ProcessResult r = Cli(args);
    EXPECT_EQ(r.status, 2);
    const std::vector<std::string> lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 2u) << r.err;
    EXPECT_EQ(lines[1].rfind(usage, 0), 0u) << lines[1];
  }
  for (const auto& [args, mentions] : std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>{
           {{"--help"}, {"mtf", "nnps"}},
           {{"mtf", "--help"}, {"EDGE_IMAGE", "--pitch", "--roi", "--response", "--dark-offset", "--gamma", "--width",
                                "--height", "--offset"}},
           {{"nnps", "--help"}, {"FLAT_IMAGE", "--axis", "--unscaled"}},
           {{"dqe", "--help"}, {"--edge", "--flat", "--edge-roi", "--flat-roi", "--pitch"}}}) {
    const ProcessResult r = Cli(args);
    EXPECT_EQ(r.status, 0);
    for (const std::string& m : mentions) EXPECT_NE(r.out.find(m), std::string::npos) << args[0] << ": " << m;
  }
}

}  // namespace
