// The Fourier transform of the noise analysis: a two-dimensional real-to-complex
// FFT of one fixed size, by FFTW3 (GPL-2.0-or-later, as this program's
// GPL-3.0-or-later allows).
#pragma once

#include <complex>
#include <memory>

namespace xray::measure {

class RealFft2D {
 public:
  // A transform of rows x cols real values (row-major).
  RealFft2D(int rows, int cols);
  ~RealFft2D();
  RealFft2D(const RealFft2D&) = delete;
  RealFft2D& operator=(const RealFft2D&) = delete;

  int rows() const { return rows_; }
  int cols() const { return cols_; }
  // The spectrum keeps the non-negative frequencies along a row: rows x spectrum_cols().
  int spectrum_cols() const { return cols_ / 2 + 1; }

  // rows x cols values to transform; Execute() leaves them undefined.
  double* input() { return input_; }
  // Transforms input() into spectrum(): element (ky, kx) is
  // sum over (y, x) of input(y, x) exp(-2 pi i (kx x / cols + ky y / rows)).
  void Execute();
  const std::complex<double>* spectrum() const { return spectrum_; }

 private:
  int rows_;
  int cols_;
  double* input_ = nullptr;
  std::complex<double>* spectrum_ = nullptr;
  void* plan_ = nullptr;
};

}  // namespace xray::measure
