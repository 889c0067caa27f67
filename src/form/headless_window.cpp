#include "form/headless_window.h"

#include <iterator>
#include <utility>

#include "tables/builtin_tables.h"

namespace xray {

std::string_view DefaultFieldText(Field f) {
  switch (f) {
    case Field::EditkV: return "80";
    case Field::EditInhrnt: return "2.5";
    case Field::EditAdd: return "19.3";
    case Field::EditDnsW: return "19.21";
    case Field::EditTAngl: return "11";
    case Field::EditDnsAl: return "2.7";
    case Field::EditPhtn: return "";
    case Field::EditmR: return "0.95";
    case Field::EditG: return "1023.75";
  }
  return "";
}

HeadlessWindow::HeadlessWindow() {
  for (Field f : kAllFields) fields_[Index(f)] = std::string(DefaultFieldText(f));
  for (Memo m : kAllMemos) memos_[Index(m)].lines = BuiltinLines(m);
}

void HeadlessWindow::Create() {
  if (auto box = form_.Create()) errors_.push_back(std::move(*box));
}

void HeadlessWindow::Click(Button b) {
  if (auto box = form_.Press(b)) errors_.push_back(std::move(*box));
}

std::vector<std::string> HeadlessWindow::TakeErrorBoxes(std::size_t first) {
  if (first >= errors_.size()) return {};
  std::vector<std::string> taken(std::make_move_iterator(errors_.begin() + static_cast<std::ptrdiff_t>(first)),
                                 std::make_move_iterator(errors_.end()));
  errors_.resize(first);
  return taken;
}

void HeadlessWindow::SetMemoText(Memo m, std::string_view text) { SetMemoLines(m, SplitLines(text)); }

void HeadlessWindow::SetMemoLines(Memo m, std::vector<std::string> lines) {
  MemoState& memo = memos_[Index(m)];
  memo.lines = std::move(lines);
  ++memo.revision;
}

std::string HeadlessWindow::MemoLine(Memo m, int i) const {
  const auto& lines = memos_[Index(m)].lines;
  if (i < 0 || static_cast<std::size_t>(i) >= lines.size()) return {};
  return std::string(ClipLine(lines[static_cast<std::size_t>(i)]));
}

void HeadlessWindow::ClearMemo(Memo m) {
  MemoState& memo = memos_[Index(m)];
  memo.lines.clear();
  ++memo.revision;
}

void HeadlessWindow::AppendMemoLine(Memo m, std::string_view line) {
  MemoState& memo = memos_[Index(m)];
  memo.lines.emplace_back(line);
  ++memo.revision;
}

void HeadlessWindow::PressButtonAdded() { form_.PressAddedWithin(); }

void HeadlessWindow::SetClipboardText(std::string_view text) {
  clipboard_ = std::string(text);
  ++clipboard_writes_;
}

}  // namespace xray
