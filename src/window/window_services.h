// The window services: the only way the calculators reach the window.
//
// Implemented twice: by the Qt main window and by HeadlessWindow, which the
// tests and the command line use. Numbers pass through these operations as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "window/controls.h"

namespace xray {

// A text box line is read as at most this many characters (code points);
// a longer line reads as its first kMaxLineChars.
inline constexpr std::size_t kMaxLineChars = 4096;

struct Point {
  double x;
  double y;
  friend bool operator==(const Point&, const Point&) = default;
};

class WindowServices {
 public:
  virtual ~WindowServices() = default;

  // The edit field's current text, exactly as shown.
  virtual std::string FieldText(Field f) const = 0;
  virtual void SetFieldText(Field f, std::string_view text) = 0;

  // Line i (from 0) of a text box without its line break; an empty text when
  // the box has no line i; at most kMaxLineChars characters.
  virtual std::string MemoLine(Memo m, int i) const = 0;
  virtual void ClearMemo(Memo m) = 0;
  virtual void AppendMemoLine(Memo m, std::string_view line) = 0;
  // A number that changes whenever the text of the box changes, so that a
  // reader may keep rows it has parsed until the text is edited.
  virtual std::uint64_t MemoRevision(Memo m) const = 0;

  virtual void ClearSeries(Series s) = 0;
  // Adds (x, y), keeping the points in ascending x: a point whose x is not
  // below the last x goes to the end, any other is inserted after the last
  // point whose x does not exceed it.
  virtual void AddPoint(Series s, double x, double y) = 0;

  // Runs ButtonAddedClick to its end, exactly as a click on the button would,
  // before the caller goes on. Errors propagate to the caller.
  virtual void PressButtonAdded() = 0;

  // Replaces the clipboard's content with the text, as plain text.
  virtual void SetClipboardText(std::string_view text) = 0;
};

// Where AddPoint puts a point of abscissa x among points with abscissae xs
// (ascending): after the last point whose x does not exceed it.
template <typename XAt>
std::size_t AscendingInsertPosition(std::size_t count, double x, XAt x_at) {
  if (count == 0 || !(x < x_at(count - 1))) return count;
  // Binary search for the first point whose x exceeds the new x.
  std::size_t lo = 0, hi = count;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (x_at(mid) <= x) lo = mid + 1; else hi = mid;
  }
  return lo;
}

// The points of one chart series, kept as AddPoint promises, in O(n log n) for
// n points added in any order (inserting each into a sorted array would move
// the whole array for every point of a descending table).
//
// Add() appends; a point that is not below the last one simply goes to the
// end. Points() sorts in the points added since the last read: stable-sorted
// by x, then merged after the kept points of equal x. That is exactly the order
// of inserting each point in turn at AscendingInsertPosition, which is the
// order of a stable sort by x of all the points in the order they were added.
// Once a NaN abscissa has been added (no handler passes one) every later point
// is inserted one at a time, so that even the order among unordered values is
// that of AscendingInsertPosition.
//
// Points() is const for its readers but settles the pending points in place:
// not for use from two threads at once.
class AscendingPoints {
 public:
  void Clear();
  void Add(Point p);
  // Every point, in ascending x.
  const std::vector<Point>& Points() const;
  std::size_t size() const { return points_.size() + pending_.size(); }
  bool empty() const { return size() == 0; }

 private:
  void Settle() const;

  mutable std::vector<Point> points_;   // in their kept order
  mutable std::vector<Point> pending_;  // added since, in the order added
  bool one_by_one_ = false;             // a NaN abscissa is among the points
};

// The first kMaxLineChars code points of a UTF-8 line (bytes that are not
// valid UTF-8 count as one character each).
std::string_view ClipLine(std::string_view line);

// Splits pasted text into text box lines: "\n" separates lines, a "\r" right
// before it belongs to the break, and a final break adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace xray
