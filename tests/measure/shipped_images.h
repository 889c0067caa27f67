// The small images shipped in tests/measure/data (for the README's worked
// example and the reader tests): how each is generated and written. The
// program measure_test_data writes them all again; a test checks that the
// files still hold exactly these pixels and pitches.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "measure/image.h"

namespace xray::measure::test {

// Quanta of the flat fields per pixel, and the pitch of every shipped image:
// the fluence of the worked example is kShippedFlatQuanta / kShippedPitchMm^2.
inline constexpr double kShippedFlatQuanta = 100;
inline constexpr double kShippedPitchMm = 0.1;
// Pixel value = kShippedGain * quanta + kShippedDarkOffset.
inline constexpr double kShippedGain = 1;
inline constexpr double kShippedDarkOffset = 100;
// The blur of the shipped edge (pixels) and its tilt (degrees).
inline constexpr double kShippedEdgeSigmaPx = 0.5;
inline constexpr double kShippedEdgeTiltDeg = 3;

struct ShippedImage {
  std::string file;    // name under tests/measure/data
  Image image;         // the pixels the file holds; the file states kShippedPitchMm
  std::function<void(const std::string& path, const Image& image)> write;
};

std::vector<ShippedImage> ShippedImages();

}  // namespace xray::measure::test
