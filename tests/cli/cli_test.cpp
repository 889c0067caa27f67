// xraycalc-cli run as a real process: what it prints, on which stream, and
// its exit status. Results are compared with the reference sessions, with a
// headless window driven in-process the same way, and with hand calculations.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "exposure/beam_quality.h"
#include "form/headless_window.h"
#include "form/session.h"
#include "json_compare.h"
#include "kerma_by_hand.h"
#include "numeric/number_text.h"
#include "run_process.h"

namespace {

using nlohmann::json;
using namespace xray;
using test::Lines;
using test::ProcessResult;

ProcessResult Cli(const std::vector<std::string>& args, std::string_view stdin_text = "") {
  return test::RunProcess(XRAYCALC_CLI, args, stdin_text);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string SessionPath(const std::string& file) { return std::string(XRAYCALC_SESSIONS_DIR) + "/" + file; }


std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells(1);
  for (char c : line) {
    if (c == '\t') cells.emplace_back(); else cells.back() += c;
  }
  return cells;
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// Exit status 2 for bad input: one line on standard error, nothing on standard output.
void ExpectBadInput(const ProcessResult& r, const std::string& what) {
  EXPECT_EQ(r.status, 2) << what;
  EXPECT_EQ(r.out, "") << what;
  EXPECT_EQ(Lines(r.err).size(), 1u) << what << ": " << r.err;
}

// Files the command line reads: tables and steps, in a scratch directory.
class ScratchFiles {
 public:
  ScratchFiles() {
    std::string templ = (std::filesystem::temp_directory_path() / "xraycalc-cli-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = templ;
  }
  ~ScratchFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Write(const std::string& name, const std::string& text) const {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Dir() const { return dir_.string(); }

 private:
  std::filesystem::path dir_;
};

// ---------------------------------------------------------------- session

using xray::test::ExpectNumbersNear;
using xray::test::kRelTolerance;

TEST(CliSession, ReferenceSessionSpectlThenDqeFieldByField) {
  const std::string steps = SessionPath("default_spectl_dqe.steps.json");
  const ProcessResult r = Cli({"session", steps});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const json actual = json::parse(r.out);
  const json expected = json::parse(ReadFile(SessionPath("default_spectl_dqe.expected.json")));

  ASSERT_EQ(actual["fields"].size(), expected["fields"].size());
  for (const auto& [name, text] : expected["fields"].items()) EXPECT_EQ(actual["fields"][name], text) << name;
  ASSERT_EQ(actual["memos"].size(), expected["memos"].size());
  for (const auto& [name, lines] : expected["memos"].items()) EXPECT_EQ(actual["memos"][name], lines) << name;
  ASSERT_EQ(actual["series"].size(), expected["series"].size());
  for (const auto& [name, points] : expected["series"].items()) ExpectNumbersNear(actual["series"][name], points, name);
  EXPECT_EQ(actual["errors"], expected["errors"]);
  EXPECT_EQ(actual["store"]["Count"], expected["store"]["Count"]);
  for (const char* array : {"Energy", "Photons", "AddedEnergy", "AddedPhotons"}) {
    ExpectNumbersNear(actual["store"][array], expected["store"][array], array);
  }
  // Byte for byte the state the session module writes, clipboard included.
  EXPECT_EQ(r.out, RunSessionJson(ReadFile(steps)));
}

TEST(CliSession, ReadsTheStepsFromAFileOrStandardInput) {
  const std::string path = SessionPath("added_alone_twice.steps.json");
  const std::string steps = ReadFile(path);
  const std::string state = RunSessionJson(steps);
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string stdin_text;
  };
  for (const Case& c : {Case{"file", {"session", path}, ""}, Case{"dash", {"session", "-"}, steps},
                        Case{"no_file", {"session"}, steps}}) {
    const ProcessResult r = Cli(c.args, c.stdin_text);
    EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
    EXPECT_EQ(r.err, "") << c.name;
    EXPECT_EQ(r.out, state) << c.name;
  }
}

struct BadSessionCase {
  const char* name;
  std::string steps;
  std::string message;  // the whole line on standard error, or its start when prefix_only
  bool prefix_only = false;
};

class CliBadSession : public ::testing::TestWithParam<BadSessionCase> {};

TEST_P(CliBadSession, ExitsTwoNamingTheStepAndRunsNothing) {
  const BadSessionCase& c = GetParam();
  const ProcessResult r = Cli({"session"}, c.steps);
  ExpectBadInput(r, c.name);
  if (c.prefix_only) {
    EXPECT_TRUE(StartsWith(r.err, c.message)) << r.err;
  } else {
    EXPECT_EQ(r.err, c.message + "\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CliBadSession,
    ::testing::Values(
        BadSessionCase{"bad_json", R"([{"press": "ButtonSpectl"},)", "xraycalc-cli session: bad JSON: ", true},
        BadSessionCase{"empty_input", "", "xraycalc-cli session: bad JSON: ", true},
        BadSessionCase{"not_an_array", R"({"press": "ButtonSpectl"})",
                       "xraycalc-cli session: the input must be a JSON array of steps"},
        BadSessionCase{"unknown_control", R"([{"press": "ButtonSpectl"}, {"set": "EditXYZ", "text": "1"}])",
                       "xraycalc-cli session: step 1: unknown control 'EditXYZ'"},
        BadSessionCase{"set_a_button", R"([{"set": "ButtonSpectl", "text": "1"}])",
                       "xraycalc-cli session: step 0: cannot set the text of 'ButtonSpectl': it is a button"},
        BadSessionCase{"press_a_field", R"([{"set": "EditkV", "text": "60"}, {"press": "EditkV"}])",
                       "xraycalc-cli session: step 1: cannot press 'EditkV': it is not a button"},
        BadSessionCase{"unknown_key", R"([{"press": "ButtonSpectl", "twice": true}])",
                       "xraycalc-cli session: step 0: unknown key \"twice\""},
        BadSessionCase{"number_beyond_the_double_range", "[1e400]",
                       "xraycalc-cli session: bad JSON: [json.exception.out_of_range.406] number overflow parsing "
                       "'1e400'"},
        BadSessionCase{"number_beyond_the_double_range_in_a_step",
                       R"([{"set": "EditkV", "text": "60", "x": -1e999}, {"press": "ButtonSpectl"}])",
                       "xraycalc-cli session: bad JSON: [json.exception.out_of_range.406] number overflow parsing "
                       "'-1e999'"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ErrorInSessionCase {
  const char* name;
  std::string steps;
  json errors;
};

class CliErrorInSession : public ::testing::TestWithParam<ErrorInSessionCase> {};

TEST_P(CliErrorInSession, IsListedInTheStateAndExitsZero) {
  const ErrorInSessionCase& c = GetParam();
  const ProcessResult r = Cli({"session"}, c.steps);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(json::parse(r.out)["errors"], c.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CliErrorInSession,
    ::testing::Values(
        ErrorInSessionCase{"not_a_number_then_a_good_run",
                           R"([{"set": "EditkV", "text": "abc"}, {"press": "ButtonSpectl"},
                               {"set": "EditkV", "text": "60"}, {"press": "ButtonSpectl"}])",
                           json::parse(R"([{"step": 1, "message": "'abc' は浮動小数点数ではありません."}])")},
        ErrorInSessionCase{"division_by_zero", R"([{"set": "EditTAngl", "text": "0"}, {"press": "ButtonSpectl"}])",
                           json::parse(R"([{"step": 1, "message": "0 による浮動小数点数除算."}])")},
        ErrorInSessionCase{"two_boxes", R"([{"press": "ButtonCalDQE"}, {"set": "EditG", "text": "x"},
                                            {"press": "ButtonSpectl"}, {"press": "ButtonCalDQE"}])",
                           json::parse(R"([{"step": 0, "message": "'' は浮動小数点数ではありません."},
                                           {"step": 3, "message": "'x' は浮動小数点数ではありません."}])")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliSession, AFileThatCannotBeReadExitsTwo) {
  const ScratchFiles files;
  for (const std::string& path : {files.Path("missing.json"), files.Dir()}) {
    const ProcessResult r = Cli({"session", path}, "[]");
    ExpectBadInput(r, path);
    EXPECT_TRUE(StartsWith(r.err, "xraycalc-cli session: cannot read '" + path + "': ")) << r.err;
  }
}

// ---------------------------------------------------------------- --table

TEST(CliTables, ATableFromAFileIsInTheBoxBeforeFormCreatePlotsIt) {
  const ScratchFiles files;
  const std::string aluminium = "keV\tmu\r\n10\t20\r\n100\t0.2\r\n200\t0.1\r\n";
  const ProcessResult r = Cli({"session", "--table", "MemokeVAlu=" + files.Write("al.txt", aluminium)}, "[]");
  ASSERT_EQ(r.status, 0) << r.err;
  const json state = json::parse(r.out);
  EXPECT_EQ(state["memos"]["MemokeVAlu"], json::parse(R"(["keV\tmu", "10\t20", "100\t0.2", "200\t0.1"])"));
  EXPECT_EQ(state["series"]["FastLineSeries2"], json::parse("[[10, 20], [100, 0.2], [200, 0.1]]"));
  EXPECT_EQ(state["errors"], json::array());
}

TEST(CliTables, DqeWithTheDetectorsOwnWienerSpectrumAndMtf) {
  const ScratchFiles files;
  const std::string ws = "c/mm\tWS\r\n0.1\t1.5e-5\r\n0.5\t1.4e-5\r\n1\t1.2e-5\r\n";
  const std::string mtf = "c/mm\tMTF\n0\t1\n0.4\t0.8\n2\t0.1\n";
  const ProcessResult r = Cli({"dqe", "--fluence", "100000", "--table", "MemoWS=" + files.Write("ws.txt", ws),
                               "--table", "MemoMTF=" + files.Write("mtf.txt", mtf)});
  ASSERT_EQ(r.status, 0) << r.err;

  HeadlessWindow window;
  window.SetMemoText(Memo::MemoWS, ws);
  window.SetMemoText(Memo::MemoMTF, mtf);
  window.Create();
  window.SetField(Field::EditPhtn, "100000");
  window.Click(Button::ButtonCalDQE);
  ASSERT_TRUE(window.ErrorBoxes().empty());
  std::string expected = "cycles/mm\tNEQ(mm^-2)\tDQE(%)\n";
  const auto& neq = window.Lines(Memo::MemoNEQ);
  const auto& dqe = window.Lines(Memo::MemoDQE);
  ASSERT_EQ(neq.size(), 3u);  // the caption and the rows of lines 2 and 3 of the Wiener spectrum
  for (std::size_t k = 1; k < neq.size(); ++k) expected += neq[k] + "\t" + Cells(dqe[k])[1] + "\n";
  EXPECT_EQ(r.out, expected);
}

TEST(CliTables, UnusableTableOptionsExitTwoOnEverySubcommand) {
  const ScratchFiles files;
  const std::string ws = files.Write("ws.txt", "c/mm\tWS\n0.1\t1\n");
  struct Case {
    std::string argument;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"Foo=" + ws, "'Foo' is not a table (one of MemokeVWu, MemokeVAlu, MemokeVAir, MemokeVC, MemoCX, MemoMTF, MemoWS)"},
      {"MemoNEQ=" + ws, "'MemoNEQ' is not a table"},
      {"MemoWS", "expected NAME=FILE"},
      {"MemoWS=", "no file after '='"},
      {"MemoWS=" + files.Path("missing.txt"), "cannot read '" + files.Path("missing.txt") + "': "},
      {"MemoWS=" + files.Dir(), "cannot read '" + files.Dir() + "': "},
  };
  for (const char* sub : {"session", "spectrum", "dqe"}) {
    for (const Case& c : cases) {
      const ProcessResult r = Cli({sub, "--table", c.argument}, "[]");
      ExpectBadInput(r, std::string(sub) + " --table " + c.argument);
      EXPECT_TRUE(StartsWith(r.err, "xraycalc-cli: --table " + c.argument + ": " + c.reason)) << r.err;
    }
  }
}

// ---------------------------------------------------------------- spectrum

struct PrintedSpectrum {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::pair<std::string, std::string>> summary;
};

PrintedSpectrum ParseSpectrum(const std::string& out) {
  PrintedSpectrum p;
  const std::vector<std::string> lines = Lines(out);
  std::size_t k = 0;
  if (k < lines.size()) p.header = Cells(lines[k++]);
  for (; k < lines.size() && !lines[k].empty(); ++k) p.rows.push_back(Cells(lines[k]));
  for (++k; k < lines.size(); ++k) {
    const std::vector<std::string> cells = Cells(lines[k]);
    p.summary.emplace_back(cells.front(), cells.size() == 2 ? cells[1] : "<" + lines[k] + ">");
  }
  return p;
}

struct SpectrumCase {
  const char* name;
  std::vector<std::string> args;
  std::map<Field, std::string> fields;
  std::optional<std::pair<Memo, std::string>> table;
};

class CliSpectrum : public ::testing::TestWithParam<SpectrumCase> {
 protected:
  // The command's output and the same run in an in-process window.
  void Run() {
    const SpectrumCase& c = GetParam();
    std::vector<std::string> args = {"spectrum"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    if (c.table) {
      window_.SetMemoText(c.table->first, c.table->second);
      args.push_back("--table");
      args.push_back(std::string(Name(c.table->first)) + "=" + files_.Write("table.txt", c.table->second));
    }
    const ProcessResult r = Cli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    printed_ = ParseSpectrum(r.out);
    window_.Create();
    for (const auto& [field, text] : c.fields) window_.SetField(field, text);
    window_.Click(Button::ButtonSpectl);
    ASSERT_TRUE(window_.ErrorBoxes().empty());
  }

  ScratchFiles files_;
  HeadlessWindow window_;
  PrintedSpectrum printed_;
};

TEST_P(CliSpectrum, ColumnsAreTheWindowsSeries) {
  ASSERT_NO_FATAL_FAILURE(Run());
  EXPECT_EQ(printed_.header, (std::vector<std::string>{"keV", "Inherent(%)", "Inherent+Added(photons/mm^2)"}));
  const auto& inherent = window_.Points(Series::Series1);
  const auto& added = window_.Points(Series::FastLineSeries6);
  ASSERT_EQ(printed_.rows.size(), static_cast<std::size_t>(window_.store().Count));
  ASSERT_EQ(inherent.size(), printed_.rows.size());
  ASSERT_EQ(added.size(), printed_.rows.size());
  for (std::size_t i = 0; i < printed_.rows.size(); ++i) {
    EXPECT_EQ(printed_.rows[i],
              (std::vector<std::string>{FloatToText(inherent[i].x), FloatToText(inherent[i].y), FloatToText(added[i].y)}))
        << "bin " << i;
  }
  ASSERT_EQ(printed_.summary.size(), 4u);
  EXPECT_EQ(printed_.summary[0], std::make_pair(std::string("Fluence(photons/mm^2)"), window_.FieldText(Field::EditPhtn)));
  EXPECT_EQ(printed_.summary[1].first, "MeanEnergy(keV)");
  EXPECT_EQ(printed_.summary[2].first, "HVL1(mm Al)");
  EXPECT_EQ(printed_.summary[3].first, "HVL2(mm Al)");
}

// The summary worked out from the printed columns and the tables by hand.
// The printed photon numbers have 15 digits; that moves the layers by far less
// than the 1e-9 mm slack of the grid check.
TEST_P(CliSpectrum, MeanEnergyAndLayersMatchAHandCalculation) {
  ASSERT_NO_FATAL_FAILURE(Run());
  ASSERT_EQ(printed_.summary.size(), 4u);
  const test::HandTable air = test::ParseRows(window_.Lines(Memo::MemokeVAir));
  const test::HandTable al = test::ParseRows(window_.Lines(Memo::MemokeVAlu));
  const double rho = std::stod(window_.FieldText(Field::EditDnsAl));
  std::vector<test::HandBin> bins;
  double n_total = 0, ne_total = 0;
  for (const auto& row : printed_.rows) {
    const double e = std::stod(row[0]), n = std::stod(row[2]);
    bins.push_back({e, n, test::HandLogLog(air, e), test::HandLogLog(al, e)});
    n_total += n;
    ne_total += n * e;
  }
  EXPECT_NEAR(std::stod(printed_.summary[1].second), ne_total / n_total, 1e-12 * ne_total / n_total);
  const double hvl1 = std::stod(printed_.summary[2].second);
  const double hvl2 = std::stod(printed_.summary[3].second);
  test::ExpectFirstGridStepAtOrAbove(hvl1, test::HandThickness_mm(bins, rho, 0.5), "HVL1");
  test::ExpectFirstGridStepAtOrAbove(hvl1 + hvl2, test::HandThickness_mm(bins, rho, 0.25), "HVL1 + HVL2");
  EXPECT_GT(hvl2, hvl1);  // the filtered beam still hardens
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CliSpectrum,
    ::testing::Values(
        SpectrumCase{"defaults", {}, {}, std::nullopt},
        SpectrumCase{"kv60_no_added_filter", {"--kv", "60", "--added", "0"},
                     {{Field::EditkV, "60"}, {Field::EditAdd, "0"}}, std::nullopt},
        SpectrumCase{"kv120_other_header_fields",
                     {"--kv", "120", "--mR", "2", "--angle", "12", "--inherent", "3", "--w-density", "19.3",
                      "--al-density", "2.699"},
                     {{Field::EditkV, "120"}, {Field::EditmR, "2"}, {Field::EditTAngl, "12"},
                      {Field::EditInhrnt, "3"}, {Field::EditDnsW, "19.3"}, {Field::EditDnsAl, "2.699"}},
                     std::nullopt},
        // Texts go into the fields unchanged; spaces around a number are the window's to skip.
        SpectrumCase{"spaced_text", {"--kv", " 90 ", "--added", "1E1"},
                     {{Field::EditkV, " 90 "}, {Field::EditAdd, "1E1"}}, std::nullopt},
        SpectrumCase{"own_aluminium_table", {"--kv", "100"}, {{Field::EditkV, "100"}},
                     std::make_pair(Memo::MemokeVAlu, std::string("keV\tmu\n10\t26\n20\t3.3\n40\t0.55\n"
                                                                  "80\t0.2\n150\t0.14\n200\t0.12\n"))}),
    [](const auto& info) { return std::string(info.param.name); });

// The default run as the README shows it; the hand check above covers its values.
TEST(CliSpectrumDefault, SummaryOfTheWindowsDefaults) {
  const PrintedSpectrum p = ParseSpectrum(Cli({"spectrum"}).out);
  ASSERT_EQ(p.rows.size(), 131u);  // 15 to 80 keV in 0.5 keV bins
  const std::vector<std::pair<std::string, std::string>> expected = {{"Fluence(photons/mm^2)", "249674.095168518"},
                                                                     {"MeanEnergy(keV)", "56.1109609357115"},
                                                                     {"HVL1(mm Al)", "7.317"},
                                                                     {"HVL2(mm Al)", "7.986"}};
  EXPECT_EQ(p.summary, expected);
}

// ---------------------------------------------------------------- dqe

TEST(CliDqe, DefaultRunEqualsTheReferenceSessionsBoxes) {
  const ProcessResult r = Cli({"dqe"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const json expected = json::parse(ReadFile(SessionPath("default_spectl_dqe.expected.json")));
  const json& neq = expected["memos"]["MemoNEQ"];
  const json& dqe = expected["memos"]["MemoDQE"];
  std::string text = "cycles/mm\tNEQ(mm^-2)\tDQE(%)\n";
  for (std::size_t k = 1; k < neq.size(); ++k) {
    text += neq[k].get<std::string>() + "\t" + Cells(dqe[k].get<std::string>())[1] + "\n";
  }
  EXPECT_EQ(r.out, text);
}

// NEQ grows with the square of the gamma; DQE is NEQ over the fluence, in percent.
TEST(CliDqe, ScalesWithGammaAndFluenceAsTheModelSays) {
  auto columns = [](const std::vector<std::string>& args) {
    const ProcessResult r = Cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::vector<double>> rows;
    const std::vector<std::string> lines = Lines(r.out);
    for (std::size_t k = 1; k < lines.size(); ++k) {
      std::vector<double> row;
      for (const std::string& cell : Cells(lines[k])) row.push_back(std::stod(cell));
      rows.push_back(row);
    }
    return rows;
  };
  const auto base = columns({"dqe", "--fluence", "100000"});
  const auto gamma2 = columns({"dqe", "--fluence", "100000", "--gamma", "2047.5"});
  const auto fluence2 = columns({"dqe", "--fluence", "200000"});
  ASSERT_EQ(base.size(), 31u);
  ASSERT_EQ(gamma2.size(), base.size());
  ASSERT_EQ(fluence2.size(), base.size());
  // The first frequency of the built-in tables: MTF about 0.980, NEQ about 9.92e4 per mm^2.
  EXPECT_EQ(base[0][0], 0.208333333);
  EXPECT_NEAR(base[0][1], 9.92e4, 0.01e4);
  for (std::size_t k = 0; k < base.size(); ++k) {
    const double neq = base[k][1], dqe = base[k][2];
    EXPECT_NEAR(dqe, neq / 100000 * 100, kRelTolerance * dqe) << k;
    EXPECT_NEAR(gamma2[k][1], 4 * neq, kRelTolerance * 4 * neq) << k;
    EXPECT_NEAR(gamma2[k][2], 4 * dqe, kRelTolerance * 4 * dqe) << k;
    EXPECT_EQ(fluence2[k][1], neq) << k;
    EXPECT_NEAR(fluence2[k][2], dqe / 2, kRelTolerance * dqe) << k;
  }
}

// ---------------------------------------------------------------- exit statuses

struct CalcErrorCase {
  const char* name;
  std::vector<std::string> args;
  std::string boxes;  // standard error: every box the window showed, a line each
  std::optional<std::pair<std::string, std::string>> table = std::nullopt;
};

class CliCalcError : public ::testing::TestWithParam<CalcErrorCase> {};

TEST_P(CliCalcError, ExitsOneWithTheWindowsErrorBox) {
  const CalcErrorCase& c = GetParam();
  const ScratchFiles files;
  std::vector<std::string> args = c.args;
  if (c.table) {
    args.push_back("--table");
    args.push_back(c.table->first + "=" + files.Write("table.txt", c.table->second));
  }
  const ProcessResult r = Cli(args);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, c.boxes);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CliCalcError,
    ::testing::Values(
        CalcErrorCase{"kv_not_a_number", {"spectrum", "--kv", "abc"}, "'abc' は浮動小数点数ではありません.\n"},
        // A tab is not skipped like a space: the text reaches the field as typed.
        CalcErrorCase{"kv_with_a_tab", {"spectrum", "--kv", "80\t"}, "'80\t' は浮動小数点数ではありません.\n"},
        CalcErrorCase{"empty_exposure", {"spectrum", "--mR", ""}, "'' は浮動小数点数ではありません.\n"},
        CalcErrorCase{"added_with_a_unit", {"spectrum", "--added", "2mm"}, "'2mm' は浮動小数点数ではありません.\n"},
        CalcErrorCase{"target_angle_zero", {"spectrum", "--angle", "0"}, "0 による浮動小数点数除算.\n"},
        // The tungsten table ends at 150 keV: the lookup reads the empty line after it.
        CalcErrorCase{"kv_150", {"spectrum", "--kv", "150"}, "'' は浮動小数点数ではありません.\n"},
        CalcErrorCase{"below_the_first_bin", {"spectrum", "--kv", "10"},
                      "the spectrum holds no photons: its mean energy and half-value layers are undefined.\n"},
        // FormCreate shows the bad row once, the "Added" lookup inside "Spectl" again.
        CalcErrorCase{"bad_air_table",
                      {"spectrum"},
                      "'q' は浮動小数点数ではありません.\n'q' は浮動小数点数ではありません.\n",
                      std::make_pair("MemokeVAir", "keV\tmu\n10\tq\n200\t1\n")},
        CalcErrorCase{"dqe_gamma_not_a_number", {"dqe", "--gamma", "g"}, "'g' は浮動小数点数ではありません.\n"},
        CalcErrorCase{"dqe_fluence_zero", {"dqe", "--fluence", "0"}, "0 による浮動小数点数除算.\n"},
        CalcErrorCase{"dqe_spectrum_fails", {"dqe", "--kv", "x"}, "'x' は浮動小数点数ではありません.\n"},
        CalcErrorCase{"dqe_bad_wiener_row",
                      {"dqe", "--fluence", "1"},
                      "'zz' は浮動小数点数ではありません.\n",
                      std::make_pair("MemoWS", "c/mm\tWS\n0.1\t1\n0.2\tzz\n")}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadOptionsCase {
  const char* name;
  std::vector<std::string> args;
  std::string usage;  // how the usage line starts
};

class CliBadOptions : public ::testing::TestWithParam<BadOptionsCase> {};

TEST_P(CliBadOptions, ExitTwoWithAUsageLine) {
  const BadOptionsCase& c = GetParam();
  const ProcessResult r = Cli(c.args);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  const std::vector<std::string> lines = Lines(r.err);
  ASSERT_EQ(lines.size(), 2u) << r.err;
  EXPECT_TRUE(StartsWith(lines[0], "xraycalc-cli: ")) << lines[0];
  EXPECT_TRUE(StartsWith(lines[1], c.usage)) << lines[1];
}

INSTANTIATE_TEST_SUITE_P(
    Options, CliBadOptions,
    ::testing::Values(
        BadOptionsCase{"no_subcommand", {}, "usage: xraycalc-cli {session|spectrum|dqe|mtf|nnps}"},
        BadOptionsCase{"unknown_subcommand", {"frobnicate"}, "usage: xraycalc-cli {session|spectrum|dqe|mtf|nnps}"},
        BadOptionsCase{"option_before_subcommand", {"--kv", "80", "spectrum"}, "usage: xraycalc-cli spectrum "},
        BadOptionsCase{"unknown_option", {"spectrum", "--bogus"}, "usage: xraycalc-cli spectrum "},
        BadOptionsCase{"missing_value", {"spectrum", "--kv"}, "usage: xraycalc-cli spectrum "},
        BadOptionsCase{"stray_argument", {"spectrum", "80"}, "usage: xraycalc-cli spectrum "},
        BadOptionsCase{"option_of_another_subcommand", {"spectrum", "--gamma", "2"}, "usage: xraycalc-cli spectrum "},
        BadOptionsCase{"fluence_and_spectrum", {"dqe", "--fluence", "1", "--kv", "60"}, "usage: xraycalc-cli dqe "},
        BadOptionsCase{"gamma_without_value", {"dqe", "--gamma"}, "usage: xraycalc-cli dqe "},
        BadOptionsCase{"two_session_files", {"session", "a.json", "b.json"}, "usage: xraycalc-cli session "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliHelp, EverySubcommandListsItsOptions) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> mentions;
  };
  const std::vector<std::string> spectrum_options = {"--kv", "--angle", "--inherent", "--added",
                                                     "--w-density", "--al-density", "--mR", "--table"};
  std::vector<std::string> dqe_options = spectrum_options;
  dqe_options.insert(dqe_options.end(), {"--gamma", "--fluence"});
  for (const Case& c : {Case{{"--help"}, {"session", "spectrum", "dqe", "--version"}},
                        Case{{"session", "--help"}, {"FILE", "--table"}}, Case{{"spectrum", "--help"}, spectrum_options},
                        Case{{"dqe", "-h"}, dqe_options}}) {
    const ProcessResult r = Cli(c.args);
    EXPECT_EQ(r.status, 0) << c.args[0];
    EXPECT_EQ(r.err, "");
    for (const std::string& m : c.mentions) EXPECT_NE(r.out.find(m), std::string::npos) << c.args[0] << ": " << m;
  }
}

TEST(CliHelp, VersionIsTheProjects) {
  const ProcessResult r = Cli({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, std::string("xraycalc-cli ") + XRAYCALC_VERSION + "\n");
  EXPECT_EQ(r.err, "");
}

// ---------------------------------------------------------------- failures around the calculation

// The command line started by a shell running script, in which "$0" "$@" is
// the command line with args: for redirections, limits and signal actions.
ProcessResult CliInShell(const std::string& script, const std::vector<std::string>& args,
                         std::string_view stdin_text = "", test::StdoutTo stdout_to = test::StdoutTo::kFile) {
  std::vector<std::string> shell_args = {"-c", script, XRAYCALC_CLI};
  shell_args.insert(shell_args.end(), args.begin(), args.end());
  return test::RunProcess("/bin/sh", shell_args, stdin_text, stdout_to);
}

struct OutputCase {
  const char* name;
  std::vector<std::string> args;
  int status;  // when standard output takes what is written
};

// Every kind of run that prints, and two that print nothing on standard output.
const OutputCase kOutputCases[] = {
    {"session", {"session", "-"}, 0},    {"spectrum", {"spectrum", "--kv", "70", "--added", "21"}, 0},
    {"dqe", {"dqe"}, 0},                 {"help", {"--help"}, 0},
    {"session_help", {"session", "-h"}, 0}, {"version", {"--version"}, 0},
    {"calc_error", {"spectrum", "--kv", "abc"}, 1}, {"bad_option", {"spectrum", "--bogus"}, 2},
};

TEST(CliOutput, AFailedWriteIsReportedAndExitsThree) {
  struct Sink {
    const char* redirection;
    int error;
  };
  for (const Sink& sink : {Sink{"> /dev/full", ENOSPC}, Sink{">&-", EBADF}}) {
    for (const OutputCase& c : kOutputCases) {
      const std::string what = std::string(c.name) + " " + sink.redirection;
      const ProcessResult r = CliInShell(std::string("exec \"$0\" \"$@\" ") + sink.redirection, c.args, "[]");
      if (c.status != 0) {  // nothing was to be written: nothing was lost
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_EQ(r.err.find("standard output"), std::string::npos) << what << ": " << r.err;
        continue;
      }
      EXPECT_EQ(r.status, 3) << what;
      EXPECT_EQ(r.err, std::string("xraycalc-cli: cannot write standard output: ") + std::strerror(sink.error) + "\n")
          << what;
    }
  }
}

// As with any filter ("yes | head -1"): SIGPIPE ends the program, which a shell
// shows as status 141 without a word; also when SIGPIPE came in ignored.
TEST(CliOutput, AReaderThatHasGoneEndsTheProgramQuietlyBySigpipe) {
  for (const char* script : {"exec \"$0\" \"$@\"", "trap '' PIPE; exec \"$0\" \"$@\""}) {
    for (const OutputCase& c : kOutputCases) {
      if (c.status != 0) continue;
      const ProcessResult r = CliInShell(script, c.args, "[]", test::StdoutTo::kClosedPipe);
      EXPECT_EQ(r.signal, SIGPIPE) << c.name << " after " << script << ": status " << r.status;
      EXPECT_EQ(r.err, "") << c.name << " after " << script;
    }
  }
}

// Input is read up to 256 MiB, far above any real table or session.
TEST(CliInput, MoreThan256MiBIsRefusedEndlessInputToo) {
  constexpr std::uintmax_t kLimit = std::uintmax_t{256} << 20;
  const ScratchFiles files;
  const std::string at_limit = files.Write("at_limit.json", "");
  const std::string past_limit = files.Write("past_limit.json", "");
  std::filesystem::resize_file(at_limit, kLimit);  // NUL bytes, sparse
  std::filesystem::resize_file(past_limit, kLimit + 1);
  const std::string too_large = " holds more than 256 MiB, the most a table or a session may hold\n";
  struct Case {
    std::string script;
    std::vector<std::string> args;
    std::string err;
  };
  const std::string run = "exec \"$0\" \"$@\"";
  for (const Case& c : {Case{run, {"session", "/dev/zero"}, "xraycalc-cli session: '/dev/zero'" + too_large},
                        Case{run + " < /dev/zero", {"session"}, "xraycalc-cli session: standard input" + too_large},
                        Case{run, {"dqe", "--table", "MemoWS=/dev/zero"},
                             "xraycalc-cli: --table MemoWS=/dev/zero: '/dev/zero'" + too_large},
                        Case{run, {"session", past_limit}, "xraycalc-cli session: '" + past_limit + "'" + too_large},
                        // At the limit the file is read, and its NULs are no JSON.
                        Case{run, {"session", at_limit}, "xraycalc-cli session: bad JSON: "}}) {
    const ProcessResult r = CliInShell(c.script, c.args);
    ExpectBadInput(r, c.args.back());
    EXPECT_TRUE(StartsWith(r.err, c.err)) << r.err;
  }
}

TEST(CliInput, RunningOutOfMemoryIsAnErrorMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves far more address space than the limit here leaves";
#endif
  // 150 MB of address space: the endless input runs out of memory before it
  // reaches the size limit.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"session", "/dev/zero"}, {"spectrum", "--table", "MemokeVWu=/dev/zero"}}) {
    const ProcessResult r = CliInShell("ulimit -v 150000 && exec \"$0\" \"$@\"", args);
    EXPECT_EQ(r.status, 4) << args[0];
    EXPECT_EQ(r.out, "") << args[0];
    EXPECT_EQ(r.err, "xraycalc-cli: out of memory\n") << args[0];
  }
}

// Every "DQE(u)" box quotes the whole gamma: 1 MiB of it that is no number,
// pressed 300 times, would pile up 300 MiB of boxes (and print them). The 256th
// box, at step 2 + 255, passes the 256 MiB limit.
TEST(CliSession, ErrorBoxesPast256MiBAreRefused) {
  json steps = json::array({{{"set", "EditPhtn"}, {"text", "250000"}}, {{"set", "EditG"}, {"text", std::string(1 << 20, 'x')}}});
  for (int k = 0; k < 300; ++k) steps.push_back({{"press", "ButtonCalDQE"}});
  const ProcessResult r = Cli({"session"}, steps.dump());
  ExpectBadInput(r, "piled-up boxes");
  EXPECT_EQ(r.err,
            "xraycalc-cli session: step 257: the error boxes of the session pass 256 MiB of text, the most a session "
            "may show; the session is refused\n");
}

}  // namespace
