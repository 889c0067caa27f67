#include "exposure/beam_quality.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "numeric/calc_error.h"
#include "numeric/fp_errors.h"
#include "numeric/number_text.h"
#include "numeric/wide_real.h"
#include "tables/lookup.h"

namespace xray {

namespace {


// mm per cm: the tables give attenuation per cm, thicknesses are in mm.
constexpr WideReal kMmPerCm = 10;

// Grid steps per mm (1000 for 0.001 mm), and up to the thickest aluminium searched.
const WideReal kStepsPerMm = std::round(1 / static_cast<WideReal>(kHvlStep_mm));
const std::int64_t kMaxSteps = std::llround(kMaxHvlThickness_mm * kStepsPerMm);

// The spectrum as the kerma curve sees it: per bin, the air-kerma weight
// N E (mu_en/rho)_air (keV cm^2/g per photon unit) and the linear attenuation
// coefficient of aluminium (1/cm).
struct KermaBins {
  std::vector<WideReal> weight;
  std::vector<WideReal> mu_al_per_cm;

  // Relative air kerma behind n grid steps of aluminium.
  WideReal KermaAfter(std::int64_t steps) const {
    const WideReal t_cm = static_cast<WideReal>(steps) / (kStepsPerMm * kMmPerCm);
    WideReal k = 0;
    for (std::size_t i = 0; i < weight.size(); ++i) k += weight[i] * std::exp(-mu_al_per_cm[i] * t_cm);
    fp::Check(k);
    return k;
  }

  // The smallest number of grid steps whose kerma is at most the target. The
  // kerma falls strictly with thickness (every weight >= 0, every mu > 0), so
  // double the thickness until the target is passed, then bisect the last doubling.
  std::int64_t FirstStepAtOrBelow(WideReal target) const {
    if (KermaAfter(0) <= target) return 0;
    std::int64_t hi = 1;
    while (KermaAfter(hi) > target) {
      if (hi >= kMaxSteps) throw CalcError(msg::kHvlOutOfReach);
      hi = std::min(2 * hi, kMaxSteps);
    }
    std::int64_t lo = hi / 2;  // its kerma is above the target (lo = 0 was checked first)
    while (hi - lo > 1) {
      const std::int64_t mid = lo + (hi - lo) / 2;
      if (KermaAfter(mid) <= target) hi = mid; else lo = mid;
    }
    return hi;
  }
};

// A grid thickness in mm, the double nearest steps / 1000.
double StepsToMm(std::int64_t steps) { return static_cast<double>(steps) / static_cast<double>(kStepsPerMm); }

}  // namespace

BeamQuality MeasureBeamQuality(TableReader& tables, std::span<const double> energy_keV,
                               std::span<const double> photons, double al_density_g_cm3) {
  if (energy_keV.size() != photons.size()) {
    throw std::invalid_argument("MeasureBeamQuality: as many photon numbers as bin energies are needed");
  }
  fp::Clear();
  KermaBins bins;
  WideReal photon_total = 0;
  WideReal energy_total = 0;  // sum N E, keV per photon unit
  for (std::size_t i = 0; i < photons.size(); ++i) {
    if (photons[i] < 0) throw CalcError(msg::kNegativePhotons);
    const double E = energy_keV[i];
    const double mu_en_air = LookupLogLog(tables, Memo::MemokeVAir, E);  // cm^2/g
    const double mu_al = LookupLogLog(tables, Memo::MemokeVAlu, E);      // cm^2/g
    bins.weight.push_back(static_cast<WideReal>(photons[i]) * E * mu_en_air);
    bins.mu_al_per_cm.push_back(static_cast<WideReal>(mu_al) * al_density_g_cm3);
    photon_total += photons[i];
    energy_total += static_cast<WideReal>(photons[i]) * E;
    fp::Check(bins.weight.back(), bins.mu_al_per_cm.back(), photon_total, energy_total);
  }
  if (!(photon_total > 0)) throw CalcError(msg::kNoPhotons);

  BeamQuality q{};
  q.mean_energy_keV = static_cast<double>(energy_total / photon_total);
  const WideReal k0 = bins.KermaAfter(0);
  if (!(k0 > 0)) throw CalcError(msg::kNoPhotons);  // photons only where air absorbs nothing
  const std::int64_t half = bins.FirstStepAtOrBelow(k0 / 2);
  const std::int64_t quarter = bins.FirstStepAtOrBelow(k0 / 4);
  q.hvl1_mm = StepsToMm(half);
  q.hvl2_mm = StepsToMm(quarter - half);
  fp::Check(q.mean_energy_keV, q.hvl1_mm, q.hvl2_mm);
  return q;
}

BeamQuality MeasureAddedBeamQuality(const CalcContext& calc) {
  const SpectrumStore& s = calc.store;
  const std::size_t count = static_cast<std::size_t>(std::clamp<std::int32_t>(s.Count, 0, kStoreBins));
  const double al_density = TextToFloat(calc.window.FieldText(Field::EditDnsAl));
  return MeasureBeamQuality(calc.tables, std::span(s.AddedEnergy).first(count),
                            std::span(s.AddedPhotons).first(count), al_density);
}

}  // namespace xray
