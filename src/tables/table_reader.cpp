#include "tables/table_reader.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

#include "numeric/calc_error.h"
#include "numeric/fp_errors.h"

namespace xray {

Row LogRow(const Row& r) {
  const double log_x = std::log10(static_cast<long double>(r.x));
  fp::Check(log_x);
  const double log_y = std::log10(static_cast<long double>(r.y));
  fp::Check(log_y);
  return {log_x, log_y};
}

void TableReader::set_caching(bool on) {
  caching_ = on;
  caches_ = {};
}

namespace {

// x <= t, as the scans compare. Comparing with a NaN is an invalid operation;
// the flag is raised here rather than left to the compiler's choice of
// comparison instruction.
bool AtOrBelow(double x, double t) {
  if (std::isnan(x) || std::isnan(t)) {
    std::feraiseexcept(FE_INVALID);
    return false;
  }
  return x <= t;
}

}  // namespace

Row TableReader::ReadLine(Memo m, int line) const { return SplitRow(window_.MemoLine(m, line)); }

TableReader::Cache& TableReader::CacheOf(Memo m) {
  Cache& c = caches_[Index(m)];
  const std::uint64_t revision = window_.MemoRevision(m);
  if (!c.valid || c.revision != revision) {
    c = Cache{};
    c.valid = true;
    c.revision = revision;
  }
  return c;
}

// Each step below converts what the plain scan would convert at that point and
// remembers the outcome, the error included, so that a later scan reaching the
// same line fails in the same way. A pending floating-point fault is raised
// before a line is converted (or a remembered error raised), as the conversion
// itself would do, and is never taken for that line's own error.
namespace {

[[noreturn]] void Rethrow(const std::string& message) {
  fp::CheckFlags();
  throw CalcError(message);
}

}  // namespace

const Row& TableReader::Row1(Memo m, Cache& c) {
  if (c.row1_error) Rethrow(*c.row1_error);
  if (!c.row1) {
    fp::CheckFlags();
    try {
      c.row1 = ReadLine(m, 1);
    } catch (const CalcError& e) {
      c.row1_error = e.message();
      throw;
    }
  }
  return *c.row1;
}

const Row& TableReader::Log1(Memo m, Cache& c) {
  const Row row = Row1(m, c);
  if (c.log1_error) Rethrow(*c.log1_error);
  if (!c.log1) {
    fp::CheckFlags();
    try {
      c.log1 = LogRow(row);
    } catch (const CalcError& e) {
      c.log1_error = e.message();
      throw;
    }
  }
  return *c.log1;
}

const Row& TableReader::RowAt(Memo m, Cache& c, std::size_t k) {
  while (c.rows.size() <= k) {
    if (c.rows_error) Rethrow(*c.rows_error);
    fp::CheckFlags();
    Row r{};
    try {
      r = ReadLine(m, static_cast<int>(c.rows.size()) + 2);
    } catch (const CalcError& e) {
      c.rows_error = e.message();
      throw;
    }
    c.max_x.push_back(c.max_x.empty() ? r.x : std::max(c.max_x.back(), r.x));
    c.rows.push_back(r);
  }
  return c.rows[k];
}

const Row& TableReader::LogAt(Memo m, Cache& c, std::size_t k) {
  while (c.logs.size() <= k) {
    const Row row = RowAt(m, c, c.logs.size());
    if (c.logs_error) Rethrow(*c.logs_error);
    fp::CheckFlags();
    Row r{};
    try {
      r = LogRow(row);
    } catch (const CalcError& e) {
      c.logs_error = e.message();
      throw;
    }
    c.max_log_x.push_back(c.max_log_x.empty() ? r.x : std::max(c.max_log_x.back(), r.x));
    c.logs.push_back(r);
  }
  return c.logs[k];
}

namespace {

// Index of the first entry whose running maximum exceeds t, within the part
// already converted; count when there is none yet. A NaN target stops at once,
// as "x <= NaN" is false for the plain scan too, and like that comparison it
// is an invalid operation.
std::size_t FirstMaxAbove(const std::vector<double>& running_max, double t) {
  if (std::isnan(t)) {
    std::feraiseexcept(FE_INVALID);
    return 0;
  }
  return static_cast<std::size_t>(std::upper_bound(running_max.begin(), running_max.end(), t) -
                                  running_max.begin());
}

}  // namespace

std::size_t TableReader::FirstAbove(Memo m, Cache& c, double t) {
  RowAt(m, c, 0);
  std::size_t k = FirstMaxAbove(c.max_x, t);
  while (k == c.rows.size()) {
    if (RowAt(m, c, k).x > t) break;
    ++k;
  }
  return k;
}

std::size_t TableReader::FirstLogAbove(Memo m, Cache& c, double t) {
  LogAt(m, c, 0);
  std::size_t k = FirstMaxAbove(c.max_log_x, t);
  while (k == c.logs.size()) {
    if (LogAt(m, c, k).x > t) break;
    ++k;
  }
  return k;
}

Bracket TableReader::LinearBracket(Memo m, double t) {
  fp::CheckFlags();
  if (!caching_) {
    Row lo = ReadLine(m, 1);
    Row up = ReadLine(m, 2);
    for (int line = 3; AtOrBelow(up.x, t); ++line) {
      lo = up;
      up = ReadLine(m, line);
    }
    return {lo, up};
  }
  Cache& c = CacheOf(m);
  const Row row1 = Row1(m, c);
  const std::size_t k = FirstAbove(m, c, t);
  return {k == 0 ? row1 : c.rows[k - 1], c.rows[k]};
}

Bracket TableReader::UpperFirstBracket(Memo m, double t) {
  fp::CheckFlags();
  if (!caching_) {
    int line = 2;
    Row up = ReadLine(m, line);
    while (AtOrBelow(up.x, t)) up = ReadLine(m, ++line);
    return {ReadLine(m, line - 1), up};
  }
  Cache& c = CacheOf(m);
  const std::size_t k = FirstAbove(m, c, t);
  const Row up = c.rows[k];
  return {k == 0 ? Row1(m, c) : c.rows[k - 1], up};
}

LogBracket TableReader::LogLogBracket(Memo m, double t) {
  fp::CheckFlags();
  if (!caching_) {
    Row lo = LogRow(ReadLine(m, 1));
    Row up = LogRow(ReadLine(m, 2));
    const double target = std::log10(static_cast<long double>(t));
    fp::Check(target);
    for (int line = 3; AtOrBelow(up.x, target); ++line) {
      lo = up;
      up = LogRow(ReadLine(m, line));
    }
    return {lo, up, target};
  }
  Cache& c = CacheOf(m);
  const Row log1 = Log1(m, c);
  LogAt(m, c, 0);
  const double target = std::log10(static_cast<long double>(t));
  fp::Check(target);
  const std::size_t k = FirstLogAbove(m, c, target);
  return {k == 0 ? log1 : c.logs[k - 1], c.logs[k], target};
}

const double* TableReader::KnownLogLog(Memo m, double t) {
  if (!caching_) return nullptr;
  const Cache& c = CacheOf(m);
  const auto it = c.loglog_results.find(t);
  return it == c.loglog_results.end() ? nullptr : &it->second;
}

void TableReader::RememberLogLog(Memo m, double t, double y) {
  if (caching_) CacheOf(m).loglog_results.emplace(t, y);
}

}  // namespace xray
