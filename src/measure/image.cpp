#include "measure/image.h"

#include <algorithm>
#include <cmath>

#include "measure/measure_error.h"

namespace xray::measure {

Region RegionIn(const Image& image, const std::optional<Region>& region) {
  if (!region) return Region{0, 0, image.width, image.height};
  const Region& r = *region;
  // 64-bit sums: x + width of two large ints must not wrap round into the image.
  const long long right = static_cast<long long>(r.x) + r.width;
  const long long bottom = static_cast<long long>(r.y) + r.height;
  if (r.x < 0 || r.y < 0 || r.width <= 0 || r.height <= 0 || right > image.width || bottom > image.height) {
    Fail(msg::kRegionOutside, {std::to_string(r.x), std::to_string(r.y), std::to_string(r.width),
                               std::to_string(r.height), std::to_string(image.width), std::to_string(image.height)});
  }
  return r;
}

void CheckResponse(const Response& response) {
  if (!(std::isfinite(response.gamma) && response.gamma > 0)) Fail(msg::kBadGamma, {NumberText(response.gamma)});
}

double PitchOf(const Image& image, const std::optional<double>& given_mm) {
  if (given_mm) {
    if (!(std::isfinite(*given_mm) && *given_mm > 0)) Fail(msg::kBadPitch, {NumberText(*given_mm)});
    return *given_mm;
  }
  const std::optional<double>& px = image.pitch_x_mm;
  const std::optional<double>& py = image.pitch_y_mm;
  if (!px && !py) Fail(msg::kNoPitch);
  if (px && py && std::fabs(*px - *py) > 1e-6 * std::max(*px, *py)) {
    Fail(msg::kNonSquarePixels, {NumberText(*px), NumberText(*py)});
  }
  const double pitch = px ? *px : *py;
  if (!(std::isfinite(pitch) && pitch > 0)) Fail(msg::kBadPitch, {NumberText(pitch)});
  return pitch;
}

std::vector<double> LinearPixels(const Image& image, const Region& region, const Response& response, bool transpose) {
  const std::size_t w = static_cast<std::size_t>(region.width);
  const std::size_t h = static_cast<std::size_t>(region.height);
  std::vector<double> out(w * h);
  double top = 0;
  if (response.kind == Response::Kind::kLogarithmic) {
    top = image.at(region.x, region.y);
    for (int y = region.y; y < region.y + region.height; ++y) {
      for (int x = region.x; x < region.x + region.width; ++x) top = std::max(top, image.at(x, y));
    }
  }
  const double ln10_over_gamma = std::log(10.0L) / response.gamma;
  for (std::size_t y = 0; y < h; ++y) {
    const double* row = &image.pixels[(region.y + y) * static_cast<std::size_t>(image.width) + region.x];
    for (std::size_t x = 0; x < w; ++x) {
      const double v = response.kind == Response::Kind::kLinear ? row[x] - response.dark_offset
                                                                : std::exp((row[x] - top) * ln10_over_gamma);
      out[transpose ? x * h + y : y * w + x] = v;
    }
  }
  return out;
}

}  // namespace xray::measure
