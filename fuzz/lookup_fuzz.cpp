// SplitRow and the lookups over arbitrary table texts, targets and edits,
// through two table readers over one window: one keeping converted rows
// (the cache), one reading the text afresh at every call. Each lookup must
// give the same double, to the bit, or fail with the same message, whatever
// came before it.
//
// Input: records separated by 0x1E. The first is the table text pasted over
// the box; each later one is an operation, chosen by its first byte:
//   L<target>  LookupLinear            U<target>  LookupLinearUpperFirst
//   G<target>  LookupLogLog            S<row>     SplitRow of the row text
//   E<k><line> line k (a byte, '0' = 0) replaced, or appended if past the end
//   T<text>    the whole box pasted over again
// A target is "@k" (the x of line k), "@k+"/"@k-" (the next double above or
// below it), "#" and 8 raw bytes (any double, NaN and infinities included),
// or text read by strtod (so "inf", "nan", "0x1p-3" and "1e-320" work too).
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/headless_window.h"
#include "fuzz_support.h"
#include "numeric/calc_error.h"
#include "numeric/fp_errors.h"
#include "numeric/number_text.h"
#include "tables/lookup.h"
#include "tables/reference_table.h"
#include "targets.h"

namespace xray::fuzz {

namespace {

constexpr std::size_t kMaxOperations = 64;
constexpr Memo kBox = Memo::MemokeVAlu;

struct Outcome {
  std::optional<double> value;
  std::string error;
  bool operator==(const Outcome& o) const {
    return value.has_value() == o.value.has_value() && (!value || SameBits(*value, *o.value)) && error == o.error;
  }
};

std::string Describe(const Outcome& o) {
  if (o.value) return FloatToText(*o.value);
  return "error '" + Printable(o.error) + "'";
}

template <typename F>
Outcome Run(F&& f) {
  fp::Clear();  // as every handler does before its first lookup
  try {
    return {f(), ""};
  } catch (const CalcError& e) {
    return {std::nullopt, e.message()};
  }
}

double Target(const HeadlessWindow& w, std::string_view text) {
  if (!text.empty() && text[0] == '#') {
    double d = 0;
    std::memcpy(&d, text.data() + 1, std::min<std::size_t>(sizeof d, text.size() - 1));
    return d;
  }
  if (!text.empty() && text[0] == '@') {
    std::size_t p = 1;
    int line = 0;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9' && line < 100000) line = line * 10 + (text[p++] - '0');
    double x = 0;
    try {
      fp::Clear();
      x = SplitRow(w.MemoLine(kBox, line)).x;
    } catch (const CalcError&) {
    }
    if (p < text.size() && text[p] == '+') x = std::nextafter(x, std::numeric_limits<double>::infinity());
    if (p < text.size() && text[p] == '-') x = std::nextafter(x, -std::numeric_limits<double>::infinity());
    return x;
  }
  const std::string s(text);  // NUL-terminated for strtod
  return std::strtod(s.c_str(), nullptr);
}

const char* KindName(char kind) { return kind == 'L' ? "LookupLinear" : kind == 'U' ? "LookupLinearUpperFirst" : "LookupLogLog"; }

Outcome Lookup(char kind, TableReader& reader, double t) {
  switch (kind) {
    case 'L': return Run([&] { return LookupLinear(reader, kBox, t); });
    case 'U': return Run([&] { return LookupLinearUpperFirst(reader, kBox, t); });
    default: return Run([&] { return LookupLogLog(reader, kBox, t); });
  }
}

}  // namespace

int FuzzLookup(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> records = Records(data, size, kMaxOperations + 1);
  HeadlessWindow window;
  window.SetMemoText(kBox, records[0]);
  TableReader cached(window);
  TableReader plain(window);
  plain.set_caching(false);

  for (std::size_t op = 1; op < records.size(); ++op) {
    const std::string_view r = records[op];
    if (r.empty()) continue;
    static constexpr char kKinds[] = {'L', 'U', 'G', 'S', 'E', 'T'};
    const char kind = std::string_view("LUGSET").find(r[0]) != std::string_view::npos
                          ? r[0]
                          : kKinds[static_cast<unsigned char>(r[0]) % sizeof kKinds];
    switch (kind) {
      case 'S': {
        // Only the CalcError of a text that is not a number may come out.
        Run([&] { return SplitRow(r.substr(1)).x; });
        break;
      }
      case 'E': {
        std::vector<std::string> lines = window.Lines(kBox);
        const std::size_t k = Choice(r, 1, 64);
        const std::string line(r.size() > 2 ? r.substr(2) : std::string_view());
        if (k < lines.size()) lines[k] = line; else lines.push_back(line);
        window.SetMemoLines(kBox, std::move(lines));
        break;
      }
      case 'T': window.SetMemoText(kBox, r.substr(1)); break;
      default: {
        const double t = Target(window, r.substr(1));
        const Outcome with_cache = Lookup(kind, cached, t);
        const Outcome without = Lookup(kind, plain, t);
        if (!(with_cache == without)) {
          Fail(std::string(KindName(kind)) + " at " + FloatToText(t) + " (operation " + std::to_string(op) +
               "): cached " + Describe(with_cache) + ", plain " + Describe(without));
        }
        if (kind != 'G') {
          // Both linear lookups find the same bracket; the upper-first one reads
          // a subset of the rows (row 1 only as the lower row), so it succeeds
          // with the same value whenever the other succeeds.
          const Outcome linear = kind == 'L' ? without : Lookup('L', plain, t);
          const Outcome upper = kind == 'U' ? without : Lookup('U', plain, t);
          if (linear.value && !(upper == linear)) {
            Fail("LookupLinear " + Describe(linear) + " but LookupLinearUpperFirst " + Describe(upper) + " at " +
                 FloatToText(t));
          }
        }
        break;
      }
    }
  }
  fp::Clear();
  return 0;
}

}  // namespace xray::fuzz
