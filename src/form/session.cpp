#include "form/session.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace xray {

namespace {

using nlohmann::json;

[[noreturn]] void Bad(std::size_t step, const std::string& what) {
  throw SessionInputError("step " + std::to_string(step) + ": " + what);
}

// What the checks of one step need of its members: whether "set", "press" and
// "text" are there and their strings, and the first unknown key in the order
// of names (the one a message names).
struct StepMembers {
  struct Member {
    bool present = false;
    bool is_string = false;
    std::string text;
  };
  Member set, press, text;
  std::optional<std::string> unknown_key;
};

SessionStep ParseStep(std::size_t index, StepMembers& step) {
  const bool has_set = step.set.present;
  const bool has_press = step.press.present;
  if (has_set == has_press) Bad(index, "a step has exactly one of \"set\" or \"press\"");
  if (step.unknown_key) Bad(index, "unknown key \"" + *step.unknown_key + "\"");
  if (has_press) {
    if (step.text.present) Bad(index, "\"press\" takes no \"text\"");
    if (!step.press.is_string) Bad(index, "\"press\" names a button as a string");
    const std::string& control = step.press.text;
    if (auto b = ButtonNamed(control)) return PressStep{*b};
    if (FieldNamed(control) || MemoNamed(control)) Bad(index, "cannot press '" + control + "': it is not a button");
    Bad(index, "unknown control '" + control + "'");
  }
  if (!step.set.is_string) Bad(index, "\"set\" names a control as a string");
  const std::string& control = step.set.text;
  if (!step.text.is_string) Bad(index, "\"set\" needs a string \"text\"");
  if (auto f = FieldNamed(control)) return SetFieldStep{*f, std::move(step.text.text)};
  if (auto m = MemoNamed(control)) return SetMemoStep{*m, std::move(step.text.text)};
  if (ButtonNamed(control)) Bad(index, "cannot set the text of '" + control + "': it is a button");
  Bad(index, "unknown control '" + control + "'");
}

// Reads the steps as the parser meets them (nlohmann's SAX interface), keeping
// the steps alone: memory follows the steps, not the size of a JSON document
// tree. After the first bad step nothing more is kept, but the input is still
// read to its end, since bad JSON anywhere is the message that counts.
class StepReader {
 public:
  using string_t = json::string_t;

  bool null() { return Value(Kind::kOther); }
  bool boolean(bool) { return Value(Kind::kOther); }
  bool number_integer(json::number_integer_t) { return Value(Kind::kOther); }
  bool number_unsigned(json::number_unsigned_t) { return Value(Kind::kOther); }
  bool number_float(json::number_float_t, const string_t&) { return Value(Kind::kOther); }
  bool string(string_t& text) { return Value(Kind::kString, &text); }
  bool binary(json::binary_t&) { return Value(Kind::kOther); }
  bool start_object(std::size_t) {
    Value(Kind::kObject);
    ++depth_;
    return true;
  }
  bool start_array(std::size_t) {
    Value(Kind::kArray);
    ++depth_;
    return true;
  }
  bool key(string_t& name) {
    if (depth_ == kMemberDepth && in_step_) key_ = std::move(name);
    return true;
  }
  bool end_object() {
    if (--depth_ == kStepDepth && in_step_) EndStep();
    return true;
  }
  bool end_array() {
    --depth_;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const json::exception& e) {
    bad_json_ = e.what();
    return false;
  }

  // The steps, or the error that refuses them.
  std::vector<SessionStep> Steps() && {
    if (bad_json_) throw SessionInputError("bad JSON: " + *bad_json_);
    if (error_) throw SessionInputError(*error_);
    return std::move(steps_);
  }

 private:
  enum class Kind { kString, kObject, kArray, kOther };
  static constexpr int kStepDepth = 1;    // inside the array of steps
  static constexpr int kMemberDepth = 2;  // inside a step

  bool Value(Kind kind, string_t* text = nullptr) {
    if (error_) return true;
    if (depth_ == 0) {
      if (kind != Kind::kArray) error_ = "the input must be a JSON array of steps";
    } else if (depth_ == kStepDepth) {
      if (kind == Kind::kObject) {
        in_step_ = true;
        members_ = StepMembers{};
      } else {
        Refuse([&] { Bad(steps_.size(), "a step must be an object with \"set\" and \"text\", or \"press\""); });
      }
    } else if (depth_ == kMemberDepth && in_step_) {
      Member(kind, text);
    }
    return true;
  }

  // A later value of the same key replaces the earlier one, as in a JSON object.
  void Member(Kind kind, string_t* text) {
    StepMembers::Member* member = key_ == "set" ? &members_.set
                                  : key_ == "press" ? &members_.press
                                  : key_ == "text" ? &members_.text
                                                   : nullptr;
    if (!member) {
      if (!members_.unknown_key || key_ < *members_.unknown_key) members_.unknown_key = key_;
      return;
    }
    *member = StepMembers::Member{true, kind == Kind::kString, text ? std::move(*text) : std::string()};
  }

  void EndStep() {
    in_step_ = false;
    Refuse([&] { steps_.push_back(ParseStep(steps_.size(), members_)); });
  }

  template <typename F>
  void Refuse(F&& f) {
    try {
      f();
    } catch (const SessionInputError& e) {
      error_ = e.what();
      steps_ = {};
    }
  }

  int depth_ = 0;
  bool in_step_ = false;
  string_t key_;
  StepMembers members_;
  std::vector<SessionStep> steps_;
  std::optional<std::string> error_;     // the first bad step, or a document that is no array
  std::optional<std::string> bad_json_;  // input that is no JSON at all
};

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
  StepReader reader;
  json::sax_parse(json_text.begin(), json_text.end(), &reader);
  return std::move(reader).Steps();
}

SessionResult PlaySession(HeadlessWindow& window, const std::vector<SessionStep>& steps) {
  SessionResult result;
  const std::size_t before = window.ErrorBoxes().size();
  std::size_t held = 0;  // bytes of the boxes' texts
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
    for (std::string& box : window.TakeErrorBoxes(before)) {
      held += box.size();
      if (held > kMaxSessionErrorBytes) {
        Bad(k, "the error boxes of the session pass 256 MiB of text, the most a session may show; "
               "the session is refused");
      }
      box.shrink_to_fit();  // a box built by appending may hold twice its length
      result.errors.push_back({k, std::move(box)});
    }
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
  for (std::string& box : window.TakeErrorBoxes()) errors.push_back({std::nullopt, std::move(box)});
  SessionResult played = PlaySession(window, steps);
  std::move(played.errors.begin(), played.errors.end(), std::back_inserter(errors));
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
