#include "form/beam_summary.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "numeric/calc_error.h"
#include "numeric/fp_errors.h"
#include "numeric/number_text.h"
#include "numeric/wide_real.h"

namespace xray {

namespace {

// v with a fixed number of decimals, "." whatever the locale.
std::string Fixed(double v, int decimals) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(buffer, end) : FloatToText(v);
}

// A field's number, or none when the text is not one.
std::optional<double> NumberIn(std::string_view text) {
  try {
    fp::Clear();  // a fault left by other arithmetic is not this text's
    return TextToFloat(text);
  } catch (const CalcError&) {
    return std::nullopt;
  }
}

}  // namespace

BeamSummary SummarizeBeam(const CalcContext& calc) {
  BeamSummary s{};
  s.quality = MeasureAddedBeamQuality(calc);
  const std::size_t count = static_cast<std::size_t>(std::clamp<std::int32_t>(calc.store.Count, 0, kStoreBins));
  // Summed as "Added" sums it, in double, bin by bin.
  double total = 0;
  for (std::size_t i = 0; i < count; ++i) total = total + calc.store.AddedPhotons[i];
  s.fluence_per_mm2 = total;
  const double exposure_mR = TextToFloat(calc.window.FieldText(Field::EditmR));
  s.air_kerma_uGy = static_cast<WideReal>(exposure_mR) * kAirKermaPerExposure_uGy_per_mR;
  s.fluence_per_air_kerma = static_cast<WideReal>(total) / s.air_kerma_uGy;
  fp::Check(s.fluence_per_mm2, s.air_kerma_uGy, s.fluence_per_air_kerma);
  return s;
}

const StandardBeam* ActiveStandardBeam(std::string_view kv_text, std::string_view added_text) {
  const std::optional<double> kv = NumberIn(kv_text);
  const std::optional<double> added = NumberIn(added_text);
  if (!kv || !added) return nullptr;
  for (const StandardBeam& beam : kStandardBeams) {
    if (NumberIn(beam.kv_text) == kv && NumberIn(beam.added_text) == added) return &beam;
  }
  return nullptr;
}

std::vector<std::string> BeamStatusItems(const BeamSummary& summary, const StandardBeam* beam) {
  std::vector<std::string> items = {
      "HVL1 " + FloatToText(summary.quality.hvl1_mm) + " mm Al",
      "HVL2 " + FloatToText(summary.quality.hvl2_mm) + " mm Al",
      "mean " + FloatToText(summary.quality.mean_energy_keV) + " keV",
      Fixed(summary.fluence_per_air_kerma, 0) + " photons/mm²/µGy",
      "fluence " + FloatToText(summary.fluence_per_mm2) + " photons/mm²",
  };
  if (beam && beam->reference_fluence_per_air_kerma) {
    const double reference = *beam->reference_fluence_per_air_kerma;
    items.push_back(std::string(beam->name) + " reference " + Fixed(reference, 0) + " /mm²/µGy, ratio " +
                    Fixed(summary.fluence_per_air_kerma / reference, 3));
  }
  return items;
}

std::string JoinStatusItems(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : " · ") + item;
  return out;
}

}  // namespace xray
