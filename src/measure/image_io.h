// Reading detector images from files.
//
// The format is recognised by the file's content, not its name:
//   DICOM   (DCMTK) uncompressed (implicit or explicit VR, either byte order,
//           deflated) and the lossless compressions RLE, JPEG lossless
//           (process 14) and JPEG-LS lossless; 16 bits allocated, one sample per
//           pixel, one frame. Stored values, masked to BitsStored (sign-extended
//           when PixelRepresentation is 1); no rescale or window is applied.
//           Pitch: ImagerPixelSpacing (the detector plane), else PixelSpacing.
//   TIFF    (libtiff) the first page, 16-bit integer greyscale, any compression
//           libtiff reads, strips or tiles. Pitch: X/YResolution in pixels per
//           centimetre or inch; none for ResolutionUnit "none" or for 72 and 96
//           pixels per inch, the screen defaults image programs write.
//   PGM     binary ("P5") with a maximum value above 255 (16-bit, big-endian).
//   raw     little-endian unsigned 16-bit pixels, row by row, after a header of
//           a given number of bytes; the file must hold exactly that many.
// Anything else, 8-bit or colour images included, throws a MeasureError
// naming the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "measure/image.h"

namespace xray::measure {

// The layout of a raw file: width x height pixels after offset header bytes.
struct RawLayout {
  int width = 0;
  int height = 0;
  std::uint64_t offset = 0;
};

// The largest image read, in pixels (16384 x 16384).
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;

// Reads the image in path: as raw data with the given layout, else by its content.
Image ReadImage(const std::string& path, const std::optional<RawLayout>& raw = std::nullopt);

}  // namespace xray::measure
