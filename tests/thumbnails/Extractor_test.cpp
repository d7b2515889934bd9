#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <stdio.h>

#include "thumbnails/Extractor.h"
#include "thumbnails/Render.h"
#include "thumbnails/ScanFiles.h"

using namespace thumbs;
using namespace thumbtest;

namespace {

struct CDrawn {
    Result result = kFail;
    CPicture picture;
    int Grey(int x, int y) const {
        return picture.bgra[(static_cast<std::size_t>(y) * picture.width + x) * 4];
    }
};

CDrawn Draw(Format format, const std::string& bytes, int width, int height) {
    CDrawn drawn;
    std::FILE* file = AsFile(bytes);
    EXPECT_NE(file, nullptr);
    drawn.result = Render(format, file, width, height, drawn.picture);
    std::fclose(file);
    return drawn;
}

std::int32_t Flat(int, int) {
    return 7;
}

// The running sum of 512 / 96 in single precision: 47 and 63 where exact steps would give 48 and 64.
const int kRows512At96[96] = {0,   5,   10,  16,  21,  26,  32,  37,  42,  47,  53,  58,  63,  69,  74,  80,
                              85,  90,  96,  101, 106, 112, 117, 122, 128, 133, 138, 144, 149, 154, 159, 165,
                              170, 175, 181, 186, 191, 197, 202, 207, 213, 218, 223, 229, 234, 239, 245, 250,
                              255, 261, 266, 271, 277, 282, 287, 293, 298, 303, 309, 314, 320, 325, 330, 336,
                              341, 346, 352, 357, 362, 368, 373, 378, 384, 389, 394, 400, 405, 410, 416, 421,
                              426, 432, 437, 442, 448, 453, 458, 464, 469, 474, 480, 485, 490, 496, 501, 506};

} // namespace

TEST(ThumbnailSampling, RunningSumOfSinglePrecisionSteps) {
    const std::vector<std::uint64_t> indices = SourceIndices(512, 96);
    EXPECT_TRUE(std::equal(indices.begin(), indices.end(), std::begin(kRows512At96)));
    // Stretching repeats samples and never reaches past the last one, even for a picture far larger
    // than the scan, where the float sum drifts.
    for (auto [source, count] : {std::pair{3ull, 8000}, std::pair{1ull, 5}, std::pair{4097ull, 8192}}) {
        const std::vector<std::uint64_t> up = SourceIndices(source, count);
        EXPECT_EQ(up.front(), 0u);
        EXPECT_EQ(up.back(), source - 1);
        EXPECT_TRUE(std::is_sorted(up.begin(), up.end()));
    }
}

TEST(ThumbnailSampling, NanoScope512At96TakesTheSummedRowsAndColumns) {
    // Samples off the expected rows and columns are 0; on them 1 or 2 as a checkerboard. Taking any
    // other sample brings a 0 in and turns the 1s grey; taking a neighbour swaps black and white.
    std::set<int> taken(std::begin(kRows512At96), std::end(kRows512At96));
    NanoScopeShape shape;
    shape.columns = shape.rows = 512;
    const std::string file = NanoScope(
        shape, [&](int c, int r) { return taken.count(c) && taken.count(r) ? 1 + (c + r) % 2 : 0; });
    const CDrawn drawn = Draw(Format::kNanoScope, file, 96, 96);
    ASSERT_EQ(drawn.result, kOk);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x)
            ASSERT_EQ(drawn.Grey(x, y), (kRows512At96[x] + kRows512At96[y]) % 2 ? 255 : 0) << x << "," << y;
}

TEST(ThumbnailSampling, WideScanIsStretchedToTheSquare) {
    // 256 x 128 at 100 x 100: columns step 2.56, rows 1.28; the first file line is the top row.
    NanoScopeShape shape;
    shape.columns = 256;
    shape.rows = 128;
    const std::string file = NanoScope(shape, [](int c, int r) { return r * 256 + c; });
    const CDrawn drawn = Draw(Format::kNanoScope, file, 100, 100);
    ASSERT_EQ(drawn.result, kOk);
    ASSERT_EQ(drawn.picture.bgra.size(), 100u * 100 * 4);
    const std::vector<std::uint64_t> rows = SourceIndices(128, 100), columns = SourceIndices(256, 100);
    const std::int64_t hi = static_cast<std::int64_t>(rows.back() * 256 + columns.back());
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(drawn.Grey(x, y), static_cast<int>((rows[y] * 256 + columns[x]) * 255 / hi))
                << x << "," << y;
    EXPECT_EQ(drawn.Grey(0, 0), 0);
    EXPECT_EQ(drawn.Grey(99, 99), 255);
    EXPECT_EQ(rows[50], 63u); // float drift: 50 x 1.28 sums to just under 64
}

TEST(ThumbnailPixels, TopDownBgraWithOpaqueFourthByte) {
    NanoScopeShape shape;
    shape.columns = 2;
    shape.rows = 2;
    const std::string file = NanoScope(shape, [](int c, int r) { return r == 0 && c == 1 ? 10 : 0; });
    const CDrawn drawn = Draw(Format::kNanoScope, file, 2, 2);
    ASSERT_EQ(drawn.result, kOk);
    const std::vector<std::uint8_t> expected = {0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    EXPECT_EQ(drawn.picture.bgra, expected);
}

TEST(ThumbnailNanoScope, VersionsFromTheirPrefixedBase) {
    const std::pair<std::string, Result> cases[] = {
        {"0x04300000", kOk}, {"0x05120130", kOk},   {"0x04220000", kFail},
        {"", kFail},         {"070300000000", kOk}, // octal 0x0E0C0000
        {"70254592", kOk},                          // decimal 0x04300000
        {"70254591", kFail}, {"junk", kFail},       {"0x4300000", kOk}};
    for (const auto& [version, expected] : cases) {
        NanoScopeShape shape;
        shape.version = version;
        EXPECT_EQ(Draw(Format::kNanoScope, NanoScope(shape, Flat), 4, 4).result, expected) << version;
    }
    // The number is read from its own line only.
    NanoScopeShape shape;
    shape.version = "\r\n0x05000000";
    EXPECT_EQ(Draw(Format::kNanoScope, NanoScope(shape, Flat), 4, 4).result, kFail);
}

TEST(ThumbnailNanoScope, SampleWidths) {
    // One byte: signed, 0x80 the darkest, 0x7F the lightest.
    NanoScopeShape shape;
    shape.columns = 3;
    shape.rows = 1;
    shape.bytesPerPixel = 1;
    const int bytes[3] = {0x80, 0x00, 0x7F};
    CDrawn drawn = Draw(Format::kNanoScope, NanoScope(shape, [&](int c, int) { return bytes[c]; }), 3, 1);
    ASSERT_EQ(drawn.result, kOk);
    EXPECT_EQ(drawn.Grey(0, 0), 0);
    EXPECT_EQ(drawn.Grey(1, 0), 128);
    EXPECT_EQ(drawn.Grey(2, 0), 255);

    // Four bytes across the whole 32-bit range, where v - lo overflows 32 bits.
    shape.bytesPerPixel = 4;
    const std::int32_t wide[3] = {INT32_MIN, 0, INT32_MAX};
    drawn = Draw(Format::kNanoScope, NanoScope(shape, [&](int c, int) { return wide[c]; }), 3, 1);
    ASSERT_EQ(drawn.result, kOk);
    EXPECT_EQ(drawn.Grey(0, 0), 0);
    EXPECT_EQ(drawn.Grey(1, 0), 127);
    EXPECT_EQ(drawn.Grey(2, 0), 255);

    for (int width : {0, 3, 8}) {
        shape.bytesPerPixel = width;
        shape.columns = 4;
        EXPECT_EQ(Draw(Format::kNanoScope, NanoScope(shape, Flat), 4, 4).result, kFail) << width;
    }
}

TEST(ThumbnailNanoScope, ThirtyTwoBitSamplesFromVersion92ComeNarrowedAsTheApplicationHoldsThem) {
    NanoScopeShape shape;
    shape.columns = 3;
    shape.rows = 1;
    shape.bytesPerPixel = 4;
    const std::int32_t wide[3] = {-3000000, 2000000, 0};
    for (const char* version : {"0x09200000", "0x09100000"}) {
        SCOPED_TRACE(version);
        shape.version = version;
        const std::string bytes = NanoScope(shape, [&](int c, int) { return wide[c]; });
        std::FILE* file = AsFile(bytes);
        ASSERT_NE(file, nullptr);
        CSamples samples;
        EXPECT_EQ(FirstImage(Format::kNanoScope, file, samples), kOk);
        std::fclose(file);
        // Span 5000000: 7 bits shifted out, then centred. Older files give their samples as they are.
        const bool newer = std::string(version) == "0x09200000";
        const std::vector<std::int32_t> expected = newer ? std::vector<std::int32_t>{-19532, 19531, 3906}
                                                         : std::vector<std::int32_t>(wide, wide + 3);
        EXPECT_EQ(samples.values, expected);
    }
}

TEST(ThumbnailNanoScope, FirstImageSectionOnly) {
    // The scan list's "Samps/line: 8" comes first and the second image list points at offset 1;
    // a 16 x 16 ramp drawn 16 x 16 shows both were passed over.
    NanoScopeShape shape;
    const CDrawn drawn =
        Draw(Format::kNanoScope, NanoScope(shape, [](int c, int r) { return r * 16 + c; }), 16, 16);
    ASSERT_EQ(drawn.result, kOk);
    EXPECT_EQ(drawn.Grey(15, 15), 255);
    EXPECT_EQ(drawn.Grey(1, 0), 1);
    EXPECT_EQ(drawn.Grey(0, 1), 16);
}

TEST(ThumbnailNanoScope, DamagedHeadersFail) {
    const std::string good = NanoScope(NanoScopeShape{}, Flat);
    ASSERT_EQ(Draw(Format::kNanoScope, good, 8, 8).result, kOk);
    auto without = [&](const std::string& key) {
        std::string text = good;
        const std::size_t at = text.find(key, text.find("\\*Ciao image list"));
        text.replace(at, key.size(), std::string(key.size(), 'x'));
        return text;
    };
    for (const char* key : {"\\Data offset:", "\\Bytes/pixel:", "\\Samps/line: 16", "\\Number of lines:"})
        EXPECT_EQ(Draw(Format::kNanoScope, without(key), 8, 8).result, kFail) << key;

    NanoScopeShape shape;
    std::string noList = good;
    for (std::size_t at; (at = noList.find("Ciao image")) != std::string::npos;)
        noList[at] = 'X';
    EXPECT_EQ(Draw(Format::kNanoScope, noList, 8, 8).result, kFail);

    // The section must end at a next "\*".
    shape.secondSection = false;
    std::string open = NanoScope(shape, Flat);
    open.replace(open.find("\\*File list end"), 2, "..");
    EXPECT_EQ(Draw(Format::kNanoScope, open, 8, 8).result, kFail);

    // Zero sizes and absurd ones that no file could hold; neither may be allocated.
    for (const char* line :
         {"\\Number of lines: 0", "\\Samps/line: 4000000000", "\\Samps/line: 99999999999999999999999"}) {
        std::string text = good;
        const std::size_t at = text.find(line[1] == 'N' ? "\\Number of lines: 16" : "\\Samps/line: 16",
                                         text.find("\\*Ciao image list"));
        text.replace(at, text.find('\r', at) - at, line);
        EXPECT_EQ(Draw(Format::kNanoScope, text, 8, 8).result, kFail) << line;
    }
}

TEST(ThumbnailNanoScope, HeaderWithoutEndMarkIsTheWholeFile) {
    NanoScopeShape shape;
    shape.endMark = false;
    EXPECT_EQ(Draw(Format::kNanoScope, NanoScope(shape, Flat), 8, 8).result, kOk);
    // A megabyte of text with no end mark is not a NanoScope header.
    std::string junk(std::size_t{1} << 21, 'a');
    junk.replace(0, 11, "\\*File list");
    EXPECT_EQ(Draw(Format::kNanoScope, junk, 8, 8).result, kFail);
}

TEST(ThumbnailNtMdt, FirstFrameWhateverItsType) {
    NtMdtShape shape;
    shape.columns = 4;
    shape.rows = 2;
    const SampleFn ramp = [](int c, int r) { return -1000 + 100 * (r * 4 + c); };
    CDrawn drawn = Draw(Format::kNtMdt, NtMdt(shape, ramp), 4, 2);
    ASSERT_EQ(drawn.result, kOk);
    EXPECT_EQ(drawn.Grey(0, 0), 0);
    EXPECT_EQ(drawn.Grey(3, 1), 255);
    EXPECT_EQ(drawn.Grey(1, 0), 36); // 100 * 255 / 700

    // A curve frame with a short variable block: the bytes where an image header would be.
    shape.frameType = 3;
    shape.varSize = 10;
    const CDrawn other = Draw(Format::kNtMdt, NtMdt(shape, ramp), 4, 2);
    ASSERT_EQ(other.result, kOk);
    EXPECT_EQ(other.picture.bgra, drawn.picture.bgra);
}

TEST(ThumbnailNtMdt, DamagedFilesFail) {
    const std::string good = NtMdt(NtMdtShape{}, Flat);
    std::string bad = good;
    bad[3] = 0x00;
    EXPECT_EQ(Draw(Format::kNtMdt, bad, 8, 8).result, kFail);
    // A variable block reaching past the end of the file.
    bad = good;
    Put(bad, 33 + 20, 0xFFFF, 2);
    EXPECT_EQ(Draw(Format::kNtMdt, bad, 8, 8).result, kFail);
    // Image sizes of zero, and larger than the samples that follow.
    for (auto [columns, rows] :
         {std::pair{0, 16}, std::pair{16, 0}, std::pair{17, 16}, std::pair{65535, 65535}}) {
        bad = good;
        Put(bad, 33 + 22 + 107 + 2, static_cast<std::uint16_t>(columns), 2);
        Put(bad, 33 + 22 + 107 + 4, static_cast<std::uint16_t>(rows), 2);
        EXPECT_EQ(Draw(Format::kNtMdt, bad, 8, 8).result, kFail) << columns << " x " << rows;
    }
}

TEST(ThumbnailNanotop, SampleLimitAndRobustGrey) {
    const SampleFn wave = [](int c, int r) { return (c * 7 + r * 13) % 2000 - 1000; };
    EXPECT_EQ(Draw(Format::kNanotop, Nanotop(1024, 1025, wave), 64, 64).result, kFail);
    const std::string square = Nanotop(1024, 1024, wave);
    const CDrawn drawn = Draw(Format::kNanotop, square, 64, 64);
    ASSERT_EQ(drawn.result, kOk);

    std::vector<std::int32_t> values;
    for (std::uint64_t r : SourceIndices(1024, 64))
        for (std::uint64_t c : SourceIndices(1024, 64))
            values.push_back(wave(static_cast<int>(c), static_cast<int>(r)));
    std::vector<std::uint8_t> grey(values.size());
    MapRobust(values.data(), values.size(), grey.data());
    for (std::size_t k = 0; k < grey.size(); ++k)
        ASSERT_EQ(drawn.picture.bgra[k * 4], grey[k]) << k;

    // Sizes in the header that the samples do not fill, or that are zero.
    EXPECT_EQ(Draw(Format::kNanotop, Nanotop(16, 16, wave, 16, 17), 8, 8).result, kFail);
    EXPECT_EQ(Draw(Format::kNanotop, Nanotop(16, 16, wave, 0, 16), 8, 8).result, kFail);
    EXPECT_EQ(Draw(Format::kNanotop, std::string(511, '\0'), 8, 8).result, kFail);
}

TEST(ThumbnailGrey, RobustRange) {
    // 256 values: one is cut at each end (99 and 164), leaving lo = 100 and hi = 163. The margin is
    // 63 div 32 = 1, not 1.97, so the range runs from 99 over a span of 65.
    std::vector<std::int32_t> values(256, 130);
    values[0] = 99;
    values[1] = 100;
    values[2] = 163;
    values[3] = 164;
    values[4] = 120;
    std::vector<std::uint8_t> grey(values.size());
    MapRobust(values.data(), values.size(), grey.data());
    EXPECT_EQ(grey[0], 0);
    EXPECT_EQ(grey[1], 3);   // 1 * 255 / 65
    EXPECT_EQ(grey[2], 251); // 64 * 255 / 65
    EXPECT_EQ(grey[3], 255); // the top of the span
    EXPECT_EQ(grey[4], 82);  // 21 * 255 / 65
    EXPECT_EQ(grey[5], 121); // 31 * 255 / 65
    // Values beyond the widened range are black or white.
    values[0] = -30000;
    values[3] = 30000;
    MapRobust(values.data(), values.size(), grey.data());
    EXPECT_EQ(grey[0], 0);
    EXPECT_EQ(grey[3], 255);
    EXPECT_EQ(grey[1], 3);

    // Fewer than 256 values cut nothing.
    std::vector<std::int32_t> few = {-5, 0, 5};
    std::vector<std::uint8_t> g3(3);
    MapRobust(few.data(), few.size(), g3.data());
    EXPECT_EQ(std::vector<int>(g3.begin(), g3.end()), (std::vector<int>{0, 127, 255}));
}

TEST(ThumbnailGrey, EqualValuesAreBlack) {
    for (std::int32_t level : {0, -7, 32767}) {
        std::vector<std::int32_t> same(300, level);
        std::vector<std::uint8_t> robust(same.size(), 9), plain(same.size(), 9);
        MapRobust(same.data(), same.size(), robust.data());
        MapMinMax(same.data(), same.size(), plain.data());
        EXPECT_TRUE(std::all_of(robust.begin(), robust.end(), [](int g) { return g == 0; }));
        EXPECT_TRUE(std::all_of(plain.begin(), plain.end(), [](int g) { return g == 0; }));
    }
    // A robust range of one value with a few outliers: below it and on it black, above it white.
    std::vector<std::int32_t> spike(1000, 5);
    spike[10] = 9;
    spike[20] = 0;
    std::vector<std::uint8_t> grey(spike.size());
    MapRobust(spike.data(), spike.size(), grey.data());
    EXPECT_EQ(grey[10], 255);
    EXPECT_EQ(grey[20], 0);
    EXPECT_EQ(grey[0], 0);
}

TEST(ThumbnailDamage, EveryCutFileFails) {
    // Cutting a file anywhere before its last sample leaves a header that promises more than there is.
    const SampleFn ramp = [](int c, int r) { return c - r; };
    NanoScopeShape ns;
    ns.columns = 5;
    ns.rows = 3;
    ns.headerSize = 600;
    NtMdtShape mdt;
    mdt.columns = 5;
    mdt.rows = 3;
    const std::pair<Format, std::string> files[] = {{Format::kNanoScope, NanoScope(ns, ramp)},
                                                    {Format::kNtMdt, NtMdt(mdt, ramp)},
                                                    {Format::kNanotop, Nanotop(5, 3, ramp)}};
    for (const auto& [format, bytes] : files) {
        ASSERT_EQ(Draw(format, bytes, 7, 2).result, kOk);
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            const CDrawn drawn = Draw(format, bytes.substr(0, length), 7, 2);
            ASSERT_EQ(drawn.result, kFail) << static_cast<int>(format) << " cut to " << length;
            ASSERT_TRUE(drawn.picture.bgra.empty());
        }
    }
    // A data offset past the end.
    ns.dataOffset = 1 << 20;
    std::string far = NanoScope(ns, ramp);
    far.resize(2000);
    EXPECT_EQ(Draw(Format::kNanoScope, far, 4, 4).result, kFail);
}

TEST(ThumbnailRequest, SizesAndFiles) {
    const std::string file = Nanotop(4, 4, Flat);
    EXPECT_EQ(Draw(Format::kNanotop, file, 0, 4).result, kInvalidArg);
    EXPECT_EQ(Draw(Format::kNanotop, file, 4, -1).result, kInvalidArg);
    EXPECT_EQ(Draw(Format::kNanotop, file, 1 << 16, 1 << 16).result, kOutOfMemory);
    CPicture picture;
    EXPECT_EQ(Render(Format::kNanotop, nullptr, 4, 4, picture), kInvalidArg);
}

namespace {
// A FILE* over memory that counts the bytes it hands to stdio.
struct CCounted {
    std::string bytes;
    std::size_t position = 0, delivered = 0;
};
ssize_t CountedRead(void* cookie, char* buffer, std::size_t size) {
    auto* c = static_cast<CCounted*>(cookie);
    const std::size_t n = std::min(size, c->bytes.size() - std::min(c->position, c->bytes.size()));
    std::memcpy(buffer, c->bytes.data() + c->position, n);
    c->position += n;
    c->delivered += n;
    return static_cast<ssize_t>(n);
}
int CountedSeek(void* cookie, off64_t* offset, int whence) {
    auto* c = static_cast<CCounted*>(cookie);
    const off64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? c->position : c->bytes.size();
    c->position = static_cast<std::size_t>(base + *offset);
    *offset = static_cast<off64_t>(c->position);
    return 0;
}
} // namespace

TEST(ThumbnailCost, ReadsOnlyTheRowsShown) {
    CCounted counted;
    NanoScopeShape shape;
    shape.columns = shape.rows = 4096;
    shape.bytesPerPixel = 1;
    counted.bytes = NanoScope(shape, [](int c, int r) { return (c ^ r) & 0x7F; });
    cookie_io_functions_t io = {CountedRead, nullptr, CountedSeek, nullptr};
    std::FILE* file = fopencookie(&counted, "rb", io);
    ASSERT_NE(file, nullptr);
    CPicture picture;
    ASSERT_EQ(Render(Format::kNanoScope, file, 128, 128, picture), kOk);
    std::fclose(file);
    // 128 rows of 4 KiB, each read through stdio's buffer, and the header: about 1 MiB of 16.
    EXPECT_LT(counted.delivered, counted.bytes.size() / 8);
    EXPECT_GT(counted.delivered, 128u * 4096);
}

TEST(ThumbnailExtractor, LoadAndGetLocation) {
    CExtractor extractor(Format::kNtMdt);
    EXPECT_EQ(extractor.GetFormat(), Format::kNtMdt);
    const std::u16string path = u"C:\\scans\\a.mdt";
    ASSERT_EQ(extractor.Load(path.c_str()), kOk);

    char16_t buffer[kMaxPath];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(extractor.GetLocation(buffer, static_cast<std::uint32_t>(path.size()), 96, 64, 0), kInvalidArg);
    EXPECT_EQ(extractor.Width(), 0); // nothing taken on a refusal
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(extractor.GetLocation(buffer, static_cast<std::uint32_t>(path.size() + 1), 96, 64, 0), kOk);
    EXPECT_EQ(std::u16string(buffer), path);
    EXPECT_EQ(extractor.Width(), 96);
    EXPECT_EQ(extractor.Height(), 64);
    EXPECT_EQ(extractor.GetLocation(buffer, kMaxPath, 32, 48, 1), kPending);
    EXPECT_EQ(extractor.Width(), 32);
    EXPECT_EQ(extractor.Height(), 48);
    EXPECT_EQ(extractor.GetLocation(buffer, kMaxPath, 32, 48, 0xFFFFFFFEu), kOk);

    // 259 characters fit; 260 are refused and the stored path stays.
    const std::u16string longest(259, u'p'), tooLong(260, u'q');
    EXPECT_EQ(extractor.Load(longest.c_str()), kOk);
    EXPECT_EQ(extractor.Path(), longest);
    EXPECT_EQ(extractor.Load(tooLong.c_str()), kInvalidArg);
    EXPECT_EQ(extractor.Path(), longest);
    EXPECT_EQ(extractor.Load(nullptr), kInvalidArg);
    EXPECT_EQ(extractor.Load(u""), kOk);
    EXPECT_EQ(extractor.GetLocation(nullptr, 10, 1, 1, 0), kInvalidArg);

    // Extract draws at the size last taken.
    CExtractor spm(Format::kNanotop);
    std::FILE* file = AsFile(Nanotop(8, 8, Flat));
    CPicture picture;
    EXPECT_EQ(spm.Extract(file, picture), kInvalidArg); // no size asked for yet
    ASSERT_EQ(spm.GetLocation(buffer, 4, 5, 3, 1), kPending);
    EXPECT_EQ(spm.Extract(file, picture), kOk);
    EXPECT_EQ(picture.width, 5);
    EXPECT_EQ(picture.bgra.size(), 5u * 3 * 4);
    std::fclose(file);
}

TEST(ThumbnailFormats, ByExtension) {
    Format format = Format::kNtMdt;
    EXPECT_TRUE(FormatFromName("/a/b/scan.000", format));
    EXPECT_EQ(format, Format::kNanoScope);
    EXPECT_TRUE(FormatFromName("scan.099", format));
    EXPECT_TRUE(FormatFromName("x.MDT", format));
    EXPECT_EQ(format, Format::kNtMdt);
    EXPECT_TRUE(FormatFromName("x.Spm", format));
    EXPECT_EQ(format, Format::kNanotop);
    for (const char* other :
         {"scan.100", "scan.0001", "scan.00", "scan.di", "dir.000/scan", "noext", "a.0a1"})
        EXPECT_FALSE(FormatFromName(other, format)) << other;
}
