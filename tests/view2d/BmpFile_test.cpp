#include "view2d/BmpFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

using m2D::BmpBytes;
using m2D::Composite;
using m2D::CPicture;

namespace {

// w x h pixels, each naming its part, column and row: blue = tag, green = x, red = y.
std::vector<std::uint8_t> Tagged(int w, int h, std::uint8_t tag) {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.insert(pixels.end(), {tag, std::uint8_t(x), std::uint8_t(y), 0x7F});
    return pixels;
}

std::vector<std::uint8_t> PixelAt(const CPicture& p, int x, int row) {
    const auto at = p.pixels.begin() + (std::size_t(row) * p.width + x) * 4;
    return {at, at + 4};
}

const std::vector<std::uint8_t> kWhitePixel = {0xFF, 0xFF, 0xFF, 0x00};

} // namespace

TEST(BmpBytes, HeadersAreExactAndTheRowsFollowAsGiven) {
    const std::vector<std::uint8_t> pixels = Tagged(3, 2, 9);
    const std::vector<std::uint8_t> bytes = BmpBytes(pixels.data(), 3, 2);
    const std::uint8_t header[54] = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0,       // file: size 54 + 24, pixels at 54
        40,  0,   0,  0, 3, 0, 0, 0, 2,  0, 0,  0,             // info: size, width, height
        1,   0,   32, 0, 0, 0, 0, 0, 24, 0, 0,  0,             // planes, bits, compression, image size
        0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0, 0, // resolution, colours used, important
    };
    ASSERT_EQ(bytes.size(), 78u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 54),
              std::vector<std::uint8_t>(header, header + 54));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 54, bytes.end()), pixels);

    // Sizes as little-endian fields wider than a byte: 300 x 258.
    const std::vector<std::uint8_t> wide(300 * 258 * 4, 0);
    const std::vector<std::uint8_t> big = BmpBytes(wide.data(), 300, 258);
    const std::uint32_t fileSize = 54 + 300 * 258 * 4;
    EXPECT_EQ(big[2] | big[3] << 8 | big[4] << 16 | std::uint32_t(big[5]) << 24, fileSize);
    EXPECT_EQ(big[18] | big[19] << 8, 300);
    EXPECT_EQ(big[22] | big[23] << 8, 258);
}

TEST(BmpBytes, RefusesSizesAHeaderCannotHold) {
    const std::uint8_t pixel[4] = {};
    EXPECT_TRUE(BmpBytes(pixel, 0, 1).empty());
    EXPECT_TRUE(BmpBytes(pixel, 1, -1).empty());
    EXPECT_TRUE(BmpBytes(nullptr, 1, 1).empty());
    // Over 4 GiB of pixels: refused before anything is read.
    EXPECT_TRUE(BmpBytes(pixel, 65536, 16384).empty());
    EXPECT_TRUE(BmpBytes(pixel, INT_MAX, INT_MAX).empty());
}

TEST(Composite, AShorterImageHangsFromTheTopWithWhiteRowsUnderIt) {
    const std::vector<std::uint8_t> image = Tagged(2, 3, 1), bar = Tagged(4, 5, 2);
    CPicture p;
    ASSERT_TRUE(Composite(image.data(), 2, 3, bar.data(), 4, 5, p));
    EXPECT_EQ(p.width, 6);
    EXPECT_EQ(p.height, 5);
    ASSERT_EQ(p.pixels.size(), 6u * 5 * 4);
    // Rows bottom-up: rows 0 and 1 are under the image, white there.
    for (int row = 0; row < 5; ++row) {
        for (int x = 0; x < 2; ++x) {
            const std::vector<std::uint8_t> expected =
                row < 2 ? kWhitePixel
                        : std::vector<std::uint8_t>{1, std::uint8_t(x), std::uint8_t(row - 2), 0x7F};
            EXPECT_EQ(PixelAt(p, x, row), expected) << x << "," << row;
        }
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(PixelAt(p, 2 + x, row),
                      (std::vector<std::uint8_t>{2, std::uint8_t(x), std::uint8_t(row), 0x7F}));
    }
}

TEST(Composite, ATallerImageKeepsEveryRowWithWhiteUnderTheBar) {
    const std::vector<std::uint8_t> image = Tagged(2, 4, 1), bar = Tagged(1, 3, 2);
    CPicture p;
    ASSERT_TRUE(Composite(image.data(), 2, 4, bar.data(), 1, 3, p));
    EXPECT_EQ(p.width, 3);
    EXPECT_EQ(p.height, 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(PixelAt(p, 1, row), (std::vector<std::uint8_t>{1, 1, std::uint8_t(row), 0x7F}));
        const std::vector<std::uint8_t> under =
            row == 0 ? kWhitePixel : std::vector<std::uint8_t>{2, 0, std::uint8_t(row - 1), 0x7F};
        EXPECT_EQ(PixelAt(p, 2, row), under);
    }
}

TEST(Composite, WithoutABarThePictureIsTheImage) {
    const std::vector<std::uint8_t> image = Tagged(3, 2, 1);
    CPicture p;
    ASSERT_TRUE(Composite(image.data(), 3, 2, nullptr, 0, 0, p));
    EXPECT_EQ(p.width, 3);
    EXPECT_EQ(p.height, 2);
    EXPECT_EQ(p.pixels, image);
    ASSERT_TRUE(Composite(image.data(), 3, 2, image.data(), 0, 7, p));
    EXPECT_EQ(p.pixels, image);

    EXPECT_FALSE(Composite(nullptr, 3, 2, nullptr, 0, 0, p));
    EXPECT_TRUE(p.pixels.empty());
    EXPECT_FALSE(Composite(image.data(), INT_MAX, 2, image.data(), 5, 2, p));
    EXPECT_EQ(p.width, 0);
}

TEST(WriteBmp, WritesTheBytesAndReportsAPathItCannotWrite) {
    const std::vector<std::uint8_t> pixels = Tagged(3, 2, 5);
    const std::string path = std::string(VANTRI_TEST_OUT) + "/write_bmp.bmp";
    ASSERT_TRUE(m2D::WriteBmp(path, pixels.data(), 3, 2));
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(written, BmpBytes(pixels.data(), 3, 2));
    std::filesystem::remove(path);
    EXPECT_FALSE(m2D::WriteBmp(std::string(VANTRI_TEST_OUT) + "/no/such/dir/x.bmp", pixels.data(), 3, 2));
    EXPECT_FALSE(m2D::WriteBmp("/dev/full", pixels.data(), 3, 2));
}

TEST(BmpPathFor, ReplacesTheScansExtensionAndNumbersLaterImages) {
    EXPECT_EQ(m2D::BmpPathFor("/d/scan.001", 0), "/d/scan.bmp");
    EXPECT_EQ(m2D::BmpPathFor("/d/scan.001", 2), "/d/scan-2.bmp");
    EXPECT_EQ(m2D::BmpPathFor("scan.tar.spm", 0), "scan.tar.bmp");
    // Dots of a folder or a hidden file's leading dot are no extension.
    EXPECT_EQ(m2D::BmpPathFor("/d.x/scan", 0), "/d.x/scan.bmp");
    EXPECT_EQ(m2D::BmpPathFor("/d/.scan", 1), "/d/.scan-1.bmp");
    EXPECT_EQ(m2D::BmpPathFor(".scan", 0), ".scan.bmp");
}
