// The window's results as CSV files for a spreadsheet or a script: a header row
// naming each column with its unit, "," between cells, "." decimals, "\n"
// after every row. The numbers are the window's own texts (FloatToText of the
// plotted doubles, the rows of the result boxes as they stand), so a file and
// the window never disagree in a digit.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "window/window_services.h"

namespace xray {

inline constexpr std::string_view kSpectrumCsvHeader = "energy_keV,inherent_percent,photons_per_mm2";
inline constexpr std::string_view kNeqDqeCsvHeader = "frequency_per_mm,neq_per_mm2,dqe_percent";

// The spectrum: photon energy (keV), the spectrum behind the inherent
// filtration in percent of its largest bin (the points of Series1) and the
// photons per mm^2 behind inherent and added filtration (FastLineSeries6).
// Both lists are in ascending energy; a row pairs the points of equal energy,
// and an energy only one list holds leaves the other cell empty (a second
// "Added" without "Spectl" puts a second set of points on FastLineSeries6).
std::string SpectrumCsv(std::span<const Point> inherent_percent, std::span<const Point> photons_per_mm2);

// NEQ and DQE by spatial frequency from the lines of MemoNEQ and MemoDQE
// ("u<TAB>value", the caption line first and skipped): the frequency and NEQ
// (mm^-2) of each MemoNEQ row and the DQE (%) of the MemoDQE row beside it.
// Cells are the texts of the rows; one holding a comma, a quote or a line
// break is quoted.
std::string NeqDqeCsv(const std::vector<std::string>& neq_lines, const std::vector<std::string>& dqe_lines);

}  // namespace xray
