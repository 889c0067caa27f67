// The detector measurement on full-size detector images, generated in memory
// from the analytic models of the tests. Targets on the 2-core machine: the
// MTF of a 2048 x 2048 edge image <= 1 s; the noise power spectrum of ten
// 3072 x 3072 flat fields <= 10 s; peak memory under 1 GB (measure it with
// /usr/bin/time -v). The flat fields are kept as 16-bit values, as a detector
// delivers them, and each becomes the analysis's image only in its turn, as
// when the command line reads them from files one after another.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "image_generator.h"
#include "measure/edge_mtf.h"
#include "measure/nnps.h"

namespace {

using namespace xray::measure;

void BM_MtfOfEdge2048(benchmark::State& state) {
  test::EdgeModel model;
  model.width = model.height = 2048;
  model.tilt_deg = 3;
  model.sigma_px = 1;
  const Image edge = test::EdgeImage(model);
  MtfOptions options;
  options.pitch_mm = 0.1;
  for (auto _ : state) benchmark::DoNotOptimize(MeasureMtf(edge, options));
}
BENCHMARK(BM_MtfOfEdge2048)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NnpsOfTenFlats3072(benchmark::State& state) {
  constexpr int kSize = 3072;
  std::vector<std::vector<std::uint16_t>> flats;
  for (std::uint64_t seed = 1; seed <= 10; ++seed) {
    test::FlatModel model;
    model.width = model.height = kSize;
    model.seed = seed;
    const Image image = test::FlatImage(model);
    flats.emplace_back(image.pixels.begin(), image.pixels.end());
  }
  NnpsOptions options;
  options.pitch_mm = 0.1;
  for (auto _ : state) {
    NnpsAccumulator accumulator(options);
    for (const std::vector<std::uint16_t>& values : flats) {
      Image image;
      image.width = image.height = kSize;
      image.pixels.assign(values.begin(), values.end());
      accumulator.Add(image);
    }
    benchmark::DoNotOptimize(accumulator.Result());
  }
}
BENCHMARK(BM_NnpsOfTenFlats3072)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
