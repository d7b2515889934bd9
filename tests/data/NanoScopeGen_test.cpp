#include "data/NanoScopeGen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using namespace testdata;

namespace {

std::string Header(const std::string& file) {
    return file.substr(0, file.find('\x1A'));
}

// Rest of the line after the first `key` at or after `from`; "<none>" if absent.
std::string Value(const std::string& text, const std::string& key, std::size_t from = 0) {
    const std::size_t at = text.find(key, from);
    if (at == std::string::npos)
        return "<none>";
    const std::size_t start = at + key.size();
    return text.substr(start, text.find("\r\n", start) - start);
}

std::size_t Section(const std::string& header, const std::string& name, int k = 0) {
    std::size_t at = header.find(name);
    while (k-- > 0 && at != std::string::npos)
        at = header.find(name, at + 1);
    return at;
}

std::int16_t SampleAt(const std::string& file, std::size_t offset) {
    return static_cast<std::int16_t>(static_cast<unsigned char>(file[offset]) |
                                     static_cast<unsigned char>(file[offset + 1]) << 8);
}

NsImage Image(const std::string& type, int columns, int rows) {
    NsImage image;
    image.type = type;
    image.columns = columns;
    image.rows = rows;
    return image;
}

void ExpectSamples(const std::string& file, std::size_t offset, const std::vector<std::int16_t>& want) {
    ASSERT_LE(offset + 2 * want.size(), file.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(SampleAt(file, offset + 2 * i), want[i]) << "sample " << i;
}

} // namespace

TEST(NanoScopeGen, DefaultFileHasRealLayout) {
    const std::string file = MakeNanoScope(NsFile{});
    const std::string header = Header(file);
    ASSERT_EQ(file.size(), 8192u + 16 * 16 * 2);
    ASSERT_LT(header.size(), 8192u);
    EXPECT_EQ(header.rfind("\\*File list end\r\n"), header.size() - 17);
    EXPECT_TRUE(
        std::all_of(file.begin() + header.size() + 1, file.begin() + 8192, [](char c) { return c == 0; }));
    for (std::size_t i = header.find('\n'); i != std::string::npos; i = header.find('\n', i + 1))
        ASSERT_EQ(header[i - 1], '\r') << "bare LF at " << i;

    const char* order[] = {"\\*File list\r\n",  "\\*Equipment list",  "\\*Scanner list",
                           "\\*Ciao scan list", "\\*Ciao image list", "\\*File list end"};
    for (int i = 1; i < 6; ++i)
        EXPECT_LT(Section(header, order[i - 1]), Section(header, order[i])) << order[i];

    EXPECT_EQ(Value(header, "\\Version: "), "0x04300000");
    EXPECT_EQ(Value(header, "\\@Sens. Zscan: V ", Section(header, "\\*Scanner list")), "13.2283 nm/V");
    EXPECT_EQ(Value(header, "\\@Sens. Zscan: V ", Section(header, "\\*Ciao scan list")), "18 deg/V");
    const std::size_t image = Section(header, "\\*Ciao image list");
    EXPECT_EQ(Value(header, "\\Data offset: ", image), "8192");
    EXPECT_EQ(Value(header, "\\Data length: ", image), "512");
    EXPECT_EQ(Value(header, "Image Data: S ", image), "[Height] \"Height\"");
    EXPECT_EQ(Value(header, "Z scale: V ", image), "[Sens. Zscan] (0.006713867 V/LSB) 440.0000 V");
    ExpectSamples(file, 8192, PatternSamples(16, 16, 1));
}

TEST(NanoScopeGen, ImagesAreChainedAndHeaderGrowsInPages) {
    NsFile layout;
    layout.images.assign(3, NsImage{});
    layout.images[0].extraLines = {"\\Note: " + std::string(9000, 'x')};
    layout.images[1] = Image("Phase", 8, 4);
    layout.images[2] = Image("Amplitude", 3, 5);
    layout.images[2].samples = {1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 0x1A, 0, 32767, -32768, 7};
    const std::string file = MakeNanoScope(layout);
    const std::string header = Header(file);

    const std::size_t offsets[] = {12288, 12288 + 512, 12288 + 512 + 64};
    EXPECT_EQ(Value(header, "\\Data length: "), "12288");
    EXPECT_EQ(file.size(), offsets[2] + 30);
    for (int k = 0; k < 3; ++k) {
        const std::size_t section = Section(header, "\\*Ciao image list", k);
        EXPECT_EQ(Value(header, "\\Data offset: ", section), std::to_string(offsets[k]));
        EXPECT_EQ(Value(header, "\"", section), layout.images[k].type + "\"");
    }
    ExpectSamples(file, offsets[0], PatternSamples(16, 16, 1));
    ExpectSamples(file, offsets[1], PatternSamples(8, 4, 1));
    ExpectSamples(file, offsets[2], layout.images[2].samples);
}

TEST(NanoScopeGen, OmissionsAndDamageOptions) {
    NsFile layout;
    layout.images.assign(2, NsImage{});
    layout.images[1].omit = {"\\Samps/line:", "Z scale: V"};
    layout.images[1].extraLines = {"\\Samps/line: 9"};
    layout.version = "";
    layout.scannerList = false;
    layout.fileListEnd = false;
    layout.padding = 0x20;
    layout.trailer = "TAIL";
    const std::string file = MakeNanoScope(layout);
    const std::string header = Header(file);
    const std::size_t second = Section(header, "\\*Ciao image list", 1);
    EXPECT_EQ(Value(header, "\\Samps/line: ", Section(header, "\\*Ciao scan list")), "256");
    EXPECT_EQ(Value(header, "Z scale: V", Section(header, "\\*Ciao image list")).substr(0, 2), " [");
    EXPECT_EQ(Value(header, "Z scale: V", second), "<none>");
    EXPECT_EQ(Value(header, "\\Samps/line: ", second), "9");
    EXPECT_EQ(header.find("\\Version:"), std::string::npos);
    EXPECT_EQ(header.find("\\*Scanner list"), std::string::npos);
    EXPECT_EQ(header.find("\\*File list end"), std::string::npos);
    EXPECT_EQ(file[header.size() + 1], ' ');
    EXPECT_EQ(file.substr(file.size() - 4), "TAIL");

    layout.endMark = false;
    layout.truncateTo = 8200;
    layout.images[0].dataOffset = 100;   // inside the header: not written, next image still at 8192
    layout.images[1].dataOffset = 20000; // the gap before it is padding
    const std::string damaged = MakeNanoScope(layout);
    EXPECT_EQ(damaged.size(), 8200u);
    EXPECT_EQ(damaged.find('\x1A'), std::string::npos);
    EXPECT_EQ(Value(damaged, "\\Data offset: "), "100");
    layout.truncateTo = -1;
    const std::string gap = MakeNanoScope(layout);
    EXPECT_EQ(gap.size(), 20000u + 512 + 4);
    EXPECT_EQ(gap.substr(8192, 20000 - 8192), std::string(20000 - 8192, ' '));
    ExpectSamples(gap, 20000, PatternSamples(16, 16, 1));
}

TEST(NanoScopeGen, SamplesWiderThanTwoBytesAreSignExtended) {
    NsFile layout;
    layout.images[0] = Image("Height", 2, 1);
    layout.images[0].bytesPerPixel = 4;
    layout.images[0].samples = {-2, 0x1A};
    const std::string file = MakeNanoScope(layout);
    EXPECT_EQ(Value(file, "\\Data length: ", Section(file, "\\*Ciao image list")), "8");
    EXPECT_EQ(file.substr(8192), std::string("\xFE\xFF\xFF\xFF\x1A\0\0\0", 8));

    layout.images[0].samples = {1, 2, 3};
    EXPECT_THROW(MakeNanoScope(layout), std::invalid_argument);
    EXPECT_THROW(WriteFile("/nonexistent-dir/x.000", "x"), std::runtime_error);
}

TEST(NanoScopeGen, PatternIsDeterministicSmoothAndSpansTheRange) {
    const std::vector<std::int16_t> a = PatternSamples(64, 48, 7);
    EXPECT_EQ(a, PatternSamples(64, 48, 7));
    EXPECT_NE(a, PatternSamples(64, 48, 8));
    EXPECT_EQ(*std::min_element(a.begin(), a.end()), -30000);
    EXPECT_EQ(*std::max_element(a.begin(), a.end()), 30000);
    long long step = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 1; x < 64; ++x)
            step += std::abs(a[y * 64 + x] - a[y * 64 + x - 1]);
    EXPECT_LT(step / (48 * 63), 3000) << "neighbours should differ by a few percent of the range";
    EXPECT_EQ(PatternSamples(1, 1, 3), std::vector<std::int16_t>{0});
    EXPECT_TRUE(PatternSamples(0, 5, 3).empty());

    // Pinned so that fixtures and benchmark inputs are identical on every machine and compiler.
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : MakeNanoScope(NsFile{}))
        hash = (hash ^ c) * 1099511628211ull;
    EXPECT_EQ(hash, 1124255868074205013u);
}
