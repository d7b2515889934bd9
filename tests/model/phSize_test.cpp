#include "model/phSize.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cwchar>
#include <limits>
#include <stdexcept>
#include <string>

#include "common/ScopedLocale.h"
#include "framework/ThrownText.h"

using ph::Size;

namespace {

void ExpectSize(const Size& s, double value, const wchar_t* unit) {
    EXPECT_NEAR(s.value(), value, 1e-9 * std::fabs(value)) << s.value();
    EXPECT_STREQ(s.unit(), unit);
}

} // namespace

TEST(PhSize, LooksUpMainTableAndAliases) {
    unsigned column = 9, row = 9;
    Size::find_unit(L"G\u2126", column, row);
    EXPECT_EQ(column, 1u);
    EXPECT_EQ(row, 12u);
    EXPECT_EQ(Size(5.0, L"").dimension(), 0u);
    // Aliases are stored as the main table's slot and print with its symbol.
    EXPECT_STREQ(Size(5.0, L"Angstrom").unit(), L"\u00C5");
    EXPECT_STREQ(Size(5.0, L"sec").unit(), L"s");
    EXPECT_STREQ(Size(5.0, L"Ohm").unit(), L"\u2126");
    EXPECT_STREQ(Size(5.0, "kOhm").unit(), L"k\u2126");
    // Narrow text is widened byte by byte: 0xB5 is the micro sign.
    EXPECT_STREQ(Size(5.0, "\xB5m").unit(), L"\u00B5m");
    EXPECT_TRUE(Size::is_unit("\xB5s"));
}

TEST(PhSize, RejectsUnknownUnits) {
    for (const wchar_t* text : {L"um", L"NM", L"Hz ", L"angstrom", L"ohm"}) {
        EXPECT_FALSE(Size::is_unit(text)) << text;
        try {
            Size s(1.0, text);
            ADD_FAILURE() << "accepted";
        } catch (const std::string& e) {
            EXPECT_EQ(e, "Unit not found.");
        }
    }
    EXPECT_FALSE(Size::is_unit(static_cast<const wchar_t*>(nullptr)));
    EXPECT_FALSE(Size::is_unit(std::string(200, 'm').c_str()));
}

TEST(PhSize, NormalisesIntoReadablePrefix) {
    ExpectSize(Size(12400.0, L"nm"), 12.4, L"\u00B5m");
    ExpectSize(Size(0.5, L"nm"), 5.0, L"\u00C5");
    ExpectSize(Size(-5.0, L"nm"), -50.0, L"\u00C5");
    ExpectSize(Size(150.0, L"\u00C5"), 15.0, L"nm");
    ExpectSize(Size(99.0, L"\u00C5"), 99.0, L"\u00C5");
    ExpectSize(Size(-500.0, L"nm"), -500.0, L"nm");
    ExpectSize(Size(20000.0, L"\u00C5"), 2.0, L"\u00B5m");
    ExpectSize(Size(5e6, L"m"), 5e6, L"m");
    ExpectSize(Size(0.0, L"m"), 0.0, L"\u00C5");
    ExpectSize(Size(0.0004, L"s"), 400.0, L"\u00B5s");
    ExpectSize(Size(1.5e6, L"Hz"), 1.5, L"MHz");
    ExpectSize(Size(0.5, L"mN"), 500.0, L"\u00B5N");
    ExpectSize(Size(725.0, L"deg"), 5.0, L"deg");
    ExpectSize(Size(-725.0, L"deg"), -5.0, L"deg");
    ExpectSize(Size(360.0, L"deg"), 360.0, L"deg");
    ExpectSize(Size(1e6, L"%"), 1e6, L"%");
}

TEST(PhSize, CastConvertsInPlaceWithinOneRow) {
    Size s(1.5, L"\u00B5m");
    ExpectSize(s.cast(L"nm"), 1500.0, L"nm");
    ExpectSize(s, 1500.0, L"nm");
    ExpectSize(s.cast(L"Angstrom"), 15000.0, L"\u00C5");
    ExpectSize(s.convert(1), 1.5e-3, L"mm");

    EXPECT_EQ(ThrownText<std::invalid_argument>([&] { s.cast(L"V"); }),
              "File: phSize\n function:\nSize Size::cast(const TCHAR* unit)\n");
    EXPECT_THROW(s.cast(L"parsec"), std::string);
    EXPECT_THROW(s.convert(5), std::out_of_range);
    ExpectSize(s, 1.5e-3, L"mm");
}

TEST(PhSize, PrintsWithSignificantDigits) {
    EXPECT_STREQ(Size(12400.0, L"nm").str(3), L"12.4 \u00B5m");
    EXPECT_STREQ(Size(5.0, L"%").str(3), L"5.00 %");
    EXPECT_STREQ(Size(45.0, L"deg").str(3), L"45.0\u00B0");
    EXPECT_STREQ(Size(0.0123, L"").str(3), L"0.01");
    EXPECT_STREQ(Size(0.5, L"").str(0), L"0");

    // Only the checked call refuses more integer digits than the precision.
    EXPECT_EQ(
        ThrownText<std::out_of_range>([] { Size(123.0, L"").checked_str(2); }),
        "File: phSize\n function:\n const TCHAR* Size::str(const unsigned precision)\n count > precision.");
    EXPECT_STREQ(Size(123.0, L"").checked_str(3), L"123");
}

TEST(PhSize, LargeValuesPrintWithoutDecimalsOrInExponentForm) {
    EXPECT_STREQ(Size(123456.0, L"").str(3), L"123456");
    EXPECT_STREQ(Size(-98765.4, L"%").str(3), L"-98765 %");
    EXPECT_STREQ(Size(1e14, L"nm").str(3), L"100000 m");
    EXPECT_STREQ(Size(1e30, L"").str(3), L"1000000000000000019884624838656");
    EXPECT_STREQ(Size(1e308, L"").str(3), L"1.00e+308");
    EXPECT_STREQ(Size(-1e308, L"GHz").str(0), L"-1e+308 GHz");
    EXPECT_STREQ(Size(std::numeric_limits<double>::max(), L"%").str(3), L"1.80e+308 %");
    EXPECT_THROW(Size(1e30, L"").checked_str(3), std::out_of_range);
}

TEST(PhSize, PrintsAPointWhateverTheLocale) {
    for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8"}) {
        testlocale::CScopedLocale locale(name);
        if (!locale.ok())
            continue;
        SCOPED_TRACE(name);
        EXPECT_STREQ(Size(56.4, L"nm").str(3), L"56.4 nm");
        EXPECT_STREQ(Size(0.0123, L"").str(3), L"0.01");
        EXPECT_STREQ(Size(-2.5e300, L"V").str(4), L"-2.500e+297 kV");
    }
}

TEST(PhSize, PrintedTextIsCachedPerValueAndUnit) {
    Size s(1234.5, L"mm");
    const wchar_t* first = s.str(3);
    EXPECT_STREQ(first, L"1.23 m");
    EXPECT_EQ(s.str(5), first);

    Size copy(s);
    EXPECT_STREQ(copy.str(5), L"1.2345 m");
    EXPECT_NE(copy.str(1), first);
    Size assigned;
    assigned = s;
    EXPECT_STREQ(assigned.str(2), L"1.2 m");

    s.convert(1);
    EXPECT_STREQ(s.str(5), L"1234.5 mm");
}

TEST(PhSize, OverlongTextFallsBackToExponentForm) {
    struct Case {
        double value;
        const wchar_t* unit;
        unsigned precision;
    } cases[] = {{1e300, L"m", 301}, {0.5, L"kHz", 60}, {-1e308, L"kHz", 400}, {1e30, L"", 31}};
    for (const Case& c : cases) {
        Size s(c.value, c.unit);
        const wchar_t* text = s.str(c.precision);
        EXPECT_LT(std::wcslen(text), 32u) << text;
        EXPECT_NEAR(std::wcstod(text, nullptr) / s.value(), 1.0, 1e-12) << text;
    }
    EXPECT_STREQ(Size(std::numeric_limits<double>::infinity(), L"m").str(3), L"inf m");
}

TEST(PhSize, SubtractsAndDividesWithinOneRow) {
    Size a(1.0, L"mm");
    ExpectSize(a - Size(999.9, L"\u00B5m"), 100.0, L"nm");
    ExpectSize(a, 1.0, L"mm");

    Size ratio = Size(1.0, L"mm") / Size(2.0, L"\u00B5m");
    EXPECT_DOUBLE_EQ(ratio.value(), 500.0);
    EXPECT_EQ(ratio.dimension(), 0u);
    EXPECT_EQ(ratio.prefix(), 0u);

    Size volts(3.0, L"V");
    EXPECT_EQ(
        ThrownText<std::invalid_argument>([&] { a -= volts; }),
        "File: phSize\n function:\nSize& operator -= (const Size& size)\ndifferent type not acceptable");
    EXPECT_THROW(a /= volts, std::invalid_argument);
    ExpectSize(a, 1.0, L"mm");
}

TEST(PhSize, ScalesNegatesComparesAndTakesMagnitude) {
    Size s(500.0, L"nm");
    ExpectSize(s * 4.0, 2.0, L"\u00B5m");
    ExpectSize(4.0f * s, 2.0, L"\u00B5m");
    ExpectSize(s / 1000.0, 5.0, L"\u00C5");

    Size wide(12.4, L"\u00B5m");
    wide.convert(3);
    ExpectSize(-wide, -12400.0, L"nm");
    ExpectSize((-wide).abs(), 12.4, L"\u00B5m");

    EXPECT_TRUE(Size(900.0, L"nm") < Size(1.0, L"\u00B5m"));
    EXPECT_FALSE(Size(1.0, L"\u00B5m") < Size(900.0, L"nm"));
    EXPECT_FALSE(Size(1.0, L"\u00B5m") < Size(1000.0, L"nm").convert(3));
}
