// The one error type of the calculation core. A handler never catches it: it
// ends the handler where it arises and the window shows its message in a box.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace xray {

class CalcError : public std::exception {
 public:
  explicit CalcError(std::string_view message) : message_(message) {}
  // The whole message; it may hold any byte of the text that failed, NUL included.
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// The conversion error for a text that is not a number, naming the text.
[[noreturn]] void ThrowNotAFloat(std::string_view text);

// The text an error box shows: the message, plus a period unless its last
// character is already "." or below it in code order (as the window has always done).
std::string BoxText(std::string_view message);

}  // namespace xray
