#include "view2d/Ruler.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/ScopedLocale.h"
#include "framework/ThrownText.h"

using ph::Size;
using rulers::ruler;

namespace {

std::vector<std::string> Labels(const ruler& r) {
    std::vector<std::string> labels;
    for (const rulers::CTick& tick : r.ticks())
        if (tick.text[0] != '\0')
            labels.push_back(tick.text);
    return labels;
}

std::string Label(float value, int decimals, bool degrees = false) {
    char text[8];
    ruler::format_label(value, decimals, degrees, text);
    return text;
}

struct Exposed : ruler {
    using ruler::fill_rest;
};

const std::string kHead = "File: Ruler\n function:\n";

} // namespace

TEST(Ruler, ChoosesOneTwoOrFiveStepsInTenths) {
    ruler r;
    ASSERT_TRUE(r.set_range(Size(0.0, "nm"), Size(10.0, L"\u00B5m"), 400.0f));
    EXPECT_FLOAT_EQ(r.units_per_pixel(), 0.025f);
    EXPECT_EQ(r.base(), 10.0f);
    EXPECT_EQ(r.step(), 2.0f); // 40 pixels is not above the minimum: twice that
    EXPECT_EQ(Labels(r), (std::vector<std::string>{"0", "2", "4", "6", "8", "10"}));
    ASSERT_EQ(r.ticks().size(), 51u);
    const std::vector<int> tenth = {6, 3, 3, 3, 3, 5, 3, 3, 3, 3, 6};
    for (std::size_t k = 0; k < tenth.size(); ++k)
        EXPECT_EQ(r.ticks()[k].length, tenth[k]);
    EXPECT_FLOAT_EQ(r.ticks()[50].position, 10.0f);

    // 1 / 0.2 is a hair below 5 in floats and still counts five steps.
    ASSERT_TRUE(r.set_range(Size(0.0, L"\u00B5m"), Size(1.0, L"\u00B5m"), 300.0f));
    EXPECT_EQ(Labels(r), (std::vector<std::string>{"0", "0.2", "0.4", "0.6", "0.8", "1.0"}));
    EXPECT_EQ(r.ticks().size(), 51u);
    ASSERT_TRUE(r.set_range(Size(0.0, "V"), Size(5.0, "V"), 500.0f));
    EXPECT_EQ(r.step(), 1.0f); // 100 pixels is not above the maximum

    // 5.25 steps: two tenths more. Reversed: the step is negative, positions are not.
    ASSERT_TRUE(r.set_range(Size(0.0, "V"), Size(10.5, "V"), 420.0f));
    ASSERT_EQ(r.ticks().size(), 53u);
    EXPECT_FLOAT_EQ(r.ticks().back().position, 10.4f);
    ASSERT_TRUE(r.set_range(Size(10.0, "V"), Size(0.0, "V"), 400.0f));
    EXPECT_EQ(r.step(), -2.0f);
    EXPECT_EQ(Labels(r).back(), "0");
    EXPECT_FLOAT_EQ(r.ticks()[10].position, 2.0f);
}

TEST(Ruler, CentredRulerIsSymmetricAndSharesTheRest) {
    ruler r;
    r.set_kind(rulers::kCentreAbove);
    ASSERT_TRUE(r.set_range(Size(0.0, "V"), Size(10.0, "V"), 500.0f));
    EXPECT_EQ(Labels(r),
              (std::vector<std::string>{"0", "1", "-1", "2", "-2", "3", "-3", "4", "-4", "5", "-5"}));
    ASSERT_EQ(r.ticks().size(), 101u);
    EXPECT_FLOAT_EQ(r.ticks()[2].position, -0.1f);
    EXPECT_FLOAT_EQ(r.ticks()[19].position, 1.0f);

    // Seven steps: six labelled, and half a step of tenths on each side.
    ASSERT_TRUE(r.set_range(Size(0.0, "V"), Size(7.0, "V"), 700.0f));
    EXPECT_EQ(Labels(r).back(), "-3");
    ASSERT_EQ(r.ticks().size(), 71u);
    EXPECT_EQ(r.ticks()[70].length, 5);
    EXPECT_FLOAT_EQ(r.ticks()[70].position, -3.5f);
    r.set_kind(rulers::kLowerLeft); // an ordinary kind rebuilds the same range
    EXPECT_EQ(Labels(r).back(), "7");
}

TEST(Ruler, LabelsTakeTheDecimalsOfTheStepInEightBytes) {
    ruler r;
    ASSERT_TRUE(r.set_range(Size(0.0, ""), Size(0.03, ""), 600.0f));
    EXPECT_FLOAT_EQ(r.step(), 0.005f);
    EXPECT_EQ(Labels(r), (std::vector<std::string>{"0", ".005", ".010", ".015", ".020", ".025", ".030"}));
    ASSERT_TRUE(r.set_range(Size(0.0, "deg"), Size(30.0, "deg"), 300.0f));
    EXPECT_EQ(Labels(r), (std::vector<std::string>{"0\xB0", "10\xB0", "20\xB0", "30\xB0"}));

    EXPECT_EQ(Label(0.0004f, 2), "0");
    EXPECT_EQ(Label(-0.25f, 3), "-.250");
    EXPECT_EQ(Label(1.0f, 3), "1.0");
    EXPECT_EQ(Label(1.5f, 3), "1.500");
    EXPECT_EQ(Label(3.0f, 2), "3.0");
    EXPECT_EQ(Label(-999.125f, 3), "-999.12");
    EXPECT_EQ(Label(-100.25f, 2, true), "-100.25"); // no room for the degree sign
}

TEST(Ruler, LabelsReadTheSameInEveryLocale) {
    for (const char* name : testlocale::kLocales) {
        testlocale::CScopedLocale locale(name);
        SCOPED_TRACE(name);
        EXPECT_EQ(Label(1.5f, 3), "1.500");
        EXPECT_EQ(Label(3.0f, 2), "3.0");
        EXPECT_EQ(Label(-2.25f, 2, true), "-2.25\xB0");
        ruler r;
        ASSERT_TRUE(r.set_range(Size(0.0, L"\u00B5m"), Size(1.0, L"\u00B5m"), 300.0f));
        EXPECT_EQ(Labels(r), (std::vector<std::string>{"0", "0.2", "0.4", "0.6", "0.8", "1.0"}));
    }
}

TEST(Ruler, ContractErrorsLeaveTheRulerAsItWas) {
    ruler r;
    const std::string round = kHead + " const int ruler::best_round(const float val) const;\n";
    EXPECT_EQ(ThrownText<std::invalid_argument>([&] { r.best_round(0.003f); }), round + " val is too small.");
    EXPECT_EQ(ThrownText<std::invalid_argument>([&] { r.best_round(1000.0f); }),
              round + " val is too large.");

    ASSERT_TRUE(r.set_range(Size(0.0, "V"), Size(10.0, "V"), 400.0f));
    const std::string wrong =
        kHead + " const float ruler::determine_step(const float base) const;\n base is wrong.";
    // Base 0.1 V is 2.2 pixels here: neither 5 nor 2 times that reaches 40.
    EXPECT_EQ(ThrownText<std::invalid_argument>([&] { r.set_range(Size(-0.9, "V"), Size(0.9, "V"), 40.0f); }),
              wrong);
    // A range of no extent must not loop forever looking for a step.
    EXPECT_EQ(ThrownText<std::invalid_argument>([&] { r.set_range(Size(5.0, ""), Size(5.0, ""), 400.0f); }),
              wrong);
    EXPECT_EQ(r.step(), 2.0f);
    EXPECT_EQ(r.ticks().size(), 51u);
    EXPECT_FALSE(r.reset(Size(0.0, "V"), 400.0f, false));
    EXPECT_TRUE(r.ticks().empty());

    Exposed e;
    const std::string rest = kHead + " void ruler::fill_rest(const unsigned rest);\n"
                                     " value rest isn't lie in range: 1 - 9.";
    EXPECT_EQ(ThrownText<std::invalid_argument>([&] { e.fill_rest(10); }), rest);
    e.set_kind(rulers::kCentreAbove);
    EXPECT_EQ(ThrownText<std::invalid_argument>([&] { e.fill_rest(20); }), rest);
}

TEST(Ruler, NewLengthsRebuildOnlyWhenTheStepChanges) {
    ruler r;
    ASSERT_TRUE(r.set_range(Size(0.0, "V"), Size(10.0, "V"), 400.0f));
    EXPECT_FALSE(r.set_range(Size(0.0, "V"), Size(10.0, "V"), 800.0f)); // same range
    EXPECT_FALSE(r.set_range(Size(0.0, "V"), Size(20.0, "V"), 39.0f));  // too short
    EXPECT_EQ(r.length(), 400.0f);
    EXPECT_EQ(Labels(r).back(), "10");
    r.set_length(390.0f, 40.0f, 100.0f);
    EXPECT_EQ(r.step(), 2.0f);
    EXPECT_FLOAT_EQ(r.units_per_pixel(), 10.0f / 390.0f);
    r.set_length(800.0f, 40.0f, 100.0f);
    EXPECT_EQ(r.step(), 1.0f);
    EXPECT_EQ(r.ticks().size(), 101u);
    r.set_length(2400.0f, 120.0f, 300.0f); // printing: three times the pixels and the spacing
    EXPECT_EQ(r.step(), 1.0f);
    r.set_length(400.0f, 40.0f, 100.0f);
    EXPECT_TRUE(r.set_range(Size(20.0, "V"))); // from 0, over the current length
    EXPECT_EQ(r.step(), 5.0f);
    EXPECT_EQ(Labels(r).back(), "20");
}
