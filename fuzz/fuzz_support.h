// Shared pieces of the fuzz targets: reading a fuzz input as records, failing
// loudly with a readable description, and comparing two windows bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "form/headless_window.h"

namespace xray::fuzz {

// Records of an input are separated by this byte (ASCII "record separator"),
// so that seeds stay readable and texts may hold any other byte, NUL included.
inline constexpr char kRecordSeparator = '\x1e';

// The first max_records records of the input; the rest is ignored.
inline std::vector<std::string_view> Records(const std::uint8_t* data, std::size_t size, std::size_t max_records) {
  std::vector<std::string_view> records;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (records.size() < max_records && start <= all.size()) {
    const std::size_t end = all.find(kRecordSeparator, start);
    records.push_back(all.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return records;
}

// A byte as a choice among n (digits '0'.. read as 0.., any other byte wraps).
inline std::size_t Choice(std::string_view record, std::size_t at, std::size_t n) {
  if (at >= record.size()) return 0;
  return (static_cast<unsigned char>(record[at]) + 256 * n - '0') % n;
}

// Text with control bytes escaped, for failure reports (UTF-8 passes through).
inline std::string Printable(std::string_view text, std::size_t limit = 200) {
  std::string out;
  for (std::size_t k = 0; k < text.size() && k < limit; ++k) {
    const unsigned char c = static_cast<unsigned char>(text[k]);
    if (c >= 0x20 && c != 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    }
  }
  if (text.size() > limit) out += "...(" + std::to_string(text.size()) + " bytes)";
  return out;
}

// Reports a broken property and stops the run, so that the fuzzer keeps the input.
[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** xraycalc fuzz check failed: %s\n", what.c_str());
  std::fflush(stderr);
  __builtin_trap();
}

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The first difference between what two windows show, or "" when they show the
// same: every field, box line, series point and store entry to the bit, the
// clipboard and the error boxes.
inline std::string FirstDifference(const HeadlessWindow& a, const HeadlessWindow& b) {
  for (Field f : kAllFields) {
    if (a.FieldText(f) != b.FieldText(f)) {
      return std::string(Name(f)) + ": '" + Printable(a.FieldText(f)) + "' vs '" + Printable(b.FieldText(f)) + "'";
    }
  }
  for (Memo m : kAllMemos) {
    if (a.Lines(m) != b.Lines(m)) return std::string(Name(m)) + " differs";
  }
  for (Series s : kAllSeries) {
    const auto& pa = a.Points(s);
    const auto& pb = b.Points(s);
    if (pa.size() != pb.size()) {
      return std::string(Name(s)) + ": " + std::to_string(pa.size()) + " vs " + std::to_string(pb.size()) + " points";
    }
    for (std::size_t k = 0; k < pa.size(); ++k) {
      if (!SameBits(pa[k].x, pb[k].x) || !SameBits(pa[k].y, pb[k].y)) {
        return std::string(Name(s)) + ": point " + std::to_string(k) + " differs";
      }
    }
  }
  if (a.Clipboard() != b.Clipboard()) return "clipboard differs";
  if (a.ErrorBoxes() != b.ErrorBoxes()) {
    std::string what = "error boxes differ:";
    for (const auto& box : a.ErrorBoxes()) what += " [" + Printable(box) + "]";
    what += " vs";
    for (const auto& box : b.ErrorBoxes()) what += " [" + Printable(box) + "]";
    return what;
  }
  const SpectrumStore& sa = a.store();
  const SpectrumStore& sb = b.store();
  if (sa.Count != sb.Count) return "Count " + std::to_string(sa.Count) + " vs " + std::to_string(sb.Count);
  if (std::memcmp(sa.Energy.data(), sb.Energy.data(), sizeof sa.Energy) != 0) return "store Energy differs";
  if (std::memcmp(sa.Photons.data(), sb.Photons.data(), sizeof sa.Photons) != 0) return "store Photons differs";
  if (std::memcmp(sa.AddedEnergy.data(), sb.AddedEnergy.data(), sizeof sa.AddedEnergy) != 0) {
    return "store AddedEnergy differs";
  }
  if (std::memcmp(sa.AddedPhotons.data(), sb.AddedPhotons.data(), sizeof sa.AddedPhotons) != 0) {
    return "store AddedPhotons differs";
  }
  return "";
}

}  // namespace xray::fuzz
