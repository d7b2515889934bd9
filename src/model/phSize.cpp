#include "model/phSize.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>

#include "framework/fwContract.h"

namespace ph {

namespace {

constexpr unsigned kRows = 15;
constexpr unsigned kColumns = 5;
constexpr unsigned kAngleRow = 3;
constexpr unsigned kLengthRow = 7;
constexpr unsigned kAngstromColumn = 4;
constexpr unsigned kNanometreColumn = 3;
constexpr std::size_t kBufferSize = 32;

// Null marks an empty slot; the dimensionless row's only unit is the empty text.
const wchar_t* const kUnits[kRows][kColumns] = {
    {L"", nullptr, nullptr, nullptr, nullptr},
    {L"%", nullptr, nullptr, nullptr, nullptr},
    {L"dB", nullptr, nullptr, nullptr, nullptr},
    {L"deg", nullptr, nullptr, nullptr, nullptr},
    {L"\u00B0C", nullptr, nullptr, nullptr, nullptr},
    {L"\u00B0K", nullptr, nullptr, nullptr, nullptr},
    {L"\u00B0F", nullptr, nullptr, nullptr, nullptr},
    {L"m", L"mm", L"\u00B5m", L"nm", L"\u00C5"},
    {L"s", L"ms", L"\u00B5s", L"ns", L"ps"},
    {L"GHz", L"MHz", L"kHz", L"Hz", L"mHz"},
    {L"kV", L"V", L"mV", L"\u00B5V", L"nV"},
    {L"A", L"mA", L"\u00B5A", L"nA", L"pA"},
    {L"T\u2126", L"G\u2126", L"M\u2126", L"k\u2126", L"\u2126"},
    {L"F", L"mF", L"\u00B5F", L"nF", L"pF"},
    // Micronewton sits between mN and nN so that every step of 1000 is physically right.
    {L"kN", L"N", L"mN", L"\u00B5N", L"nN"},
};

// Spellings found in scan files, aligned column for column with a row of the main table.
constexpr unsigned kAliasRows = 3;
const wchar_t* const kAliases[kAliasRows][kColumns] = {
    {nullptr, nullptr, nullptr, nullptr, L"Angstrom"},
    {L"sec", nullptr, nullptr, nullptr, nullptr},
    {L"TOhm", L"GOhm", L"MOhm", L"kOhm", L"Ohm"},
};
const unsigned kAliasTarget[kAliasRows] = {kLengthRow, 8, 12};

const char* const kFile = "phSize";

bool Lookup(const wchar_t* text, unsigned& column, unsigned& row) {
    if (text == nullptr)
        return false;
    for (unsigned r = 0; r < kRows; ++r)
        for (unsigned c = 0; c < kColumns; ++c)
            if (kUnits[r][c] != nullptr && std::wcscmp(kUnits[r][c], text) == 0) {
                column = c;
                row = r;
                return true;
            }
    for (unsigned r = 0; r < kAliasRows; ++r)
        for (unsigned c = 0; c < kColumns; ++c)
            if (kAliases[r][c] != nullptr && std::wcscmp(kAliases[r][c], text) == 0) {
                column = c;
                row = kAliasTarget[r];
                return true;
            }
    return false;
}

// As the C locale widens single bytes: 0xB5 becomes U+00B5. Null stays null.
struct Widened {
    explicit Widened(const char* text) {
        if (text == nullptr)
            return;
        std::size_t i = 0;
        for (; i < 63 && text[i] != '\0'; ++i)
            wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
        wide[i] = L'\0';
        ptr = wide;
    }
    wchar_t wide[64] = {};
    const wchar_t* ptr = nullptr;
};

// Factor between column and column + 1.
double StepFactor(unsigned row, unsigned column) {
    return row == kLengthRow && column == kNanometreColumn ? 10.0 : 1000.0;
}

bool HasSymbol(unsigned row, unsigned column) {
    return column < kColumns && kUnits[row][column] != nullptr;
}

// The number in the C format whatever the locale (printf would take the locale's decimal comma),
// then the unit; false when the whole does not fit the buffer.
bool Compose(wchar_t (&buffer)[kBufferSize], double value, std::chars_format format, int precision,
             const wchar_t* separator, const wchar_t* symbol) {
    char digits[512]; // 309 integer digits, the point, 32 decimals and the sign
    const std::to_chars_result result =
        std::to_chars(std::begin(digits), std::end(digits), value, format, precision);
    if (result.ec != std::errc())
        return false;
    const std::size_t length = static_cast<std::size_t>(result.ptr - digits);
    const std::size_t separatorLength = std::wcslen(separator);
    if (length + separatorLength + std::wcslen(symbol) >= kBufferSize)
        return false;
    std::copy(digits, result.ptr, buffer);
    std::wcscpy(buffer + length, separator);
    std::wcscpy(buffer + length + separatorLength, symbol);
    return true;
}

} // namespace

Size::Size() = default;

Size::Size(double value, const wchar_t* unit) : m_value(value) {
    unsigned column = 0;
    unsigned row = 0;
    find_unit(unit, column, row);
    m_prefix = column;
    m_dimension = row;
    normalize();
}

Size::Size(double value, const char* unit) : Size(value, Widened(unit).ptr) {}

Size::Size(const Size& size)
    : m_value(size.m_value), m_prefix(size.m_prefix), m_dimension(size.m_dimension) {}

Size& Size::operator=(const Size& size) {
    m_value = size.m_value;
    m_prefix = size.m_prefix;
    m_dimension = size.m_dimension;
    m_text = nullptr;
    return *this;
}

void Size::find_unit(const wchar_t* text, unsigned& column, unsigned& row) {
    if (!Lookup(text, column, row))
        throw std::string("Unit not found.");
}

bool Size::is_unit(const wchar_t* text) {
    unsigned column = 0;
    unsigned row = 0;
    return Lookup(text, column, row);
}

bool Size::is_unit(const char* text) {
    return is_unit(Widened(text).ptr);
}

const wchar_t* Size::unit() const {
    // An empty slot is reachable only through convert(); print it without a symbol.
    const wchar_t* symbol = kUnits[m_dimension][m_prefix];
    return symbol != nullptr ? symbol : L"";
}

void Size::step_left() {
    --m_prefix;
    m_value /= StepFactor(m_dimension, m_prefix);
}

void Size::step_right() {
    m_value *= StepFactor(m_dimension, m_prefix);
    ++m_prefix;
}

Size Size::convert(unsigned column) {
    if (column >= kColumns)
        fw::ThrowOutOfRange(kFile, "Size Size::convert(const unsigned column)", "column > 4.");
    while (m_prefix < column)
        step_right();
    while (m_prefix > column)
        step_left();
    m_text = nullptr;
    return *this;
}

Size Size::cast(const wchar_t* unit) {
    unsigned column = 0;
    unsigned row = 0;
    find_unit(unit, column, row);
    if (row != m_dimension)
        fw::ThrowInvalidArgument(kFile, "Size Size::cast(const TCHAR* unit)", "");
    return convert(column);
}

unsigned Size::integer_digits() const {
    unsigned digits = 0;
    if (std::isfinite(m_value))
        for (double magnitude = std::fabs(m_value); magnitude >= 1.0; magnitude /= 10.0)
            ++digits;
    return digits;
}

const wchar_t* Size::checked_str(unsigned precision) {
    if (precision < integer_digits())
        fw::ThrowOutOfRange(kFile, " const TCHAR* Size::str(const unsigned precision)",
                            " count > precision.");
    return str(precision);
}

const wchar_t* Size::str(unsigned precision) {
    if (m_text != nullptr)
        return m_text;

    const unsigned digits = integer_digits();
    unsigned decimals = precision > digits ? precision - digits : 0;
    if (digits == 0 && decimals > 0)
        --decimals;
    // More decimals than the buffer holds cannot fit anyway.
    const int fixed = static_cast<int>(std::min<std::size_t>(decimals, kBufferSize));

    const wchar_t* separator = m_dimension == 0 || m_dimension == kAngleRow ? L"" : L" ";
    const wchar_t* symbol = m_dimension == 0 ? L"" : m_dimension == kAngleRow ? L"\u00B0" : unit();
    bool written = Compose(m_buffer, m_value, std::chars_format::fixed, fixed, separator, symbol);

    // Too long in fixed notation: exponent form, keeping as many significant digits as fit.
    // Zero decimals always fit ("-1e+308 kHz").
    int mantissa = precision > 1 ? static_cast<int>(std::min<std::size_t>(precision - 1, kBufferSize)) : 0;
    for (; !written && mantissa >= 0; --mantissa)
        written = Compose(m_buffer, m_value, std::chars_format::scientific, mantissa, separator, symbol);
    if (!written)
        m_buffer[0] = L'\0';

    m_text = m_buffer;
    return m_text;
}

void Size::normalize() {
    const double value = m_value;
    const std::uint32_t prefix = m_prefix;

    if (m_dimension == kAngleRow) {
        if (std::fabs(m_value) > 360.0)
            m_value = std::fmod(m_value, 360.0);
    } else if (m_dimension >= kLengthRow) {
        while (std::fabs(m_value) >= 1000.0 && m_prefix > 0)
            step_left();
        while (std::fabs(m_value) < 1.0 && HasSymbol(m_dimension, m_prefix + 1))
            step_right();
        // Below 10 nm reads better in angstrom, from 100 angstrom up in nanometres.
        if (m_dimension == kLengthRow) {
            if (m_prefix == kAngstromColumn && std::fabs(m_value) >= 100.0)
                step_left();
            else if (m_prefix == kNanometreColumn && std::fabs(m_value) < 10.0)
                step_right();
        }
    }

    if (m_value != value || m_prefix != prefix)
        m_text = nullptr;
}

Size& Size::operator-=(const Size& size) {
    if (size.m_dimension != m_dimension)
        fw::ThrowInvalidArgument(kFile, "Size& operator -= (const Size& size)",
                                 "different type not acceptable");
    convert(size.m_prefix);
    m_value -= size.m_value;
    m_text = nullptr;
    normalize();
    return *this;
}

Size Size::operator-(const Size& size) const {
    Size result(*this);
    result -= size;
    return result;
}

Size& Size::operator/=(const Size& size) {
    if (size.m_dimension != m_dimension)
        fw::ThrowInvalidArgument(kFile, "Size& operator /= (const Size& size)",
                                 "different type not acceptable");
    convert(size.m_prefix);
    m_value /= size.m_value;
    m_prefix = 0;
    m_dimension = 0;
    m_text = nullptr;
    return *this;
}

Size Size::operator/(const Size& size) const {
    Size result(*this);
    result /= size;
    return result;
}

Size Size::operator*(double factor) const {
    Size result(*this);
    result.m_value *= factor;
    result.normalize();
    return result;
}

Size Size::operator*(float factor) const {
    return *this * static_cast<double>(factor);
}

Size Size::operator/(double divisor) const {
    Size result(*this);
    result.m_value /= divisor;
    result.normalize();
    return result;
}

Size Size::operator/(float divisor) const {
    return *this / static_cast<double>(divisor);
}

Size Size::operator-() const {
    Size result(*this);
    result.m_value = -m_value;
    return result;
}

bool Size::operator<(const Size& size) const {
    Size left(*this);
    left.convert(size.m_prefix);
    return left.m_value < size.m_value;
}

Size Size::abs() const {
    Size result(*this);
    result.m_value = std::fabs(m_value);
    result.normalize();
    return result;
}

Size operator*(double factor, const Size& size) {
    return size * factor;
}

Size operator*(float factor, const Size& size) {
    return size * factor;
}

} // namespace ph
