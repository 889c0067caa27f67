#include "measure/measure_error.h"

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

}  // namespace xray::measure
