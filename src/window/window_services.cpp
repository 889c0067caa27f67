#include "window/window_services.h"

#include <algorithm>
#include <cmath>

namespace xray {

namespace {

bool ByX(const Point& a, const Point& b) { return a.x < b.x; }

}  // namespace

void AscendingPoints::Clear() {
  points_.clear();
  pending_.clear();
  one_by_one_ = false;
}

void AscendingPoints::Add(Point p) {
  if (std::isnan(p.x) || one_by_one_) {
    Settle();
    one_by_one_ = true;
    const std::size_t at = AscendingInsertPosition(points_.size(), p.x, [&](std::size_t k) { return points_[k].x; });
    points_.insert(points_.begin() + static_cast<std::ptrdiff_t>(at), p);
  } else if (pending_.empty() && (points_.empty() || !(p.x < points_.back().x))) {
    points_.push_back(p);
  } else {
    pending_.push_back(p);
  }
}

const std::vector<Point>& AscendingPoints::Points() const {
  Settle();
  return points_;
}

void AscendingPoints::Settle() const {
  if (pending_.empty()) return;
  std::stable_sort(pending_.begin(), pending_.end(), ByX);
  const auto kept = static_cast<std::ptrdiff_t>(points_.size());
  points_.insert(points_.end(), pending_.begin(), pending_.end());
  pending_.clear();
  // Stable: among equal x the kept points stay before the pending ones.
  std::inplace_merge(points_.begin(), points_.begin() + kept, points_.end(), ByX);
}

std::string_view ClipLine(std::string_view line) {
  if (line.size() <= kMaxLineChars) return line;  // fewer bytes than the limit: fewer characters too
  std::size_t chars = 0;
  std::size_t p = 0;
  while (p < line.size() && chars < kMaxLineChars) {
    const unsigned char lead = static_cast<unsigned char>(line[p]);
    std::size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    // A truncated or malformed sequence counts byte by byte.
    for (std::size_t k = 1; k < len; ++k) {
      if (p + k >= line.size() || (static_cast<unsigned char>(line[p + k]) & 0xC0) != 0x80) {
        len = 1;
        break;
      }
    }
    p += len;
    ++chars;
  }
  return line.substr(0, p);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    std::size_t end = nl;
    if (end > start && text[end - 1] == '\r') --end;
    lines.emplace_back(text.substr(start, end - start));
    start = nl + 1;
  }
  return lines;
}

}  // namespace xray
