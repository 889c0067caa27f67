// Writes images in the formats the measurement reads (and a few it must
// refuse), with DCMTK and libtiff directly: the test data and the files the
// reader tests feed it. Pixel values are rounded and clipped to the bit depth.
#pragma once

#include <optional>
#include <string>

#include "measure/image.h"

namespace xray::measure::test {

// Binary PGM ("P5") with the given maximum value (above 255: two bytes a pixel).
void WritePgm(const std::string& path, const Image& image, int maxval = 65535);

// Little-endian 16-bit raw pixels after offset bytes of header (filled with 0xAB).
void WriteRaw(const std::string& path, const Image& image, std::size_t offset = 0);

struct TiffOptions {
  int bits = 16;
  int samples = 1;          // 3: RGB, the same value in each sample
  bool deflate = false;     // Deflate with the horizontal predictor
  bool tiled = false;       // 64 x 64 tiles instead of strips
  bool float_samples = false;
  // Resolution tag: pixels per unit, unit 1 none, 2 inch, 3 centimetre.
  std::optional<double> resolution;
  int resolution_unit = 3;
};
void WriteTiff(const std::string& path, const Image& image, const TiffOptions& options = {});

struct DicomOptions {
  // "explicit", "implicit", "big-endian", "deflated", "rle", "jpeg-lossless",
  // "jpeg-ls", or "jpeg-baseline" (lossy; needs bits 8).
  std::string transfer = "explicit";
  int bits = 16;
  int bits_stored = 16;
  bool is_signed = false;
  int samples = 1;  // 3: RGB
  int frames = 1;   // the image repeated
  std::optional<double> imager_pixel_spacing;  // (0018,1164), mm
  std::optional<double> pixel_spacing;         // (0028,0030), mm
  bool preamble = true;  // false: a bare data set, no "DICM"
};
void WriteDicom(const std::string& path, const Image& image, const DicomOptions& options = {});

}  // namespace xray::measure::test
