#pragma once
// A physical quantity: a magnitude with a unit from one fixed table of rows (dimensions) and
// columns (prefixes, largest first). Keeps itself in a readable prefix and prints itself.
#include <cstdint>

namespace ph {

class Size {
public:
    Size();
    // Both throw std::string("Unit not found.") for a unit outside the table.
    Size(double value, const wchar_t* unit);
    Size(double value, const char* unit); // at most 63 bytes, widened byte by byte
    // Copies leave the printed text to be made again: it points into the owner's buffer.
    Size(const Size& size);
    Size& operator=(const Size& size);
    virtual ~Size() = default;

    // Column and row of a unit text; throws std::string("Unit not found.").
    static void find_unit(const wchar_t* text, unsigned& column, unsigned& row);
    static bool is_unit(const wchar_t* text);
    static bool is_unit(const char* text);

    double value() const { return m_value; }
    unsigned prefix() const { return m_prefix; }
    unsigned dimension() const { return m_dimension; }
    const wchar_t* unit() const;

    // Both change this object and return a copy of the result.
    Size convert(unsigned column);
    Size cast(const wchar_t* unit);

    // Printed once per value and unit; later calls return the same text whatever the precision.
    // The number is in the C format whatever the locale. A value with more integer digits than the
    // precision prints without decimals, or in exponent form where that is too long: a shown value
    // never ends the program.
    const wchar_t* str(unsigned precision);
    // As str, but throws std::out_of_range when the value has more integer digits than the precision.
    const wchar_t* checked_str(unsigned precision);
    void normalize();

    Size& operator-=(const Size& size);
    Size operator-(const Size& size) const;
    // The ratio of two quantities of one row is dimensionless.
    Size& operator/=(const Size& size);
    Size operator/(const Size& size) const;
    Size operator*(double factor) const;
    Size operator*(float factor) const;
    Size operator/(double divisor) const;
    Size operator/(float divisor) const;
    Size operator-() const;
    // Compares in the right operand's prefix; rows are not checked.
    bool operator<(const Size& size) const;
    Size abs() const;

private:
    unsigned integer_digits() const;
    void step_left();
    void step_right();

    double m_value = 0.0;
    std::uint32_t m_prefix = 0;
    std::uint32_t m_dimension = 0;
    wchar_t* m_text = nullptr;
    wchar_t m_buffer[32] = {};
};

Size operator*(double factor, const Size& size);
Size operator*(float factor, const Size& size);

} // namespace ph
