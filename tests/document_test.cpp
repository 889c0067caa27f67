// Documents: the JSON a window's texts are saved as, played back through the
// session player exactly as `xraycalc-cli session` plays it.
#include "form/document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "form/session.h"

namespace {

using namespace xray;
using nlohmann::json;

// A window created as the program creates it, with the document's steps played.
WindowTexts Replayed(const std::string& document) {
  HeadlessWindow window;
  window.Create();
  PlaySession(window, ParseSessionSteps(document));
  return TextsOf(window);
}

struct TextCase {
  const char* name;
  std::vector<std::string> lines;
};

// Lines a text box can hold, including those a plain "\n" join would lose.
const TextCase kTextCases[] = {
    {"no lines", {}},
    {"one empty line", {""}},
    {"rows with tabs", {"keV\t(g/cm^2)", "15\t138.9", "20\t65.73"}},
    {"an empty last line", {"c/mm\tWS", "0.1\t2.1", ""}},
    {"empty lines inside", {"a", "", "", "b"}},
    {"a line ending in a carriage return", {"15\t1.2\r", "20\t0.9"}},
    {"the last line ending in a carriage return", {"15\t1.2", "20\t0.9\r"}},
    {"a carriage return alone", {"\r"}},
    {"a carriage return inside a line", {"1\r5\t2"}},
    {"quotes, backslashes and JSON look-alikes", {"\"x\"\t\\n", "{\"set\": \"EditkV\"}", "],["}},
    {"non-ASCII text", {"c/mm\tCSI-X\xE3\x83\xBBWS", "γ\t1023.75", "µGy"}},
    {"a control character", {std::string("a\x01" "b", 3)}},
};

class DocumentLines : public ::testing::TestWithParam<TextCase> {};

TEST_P(DocumentLines, PasteTextSplitsBackIntoTheSameLines) {
  EXPECT_EQ(SplitLines(PasteTextOf(GetParam().lines)), GetParam().lines);
}

TEST_P(DocumentLines, EveryBoxComesBackFromTheSessionPlayer) {
  HeadlessWindow window;
  window.Create();
  for (Memo m : kAllMemos) window.SetMemoLines(m, GetParam().lines);
  const WindowTexts saved = TextsOf(window);
  EXPECT_EQ(Replayed(DocumentJson(saved)), saved);
}

INSTANTIATE_TEST_SUITE_P(Cases, DocumentLines, ::testing::ValuesIn(kTextCases), [](const auto& info) {
  std::string name;
  for (char c : std::string(info.param.name)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
});

TEST(Document, HoldsOneSetStepPerFieldAndBoxInTheWindowsOrder) {
  HeadlessWindow window;
  window.Create();
  const json steps = json::parse(DocumentJson(TextsOf(window)));
  ASSERT_TRUE(steps.is_array());
  ASSERT_EQ(steps.size(), kFieldCount + kMemoCount);
  std::size_t k = 0;
  for (Field f : kAllFields) EXPECT_EQ(steps[k++], json({{"set", Name(f)}, {"text", window.FieldText(f)}}));
  for (Memo m : kAllMemos) EXPECT_EQ(steps[k++]["set"], Name(m));
  // One step per line, so that a document reads (and diffs) step by step.
  const std::string text = DocumentJson(TextsOf(window));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<std::ptrdiff_t>(kFieldCount + kMemoCount + 2));
}

TEST(Document, RebuildsTheTextsOfAWindowThatHasWorked) {
  // Typed fields (one of them not a number), a pasted table, the results of
  // "Spectl" and "DQE(u)": the texts come back; the presses are not replayed.
  HeadlessWindow window;
  window.Create();
  window.SetField(Field::EditkV, "70");
  window.SetField(Field::EditAdd, "21");
  window.SetField(Field::EditDnsW, " 19.3 ");
  window.SetMemoText(Memo::MemoWS, "c/mm\tWS\r\n0.1\t2.1\r\n0.5\t1.9\r\n1\t1.6\r\n");
  window.Click(Button::ButtonSpectl);
  window.Click(Button::ButtonCalDQE);
  window.SetField(Field::EditmR, "abc");
  ASSERT_TRUE(window.ErrorBoxes().empty());
  ASSERT_EQ(window.Lines(Memo::MemoNEQ).size(), 3u);

  const WindowTexts saved = TextsOf(window);
  HeadlessWindow opened;
  opened.Create();
  EXPECT_TRUE(PlaySession(opened, ParseSessionSteps(DocumentJson(saved))).errors.empty());
  EXPECT_EQ(TextsOf(opened), saved);
  EXPECT_TRUE(opened.Points(Series::Series1).empty());
}

TEST(Document, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  // A pasted box may hold any bytes; the document stays valid JSON.
  HeadlessWindow window;
  window.Create();
  window.SetMemoLines(Memo::MemoMTF, {"c/mm\tMTF", "0\t1\xff"});
  const WindowTexts back = Replayed(DocumentJson(TextsOf(window)));
  EXPECT_EQ(back.memos[Index(Memo::MemoMTF)], (std::vector<std::string>{"c/mm\tMTF", "0\t1\xEF\xBF\xBD"}));
}

}  // namespace
