// The spectrum shared by synthesis and exposure calibration. It starts at zero
// and keeps its contents between button presses; nothing clears it.
#pragma once

#include <array>
#include <cstdint>

namespace xray {

// Bins 0..300 cover photon energies from 15 keV to 165 keV on the 0.5 keV grid.
inline constexpr int kStoreBins = 301;

struct SpectrumStore {
  std::array<double, kStoreBins> Energy{};        // bin photon energy, keV: 15 + 0.5 i
  std::array<double, kStoreBins> Photons{};       // at rest: percent of the largest bin
  std::array<double, kStoreBins> AddedEnergy{};   // bin energies of the added-filtration spectrum, keV
  std::array<double, kStoreBins> AddedPhotons{};  // behind added filtration; photons/mm^2 once calibrated
  std::int32_t Count = 0;                         // valid bins are 0 .. Count-1
};

}  // namespace xray
