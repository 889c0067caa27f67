// Reference sessions computed independently of this code: texts must match
// exactly, numbers to 1e-12 relative (the last bit of a double may differ where
// an intermediate's precision is a matter of reading).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "form/session.h"
#include "json_compare.h"

namespace {

using nlohmann::json;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

using xray::test::ExpectNumbersNear;

// Splits a clipboard text into its number fields, keeping the separators.
std::vector<std::string> Tokens(const std::string& text) {
  std::vector<std::string> tokens(1);
  for (char c : text) {
    if (c == '\t' || c == '\r') {
      tokens.push_back(std::string(1, c));
      tokens.emplace_back();
    } else {
      tokens.back() += c;
    }
  }
  return tokens;
}

// Clipboard texts: the same rows, fields and separators; a number field may
// differ in its 15th digit where the double behind it differs in its last bit.
void ExpectSameClipboard(const json& actual, const json& expected) {
  ASSERT_EQ(actual.is_null(), expected.is_null());
  if (expected.is_null()) return;
  const auto a = Tokens(actual.get<std::string>());
  const auto e = Tokens(expected.get<std::string>());
  ASSERT_EQ(a.size(), e.size());
  int inexact = 0;
  for (std::size_t k = 0; k < e.size(); ++k) {
    if (a[k] == e[k]) continue;
    ++inexact;
    const double av = std::stod(a[k]);
    const double ev = std::stod(e[k]);
    EXPECT_LE(std::fabs(av - ev), 1e-14 * std::fabs(ev)) << "field " << k << ": " << a[k] << " vs " << e[k];
    EXPECT_EQ(a[k].size(), e[k].size()) << "field " << k << ": " << a[k] << " vs " << e[k];
  }
  EXPECT_LE(inexact, 3) << "more than a few last-digit differences";
}

class GoldenSession : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenSession, MatchesReferenceState) {
  const std::string dir = XRAYCALC_GOLDEN_DIR;
  const std::string name = GetParam();
  const json expected = json::parse(ReadFile(dir + "/" + name + ".expected.json"));
  const json actual = json::parse(xray::RunSessionJson(ReadFile(dir + "/" + name + ".steps.json")));

  EXPECT_EQ(actual["fields"], expected["fields"]);
  EXPECT_EQ(actual["memos"], expected["memos"]);
  ExpectSameClipboard(actual["clipboard"], expected["clipboard"]);
  EXPECT_EQ(actual["errors"], expected["errors"]);
  for (const auto& [series, points] : expected["series"].items()) {
    ExpectNumbersNear(actual["series"][series], points, series);
  }
  EXPECT_EQ(actual["store"]["Count"], expected["store"]["Count"]);
  for (const char* array : {"Energy", "Photons", "AddedEnergy", "AddedPhotons"}) {
    ExpectNumbersNear(actual["store"][array], expected["store"][array], array);
  }
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenSession,
                         ::testing::Values("default_spectl_dqe", "added_alone_twice", "bad_editmr",
                                           "dqe_before_spectl", "kv_150_failure", "v_15_single_bin"));

}  // namespace
