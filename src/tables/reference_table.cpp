#include "tables/reference_table.h"

#include "numeric/number_text.h"

namespace xray {

Row SplitRow(std::string_view row) {
  const std::size_t tab = row.find('\t');
  const std::string_view x_text = tab == std::string_view::npos ? std::string_view() : row.substr(0, tab);
  const std::string_view y_text = tab == std::string_view::npos ? row : row.substr(tab + 1);
  Row r{};
  r.x = TextToFloat(x_text);
  r.y = TextToFloat(y_text);
  return r;
}

}  // namespace xray
