#include "window/controls.h"

namespace xray {

namespace {

constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "EditkV", "EditInhrnt", "EditAdd", "EditDnsW", "EditTAngl", "EditDnsAl", "EditPhtn", "EditmR", "EditG"};
constexpr std::array<std::string_view, kMemoCount> kMemoNames = {
    "MemokeVWu", "MemokeVAlu", "MemokeVAir", "MemokeVC", "MemoCX", "MemoMTF", "MemoWS", "MemoNEQ", "MemoDQE"};
constexpr std::array<std::string_view, kSeriesCount> kSeriesNames = {
    "Series1", "Series2", "Series3", "FastLineSeries1", "FastLineSeries2", "FastLineSeries3",
    "FastLineSeries4", "FastLineSeries5", "FastLineSeries6", "FastLineSeries7", "FastLineSeries8"};
constexpr std::array<std::string_view, 3> kButtonNames = {"ButtonSpectl", "ButtonAdded", "ButtonCalDQE"};

template <typename Enum, std::size_t N>
std::optional<Enum> Find(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::size_t k = 0; k < N; ++k) {
    if (names[k] == name) return static_cast<Enum>(k);
  }
  return std::nullopt;
}

}  // namespace

std::string_view Name(Field f) { return kFieldNames[Index(f)]; }
std::string_view Name(Memo m) { return kMemoNames[Index(m)]; }
std::string_view Name(Series s) { return kSeriesNames[Index(s)]; }
std::string_view Name(Button b) { return kButtonNames[static_cast<std::size_t>(b)]; }

std::optional<Field> FieldNamed(std::string_view name) { return Find<Field>(kFieldNames, name); }
std::optional<Memo> MemoNamed(std::string_view name) { return Find<Memo>(kMemoNames, name); }
std::optional<Series> SeriesNamed(std::string_view name) { return Find<Series>(kSeriesNames, name); }
std::optional<Button> ButtonNamed(std::string_view name) { return Find<Button>(kButtonNames, name); }

}  // namespace xray
