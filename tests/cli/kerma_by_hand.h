// The air-kerma half-value layer worked out the long way, to check the
// beam-quality module against: every bin's kerma weight N E (mu_en/rho)_air,
// its aluminium attenuation exp(-(mu/rho)_Al rho t), and the continuous
// thickness that brings the sum to a fraction of its start, found by plain
// bisection in double precision. Shares no code with the module.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace xray::test {

struct HandBin {
  double energy_keV;
  double photons;         // any unit; only ratios matter
  double mu_en_air_cm2_g; // mass energy-absorption coefficient of air at the bin energy
  double mu_al_cm2_g;     // mass attenuation coefficient of aluminium at the bin energy
};

// Relative air kerma behind t mm of aluminium of density rho (g/cm^3).
inline double HandKerma(const std::vector<HandBin>& bins, double rho_g_cm3, double t_mm) {
  double k = 0;
  for (const HandBin& b : bins) {
    k += b.photons * b.energy_keV * b.mu_en_air_cm2_g * std::exp(-b.mu_al_cm2_g * rho_g_cm3 * (t_mm / 10));
  }
  return k;
}

// The thickness of aluminium (mm, not on any grid) behind which the air kerma
// is the given fraction of the unfiltered kerma.
inline double HandThickness_mm(const std::vector<HandBin>& bins, double rho_g_cm3, double fraction) {
  const double target = fraction * HandKerma(bins, rho_g_cm3, 0);
  double lo = 0, hi = 1;
  while (HandKerma(bins, rho_g_cm3, hi) > target) lo = hi, hi *= 2;
  for (int k = 0; k < 200 && hi - lo > 1e-12; ++k) {
    const double mid = (lo + hi) / 2;
    (HandKerma(bins, rho_g_cm3, mid) > target ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

// The program finds each layer as the first multiple of 0.001 mm at which the
// kerma has fallen to the target: at or just above the continuous thickness,
// by less than one step. Slack 1e-9 mm for the rounding of both calculations.
inline void ExpectFirstGridStepAtOrAbove(double grid_mm, double exact_mm, const std::string& what) {
  constexpr double kStep_mm = 0.001, kSlack_mm = 1e-9;
  EXPECT_GE(grid_mm, exact_mm - kSlack_mm) << what;
  EXPECT_LT(grid_mm, exact_mm + kStep_mm + kSlack_mm) << what;
  EXPECT_NEAR(grid_mm / kStep_mm, std::round(grid_mm / kStep_mm), 1e-6) << what << ": not on the grid";
}

// Rows "x<TAB>y" of a table box after its caption line.
struct HandTable {
  std::vector<double> x, y;
};
inline HandTable ParseRows(const std::vector<std::string>& lines) {
  HandTable t;
  for (std::size_t k = 1; k < lines.size() && !lines[k].empty(); ++k) {
    const std::size_t tab = lines[k].find('\t');
    t.x.push_back(std::stod(lines[k].substr(0, tab)));
    t.y.push_back(std::stod(lines[k].substr(tab + 1)));
  }
  return t;
}

// Power-law interpolation between the row at or below e and the row above it.
inline double HandLogLog(const HandTable& t, double e) {
  std::size_t up = 1;
  while (up + 1 < t.x.size() && t.x[up] <= e) ++up;
  const double f = std::log(e / t.x[up - 1]) / std::log(t.x[up] / t.x[up - 1]);
  return t.y[up - 1] * std::pow(t.y[up] / t.y[up - 1], f);
}

}  // namespace xray::test
