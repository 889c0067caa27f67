#include "form/document.h"

#include <nlohmann/json.hpp>

namespace xray {

namespace {

using nlohmann::json;

// One step on one line, "set" first as a person writes it.
std::string SetStep(std::string_view control, const std::string& text) {
  return "{\"set\": " + json(std::string(control)).dump() + ", \"text\": " +
         json(text).dump(-1, ' ', false, json::error_handler_t::replace) + "}";
}

}  // namespace

WindowTexts TextsOf(const HeadlessWindow& window) {
  WindowTexts texts;
  for (Field f : kAllFields) texts.fields[Index(f)] = window.FieldText(f);
  for (Memo m : kAllMemos) texts.memos[Index(m)] = window.Lines(m);
  return texts;
}

std::string PasteTextOf(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    if (!line.empty() && line.back() == '\r') text += '\r';
    text += '\n';
  }
  return text;
}

std::string DocumentJson(const WindowTexts& texts) {
  std::string out = "[\n";
  bool first = true;
  const auto add = [&](std::string step) {
    out += first ? "  " : ",\n  ";
    first = false;
    out += step;
  };
  for (Field f : kAllFields) add(SetStep(Name(f), texts.fields[Index(f)]));
  for (Memo m : kAllMemos) add(SetStep(Name(m), PasteTextOf(texts.memos[Index(m)])));
  out += "\n]\n";
  return out;
}

}  // namespace xray
