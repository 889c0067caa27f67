// The noise power spectrum of a detector from flat-field images.
//
// Each image's analysed region loses the second-order polynomial surface that
// fits it best (least squares: the heel effect, the inverse-square fall-off,
// gain drifts), then is cut into 256 x 256 squares overlapping by half (the grid
// centred in the region). The squared moduli of their discrete Fourier
// transforms, scaled by the pixel area over the number of pixels, are averaged:
//   NPS(u, v) = dx dy / (256 * 256) * < |DFT(u, v)|^2 >      (value^2 mm^2)
// For linear data each image's NPS is divided by the square of its region's mean
// above the dark offset, giving the normalised NNPS (mm^2).
//
// The one-dimensional spectrum comes from the 7 lines on either side of a
// frequency axis, the axis itself excluded (it holds what is left of row- or
// column-wise trends): each point at its radial frequency sqrt(u^2 + v^2),
// averaged in 32 bins of width Nyquist/32 up to the Nyquist frequency; a bin's
// frequency is the mean of its points' frequencies. Both axes are averaged, or
// one of them: the horizontal axis (u, along the rows) belongs with the MTF of
// an edge that runs along the columns.
//
// On the DQE page's scale, NEQ(u) = (gamma log10 e)^2 MTF(u)^2 / W(u):
//   linear data       W = (gamma log10 e)^2 NNPS, so that NEQ = MTF^2 / NNPS;
//   logarithmic data  W = NPS of the pixel values, whose response already
//                     carries gamma log10 e per unit of ln q.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "measure/image.h"

namespace xray::measure {

inline constexpr int kNnpsSquare = 256;       // side of the analysed squares, pixels
inline constexpr int kNnpsLinesEachSide = 7;  // lines next to an axis, on each side
inline constexpr int kNnpsBins = 32;          // frequency bins up to the Nyquist frequency

enum class NnpsAxis { kBoth, kHorizontal, kVertical };

struct NnpsOptions {
  std::optional<Region> region;  // the same region of every image; the whole image when absent
  Response response;
  std::optional<double> pitch_mm;  // overrides the pitch in the files
  NnpsAxis axis = NnpsAxis::kBoth;
};

struct NnpsResult {
  double pitch_mm = 0;
  Response response;
  NnpsAxis axis = NnpsAxis::kBoth;
  int images = 0;
  long long squares = 0;           // 256 x 256 squares averaged, over all images
  std::vector<double> means;       // each image's region mean (above the dark offset for linear data)
  std::vector<double> frequency;   // cycles/mm, ascending, all above 0 and at most the Nyquist frequency
  std::vector<double> nnps;        // linear data: NNPS (mm^2); logarithmic: NPS of the pixel values
  std::vector<double> wiener;      // W(u) on the DQE page's scale, at the same frequencies
};

// Adds flat fields one at a time, so that only one image need be in memory.
class NnpsAccumulator {
 public:
  explicit NnpsAccumulator(const NnpsOptions& options);
  ~NnpsAccumulator();
  NnpsAccumulator(NnpsAccumulator&&) noexcept;
  NnpsAccumulator& operator=(NnpsAccumulator&&) noexcept;

  // Analyses one flat field. Throws a MeasureError, and adds nothing, for a
  // region outside it or smaller than 256 x 256, a size or pitch other than the
  // first image's, linear data whose mean does not exceed the dark offset, or a
  // floating-point fault.
  void Add(const Image& flat);
  int images() const;
  // The spectrum of the images added so far; throws kNoImages before the first.
  NnpsResult Result() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The spectrum of all the flat fields at once.
NnpsResult MeasureNnps(const std::vector<Image>& flats, const NnpsOptions& options);

}  // namespace xray::measure
