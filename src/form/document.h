// Documents: the window's texts kept in a file between runs.
//
// A document is a session file (the JSON steps that `xraycalc-cli session`
// plays): one "set" step for each of the nine edit fields and each of the nine
// text boxes, in the window's order. Opening it plays those steps on a window
// in its start-up state, so the window, the command line and a script all
// rebuild the same texts from it. A document holds no presses and no results
// beyond the texts the boxes and fields show: the charts come back with the
// next press.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "form/headless_window.h"
#include "window/controls.h"

namespace xray {

// The file name ending and the MIME type the desktop knows documents by.
inline constexpr std::string_view kDocumentSuffix = ".xraycalc.json";
inline constexpr std::string_view kDocumentMimeType = "application/x-xraycalc+json";

// What a document keeps: every edit field's text and every text box's lines,
// indexed by Index(Field) and Index(Memo).
struct WindowTexts {
  std::array<std::string, kFieldCount> fields;
  std::array<std::vector<std::string>, kMemoCount> memos;
  friend bool operator==(const WindowTexts&, const WindowTexts&) = default;
};

// The texts of a window as it stands.
WindowTexts TextsOf(const HeadlessWindow& window);

// The text of a "set" step that pastes exactly these lines back (SplitLines
// gives them again): every line ends with "\n", and a line that itself ends
// in "\r" gets "\r\n", since a "\r" right before "\n" belongs to the break.
// No lines give the empty text.
std::string PasteTextOf(const std::vector<std::string>& lines);

// The document for these texts: a JSON array of eighteen "set" steps, one per
// line, fields first, then the text boxes. Bytes that are not UTF-8 are
// written as U+FFFD (a text box may hold any pasted bytes).
std::string DocumentJson(const WindowTexts& texts);

}  // namespace xray
