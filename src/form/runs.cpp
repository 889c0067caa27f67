#include "form/runs.h"

#include <algorithm>
#include <memory>

#include "form/headless_window.h"
#include "numeric/calc_error.h"
#include "numeric/fp_errors.h"
#include "tables/reference_table.h"

namespace xray {

namespace {

std::unique_ptr<HeadlessWindow> CreateWindow(const std::vector<MemoPaste>& tables,
                                             const std::vector<FieldEntry>& fields) {
  auto window = std::make_unique<HeadlessWindow>();
  for (const MemoPaste& t : tables) window->SetMemoText(t.memo, t.text);
  window->Create();
  for (const FieldEntry& f : fields) window->SetField(f.field, f.text);
  return window;
}

// Fills the report from the window after "Spectl"; a CalcError of the beam
// summary propagates.
void ReadSpectrum(HeadlessWindow& window, SpectrumReport& r) {
  r.summary = SummarizeBeam(window.form().context());

  // Series1 and FastLineSeries6 hold one point per bin, in bin order, at the same energies.
  const auto& inherent = window.Points(Series::Series1);
  const auto& added = window.Points(Series::FastLineSeries6);
  const std::size_t bins = std::min(inherent.size(), added.size());
  r.energy_keV.reserve(bins);
  r.inherent_percent.reserve(bins);
  r.photons_per_mm2.reserve(bins);
  for (std::size_t i = 0; i < bins; ++i) {
    r.energy_keV.push_back(inherent[i].x);
    r.inherent_percent.push_back(inherent[i].y);
    r.photons_per_mm2.push_back(added[i].y);
  }
}

}  // namespace

SpectrumReport RunSpectrumReport(const std::vector<MemoPaste>& tables, const std::vector<FieldEntry>& fields) {
  auto window = CreateWindow(tables, fields);
  window->Click(Button::ButtonSpectl);
  SpectrumReport r;
  r.errors = window->ErrorBoxes();
  if (!r.errors.empty()) return r;
  try {
    ReadSpectrum(*window, r);
  } catch (const CalcError& e) {
    SpectrumReport failed;
    failed.errors.push_back(BoxText(e.message()));
    return failed;
  }
  return r;
}

DqeReport RunDqeReport(const std::vector<MemoPaste>& tables, const std::vector<FieldEntry>& fields,
                       bool spectrum_first) {
  auto window = CreateWindow(tables, fields);
  if (spectrum_first) window->Click(Button::ButtonSpectl);
  if (window->ErrorBoxes().empty()) window->Click(Button::ButtonCalDQE);
  DqeReport r;
  r.errors = window->ErrorBoxes();
  if (!r.errors.empty()) return r;

  // Row k of MemoNEQ and of MemoDQE (after the caption) belong to the same
  // frequency; the handler wrote each as "u<TAB>value".
  fp::Clear();
  const auto& neq = window->Lines(Memo::MemoNEQ);
  const auto& dqe = window->Lines(Memo::MemoDQE);
  for (std::size_t k = 1; k < neq.size() && k < dqe.size(); ++k) {
    const Row n = SplitRow(neq[k]);
    r.frequency_per_mm.push_back(n.x);
    r.neq_per_mm2.push_back(n.y);
    r.dqe_percent.push_back(SplitRow(dqe[k]).y);
  }
  return r;
}

}  // namespace xray
