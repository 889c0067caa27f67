// Spectrum synthesis: the click handler of the "Spectl" button.
#pragma once

#include "spectrum/calc_context.h"

namespace xray {

// Above this tube voltage (kV) a run is refused before its first bin with the
// store-full error. The store ends at 165 keV, so no run above 165 kV can
// complete; above 1000 kV the electron loops alone would keep the window busy
// for minutes (and forever near the top of the double range) before the run
// failed anyway.
inline constexpr double kHighestRunnableVoltage_kV = 1000.0;

// Computes the thick-target tungsten spectrum for the header fields: the
// bremsstrahlung sums on the 0.5 keV grid from 15 keV to the tube voltage, the K
// lines above 70 kV, photon numbers, 0.7 mm and then the rest of the inherent Al
// filtration and the added filtration; plots the inherent-filtered spectrum in
// percent on Series1, presses "Added" to calibrate the added-filtration spectrum,
// and leaves the spectrum report on the clipboard. After each photon energy the
// clipboard holds that energy's electron-step listing.
void ButtonSpectlClick(const CalcContext& calc);

}  // namespace xray
