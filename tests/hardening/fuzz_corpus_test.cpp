// The fuzz targets in an ordinary build: every seed and regression input kept
// in fuzz/corpus/TARGET/ must pass all of its target's checks (a failed check
// stops the test with its report).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "targets.h"

namespace {

namespace fs = std::filesystem;

struct Target {
  const char* name;
  int (*run)(const std::uint8_t*, std::size_t);
};

void PrintTo(const Target& t, std::ostream* os) { *os << t.name; }

class FuzzCorpus : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzCorpus, EveryInputPasses) {
  const fs::path dir = fs::path(XRAYCALC_FUZZ_CORPUS) / GetParam().name;
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  ASSERT_FALSE(inputs.empty()) << dir;
  for (const fs::path& input : inputs) {
    std::cout << "replaying " << input.filename().string() << std::endl;  // named before a failed check stops the run
    std::ifstream in(input, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(GetParam().run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus,
                         ::testing::Values(Target{"number_text", xray::fuzz::FuzzNumberText},
                                           Target{"lookup", xray::fuzz::FuzzLookup},
                                           Target{"session", xray::fuzz::FuzzSession}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
