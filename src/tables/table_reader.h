// Reads the reference tables out of their text boxes for the lookups.
//
// Every lookup behaves as if it read and converted the table's rows from the
// top at each call: it sees an edit made before the calculation, and a malformed
// row raises its error only when a scan reaches it. With caching on (the
// default) the rows a scan has passed are kept, converted, until the box's text
// changes, and the bracket is found by bisection over the running maximum of x
// (the first row whose x exceeds the target is the first row where that maximum
// does), so a lookup costs a few comparisons instead of a pass over the text.
// Caching off reads and converts every row at every call.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "tables/reference_table.h"
#include "window/window_services.h"

namespace xray {

// Two consecutive rows around a target: the lower row and the upper row.
struct Bracket {
  Row lo;
  Row up;
};

// A log-log bracket: the base-10 logarithms of both rows, each held as a double,
// and the logarithm of the target.
struct LogBracket {
  Row lo;
  Row up;
  double target;
};

class TableReader {
 public:
  explicit TableReader(const WindowServices& window) : window_(window) {}

  void set_caching(bool on);
  bool caching() const { return caching_; }

  // Reads rows 1 and 2, then moves up while the upper row's x is <= t. The
  // bracket is the first row m >= 2 with x > t and the row before it.
  Bracket LinearBracket(Memo m, double t);

  // The same bracket, read upper row first: row 2, the scan, and only then the
  // row below the final upper row (so row 1 is read only when it is the lower row).
  Bracket UpperFirstBracket(Memo m, double t);

  // Rows 1 and 2 each with their logarithms, then log10(t), then the scan on
  // the logarithms.
  LogBracket LogLogBracket(Memo m, double t);

  // Results of complete log-log lookups, kept while the table is unchanged:
  // the same table and target give the same value, so a lookup repeated within
  // a run (every bin looks up aluminium and air twice) need not be redone.
  // Only successful lookups are kept. Does nothing with caching off.
  const double* KnownLogLog(Memo m, double t);
  void RememberLogLog(Memo m, double t, double y);

 private:
  // Converted rows of one box, kept while its text is unchanged.
  struct Cache {
    std::uint64_t revision = 0;
    bool valid = false;
    // Line 1, read on its own: one lookup reads it last or not at all.
    std::optional<Row> row1;
    std::optional<std::string> row1_error;
    std::optional<Row> log1;
    std::optional<std::string> log1_error;
    // Lines 2, 3, ...: rows[k] is line k + 2; rows_error is the error of the
    // next line, once a scan has reached it.
    std::vector<Row> rows;
    std::optional<std::string> rows_error;
    std::vector<double> max_x;  // max_x[k] = largest x of rows[0..k]
    std::vector<Row> logs;      // logarithms of rows[0..], logs.size() <= rows.size()
    std::optional<std::string> logs_error;
    std::vector<double> max_log_x;
    std::unordered_map<double, double> loglog_results;
  };

  Cache& CacheOf(Memo m);
  Row ReadLine(Memo m, int line) const;
  const Row& Row1(Memo m, Cache& c);
  const Row& Log1(Memo m, Cache& c);
  const Row& RowAt(Memo m, Cache& c, std::size_t k);
  const Row& LogAt(Memo m, Cache& c, std::size_t k);
  std::size_t FirstAbove(Memo m, Cache& c, double t);
  std::size_t FirstLogAbove(Memo m, Cache& c, double t);

  const WindowServices& window_;
  bool caching_ = true;
  std::array<Cache, kMemoCount> caches_{};
};

// (log10 x, log10 y) of a row, each rounded to a double; a zero or negative
// value raises the division-by-zero or invalid-operation error.
Row LogRow(const Row& r);

}  // namespace xray
