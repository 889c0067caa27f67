// Comparing window states written as JSON against reference sessions.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

namespace xray::test {

// Numbers agree to 1e-12 relative, as the reference sessions are checked: the
// last bit of a double may differ where an intermediate's precision is a
// matter of reading.
inline constexpr double kRelTolerance = 1e-12;

// Compares a number, or nested arrays of numbers, element by element.
inline void ExpectNumbersNear(const nlohmann::json& actual, const nlohmann::json& expected, const std::string& where) {
  ASSERT_EQ(actual.is_array(), expected.is_array()) << where;
  if (expected.is_array()) {
    ASSERT_EQ(actual.size(), expected.size()) << where;
    for (std::size_t k = 0; k < expected.size(); ++k) {
      ExpectNumbersNear(actual[k], expected[k], where + "[" + std::to_string(k) + "]");
    }
    return;
  }
  const double a = actual.get<double>();
  const double e = expected.get<double>();
  EXPECT_LE(std::fabs(a - e), kRelTolerance * std::fabs(e)) << where << ": " << a << " vs " << e;
}

}  // namespace xray::test
