// Helpers shared by the measurement tests: a scratch directory, and the
// message of a MeasureError compared with its template.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "measure/measure_error.h"

namespace xray::measure::test {

// A fresh directory, removed with everything in it at the end of the scope.
class ScratchDir {
 public:
  ScratchDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "xraycalc-measure-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = templ;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

// The message of the MeasureError f throws; fails the test when it throws none.
template <typename F>
std::string MeasureErrorOf(F&& f) {
  try {
    f();
  } catch (const MeasureError& e) {
    return e.what();
  }
  ADD_FAILURE() << "no MeasureError thrown";
  return "";
}

// True when message is the template with its "%s" filled in somehow: every
// fixed piece of the template appears, in order.
inline bool MatchesTemplate(std::string_view message, std::string_view templ) {
  std::size_t at = 0;
  bool first = true;
  while (!templ.empty()) {
    const std::size_t hole = templ.find("%s");
    const std::string_view piece = templ.substr(0, hole);
    const std::size_t found = message.find(piece, at);
    if (found == std::string_view::npos || (first && found != 0)) return false;
    at = found + piece.size();
    first = false;
    templ = hole == std::string_view::npos ? std::string_view() : templ.substr(hole + 2);
    if (hole == std::string_view::npos) return at == message.size();
  }
  return true;
}

}  // namespace xray::measure::test
