#include "measure/measure_error.h"

#include <charconv>
#include <cmath>

#include "numeric/number_text.h"

namespace xray::measure {

std::string FillMessage(std::string_view message, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(message.size() + 64);
  auto next = args.begin();
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '%' && i + 1 < message.size() && message[i + 1] == 's' && next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out += message[i];
    }
  }
  return out;
}

void Fail(std::string_view message, std::initializer_list<std::string_view> args) {
  throw MeasureError(FillMessage(message, args));
}

std::string NumberText(double value, int significant) {
  if (!std::isfinite(value)) return value != value ? "NaN" : (value > 0 ? "inf" : "-inf");
  // Rounded through the shortest decimal of that many digits, so the number
  // text shows exactly those digits (no 0.30000000000000004).
  // std::to_chars and std::from_chars ignore the locale, as the program's
  // number text does.
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, significant - 1);
  double rounded = value;
  std::from_chars(buffer, end.ptr, rounded, std::chars_format::scientific);
  return FloatToText(rounded);
}

}  // namespace xray::measure
