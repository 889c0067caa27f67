// The reference tables the window is built with: the text of each table box
// as it stands at start, one line per row, rows joined by "\n".
#pragma once

#include <array>
#include <string>
#include <vector>

#include "window/controls.h"

namespace xray {

// The boxes that hold reference tables, the ones a user may replace; the two
// result boxes are the handlers' to fill.
inline constexpr std::array kReferenceTables = {Memo::MemokeVWu, Memo::MemokeVAlu, Memo::MemokeVAir, Memo::MemokeVC,
                                                Memo::MemoCX,    Memo::MemoMTF,    Memo::MemoWS};

// The built-in lines of a reference table box (caption row first); the two
// result boxes MemoNEQ and MemoDQE start empty.
const std::vector<std::string>& BuiltinLines(Memo m);

}  // namespace xray
