#include "tables/start_up_plots.h"

#include <array>
#include <utility>

#include "numeric/fp_errors.h"
#include "tables/reference_table.h"

namespace xray {

void FormCreate(WindowServices& window) {
  fp::Clear();
  static constexpr std::array<std::pair<Memo, Series>, 5> kPlots = {{
      {Memo::MemokeVWu, Series::FastLineSeries1},
      {Memo::MemokeVAlu, Series::FastLineSeries2},
      {Memo::MemokeVAir, Series::FastLineSeries5},
      {Memo::MemokeVC, Series::FastLineSeries3},
      {Memo::MemoCX, Series::FastLineSeries4},
  }};
  for (const auto& [memo, series] : kPlots) {
    window.ClearSeries(series);
    for (int i = 1;; ++i) {
      const std::string line = window.MemoLine(memo, i);
      if (line.empty()) break;
      const Row r = SplitRow(line);
      window.AddPoint(series, r.x, r.y);
    }
  }
}

}  // namespace xray
