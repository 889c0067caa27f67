#include "measure/measure_text.h"

#include "measure/measure_error.h"

namespace xray::measure {

namespace {

std::string Row(double x, double y) { return NumberText(x) + '\t' + NumberText(y); }

}  // namespace

std::vector<std::string> MtfTableLines(const MtfResult& mtf) {
  std::vector<std::string> lines;
  lines.push_back("c/mm\tMTF (edge tilted " + NumberText(mtf.edge.tilt_deg, 3) + " deg, " + NumberText(mtf.pitch_mm) +
                  " mm pixels)");
  for (std::size_t i = 0; i < mtf.frequency.size(); ++i) lines.push_back(Row(mtf.frequency[i], mtf.mtf[i]));
  return lines;
}

std::vector<std::string> WienerTableLines(const NnpsResult& nnps, WienerScale scale) {
  const bool page = scale == WienerScale::kDqePage;
  const bool linear = nnps.response.kind == Response::Kind::kLinear;
  std::string what;
  if (page) {
    what = linear ? "W(u) = (gamma log10 e)^2 NNPS, gamma " + NumberText(nnps.response.gamma) : "W(u) of log data";
  } else {
    what = linear ? "NNPS (mm^2)" : "NPS of log data";
  }
  const std::vector<double>& values = page ? nnps.wiener : nnps.nnps;
  std::vector<std::string> lines;
  lines.push_back("c/mm\t" + what + ", " + std::to_string(nnps.images) + (nnps.images == 1 ? " image" : " images") +
                  "; the 0 c/mm row repeats the next and is not used");
  if (!values.empty()) lines.push_back(Row(0, values.front()));
  for (std::size_t i = 0; i < values.size(); ++i) lines.push_back(Row(nnps.frequency[i], values[i]));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return text;
}

}  // namespace xray::measure
