#include "formats/Numbers.h"

#include <charconv>
#include <cmath>

namespace doc {

double ParseDouble(std::string_view text) {
    std::size_t at = text.find_first_not_of(" \t\n\v\f\r");
    if (at == std::string_view::npos)
        return 0.0;
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') {
        negative = text[at] == '-';
        ++at;
    }
    const char* first = text.data() + at;
    const char* last = text.data() + text.size();
    double value = 0.0;
    std::from_chars_result result{};
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X'))
        result = std::from_chars(first + 2, last, value, std::chars_format::hex);
    else
        result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Like strtod: too large gives infinity, too small zero.
        std::string_view digits(first, static_cast<std::size_t>(result.ptr - first));
        const std::size_t e = digits.find_first_of("eE");
        value = e != std::string_view::npos && digits.find('-', e) != std::string_view::npos ? 0.0 : HUGE_VAL;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::string FormatDouble(double value, int precision) {
    char text[64];
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0");
}

std::wstring StepsProblem(const float (&steps)[3]) {
    const wchar_t* const axes[3] = {L"X-coordinates", L"Y-coordinates", L"Z-coordinates"};
    for (int axis = 0; axis < 3; ++axis) {
        const float step = steps[axis];
        if (!std::isfinite(step) || (axis == 2 ? step == 0.0f : step <= 0.0f))
            return std::wstring(L"the step on ") + axes[axis] + L" is incorrect.";
    }
    return std::wstring();
}

} // namespace doc
