// ScaleImage against gluScaleImage in a real context (Mesa's GLU): exact where both sides halve,
// within one 16-bit step (1 / 65535) elsewhere, shrinking, enlarging and both at once.
#include "view2d/qt/GluResample.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <gtest/gtest.h>
#include <qopengl.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

struct CSize {
    int width, height;
};

class GluResample : public ::testing::Test {
protected:
    void SetUp() override {
        surface.create();
        if (!context.create() || !context.makeCurrent(&surface))
            GTEST_SKIP() << "no OpenGL context";
    }
    void TearDown() override { context.doneCurrent(); }

    // Levels with both smooth runs and jumps, so that boxes over edges count.
    static std::vector<float> Grid(CSize size) {
        std::mt19937 random(size.width * 131 + size.height);
        std::uniform_real_distribution<float> level(0.0f, 1.0f);
        std::vector<float> grid(std::size_t(size.width) * size.height);
        for (std::size_t k = 0; k < grid.size(); ++k)
            grid[k] = k % 7 < 3 ? level(random) : 0.5f + 0.4f * std::sin(0.01f * float(k));
        return grid;
    }

    // The largest difference in 16-bit steps.
    static long StepsApart(const std::vector<float>& a, const std::vector<float>& b) {
        long worst = 0;
        for (std::size_t k = 0; k < a.size(); ++k)
            worst = std::max(worst, std::labs(std::lround(a[k] * 65535.0) - std::lround(b[k] * 65535.0)));
        return worst;
    }

    QOffscreenSurface surface;
    QOpenGLContext context;
};

} // namespace

TEST_F(GluResample, ScaleImageGivesWhatGluGives) {
    struct {
        CSize in, out;
        long steps;
    } const cases[] = {
        {{512, 256}, {256, 128}, 0}, // halved: exact
        {{1024, 512}, {64, 64}, 1},  // an integer reduction, summed in integers
        {{300, 200}, {256, 128}, 1}, // shrunk
        {{77, 33}, {128, 64}, 1},    // enlarged
        {{1000, 10}, {512, 16}, 1},  // one side each way
        {{5, 3}, {2, 2}, 1},         {{1, 1}, {4, 2}, 1},
    };
    for (const auto& c : cases) {
        const std::vector<float> grid = Grid(c.in);
        std::vector<float> ours(std::size_t(c.out.width) * c.out.height), glu(ours.size(), -1.0f);
        ASSERT_TRUE(surface::ScaleImage(grid.data(), c.in.width, c.in.height, ours.data(), c.out.width,
                                        c.out.height));
        ASSERT_TRUE(surface::GluScaleImage(grid.data(), c.in.width, c.in.height, glu.data(), c.out.width,
                                           c.out.height));
        EXPECT_LE(StepsApart(ours, glu), c.steps)
            << c.in.width << "x" << c.in.height << " to " << c.out.width << "x" << c.out.height;
    }
}

TEST_F(GluResample, PixelStoreModesAreSetForTheCallAndGivenBack) {
    // Odd widths with an unpack alignment of 8 and a row length would shift GLU's rows.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 9);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    const std::vector<float> grid = Grid({7, 5});
    std::vector<float> ours(3 * 9), glu(ours.size());
    ASSERT_TRUE(surface::ScaleImage(grid.data(), 7, 5, ours.data(), 3, 9));
    ASSERT_TRUE(surface::GluScaleImage(grid.data(), 7, 5, glu.data(), 3, 9));
    EXPECT_LE(StepsApart(ours, glu), 1);
    GLint alignment = 0, rowLength = 0, packAlignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(rowLength, 9);
    EXPECT_EQ(packAlignment, 8);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

TEST_F(GluResample, WithoutAContextItIsScaleImage) {
    context.doneCurrent();
    const std::vector<float> grid = Grid({30, 20});
    std::vector<float> ours(16 * 16), glu(ours.size());
    ASSERT_TRUE(surface::ScaleImage(grid.data(), 30, 20, ours.data(), 16, 16));
    ASSERT_TRUE(surface::GluResampler()(grid.data(), 30, 20, glu.data(), 16, 16));
    EXPECT_EQ(ours, glu);
    EXPECT_FALSE(surface::GluScaleImage(grid.data(), 0, 20, glu.data(), 16, 16));
}
