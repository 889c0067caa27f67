// Small helpers shared by the core's tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "form/headless_window.h"
#include "numeric/calc_error.h"

namespace xray::test {

// The message of the CalcError that f throws, or "" when it throws none.
template <typename F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const CalcError& e) {
    return e.message();
  }
  return "";
}

inline std::string NotAFloat(std::string_view text) {
  return "'" + std::string(text) + "' は浮動小数点数ではありません";
}

// An error box as the window shows it: the message and its period.
inline std::string Box(std::string_view message) { return std::string(message) + "."; }

// The last error box shown, or "" when none was.
inline std::string LastBox(const HeadlessWindow& w) {
  return w.ErrorBoxes().empty() ? std::string() : w.ErrorBoxes().back();
}

// Two windows show the same thing: every field, box line, series point (to
// the bit), the clipboard, the error boxes and the whole store.
inline void ExpectSameState(const HeadlessWindow& a, const HeadlessWindow& b, const std::string& what) {
  for (Field f : kAllFields) EXPECT_EQ(a.FieldText(f), b.FieldText(f)) << what << ": " << Name(f);
  for (Memo m : kAllMemos) EXPECT_EQ(a.Lines(m), b.Lines(m)) << what << ": " << Name(m);
  for (Series s : kAllSeries) EXPECT_EQ(a.Points(s), b.Points(s)) << what << ": " << Name(s);
  EXPECT_EQ(a.Clipboard(), b.Clipboard()) << what << ": clipboard";
  EXPECT_EQ(a.ErrorBoxes(), b.ErrorBoxes()) << what << ": error boxes";
  EXPECT_EQ(a.store().Count, b.store().Count) << what;
  EXPECT_EQ(a.store().Energy, b.store().Energy) << what << ": Energy";
  EXPECT_EQ(a.store().Photons, b.store().Photons) << what << ": Photons";
  EXPECT_EQ(a.store().AddedEnergy, b.store().AddedEnergy) << what << ": AddedEnergy";
  EXPECT_EQ(a.store().AddedPhotons, b.store().AddedPhotons) << what << ": AddedPhotons";
}

// Splits a clipboard text into rows (each ended by "\r") of tab-separated fields.
inline std::vector<std::vector<std::string>> ClipboardRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\r', start);
    const std::string row = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::vector<std::string> fields(1);
    for (char c : row) {
      if (c == '\t') fields.emplace_back(); else fields.back() += c;
    }
    rows.push_back(fields);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return rows;
}

}  // namespace xray::test
