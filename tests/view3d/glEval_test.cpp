#include "view3d/glEval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "framework/ThrownText.h"

TEST(GlEval, RoundingIsHalfAwayFromZeroAndChecksItsArguments) {
    EXPECT_EQ(gl::round(2.5f), 3u);
    EXPECT_EQ(gl::round(2.4999998f), 2u);
    EXPECT_EQ(gl::round(std::nextafter(0.5f, 0.0f)), 0u); // where trunc(v + 0.5) gives 1
    EXPECT_EQ(gl::round(1e20f), std::numeric_limits<unsigned>::max());
    const std::string negative =
        "File: glEval\n function:\ninline unsigned round(const float val)\nnegative value is not acceptable";
    EXPECT_EQ(ThrownText<std::invalid_argument>([] { gl::round(-0.25f); }), negative);
    EXPECT_EQ(ThrownText<std::invalid_argument>([] { gl::round(std::nanf("")); }), negative);

    EXPECT_FLOAT_EQ(gl::fround(-0.25f, 1), -0.3f);
    EXPECT_FLOAT_EQ(gl::fround(1.2345f, 3), 1.235f);
    EXPECT_FLOAT_EQ(gl::fround(1250.0f, -2), 1300.0f);
    EXPECT_EQ(ThrownText<std::out_of_range>([] { gl::fround(1.0f, 5); }),
              "File: glEval\n function:\ninline const float fround(const float val, const int precision)\n"
              "precision is out of range");
}

TEST(GlEval, InterpBlendsInsideAndHoldsTheLastRowAndColumn) {
    const std::vector<float> cells = {0, 1, 2, 10, 11, 12}; // 3 columns, 2 rows
    const gl::e::TGridView<float> grid(cells.data(), 3, 2);
    EXPECT_FLOAT_EQ(grid.interp(0.5f, 0.5f), 5.5f);
    EXPECT_FLOAT_EQ(grid.interp(2.7f, 0.5f), 7.0f);  // last column: rows blended only
    EXPECT_FLOAT_EQ(grid.interp(3.0f, 0.25f), 4.5f); // the far end is included
    EXPECT_FLOAT_EQ(grid.interp(0.5f, 1.5f), 10.5f); // last row: columns blended only
    EXPECT_FLOAT_EQ(grid.interp(3.0f, 2.0f), 12.0f);

    const std::string text = "File: glEval\n function:\nT interp(const float x, const float y) const \n";
    EXPECT_EQ(ThrownText<std::out_of_range>([&] { grid.interp(-0.01f, 0.0f); }), text);
    EXPECT_EQ(ThrownText<std::out_of_range>([&] { grid.interp(0.0f, 2.01f); }), text);
    EXPECT_EQ(ThrownText<std::out_of_range>([&] { grid.interp(std::nanf(""), 1.0f); }), text);
    const gl::e::TGridView<float> empty(cells.data(), 0, 2);
    EXPECT_EQ(ThrownText<std::out_of_range>([&] { empty.interp(0.0f, 0.0f); }), text);
}
