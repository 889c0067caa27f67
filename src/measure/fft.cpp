#include "measure/fft.h"

#include <fftw3.h>

#include <mutex>
#include <new>

namespace xray::measure {

namespace {
// FFTW's planner is not thread-safe; executing a plan is.
std::mutex planner_mutex;
}  // namespace

RealFft2D::RealFft2D(int rows, int cols) : rows_(rows), cols_(cols) {
  const std::lock_guard<std::mutex> lock(planner_mutex);
  input_ = fftw_alloc_real(static_cast<std::size_t>(rows) * cols);
  // fftw_complex is layout-compatible with std::complex<double>.
  auto* out = fftw_alloc_complex(static_cast<std::size_t>(rows) * spectrum_cols());
  spectrum_ = reinterpret_cast<std::complex<double>*>(out);
  if (input_ != nullptr && out != nullptr) plan_ = fftw_plan_dft_r2c_2d(rows, cols, input_, out, FFTW_ESTIMATE);
  if (plan_ == nullptr) {
    fftw_free(input_);
    fftw_free(out);
    throw std::bad_alloc();
  }
}

RealFft2D::~RealFft2D() {
  const std::lock_guard<std::mutex> lock(planner_mutex);
  fftw_destroy_plan(static_cast<fftw_plan>(plan_));
  fftw_free(input_);
  fftw_free(spectrum_);
}

void RealFft2D::Execute() { fftw_execute(static_cast<fftw_plan>(plan_)); }

}  // namespace xray::measure
