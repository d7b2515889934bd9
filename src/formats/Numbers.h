#pragma once
// Numbers in the text of scan files, read and written the same whatever the user's locale: the
// C library's atof and printf follow LC_NUMERIC and would take "56.4" for 56 under a decimal comma.
#include <string>
#include <string_view>

namespace doc {

// The number at the start of text as atof reads it in the C locale (leading blanks and a sign
// allowed, the longest number taken, 0 when there is none), without regard to the locale.
double ParseDouble(std::string_view text);

// value with up to precision significant digits, as "%.*g" writes it in the C locale.
std::string FormatDouble(double value, int precision);

// Why the X, Y and Z steps read from a binary header cannot scale a surface, or empty when they can.
// A lateral step must be finite and positive; a height step finite and not 0 (a negative one turns
// the surface over, as the instrument may have meant).
std::wstring StepsProblem(const float (&steps)[3]);

} // namespace doc
