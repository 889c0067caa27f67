// What the window reports about the beam after a run: the beam quality of the
// spectrum behind inherent and added filtration, its fluence, and how it
// compares with the IEC standard radiation qualities.
//
// The command line prints the same numbers (`xraycalc-cli spectrum`), from
// the same function, so the window and the command line never differ.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exposure/beam_quality.h"
#include "spectrum/calc_context.h"

namespace xray {

// Air kerma per unit exposure: 1 mR of exposure in air is 8.76 µGy of air
// kerma (W/e = 33.97 J/C, 2.58e-7 C/kg per mR).
inline constexpr double kAirKermaPerExposure_uGy_per_mR = 8.76;

struct BeamSummary {
  BeamQuality quality;               // mean energy (keV), HVL1 and HVL2 (mm Al)
  double fluence_per_mm2;            // photons/mm^2 behind all filtration, as in EditPhtn
  double air_kerma_uGy;              // the exposure in EditmR as air kerma, µGy
  double fluence_per_air_kerma;      // photons/mm^2 per µGy
};

// The summary of the spectrum that "Spectl" and "Added" left in the store
// (AddedEnergy, AddedPhotons in photons/mm^2), for the exposure in EditmR and
// the aluminium density in EditDnsAl. The fluence is the sum of the bins in
// bin order, the very double "Added" wrote into EditPhtn. Errors are
// CalcErrors (no photons, a bad table row, a floating-point fault).
BeamSummary SummarizeBeam(const CalcContext& calc);

// An IEC 61267 RQA radiation quality: a tube voltage and added aluminium
// behind which the detector is measured, and for four of them the photon
// fluence per air kerma IEC 62220-1-1 gives for that beam.
struct StandardBeam {
  std::string_view name;
  std::string_view kv_text;     // as typed into EditkV, kV
  std::string_view added_text;  // as typed into EditAdd, mm Al
  std::optional<double> reference_fluence_per_air_kerma;  // photons/mm^2/µGy
  std::string_view unavailable;  // why the window cannot compute it; empty when it can
};

inline constexpr std::array<StandardBeam, 9> kStandardBeams = {{
    {"RQA2", "40", "4", std::nullopt, {}},
    {"RQA3", "50", "10", 21759, {}},
    {"RQA4", "60", "16", std::nullopt, {}},
    {"RQA5", "70", "21", 30174, {}},
    {"RQA6", "80", "26", std::nullopt, {}},
    {"RQA7", "90", "30", 32362, {}},
    {"RQA8", "100", "34", std::nullopt, {}},
    {"RQA9", "120", "40", 31077, {}},
    {"RQA10", "150", "45", std::nullopt,
     "150 kV is beyond this model: the tungsten table ends at 150 keV, so the highest tube voltage is just below 150 kV"},
}};

// The standard beam whose tube voltage and added filtration the two field
// texts hold as numbers ("70.0" holds 70), or none.
const StandardBeam* ActiveStandardBeam(std::string_view kv_text, std::string_view added_text);

// The items of the status line, in order: "HVL1 6.597 mm Al", "HVL2 ... mm
// Al", "mean ... keV", "... photons/mm²/µGy", "fluence ... photons/mm²", and
// for a beam with a reference "RQA5 reference 30174 /mm²/µGy, ratio ...".
// HVLs, mean energy and fluence in the command line's digits (FloatToText),
// the fluence per air kerma to whole photons, the ratio to three decimals.
std::vector<std::string> BeamStatusItems(const BeamSummary& summary, const StandardBeam* beam);

// The items joined by " · ".
std::string JoinStatusItems(const std::vector<std::string>& items);

}  // namespace xray
