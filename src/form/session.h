// Headless sessions: a list of steps (set a text, press a button) played on a
// HeadlessWindow, and the whole window state afterwards, as JSON.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "form/headless_window.h"
#include "window/controls.h"

namespace xray {

struct SetFieldStep {
  Field field;
  std::string text;
};
struct SetMemoStep {
  Memo memo;
  std::string text;
};
struct PressStep {
  Button button;
};
using SessionStep = std::variant<SetFieldStep, SetMemoStep, PressStep>;

// Input that is not a JSON array of known steps (a number beyond the double
// range is bad JSON), or a session whose error boxes pass
// kMaxSessionErrorBytes; the message is one line and names the step.
class SessionInputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses and checks the whole input before anything runs.
std::vector<SessionStep> ParseSessionSteps(std::string_view json_text);

// An error box and the step that raised it (none while FormCreate ran).
struct SessionError {
  std::optional<std::size_t> step;
  std::string message;
};

struct SessionResult {
  std::vector<SessionError> errors;
};

// The most text the error boxes of one session may hold, all together: each
// box quotes the whole text of a field, so a long text and many presses would
// otherwise pile up without bound (and print at most 6 bytes per byte, "\u0000"
// for a NUL). Far above any real session.
inline constexpr std::size_t kMaxSessionErrorBytes = std::size_t{256} << 20;

// Plays the steps on a window that has been created (FormCreate run); every
// error box is recorded with the index of its step, and handed over from the
// window to the result (boxes shown before stay in the window). Throws
// SessionInputError once the boxes pass kMaxSessionErrorBytes.
SessionResult PlaySession(HeadlessWindow& window, const std::vector<SessionStep>& steps);

// Creates a window from its built-in definition, runs FormCreate and plays the steps.
std::string RunSessionJson(std::string_view json_text);

// A whole text box pasted over, as a "set" step of a text box does.
struct MemoPaste {
  Memo memo;
  std::string text;
};

// The same, with text boxes pasted over before FormCreate runs, as if the
// window had been built with those tables (the command line's own tables).
std::string RunSessionJson(std::string_view json_text, const std::vector<MemoPaste>& before_create);

// The window's whole state as one JSON object: fields, memos, series,
// clipboard, errors, store. Numbers in shortest round-trip form.
std::string StateJson(const HeadlessWindow& window, const std::vector<SessionError>& errors);

}  // namespace xray
