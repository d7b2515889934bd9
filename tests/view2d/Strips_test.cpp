#include "view2d/Strips.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "view2d/ColorTransfer.h"

namespace {

// Strips of a grid's transfer taken into one image: the transfer of the whole grid at once, every row
// taken once and on the calling thread, whichever thread made it. Heights just either side of the size
// that brings in the second thread, odd widths, a row a strip and strips of no whole number of rows.
TEST(RunStrips, TheStripsTakenMakeTheImageOfOneTransferWhicheverThreadMadeThem) {
    color::CConverter converter;
    converter.SetType(color::CConverter::kForest);
    const color::CTransfer transfer(converter, color::CAttenuator());
    const struct {
        int columns, rows;
        std::size_t stripBytes;
        int threads;
    } cases[] = {{1000, 262, 256 << 10, 1}, // 4000 bytes a row: just below kTwoThreadsFrom
                 {1000, 263, 256 << 10, 2},
                 {1001, 263, 4 << 10, 2},
                 {4096, 128, 100000, 2},
                 {3, 1, 256 << 10, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.columns << " x " << c.rows);
        const std::size_t line = std::size_t(4) * c.columns;
        std::vector<float> grey(std::size_t(c.columns) * c.rows);
        std::mt19937 random(c.rows);
        std::uniform_real_distribution<float> level(-0.1f, 1.1f);
        for (float& v : grey)
            v = level(random);
        std::vector<std::uint8_t> expected(line * c.rows), image(line * c.rows, 0xEE);
        transfer.Bgra(grey.data(), grey.size(), expected.data());
        std::vector<int> taken(c.rows, 0);
        bool elsewhere = false;
        const std::thread::id caller = std::this_thread::get_id();
        const int threads = color::RunStrips(
            c.rows, line, c.stripBytes,
            [&](int first, int count, std::uint8_t* strip) {
                transfer.Bgra(grey.data() + std::size_t(first) * c.columns, std::size_t(count) * c.columns,
                              strip);
            },
            [&](int first, int count, const std::uint8_t* strip) {
                elsewhere = elsewhere || std::this_thread::get_id() != caller;
                std::memcpy(image.data() + line * first, strip, line * count);
                for (int row = first; row < first + count; ++row)
                    ++taken[row];
            });
        EXPECT_EQ(threads, std::thread::hardware_concurrency() == 1 ? 1 : c.threads);
        EXPECT_FALSE(elsewhere);
        EXPECT_EQ(taken, std::vector<int>(c.rows, 1));
        EXPECT_TRUE(image == expected);
    }
}

} // namespace
