// The row format of the reference tables: line 0 of a text box is a caption,
// each later line "x<TAB>y", and the table ends at the first empty line.
#pragma once

#include <string_view>

namespace xray {

struct Row {
  double x;
  double y;
};

// Reads one data row: x from the text before the first tab (empty when the
// row has no tab), then y from everything after it (the whole row when there
// is no tab). x is converted first, so a row whose x fails never has its y read.
// Throws the conversion error naming the text that failed.
Row SplitRow(std::string_view row);

}  // namespace xray
