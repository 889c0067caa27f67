// The main window without a screen: the window services over plain data.
// The tests and the command line drive the calculators through it exactly as
// a person would drive the Qt window: set texts, press buttons, read results.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/form.h"
#include "window/window_services.h"

namespace xray {

class HeadlessWindow final : public WindowServices {
 public:
  // The window as its built-in definition creates it, before FormCreate has
  // run: start texts in the fields, the built-in tables in their boxes,
  // empty result boxes and series.
  HeadlessWindow();

  // Runs FormCreate, as the window does once after it has been loaded.
  void Create();

  // What a person does: type into a field, paste over a whole text box, click.
  void SetField(Field f, std::string_view text) { SetFieldText(f, text); }
  void SetMemoText(Memo m, std::string_view text);
  void SetMemoLines(Memo m, std::vector<std::string> lines);
  void Click(Button b);

  // The state a person sees.
  const std::vector<std::string>& Lines(Memo m) const { return memos_[Index(m)].lines; }
  const std::vector<Point>& Points(Series s) const { return series_[Index(s)].Points(); }
  const std::optional<std::string>& Clipboard() const { return clipboard_; }
  // Every error box shown so far, its text with the final period.
  const std::vector<std::string>& ErrorBoxes() const { return errors_; }
  // Hands over the error boxes from the first-th on, and forgets them.
  std::vector<std::string> TakeErrorBoxes(std::size_t first = 0);
  // How many times a text was put on the clipboard.
  std::size_t ClipboardWrites() const { return clipboard_writes_; }

  Form& form() { return form_; }
  const SpectrumStore& store() const { return form_.store; }

  // WindowServices
  std::string FieldText(Field f) const override { return fields_[Index(f)]; }
  void SetFieldText(Field f, std::string_view text) override { fields_[Index(f)] = std::string(text); }
  std::string MemoLine(Memo m, int i) const override;
  void ClearMemo(Memo m) override;
  void AppendMemoLine(Memo m, std::string_view line) override;
  std::uint64_t MemoRevision(Memo m) const override { return memos_[Index(m)].revision; }
  void ClearSeries(Series s) override { series_[Index(s)].Clear(); }
  void AddPoint(Series s, double x, double y) override { series_[Index(s)].Add(Point{x, y}); }
  void PressButtonAdded() override;
  void SetClipboardText(std::string_view text) override;

 private:
  struct MemoState {
    std::vector<std::string> lines;
    std::uint64_t revision = 0;
  };

  std::array<std::string, kFieldCount> fields_;
  std::array<MemoState, kMemoCount> memos_;
  std::array<AscendingPoints, kSeriesCount> series_;
  std::optional<std::string> clipboard_;
  std::size_t clipboard_writes_ = 0;
  std::vector<std::string> errors_;
  Form form_{*this};
};

// The start text of each edit field.
std::string_view DefaultFieldText(Field f);

}  // namespace xray
