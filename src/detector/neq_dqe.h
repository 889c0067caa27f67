// Detector performance: the click handler of the "DQE(u)" button.
#pragma once

#include "spectrum/calc_context.h"

namespace xray {

// For every frequency u of the Wiener-spectrum table from its second data row
// on: NEQ(u) = (gamma log10 e)^2 MTF(u)^2 / WS(u) (mm^-2) and
// DQE(u) = NEQ(u) / q * 100 (percent), q the fluence in EditPhtn (photons/mm^2).
// Fills MemoNEQ, MemoDQE, FastLineSeries7 and FastLineSeries8.
void ButtonCalDQEClick(const CalcContext& calc);

}  // namespace xray
