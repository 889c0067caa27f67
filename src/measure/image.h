// A detector image as the measurements see it: a grid of pixel values with the
// pixel pitch its file gave, the region to analyse, and the detector's response.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace xray::measure {

// A greyscale image of width x height pixels, row by row from the top left:
// pixel (x, y) is pixels[y * width + x], x to the right, y downwards. Pixel
// centres lie at integer coordinates, so pixel x covers [x - 0.5, x + 0.5].
struct Image {
  int width = 0;
  int height = 0;
  std::vector<double> pixels;
  // The pixel pitch the file states, in mm, along x (between columns) and along
  // y (between rows); absent when the file says nothing usable.
  std::optional<double> pitch_x_mm;
  std::optional<double> pitch_y_mm;
  // Where the pitch came from, e.g. "DICOM ImagerPixelSpacing"; empty without one.
  std::string pitch_source;
  // The file name or another label, for messages.
  std::string name;

  double at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x]; }
};

// A rectangle of pixels: columns x .. x + width - 1, rows y .. y + height - 1.
struct Region {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The region to analyse: the whole image when none is given. Throws the
// MeasureError kRegionOutside when the given one is empty or reaches outside.
Region RegionIn(const Image& image, const std::optional<Region>& region);

// The start value of the DQE page's gamma (EditG).
inline constexpr double kDefaultGamma = 1023.75;

// How pixel values relate to the exposure q at the detector:
//   linear       value = dark_offset + k q
//   logarithmic  value = c + gamma log10 q   (the film-like response of the DQE page)
// gamma is also the DQE page's gamma for linear data: the Wiener spectrum of a
// linear detector is written on the page's scale, W = (gamma log10 e)^2 NNPS.
struct Response {
  enum class Kind { kLinear, kLogarithmic };
  Kind kind = Kind::kLinear;
  double dark_offset = 0;
  double gamma = kDefaultGamma;
};

// Throws kBadGamma unless gamma is a positive finite number.
void CheckResponse(const Response& response);

// The pixel pitch in mm: the given one, else the one the file states. Throws
// kBadPitch for a given pitch that is not positive and finite, kNoPitch when
// there is none, kNonSquarePixels when the file's two pitches differ.
double PitchOf(const Image& image, const std::optional<double>& given_mm);

// The region's pixels in a buffer of its own, row by row, as exposure-linear
// values (value - dark_offset, or 10^((value - top) / gamma) for logarithmic
// data with top the region's largest value, so no power overflows); with
// transpose, column by column instead (a buffer of width rows). The edge
// analysis works on this copy.
std::vector<double> LinearPixels(const Image& image, const Region& region, const Response& response, bool transpose);

}  // namespace xray::measure
