// Exposure calibration: the click handler of the "Added" button.
#pragma once

#include "spectrum/calc_context.h"

namespace xray {

// Rescales the added-filtration spectrum in the store (AddedPhotons, relative
// photon numbers) to photons per mm^2 for the exposure in EditmR (mR): each bin
// is weighted by the energy its photons deposit in 1 cm of air, and the
// spectrum is scaled so that the deposited energy matches the exposure.
// Plots the result on FastLineSeries6 and writes its total into EditPhtn.
void ButtonAddedClick(const CalcContext& calc);

}  // namespace xray
