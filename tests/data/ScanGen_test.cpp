#include "data/NanoScopeGen.h"
#include "data/NtMdtGen.h"
#include "data/SpmGen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

using namespace testdata;

namespace {

long long Int(const std::string& file, std::size_t at, int width, bool isSigned = true) {
    unsigned long long bits = 0;
    for (int b = 0; b < width; ++b)
        bits |= static_cast<unsigned long long>(static_cast<unsigned char>(file.at(at + b))) << (8 * b);
    const unsigned long long sign = 1ull << (8 * width - 1);
    return isSigned && (bits & sign) ? static_cast<long long>(bits) - static_cast<long long>(sign << 1)
                                     : static_cast<long long>(bits);
}

float Float(const std::string& file, std::size_t at) {
    const auto bits = static_cast<std::uint32_t>(Int(file, at, 4, false));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<std::int16_t> Samples(const std::string& file, std::size_t at, std::size_t count) {
    std::vector<std::int16_t> out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(static_cast<std::int16_t>(Int(file, at + 2 * i, 2)));
    return out;
}

bool NoZero(const std::string& file, std::size_t from, std::size_t to) {
    return std::find(file.begin() + from, file.begin() + to, '\0') == file.begin() + to;
}

std::uint64_t Hash(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes)
        hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

MdtFile ThreeFrames() {
    MdtFile layout;
    layout.frames.assign(3, MdtFrame{});
    layout.frames[1].type = 3;
    layout.frames[1].body = "TEXT";
    MdtFrame& last = layout.frames[2];
    last.columns = 3;
    last.rows = 2;
    last.extraBytes = 5;
    last.samples = {1, -1, 32767, -32768, 0, 7};
    last.xStep = 2.5f;
    last.zUnit = 2;
    return layout;
}

} // namespace

TEST(NtMdtGen, FramesFollowOneAnotherWithTheirSizes) {
    const MdtFile layout = ThreeFrames();
    const std::string file = MakeNtMdt(layout);
    const std::size_t at[] = {33, 33 + 22 + 107 + 8 + 512, 33 + 22 + 107 + 8 + 512 + 22 + 4};
    const long long sizes[] = {22 + 107 + 8 + 512, 22 + 4, 22 + 112 + 8 + 12};
    const long long types[] = {0, 3, 0}, vars[] = {107, 4, 112};
    ASSERT_EQ(file.size(), at[2] + sizes[2]);
    EXPECT_EQ(file.substr(0, 4), "\x01\xB0\x93\xFF");
    EXPECT_EQ(Int(file, 4, 4), static_cast<long long>(file.size()) - 33) << "Gwyddion checks this";
    EXPECT_EQ(Int(file, 12, 2), 2);
    EXPECT_TRUE(NoZero(file, 8, 12) && NoZero(file, 14, 33)) << "reserved bytes carry letters";
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(MdtFrameOffset(layout, k), at[k]);
        EXPECT_EQ(Int(file, at[k], 4), sizes[k]) << "frame " << k;
        EXPECT_EQ(Int(file, at[k] + 4, 2), types[k]) << "frame " << k;
        EXPECT_EQ(Int(file, at[k] + 20, 2), vars[k]) << "frame " << k;
    }
    EXPECT_EQ(file.substr(at[1] + 22, 4), "TEXT");

    // The last frame: axis records, the carried extra block, image header, samples.
    const std::size_t body = at[2] + 22;
    EXPECT_EQ(Float(file, body + 4), 2.5f);
    EXPECT_EQ(Int(file, body + 8, 2), -2);
    EXPECT_EQ(Float(file, body + 20), 2.0f);
    EXPECT_EQ(Float(file, body + 24), 0.1f);
    EXPECT_EQ(Int(file, body + 28, 2), 2);
    EXPECT_TRUE(NoZero(file, body + 30 + 6, body + 112));
    EXPECT_EQ(Int(file, body + 112 + 2, 2), 3);
    EXPECT_EQ(Int(file, body + 112 + 4, 2), 2);
    EXPECT_EQ(Int(file, body + 112 + 6, 2), 0) << "no spectroscopy points";
    EXPECT_EQ(Samples(file, body + 120, 6), layout.frames[2].samples);
    EXPECT_EQ(Samples(file, at[0] + 22 + 115, 256), PatternSamples(16, 16, 1));
}

TEST(NtMdtGen, DamagedFieldsLeaveTheLayoutAlone) {
    MdtFile layout = ThreeFrames();
    layout.frames[0].frameSize = 1u << 30;
    layout.frames[0].varSize = 99;
    layout.frames[0].imageColumnsField = 70000; // written as its low 16 bits
    layout.frames[2].imageRowsField = 0;
    layout.lastFrameIndex = -3;
    layout.signature = 0x12345678u;
    layout.sizeField = 5;
    layout.trailer = "TAIL";
    const std::string file = MakeNtMdt(layout);
    const std::size_t second = MdtFrameOffset(layout, 1), third = MdtFrameOffset(layout, 2);
    EXPECT_EQ(second, 33u + 22 + 107 + 8 + 512) << "the next frame follows the real end";
    EXPECT_EQ(Int(file, 0, 4, false), 0x12345678);
    EXPECT_EQ(Int(file, 4, 4), 5);
    EXPECT_EQ(Int(file, 12, 2), -3);
    EXPECT_EQ(Int(file, 33, 4), 1 << 30);
    EXPECT_EQ(Int(file, 33 + 20, 2), 99);
    EXPECT_EQ(Int(file, 33 + 22 + 107 + 2, 2, false), 70000 - 65536);
    EXPECT_EQ(Int(file, third + 22 + 112 + 4, 2), 0);
    EXPECT_EQ(file.substr(file.size() - 4), "TAIL");

    layout.sizeField = -1;
    layout.truncateTo = 40;
    const std::string cut = MakeNtMdt(layout);
    EXPECT_EQ(cut.size(), 40u);
    EXPECT_EQ(Int(cut, 4, 4), static_cast<long long>(file.size()) - 33)
        << "the header keeps the whole length";

    layout.frames[1] = MdtFrame{};
    layout.frames[1].type = 1; // empty body: filler
    EXPECT_EQ(MdtFrameBytes(layout.frames[1]), 22u + 48);
    layout.frames[2].samples.pop_back();
    EXPECT_THROW(MakeNtMdt(layout), std::invalid_argument);
    layout.frames[2] = MdtFrame{};
    layout.frames[2].extraBytes = -1;
    EXPECT_THROW(MakeNtMdt(layout), std::invalid_argument);
}

TEST(SpmGen, HeaderFieldsAndSamples) {
    const std::string file = MakeSpm(SpmFile{});
    ASSERT_EQ(file.size(), 512u + 2 * 256 * 256) << "Gwyddion takes only this exact size";
    EXPECT_EQ(Int(file, 2, 2), 256);
    EXPECT_EQ(Int(file, 6, 2), 256);
    EXPECT_EQ(Float(file, 8), 10.f);
    EXPECT_EQ(Float(file, 16), 0.1f);
    EXPECT_EQ(file.substr(20, 8), std::string("nm\0\0nm\0\0", 8));
    EXPECT_TRUE(NoZero(file, 0, 2) && NoZero(file, 4, 6) && NoZero(file, 28, 512));
    EXPECT_EQ(Samples(file, 512, 256 * 256), PatternSamples(256, 256, 1));

    SpmFile layout;
    layout.columns = 3;
    layout.rows = 1;
    layout.samples = {-2, 0, 300};
    layout.heightUnit = "deg";
    layout.lateralUnit = "\xB5m";
    layout.rowsField = 65535;
    layout.trailer = "TAIL";
    const std::string odd = MakeSpm(layout);
    EXPECT_EQ(odd.size(), 512u + 6 + 4);
    EXPECT_EQ(Int(odd, 6, 2, false), 65535);
    EXPECT_EQ(odd.substr(20, 8), std::string("deg\0\xB5m\0\0", 8));
    EXPECT_EQ(Samples(odd, 512, 3), layout.samples);
    EXPECT_EQ(odd.substr(518), "TAIL");

    layout.truncateTo = 100;
    EXPECT_EQ(MakeSpm(layout), odd.substr(0, 100));
    layout.heightUnit = "nmnm?";
    EXPECT_THROW(MakeSpm(layout), std::invalid_argument);
    layout.heightUnit = "nm";
    layout.samples.push_back(1);
    EXPECT_THROW(MakeSpm(layout), std::invalid_argument);
}

TEST(ScanGen, OutputIsPinned) {
    // Pinned so that fixtures and benchmark inputs are identical on every machine and compiler.
    EXPECT_EQ(Hash(MakeNtMdt(ThreeFrames())), 5607372293787115236u);
    EXPECT_EQ(Hash(MakeSpm(SpmFile{})), 9099413885015482655u);
}
