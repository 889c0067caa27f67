// The controls the calculators read and write, named as in the window definition.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace xray {

// Edit fields, in the window's tab order.
enum class Field { EditkV, EditInhrnt, EditAdd, EditDnsW, EditTAngl, EditDnsAl, EditPhtn, EditmR, EditG };

// Multi-line text boxes: the seven reference tables, then the two result boxes.
enum class Memo { MemokeVWu, MemokeVAlu, MemokeVAir, MemokeVC, MemoCX, MemoMTF, MemoWS, MemoNEQ, MemoDQE };

// Line series of the charts.
enum class Series {
  Series1, Series2, Series3,
  FastLineSeries1, FastLineSeries2, FastLineSeries3, FastLineSeries4,
  FastLineSeries5, FastLineSeries6, FastLineSeries7, FastLineSeries8,
};

// The buttons whose clicks run the calculators.
enum class Button { ButtonSpectl, ButtonAdded, ButtonCalDQE };

inline constexpr std::array kAllFields = {
    Field::EditkV, Field::EditInhrnt, Field::EditAdd, Field::EditDnsW, Field::EditTAngl,
    Field::EditDnsAl, Field::EditPhtn, Field::EditmR, Field::EditG};
inline constexpr std::array kAllMemos = {
    Memo::MemokeVWu, Memo::MemokeVAlu, Memo::MemokeVAir, Memo::MemokeVC, Memo::MemoCX,
    Memo::MemoMTF, Memo::MemoWS, Memo::MemoNEQ, Memo::MemoDQE};
inline constexpr std::array kAllSeries = {
    Series::Series1, Series::Series2, Series::Series3,
    Series::FastLineSeries1, Series::FastLineSeries2, Series::FastLineSeries3,
    Series::FastLineSeries4, Series::FastLineSeries5, Series::FastLineSeries6,
    Series::FastLineSeries7, Series::FastLineSeries8};
inline constexpr std::array kAllButtons = {Button::ButtonSpectl, Button::ButtonAdded, Button::ButtonCalDQE};

inline constexpr std::size_t kFieldCount = kAllFields.size();
inline constexpr std::size_t kMemoCount = kAllMemos.size();
inline constexpr std::size_t kSeriesCount = kAllSeries.size();

std::string_view Name(Field f);
std::string_view Name(Memo m);
std::string_view Name(Series s);
std::string_view Name(Button b);

std::optional<Field> FieldNamed(std::string_view name);
std::optional<Memo> MemoNamed(std::string_view name);
std::optional<Series> SeriesNamed(std::string_view name);
std::optional<Button> ButtonNamed(std::string_view name);

inline constexpr std::size_t Index(Field f) { return static_cast<std::size_t>(f); }
inline constexpr std::size_t Index(Memo m) { return static_cast<std::size_t>(m); }
inline constexpr std::size_t Index(Series s) { return static_cast<std::size_t>(s); }

}  // namespace xray
