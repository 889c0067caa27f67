// Numbers in text: how every field and table row is read, and how every number
// the program writes is rendered. The decimal separator is always ".", whatever
// the system locale says, so the built-in tables read the same everywhere.
#pragma once

#include <string>
#include <string_view>

namespace xray {

// Reads a number as typed into a field or a table row: optional spaces around
// it (a tab is not a space here), an optional sign, digits with an optional
// "." fraction (at least one digit), an optional exponent "E"/"e" with optional
// sign and at least one digit. Anything else, the empty text included, throws
// the conversion error naming the text. A value beyond the double range throws
// the overflow error; one below it quietly becomes 0 or a subnormal.
// A floating-point fault still pending from earlier arithmetic is raised first:
// a handler that faulted stops before its next conversion.
double TextToFloat(std::string_view text);

// The general format with 15 significant digits: rounded to 15 digits, trailing
// zeros dropped; fixed notation when 0.0001 <= |v| < 1e15 after rounding,
// otherwise "1.5E-5" style (capital E, no plus sign, no leading exponent zeros).
// Zero, negative zero included, is "0". Takes extended values so that a result
// that is never stored is shown from its full working precision.
std::string FloatToText(long double v);

// Appends FloatToText(v) to out, without a temporary string (hot loops).
void AppendFloatText(std::string& out, long double v);

}  // namespace xray
