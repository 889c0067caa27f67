#include "form/session.h"

#include <nlohmann/json.hpp>

namespace xray {

namespace {

using nlohmann::json;

[[noreturn]] void Bad(std::size_t step, const std::string& what) {
  throw SessionInputError("step " + std::to_string(step) + ": " + what);
}

SessionStep ParseStep(std::size_t index, const json& step) {
  if (!step.is_object()) Bad(index, "a step must be an object with \"set\" and \"text\", or \"press\"");
  const bool has_set = step.contains("set");
  const bool has_press = step.contains("press");
  if (has_set == has_press) Bad(index, "a step has exactly one of \"set\" or \"press\"");
  for (const auto& [key, value] : step.items()) {
    if (key != "set" && key != "press" && key != "text") Bad(index, "unknown key \"" + key + "\"");
  }
  if (has_press) {
    if (step.contains("text")) Bad(index, "\"press\" takes no \"text\"");
    const json& name = step["press"];
    if (!name.is_string()) Bad(index, "\"press\" names a button as a string");
    const std::string control = name.get<std::string>();
    if (auto b = ButtonNamed(control)) return PressStep{*b};
    if (FieldNamed(control) || MemoNamed(control)) Bad(index, "cannot press '" + control + "': it is not a button");
    Bad(index, "unknown control '" + control + "'");
  }
  const json& name = step["set"];
  if (!name.is_string()) Bad(index, "\"set\" names a control as a string");
  const std::string control = name.get<std::string>();
  if (!step.contains("text") || !step["text"].is_string()) Bad(index, "\"set\" needs a string \"text\"");
  std::string text = step["text"].get<std::string>();
  if (auto f = FieldNamed(control)) return SetFieldStep{*f, std::move(text)};
  if (auto m = MemoNamed(control)) return SetMemoStep{*m, std::move(text)};
  if (ButtonNamed(control)) Bad(index, "cannot set the text of '" + control + "': it is a button");
  Bad(index, "unknown control '" + control + "'");
}

// JSON text for strings that may hold bytes that are not UTF-8 (pasted
// tables): those are written as U+FFFD rather than failing the whole output.
std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

json Numbers(const std::array<double, kStoreBins>& values) {
  json a = json::array();
  for (double v : values) a.push_back(v);
  return a;
}

}  // namespace

std::vector<SessionStep> ParseSessionSteps(std::string_view json_text) {
  json doc;
  try {
    doc = json::parse(json_text);
  } catch (const json::parse_error& e) {
    throw SessionInputError(std::string("bad JSON: ") + e.what());
  }
  if (!doc.is_array()) throw SessionInputError("the input must be a JSON array of steps");
  std::vector<SessionStep> steps;
  steps.reserve(doc.size());
  for (std::size_t k = 0; k < doc.size(); ++k) steps.push_back(ParseStep(k, doc[k]));
  return steps;
}

SessionResult PlaySession(HeadlessWindow& window, const std::vector<SessionStep>& steps) {
  SessionResult result;
  std::size_t seen = window.ErrorBoxes().size();
  for (std::size_t k = 0; k < steps.size(); ++k) {
    std::visit(
        [&](const auto& step) {
          using T = std::decay_t<decltype(step)>;
          if constexpr (std::is_same_v<T, SetFieldStep>) {
            window.SetField(step.field, step.text);
          } else if constexpr (std::is_same_v<T, SetMemoStep>) {
            window.SetMemoText(step.memo, step.text);
          } else {
            window.Click(step.button);
          }
        },
        steps[k]);
    for (; seen < window.ErrorBoxes().size(); ++seen) result.errors.push_back({k, window.ErrorBoxes()[seen]});
  }
  return result;
}

std::string RunSessionJson(std::string_view json_text) { return RunSessionJson(json_text, {}); }

std::string RunSessionJson(std::string_view json_text, const std::vector<MemoPaste>& before_create) {
  const std::vector<SessionStep> steps = ParseSessionSteps(json_text);
  HeadlessWindow window;
  for (const MemoPaste& paste : before_create) window.SetMemoText(paste.memo, paste.text);
  window.Create();
  std::vector<SessionError> errors;
  for (const std::string& box : window.ErrorBoxes()) errors.push_back({std::nullopt, box});
  SessionResult played = PlaySession(window, steps);
  errors.insert(errors.end(), played.errors.begin(), played.errors.end());
  return StateJson(window, errors);
}

std::string StateJson(const HeadlessWindow& window, const std::vector<SessionError>& errors) {
  std::string out = "{\n  \"fields\": {";
  bool first = true;
  for (Field f : kAllFields) {
    out += first ? "" : ", ";
    first = false;
    out += Dump(json(Name(f))) + ": " + Dump(json(window.FieldText(f)));
  }
  out += "},\n  \"memos\": {\n";
  first = true;
  for (Memo m : kAllMemos) {
    out += first ? "" : ",\n";
    first = false;
    out += "    " + Dump(json(Name(m))) + ": " + Dump(json(window.Lines(m)));
  }
  out += "\n  },\n  \"series\": {\n";
  first = true;
  for (Series s : kAllSeries) {
    out += first ? "" : ",\n";
    first = false;
    json points = json::array();
    for (const Point& p : window.Points(s)) points.push_back(json::array({p.x, p.y}));
    out += "    " + Dump(json(Name(s))) + ": " + Dump(points);
  }
  out += "\n  },\n  \"clipboard\": ";
  out += window.Clipboard() ? Dump(json(*window.Clipboard())) : "null";
  out += ",\n  \"errors\": [";
  first = true;
  for (const SessionError& e : errors) {
    out += first ? "" : ", ";
    first = false;
    json entry = json::object();
    entry["step"] = e.step ? json(*e.step) : json(nullptr);
    entry["message"] = e.message;
    out += "{\"step\": " + Dump(entry["step"]) + ", \"message\": " + Dump(entry["message"]) + "}";
  }
  const SpectrumStore& s = window.store();
  out += "],\n  \"store\": {\"Count\": " + std::to_string(s.Count);
  out += ",\n    \"Energy\": " + Dump(Numbers(s.Energy));
  out += ",\n    \"Photons\": " + Dump(Numbers(s.Photons));
  out += ",\n    \"AddedEnergy\": " + Dump(Numbers(s.AddedEnergy));
  out += ",\n    \"AddedPhotons\": " + Dump(Numbers(s.AddedPhotons));
  out += "}\n}\n";
  return out;
}

}  // namespace xray
