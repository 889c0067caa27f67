// Whole runs of the window that the front ends ask for: the spectrum with its
// fluence and beam quality, and the detector's NEQ and DQE. A run builds a
// window from its definition, pastes the given tables over before FormCreate
// plots them, types the given texts into the fields and presses what a person
// would press; the results are read back from what the window then shows. The
// command line prints them and the Python module hands them over as arrays, so
// both give the window's numbers. Each run has its own window: runs on
// different threads share nothing.
#pragma once

#include <string>
#include <vector>

#include "form/beam_summary.h"
#include "form/session.h"
#include "window/controls.h"

namespace xray {

// A text typed into a field, replacing its start text.
struct FieldEntry {
  Field field;
  std::string text;
};

// "Spectl" (which presses "Added") and the beam quality of its result.
struct SpectrumReport {
  // Every error box the window showed, final period included, or the text of
  // the beam quality's error; when there is one, nothing below holds.
  std::vector<std::string> errors;
  // One entry per bin, in energy order: the bin energy (keV), the spectrum
  // behind inherent filtration in percent of its largest bin (Series1) and
  // behind inherent and added filtration in photons/mm^2 (FastLineSeries6).
  std::vector<double> energy_keV;
  std::vector<double> inherent_percent;
  std::vector<double> photons_per_mm2;
  // Beam quality, fluence and fluence per air kerma, as the window reports them.
  BeamSummary summary{};
};

// Each run: a new window, the tables pasted over whole before FormCreate, the
// fields typed after it in their order, then the presses.
SpectrumReport RunSpectrumReport(const std::vector<MemoPaste>& tables, const std::vector<FieldEntry>& fields);

// "DQE(u)": one entry per row of the result boxes MemoNEQ and MemoDQE, in their
// order, each number as the box shows it (15 significant digits).
struct DqeReport {
  std::vector<std::string> errors;  // as in SpectrumReport
  std::vector<double> frequency_per_mm;
  std::vector<double> neq_per_mm2;
  std::vector<double> dqe_percent;
};

// With spectrum_first, "Spectl" runs before "DQE(u)" and its "Added" writes the
// fluence into EditPhtn; otherwise "DQE(u)" takes the fluence typed there.
DqeReport RunDqeReport(const std::vector<MemoPaste>& tables, const std::vector<FieldEntry>& fields,
                       bool spectrum_first);

}  // namespace xray
