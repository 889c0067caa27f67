// The window's creation handler: plots five reference tables on their charts.
#pragma once

#include "window/window_services.h"

namespace xray {

// Plots MemokeVWu, MemokeVAlu, MemokeVAir, MemokeVC and MemoCX, in this order,
// each on its own series, untransformed: the series is cleared and every row
// from line 1 up to the first empty line is added as a point. A row that does
// not convert stops it there (the series keeps the points before it, later
// tables are not plotted) with the conversion error.
void FormCreate(WindowServices& window);

}  // namespace xray
