#include "numeric/calc_error.h"

#include "numeric/messages.h"

namespace xray {

void ThrowNotAFloat(std::string_view text) {
  const std::size_t at = msg::kNotAFloat.find("%s");
  std::string message(msg::kNotAFloat.substr(0, at));
  message += text;
  message += msg::kNotAFloat.substr(at + 2);
  throw CalcError(message);
}

std::string BoxText(std::string_view message) {
  std::string text(message);
  // Compare the last byte as unsigned: any byte of a multi-byte UTF-8 character
  // is above '.', as the character's own code is.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) {
    text += '.';
  }
  return text;
}

}  // namespace xray
