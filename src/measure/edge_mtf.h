// The presampled MTF of a detector from the image of a slightly tilted edge.
//
// 1. The pixels of the region are made proportional to exposure (linear data
//    less the dark offset; logarithmic data through 10^(value / gamma)).
// 2. The edge runs along the columns when the column means change more across
//    the region than the row means, else along the rows; the second case is
//    analysed transposed. Each line across the edge (a row for an edge along
//    the columns) locates it at the centroid of the central-difference
//    derivative within 6 pixels of the current estimate; a least-squares line
//    through these positions, refitted three times without the lines more than
//    4 robust standard deviations (at least 1 pixel) off it, gives the edge and
//    its tilt. The tilt must lie between 1 and 10 degrees from the column (row).
// 3. Every pixel within the window's reach is projected onto the edge normal
//    (signed distance from the edge, in pixels) and averaged in bins of 0.1
//    pixel: the oversampled edge spread function (ESF). A bin no pixel fell in
//    takes the mean of its neighbours.
// 4. LSF = central difference of the ESF, times a Hann window of half-width
//    32 pixels centred on the edge.
// 5. MTF(f) = |sum LSF(d) exp(-2 pi i f d)| / |sum LSF(d)|, divided by the
//    responses of the two steps that blur the ESF on the 0.1-pixel grid: the
//    central difference, sinc(2 f 0.1), and the bin average, sinc(f 0.1).
//    Reported at a round frequency step (1, 2, 2.5 or 5 times a power of ten,
//    at most Nyquist/50) from 0 (MTF 1) to at least 1.1 times the Nyquist
//    frequency, so every frequency of a Wiener spectrum from the same detector
//    lies inside the table.
#pragma once

#include <optional>
#include <vector>

#include "measure/image.h"

namespace xray::measure {

inline constexpr double kMinEdgeTiltDeg = 1;
inline constexpr double kMaxEdgeTiltDeg = 10;
inline constexpr int kEsfBinsPerPixel = 10;
inline constexpr double kLsfWindowHalfWidthPx = 32;
inline constexpr double kMtfBeyondNyquist = 1.1;

struct MtfOptions {
  std::optional<Region> region;    // the whole image when absent
  Response response;
  std::optional<double> pitch_mm;  // overrides the pitch in the file
};

// The edge found. Coordinates are the image's (pixel centres at integers).
struct EdgeLine {
  bool along_columns = true;  // the edge runs along the columns (vertical); else along the rows
  // Tilt from the column (along_columns) or the row, degrees. Positive when x
  // grows with y along a vertical edge, or y with x along a horizontal one.
  double tilt_deg = 0;
  // Where the edge crosses the region's first and last row (vertical edge) or
  // column (horizontal edge).
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int lines = 0;             // lines across the edge that located it
  double scatter_px = 0;     // rms distance of their positions from the line
};

struct MtfResult {
  EdgeLine edge;
  double pitch_mm = 0;
  double nyquist = 0;              // cycles/mm, 1 / (2 pitch)
  std::vector<double> frequency;   // cycles/mm, 0 first, evenly spaced
  std::vector<double> mtf;         // 1 at frequency 0
  // The oversampled edge spread and line spread functions (the LSF windowed),
  // sample i at a distance (i - (size - 1) / 2) / kEsfBinsPerPixel pixels from
  // the edge along its normal; the ESF rises across the edge, in exposure units.
  std::vector<double> esf;
  std::vector<double> lsf;
};

// Throws a MeasureError for a region outside the image or too small, no edge,
// an edge tilted outside 1..10 degrees, too close to the region's side or too
// short for its tilt, a bad pitch or gamma, or a floating-point fault.
MtfResult MeasureMtf(const Image& image, const MtfOptions& options);

}  // namespace xray::measure
