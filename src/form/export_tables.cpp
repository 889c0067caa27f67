#include "form/export_tables.h"

#include <algorithm>
#include <initializer_list>

#include "numeric/number_text.h"

namespace xray {

namespace {

// A cell as CSV readers take it back: quoted (with doubled quotes) only when
// it holds a separator, a quote or a line break.
void AppendCell(std::string& out, std::string_view cell) {
  if (cell.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += cell;
    return;
  }
  out += '"';
  for (char c : cell) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendRow(std::string& out, std::initializer_list<std::string_view> cells) {
  bool first = true;
  for (std::string_view cell : cells) {
    if (!first) out += ',';
    first = false;
    AppendCell(out, cell);
  }
  out += '\n';
}

// "u<TAB>value" split at the first tab; a row without a tab is all frequency.
struct Row {
  std::string_view u;
  std::string_view value;
};
Row SplitAtTab(std::string_view line) {
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return {line, {}};
  return {line.substr(0, tab), line.substr(tab + 1)};
}

}  // namespace

std::string SpectrumCsv(std::span<const Point> inherent_percent, std::span<const Point> photons_per_mm2) {
  std::string out = std::string(kSpectrumCsvHeader) + '\n';
  std::size_t i = 0, a = 0;
  while (i < inherent_percent.size() || a < photons_per_mm2.size()) {
    const bool has_i = i < inherent_percent.size();
    const bool has_a = a < photons_per_mm2.size();
    if (has_i && has_a && inherent_percent[i].x == photons_per_mm2[a].x) {
      AppendRow(out, {FloatToText(inherent_percent[i].x), FloatToText(inherent_percent[i].y),
                      FloatToText(photons_per_mm2[a].y)});
      ++i, ++a;
    } else if (has_i && (!has_a || inherent_percent[i].x < photons_per_mm2[a].x)) {
      AppendRow(out, {FloatToText(inherent_percent[i].x), FloatToText(inherent_percent[i].y), ""});
      ++i;
    } else {
      AppendRow(out, {FloatToText(photons_per_mm2[a].x), "", FloatToText(photons_per_mm2[a].y)});
      ++a;
    }
  }
  return out;
}

std::string NeqDqeCsv(const std::vector<std::string>& neq_lines, const std::vector<std::string>& dqe_lines) {
  std::string out = std::string(kNeqDqeCsvHeader) + '\n';
  const std::size_t rows = std::max(neq_lines.size(), dqe_lines.size());
  for (std::size_t k = 1; k < rows; ++k) {
    const Row neq = k < neq_lines.size() ? SplitAtTab(neq_lines[k]) : Row{};
    const Row dqe = k < dqe_lines.size() ? SplitAtTab(dqe_lines[k]) : Row{};
    if (neq.u.empty() && neq.value.empty() && dqe.u.empty() && dqe.value.empty()) continue;  // a blank line
    AppendRow(out, {k < neq_lines.size() ? neq.u : dqe.u, neq.value, dqe.value});
  }
  return out;
}

}  // namespace xray
