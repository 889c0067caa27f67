#include "detector/neq_dqe.h"

#include <string>

#include "numeric/fp_errors.h"
#include "numeric/number_text.h"
#include "numeric/wide_real.h"
#include "tables/lookup.h"
#include "tables/reference_table.h"

namespace xray {

namespace {


// log10 e, the nearest extended value: converts the natural-log gamma of the
// film-like response into the base-10 one.
constexpr WideReal kLog10E = 0.43429448190325182765L;

std::string ResultRow(double u, double value) {
  std::string row = FloatToText(u);
  row += '\t';
  AppendFloatText(row, value);
  return row;
}

}  // namespace

void ButtonCalDQEClick(const CalcContext& calc) {
  WindowServices& w = calc.window;
  fp::Clear();
  w.ClearSeries(Series::FastLineSeries7);
  w.ClearSeries(Series::FastLineSeries8);
  const double G = TextToFloat(w.FieldText(Field::EditG));
  const double q = TextToFloat(w.FieldText(Field::EditPhtn));
  w.ClearMemo(Memo::MemoNEQ);
  w.AppendMemoLine(Memo::MemoNEQ, "cycles/mm\tNEQ(u)");
  w.ClearMemo(Memo::MemoDQE);
  w.AppendMemoLine(Memo::MemoDQE, "cycles/mm\tDQE(u)");

  // Line 1 of the Wiener spectrum takes no part: the frequencies start at line 2.
  for (int i = 2;; ++i) {
    const std::string line = w.MemoLine(Memo::MemoWS, i);
    if (line.empty()) break;
    const Row ws = SplitRow(line);
    const double u = ws.x;
    const double W = ws.y;
    const double M = LookupLinearUpperFirst(calc.tables, Memo::MemoMTF, u);
    const double R = static_cast<WideReal>(M) * M / W;
    const double neq = kLog10E * (kLog10E * ((static_cast<WideReal>(R) * G) * G));
    const double dqe = (static_cast<WideReal>(neq) / q) * 100;
    fp::Check(R, neq, dqe);
    w.AppendMemoLine(Memo::MemoNEQ, ResultRow(u, neq));
    w.AppendMemoLine(Memo::MemoDQE, ResultRow(u, dqe));
    w.AddPoint(Series::FastLineSeries7, u, neq);
    w.AddPoint(Series::FastLineSeries8, u, dqe);
  }
}

}  // namespace xray
