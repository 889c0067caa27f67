// Beam quality of a filtered spectrum: its mean photon energy and its first and
// second half-value layers in aluminium, read from the same reference tables as
// the calculators (MemokeVAir for the air kerma, MemokeVAlu for the aluminium).
//
// The half-value layer is measured, as in practice, on the air kerma: each
// bin's photons deposit kerma in proportion to N_i E_i (mu_en/rho)_air(E_i), so
//   K(t) = sum_i N_i E_i (mu_en/rho)_air(E_i) exp(-mu_Al(E_i) rho_Al t)
// is the air kerma behind t of aluminium (relative units: the constant factors
// cancel in every ratio). HVL1 halves K(0); HVL2 takes it from a half to a quarter.
//
// Grid rule: a thickness is the smallest multiple of kHvlStep_mm whose kerma is
// at most the target (K(t1) <= K(0)/2 < K(t1 - step), likewise t2 for K(0)/4),
// found by doubling and then bisection on the integer grid. HVL1 = t1 and
// HVL2 = t2 - t1, so both are exact multiples of the step and HVL1 overstates
// the continuous value by less than one step.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "numeric/messages.h"
#include "spectrum/calc_context.h"
#include "tables/table_reader.h"

namespace xray {

// Step of the thickness grid on which the half-value layers are found, mm Al.
inline constexpr double kHvlStep_mm = 0.001;
// The thickest aluminium searched, mm (1 km).
inline constexpr double kMaxHvlThickness_mm = 1e6;

struct BeamQuality {
  double mean_energy_keV;  // photon-number-weighted mean photon energy, keV
  double hvl1_mm;          // first half-value layer, mm Al
  double hvl2_mm;          // second half-value layer, mm Al
};

// Mean energy (keV) and half-value layers (mm Al) of the spectrum given by bin
// energies (keV) and photon numbers (any scale, e.g. photons/mm^2), with an
// aluminium density in g/cm^3. Looks up (mu_en/rho)_air in MemokeVAir and
// mu/rho of aluminium in MemokeVAlu (cm^2/g, log-log) once per bin; their
// lookup errors, floating-point faults and the errors above are CalcErrors.
BeamQuality MeasureBeamQuality(TableReader& tables, std::span<const double> energy_keV,
                               std::span<const double> photons, double al_density_g_cm3);

// The same for the spectrum behind inherent and added filtration as "Spectl"
// and "Added" left it in the store (AddedEnergy keV, AddedPhotons photons/mm^2,
// bins 0 .. Count-1), with the aluminium density typed in EditDnsAl (g/cm^3).
BeamQuality MeasureAddedBeamQuality(const CalcContext& calc);

}  // namespace xray
