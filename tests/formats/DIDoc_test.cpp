#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "data/NanoScopeGen.h"
#include "formats/DIDoc.h"
#include "formats/DocTypes.h"
#include "formats/ReaderFixture.h"
#include "framework/fwDocTemplate.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"

namespace {

namespace fs = std::filesystem;
using testdata::NsFile;
using testdata::NsImage;

using testreader::kPrefix;
using testreader::ReadAll;

class DIDocTest : public testreader::CReaderTest {
protected:
    fs::path Write(const NsFile& file, const std::string& name = "scan.001") {
        return WriteBytes(testdata::MakeNanoScope(file), name);
    }
    std::vector<doc::CDIDoc*> Open(const fs::path& path) { return OpenAs<doc::CDIDoc>(path); }
};

NsFile ThreeImages() {
    NsFile file;
    file.images.assign(3, NsImage{});
    file.images[0].type = "Height";
    file.images[1].type = "Phase";
    file.images[1].zScale = "10.00000";
    file.images[2].type = "Amplitude";
    file.images[2].zScale = "2.500000";
    for (int k = 0; k < 3; ++k) {
        file.images[k].seed = 7 + k;
        file.images[k].columns = 24 + k;
        file.images[k].rows = 20 - k;
    }
    return file;
}

} // namespace

TEST_F(DIDocTest, ThreeImagesOpenAsAGroupWithTheirOwnDataAndScales) {
    const NsFile file = ThreeImages();
    auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 3u);
    const char* types[] = {"Height", "Phase", "Amplitude"};
    for (int k = 0; k < 3; ++k) {
        doc::CDIDoc& d = *group[k];
        SCOPED_TRACE(k);
        EXPECT_EQ(d.image, k);
        EXPECT_EQ(d.group, 0);
        EXPECT_EQ(d.GetTitle(), L"scan.001 -" + fw::Widen(types[k]) + L"- ");
        EXPECT_EQ(d.m_rawColumns, 24 + k);
        EXPECT_EQ(d.m_rawRows, 20 - k);
        // Each image reads the data at its own section's offset.
        const auto expected = testdata::PatternSamples(24 + k, 20 - k, 7 + k);
        EXPECT_TRUE(std::equal(d.m_raw.begin(), d.m_raw.end(), expected.begin(), expected.end()));
        // The fixed range maps the lowest count to 0 and the highest to 1.
        ASSERT_EQ(d.heights.size(), d.m_raw.size());
        EXPECT_EQ(*std::min_element(d.heights.begin(), d.heights.end()), 0.0f);
        EXPECT_EQ(*std::max_element(d.heights.begin(), d.heights.end()), 1.0f);
        // "5000 2500 nm": the second number is X.
        EXPECT_STREQ(d.width.str(3), L"2.50 \u00B5m");
        EXPECT_STREQ(d.height.str(3), L"5.00 \u00B5m");
    }
    // Height: the scanner's nm per volt times the volts; Phase: the scan list's degrees per volt;
    // Amplitude: the volts themselves. The span of the counts (60000) times one count's height.
    EXPECT_NEAR(group[0]->range.cast(L"nm").value(), 60000 * 13.2283 * 440.0 / 65536, 1e-6);
    EXPECT_NEAR(group[1]->range.value(), 60000 * 18.0 * 10.0 / 65536, 1e-9);
    EXPECT_STREQ(group[1]->range.unit(), L"deg");
    EXPECT_NEAR(group[2]->range.value(), 60000 * 2.5 / 65536, 1e-12);
    EXPECT_STREQ(group[2]->range.unit(), L"V");
    EXPECT_TRUE(recorder.boxes.empty());

    // The next file is the next group, from image 0 again.
    auto next = Open(Write(NsFile{}, "other.002"));
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0]->group, 1);
    EXPECT_EQ(next[0]->image, 0);
}

TEST_F(DIDocTest, EveryRefusalHasTheReadersOwnMessage) {
    struct CCase {
        const char* what;
        std::function<void(NsFile&)> damage;
        std::wstring reason;
    };
    auto omit = [](const char* key) { return [key](NsFile& f) { f.images[0].omit.push_back(key); }; };
    auto replace = [](const char* key, const char* line) {
        return [key, line](NsFile& f) {
            f.images[0].omit.push_back(key);
            f.images[0].extraLines.push_back(line);
        };
    };
    auto at = [](const char* version, std::function<void(NsFile&)> change) {
        return [version, change](NsFile& f) {
            f.version = version;
            change(f);
        };
    };
    const std::vector<CCase> cases = {
        {"old version", [](NsFile& f) { f.version = "0x04220000"; },
         L"file format versions lower as 4.30 is not support, as yet."},
        {"no version", [](NsFile& f) { f.version.clear(); }, L"version number is inaccessible."},
        {"no image list", [](NsFile& f) { f.images.clear(); },
         L"parameter \"Ciao image list\" is inaccessible."},
        {"unterminated image list", [](NsFile& f) { f.fileListEnd = false; },
         L"occured error reading of \"Ciao image list\"."},
        {"no data offset", omit("\\Data offset:"),
         L"parameter \"\\Data offset:\" is not found in the image list."},
        {"no bytes/pixel", omit("\\Bytes/pixel:"),
         L"parameter \"\\Bytes/pixel:\" is not found in the image list."},
        {"no samples", omit("\\Samps/line:"), L"parameter \"\\Samps/line:\" is not found in the image list."},
        {"no lines", omit("\\Number of lines:"),
         L"parameter \"\\Number of lines:\" is not found in the image list."},
        {"no scan size", omit("\\Scan size:"), L"parameter \"Scan size:\" is inaccessible."},
        {"one number", replace("\\Scan size:", "\\Scan size: 5000"),
         L"parameter \"Scan size:\" is inaccessible."},
        {"one number, newer spelling", replace("\\Scan size:", "\\Scan Size: 5000"),
         L"parameter \"Scan size:\" is inaccessible."},
        {"no data type", omit("Image Data: S"), L"parameter \"Image Data: S\" is inaccessible."},
        {"no z scale", omit("Z scale: V"), L"parameter \"Z scale: V\" is inaccessible."},
        {"no volts", replace("Z scale: V", "\\@2:Z scale: V [Sens. Zscan] (0.0067 V/LSB)"),
         L"parameter \"Z scale: V\" is inaccessible."},
        {"trailing blank", [](NsFile& f) { f.images[0].type = "Height "; },
         L"Height  is unsupported format of \"Image Data\"."},
        {"lower case", [](NsFile& f) { f.images[0].type = "height"; },
         L"height is unsupported format of \"Image Data\"."},
        {"no scanner list", [](NsFile& f) { f.scannerList = false; },
         L"parameter \"\\*Scanner list\" is inaccessible."},
        {"no scan list",
         [](NsFile& f) {
             f.scanList = false;
             f.images[0].type = "Phase";
         },
         L"parameter \"\\*Ciao scan list\" is inaccessible."},
        {"no sensitivity", [](NsFile& f) { f.images[0].sensName = "Sens. Nothing"; },
         L"parameter \"\\@Sens. Nothing: V\" is inaccessible."},
        {"4 bytes per pixel", [](NsFile& f) { f.images[0].bytesPerPixel = 4; },
         L"this file format is not supported, as yet"},
        {"4 bytes per pixel before 9.2", at("0x09100000", [](NsFile& f) { f.images[0].bytesPerPixel = 4; }),
         L"this file format is not supported, as yet"},
        {"3 bytes per pixel from 9.2", at("0x09200000", [](NsFile& f) { f.images[0].bytesPerPixel = 3; }),
         L"this file format is not supported, as yet"},
        {"data length not the size from 9.2",
         at("0x09200000", replace("\\Data length:", "\\Data length: 1024")),
         L"this file format is not supported, as yet"},
        {"no data length from 9.2", at("0x09200000", omit("\\Data length:")),
         L"this file format is not supported, as yet"},
        {"32-bit data cut short",
         at("0x09200000",
            [](NsFile& f) {
                f.images[0].bytesPerPixel = 4;
                f.truncateTo = 8192 + 16 * 16 * 4 - 1;
            }),
         L"image data reach beyond the end of the file."},
        {"newer type without its sensitivity",
         [](NsFile& f) {
             f.images[0].type = "Height Sensor";
             f.images[0].sensName = "Sens. ZsensSens";
         },
         L"parameter \"\\@Sens. ZsensSens: V\" is inaccessible."},
        {"no end of header",
         [](NsFile& f) {
             f.endMark = false;
             f.images[0].samples.assign(256, 0);
         },
         L"the end of the header (byte 0x1A) is not found."},
        {"truncated", [](NsFile& f) { f.truncateTo = 8192 + 100; },
         L"image data reach beyond the end of the file."},
        {"offset far away", replace("\\Data offset:", "\\Data offset: 1099511627776"),
         L"image data reach beyond the end of the file."},
        {"negative offset", replace("\\Data offset:", "\\Data offset: -2"),
         L"image data reach beyond the end of the file."},
        {"huge image", replace("\\Number of lines:", "\\Number of lines: 2000000000"),
         L"image data reach beyond the end of the file."},
        {"no columns", replace("\\Samps/line:", "\\Samps/line: 0"), L"size of the image is incorrect."},
        {"negative rows", replace("\\Number of lines:", "\\Number of lines: -16"),
         L"size of the image is incorrect."},
        {"overflowing columns", replace("\\Samps/line:", "\\Samps/line: 99999999999999999999"),
         L"size of the image is incorrect."},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.what);
        NsFile file;
        c.damage(file);
        recorder.boxes.clear();
        EXPECT_TRUE(Open(Write(file)).empty());
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.boxes[0].text, kPrefix + c.reason);
        EXPECT_EQ(recorder.boxes[0].icon, fw::MsgIcon::None);
        EXPECT_TRUE(app.GetDocManager().GetTemplates()[0]->GetDocuments().empty());
    }
    // The lowest version taken is 4.30.
    recorder.boxes.clear();
    NsFile oldest;
    oldest.version = "0x04300000";
    EXPECT_EQ(Open(Write(oldest)).size(), 1u);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(DIDocTest, LateralUnitsAreVettedAndReplaced) {
    struct CCase {
        const char* scanSize;
        const wchar_t* width;
        bool warns;
    };
    const CCase cases[] = {
        {"10 10 ~m", L"10.0 \u00B5m", false},        {"10 10", L"10.0 \u00B5m", false},
        {"10 10 furlong", L"10.0 \u00B5m", true},    {"300 300 nm", L"300 nm", false},
        {"0.5 0.5 Angstrom", L"0.50 \u00C5", false},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.scanSize);
        NsFile file;
        file.images[0].scanSize = c.scanSize;
        recorder.boxes.clear();
        auto group = Open(Write(file));
        ASSERT_EQ(group.size(), 1u);
        EXPECT_STREQ(group[0]->width.str(3), c.width);
        if (c.warns) {
            ASSERT_EQ(recorder.boxes.size(), 1u);
            EXPECT_EQ(recorder.boxes[0].text,
                      L"furlong - is unsupported unit of measurement\n        on XY-coordinate.\n"
                      L"        Avoid of incorrect working of the application,\n"
                      L"        it will be replaced with \"\u00B5m\".");
            EXPECT_EQ(recorder.boxes[0].icon, fw::MsgIcon::Exclamation);
        } else {
            EXPECT_TRUE(recorder.boxes.empty());
        }
        CloseAll();
    }
}

// The newer files' types take their sensitivity from the scanner list, else the scan list, and their
// unit from the header.
TEST_F(DIDocTest, NewerTypesScaleByTheirSensitivityAndUnits) {
    struct CCase {
        const char* what;
        const char* type;
        std::vector<std::string> scanner, scan; // sensitivity lines of "Sens. X"
        const char* zScale;
        const char* zUnit;
        double full; // F in unit; 0 when refused
        const wchar_t* unit;
    };
    const std::wstring unsupported = L" is unsupported format of \"Image Data\".";
    const CCase cases[] = {
        {"scanner list first",
         "Deflection",
         {"\\@Sens. X: V 2 nm/V"},
         {"\\@Sens. X: V 3 nm/V"},
         "10",
         "V",
         20,
         L"nm"},
        {"then the scan list", "Height Sensor", {}, {"\\@Sens. X: V 3 nm/V"}, "10", "V", 30, L"nm"},
        {"no unit: the volts' own",
         "Amplitude Error",
         {},
         {"\\@Sens. X: V 1.000000 "},
         "2000",
         "mV",
         2000,
         L"mV"},
        {"prefixed volts", "Amplitude Error", {}, {"\\@Sens. X: V 62 nm/V"}, "2000", "mV", 124, L"nm"},
        {"~ is micro", "Peak Force Error", {}, {"\\@Sens. X: V 0.5 ~m/V"}, "10", "V", 5, L"\u00B5m"},
        {"degree sign", "Deflection", {}, {"\\@Sens. X: V 2"}, "90", "\xB0", 180, L"deg"},
        {"force", "Peak Force Error", {}, {"\\@Sens. X: V 1 nN/V"}, "10", "V", 0, nullptr},
        {"unknown unit", "Deflection", {}, {"\\@Sens. X: V 1 furlong/V"}, "10", "V", 0, nullptr},
        {"other volts", "Deflection", {}, {"\\@Sens. X: V 1 nm/A"}, "10", "V", 0, nullptr},
        {"no slash", "Deflection", {}, {"\\@Sens. X: V 1 nm"}, "10", "V", 0, nullptr},
        {"volts of no unit", "Deflection", {}, {"\\@Sens. X: V 1"}, "10", "Arb", 0, nullptr},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.what);
        NsFile file;
        file.images[0].type = c.type;
        file.images[0].sensName = "Sens. X";
        file.images[0].zScale = c.zScale;
        file.images[0].zUnit = c.zUnit;
        file.scannerLines = c.scanner;
        file.scanLines = c.scan;
        recorder.boxes.clear();
        auto group = Open(Write(file));
        if (c.full == 0) {
            EXPECT_TRUE(group.empty());
            ASSERT_EQ(recorder.boxes.size(), 1u);
            EXPECT_EQ(recorder.boxes[0].text, kPrefix + fw::Widen(c.type) + unsupported);
            continue;
        }
        ASSERT_EQ(group.size(), 1u);
        EXPECT_TRUE(recorder.boxes.empty());
        ph::Size range = group[0]->range;
        // The pattern's counts span 60000 of the 65536 that F stands for.
        EXPECT_NEAR(range.cast(c.unit).value(), c.full * 60000 / 65536, c.full * 1e-9);
        CloseAll();
    }
}

TEST_F(DIDocTest, NewerFilesSpellScanSizeWithACapital) {
    NsFile file;
    file.images.assign(2, NsImage{});
    file.images[0].omit.push_back("\\Scan size:");
    file.images[0].extraLines.push_back("\\Scan Size: 10 10 ~m");
    // Both spellings: the usual one is taken.
    file.images[1].extraLines.push_back("\\Scan Size: 10 10 ~m");
    auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 2u);
    EXPECT_STREQ(group[0]->width.str(3), L"10.0 \u00B5m");
    EXPECT_STREQ(group[1]->width.str(3), L"2.50 \u00B5m");
}

TEST(DINarrowCounts, ShiftsBySmallestFitAndCentres) {
    struct CCase {
        std::vector<std::int32_t> in;
        int shift;
        std::vector<std::int16_t> out;
    };
    const CCase cases[] = {
        {{5, 5}, 0, {0, 0}},
        {{0, 65535, 1}, 0, {-32768, 32767, -32767}},
        {{0, 65536}, 1, {-16384, 16384}},
        {{-3000000, 2000000, 0}, 7, {-19532, 19531, 3906}},
        {{INT32_MIN, INT32_MAX, -1}, 16, {-32768, 32767, -1}},
    };
    for (const CCase& c : cases) {
        std::vector<std::int16_t> out(c.in.size());
        EXPECT_EQ(doc::NarrowCounts(c.in.data(), c.in.size(), out.data()), c.shift);
        EXPECT_EQ(out, c.out);
    }
}

TEST_F(DIDocTest, ThirtyTwoBitImagesOpenNarrowedAndAreNeverSaved) {
    NsFile file;
    file.version = "0x09200000";
    file.images.assign(2, NsImage{});
    file.images[0].bytesPerPixel = 4;
    file.images[0].columns = 3;
    file.images[0].rows = 2;
    file.images[0].wideSamples = {-3000000, 2000000, 0, 1000, -1000, 128};
    file.images[1].type = "Height Sensor";
    const fs::path source = Write(file, "wide.001");
    auto group = Open(source);
    ASSERT_EQ(group.size(), 2u);
    doc::CDIDoc& wide = *group[0];
    // Span 5000000: shifted by 7 bits, centred.
    const std::vector<std::int16_t> narrowed = {-19532, 19531, 3906, 3913, 3898, 3907};
    EXPECT_TRUE(std::equal(wide.m_raw.begin(), wide.m_raw.end(), narrowed.begin(), narrowed.end()));
    const auto wideRaw = wide.m_raw;
    const double full = 13.2283 * 440.0; // nm
    EXPECT_DOUBLE_EQ(wide.m_dHeightStep, full * 128 / 4294967296.0);
    ph::Size range = wide.range;
    EXPECT_NEAR(range.cast(L"nm").value(), full * 5000000 / 4294967296.0, full * 128 / 4294967296.0);

    // Its 16-bit counts would not fit the 32-bit place: the save fails and the target is kept.
    const fs::path target = dir / "target.001";
    testdata::WriteFile(target.string(), "keep me");
    EXPECT_FALSE(wide.DoSave(fw::FromUtf8(target.string())));
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, kPrefix + L"this file format is not supported, as yet");
    EXPECT_EQ(ReadAll(target), "keep me");

    // The file's 16-bit image saves and reads back as any other.
    recorder.boxes.clear();
    doc::CDIDoc& narrow = *group[1];
    const auto heights = narrow.heights;
    const ph::Size span = narrow.range;
    ASSERT_TRUE(narrow.DoSave(fw::FromUtf8(target.string())));
    EXPECT_TRUE(recorder.boxes.empty());
    CloseAll();
    auto reopened = Open(target);
    ASSERT_EQ(reopened.size(), 2u);
    ASSERT_EQ(reopened[1]->heights.size(), heights.size());
    for (std::size_t i = 0; i < heights.size(); ++i)
        ASSERT_NEAR(reopened[1]->heights[i], heights[i], 1.0 / 65535) << i;
    EXPECT_NEAR(reopened[1]->range.value(), span.value(), span.value() * 1e-4);
    EXPECT_TRUE(reopened[0]->m_raw == wideRaw);
}

TEST_F(DIDocTest, ALaterImageThatIsRefusedLeavesTheEarlierOnesOpen) {
    NsFile file = ThreeImages();
    file.images[1].type = "Friction";
    auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 1u);
    EXPECT_EQ(group[0]->image, 0);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, kPrefix + L"Friction is unsupported format of \"Image Data\".");
    auto next = Open(Write(NsFile{}, "next.003"));
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0]->group, 1);
}

TEST_F(DIDocTest, SaveAsRewritesOnlyTheImageAndItsZScale) {
    NsFile file = ThreeImages();
    file.padding = 0x5A; // recognisable bytes between the header and the data
    file.trailer = "opaque trailer \x01\x02";
    const fs::path source = Write(file);
    auto group = Open(source);
    ASSERT_EQ(group.size(), 3u);
    doc::CDIDoc& d = *group[1];
    const auto rawBefore = d.m_raw;
    const auto heightsBefore = d.heights;
    const double rangeBefore = d.range.value();
    const std::string volts = d.m_strScaleValue;

    const fs::path target = dir / "saved.010";
    ASSERT_TRUE(d.OnFileSaveAs(fw::FromUtf8(target.string())));
    EXPECT_TRUE(recorder.boxes.empty());
    for (doc::CDIDoc* member : group)
        EXPECT_EQ(member->GetPathName(), fw::FromUtf8(target.string()));

    // The document keeps what it read: a command after saving works from the same raw grid.
    EXPECT_TRUE(d.m_raw == rawBefore);
    d.OnCommand(doc::ID_FILTER_NONE);
    EXPECT_TRUE(d.heights == heightsBefore);

    const std::string before = ReadAll(source);
    const std::string after = ReadAll(target);
    ASSERT_EQ(after.size(), before.size());
    const std::size_t markBefore = before.find('\x1A');
    const std::size_t markAfter = after.find('\x1A');
    // The Z scale of image 1 is its volts over q = F / range, written with 7 significant digits.
    const double q = (ph::Size(d.m_dFullScale, d.m_strHeightUnit.c_str()) / d.range).value();
    std::ostringstream patched;
    patched.precision(7);
    patched << std::atof(volts.c_str()) / q;
    std::string expectedHeader = before.substr(0, markBefore);
    const std::size_t section = static_cast<std::size_t>(doc::FindImageSection(expectedHeader, 1));
    const std::size_t at = expectedHeader.find(volts, expectedHeader.find("Z scale: V", section));
    expectedHeader.replace(at, volts.size(), patched.str());
    EXPECT_TRUE(after.substr(0, markAfter) == expectedHeader);

    // Every byte after the new 0x1A and outside the image is the source's byte at the same offset.
    const std::size_t offset = static_cast<std::size_t>(d.m_llDataOffset);
    const std::size_t length = d.m_raw.size() * 2;
    for (std::size_t i = markAfter + 1; i < after.size(); ++i) {
        if (i < offset || i >= offset + length) {
            ASSERT_EQ(after[i], before[i]) << "byte " << i;
        }
    }

    // Reopened, the image is the same surface within one count, with the same physical range.
    CloseAll();
    auto reopened = Open(target);
    ASSERT_EQ(reopened.size(), 3u);
    const doc::CDIDoc& r = *reopened[1];
    ASSERT_EQ(r.heights.size(), heightsBefore.size());
    for (std::size_t i = 0; i < heightsBefore.size(); ++i)
        ASSERT_NEAR(r.heights[i], heightsBefore[i], 1.0 / 65535) << i;
    EXPECT_EQ(*std::min_element(r.m_raw.begin(), r.m_raw.end()), -32767);
    EXPECT_EQ(*std::max_element(r.m_raw.begin(), r.m_raw.end()), 32767);
    EXPECT_NEAR(r.range.value(), rangeBefore, rangeBefore * 1e-4);
    // The other images are untouched.
    const auto first = testdata::PatternSamples(24, 20, 7);
    const auto third = testdata::PatternSamples(26, 18, 9);
    EXPECT_TRUE(std::equal(reopened[0]->m_raw.begin(), reopened[0]->m_raw.end(), first.begin(), first.end()));
    EXPECT_TRUE(std::equal(reopened[2]->m_raw.begin(), reopened[2]->m_raw.end(), third.begin(), third.end()));
}

TEST_F(DIDocTest, SavingOntoItselfWorksAndAFailedSaveLosesNothing) {
    const fs::path path = Write(NsFile{});
    auto group = Open(path);
    ASSERT_EQ(group.size(), 1u);
    const auto heights = group[0]->heights;
    recorder.answers = {fw::MsgAnswer::Yes}; // replace the measurement, when asked
    ASSERT_TRUE(group[0]->DoFileSave());
    EXPECT_EQ(recorder.boxes.size(), 1u); // the question, and nothing more
    recorder.boxes.clear();
    CloseAll();
    group = Open(path);
    ASSERT_EQ(group.size(), 1u);
    ASSERT_EQ(group[0]->heights.size(), heights.size());
    for (std::size_t i = 0; i < heights.size(); ++i)
        ASSERT_NEAR(group[0]->heights[i], heights[i], 1.0 / 65535) << i;

    // The source has gone: the save fails before the target is touched.
    const fs::path target = dir / "target.001";
    testdata::WriteFile(target.string(), "keep me");
    fs::rename(path, dir / "moved.001");
    EXPECT_FALSE(group[0]->DoSave(fw::FromUtf8(target.string())));
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, kPrefix + L"I//O error occurred.");
    EXPECT_EQ(ReadAll(target), "keep me");
    EXPECT_EQ(group[0]->GetPathName(), fw::FromUtf8(path.string()));
}

TEST_F(DIDocTest, AHeaderThatWouldGrowIntoTheImageIsNotSaved) {
    // A header that fills its space to the last byte: any longer Z scale text cannot fit.
    NsFile file;
    file.images[0].zScale = "1";
    const std::string probe = testdata::MakeNanoScope(file);
    const std::size_t free = file.headerSize - 1 - probe.find('\x1A');
    file.images[0].extraLines.push_back("\\Note: " + std::string(free - 2 - 7, 'x'));
    const fs::path path = Write(file);
    ASSERT_EQ(ReadAll(path).find('\x1A'), file.headerSize - 1);
    auto group = Open(path);
    ASSERT_EQ(group.size(), 1u);
    group[0]->range = group[0]->range * 3.0; // any change of range gives a longer volts text than "1"

    const std::string before = ReadAll(path);
    recorder.answers = {fw::MsgAnswer::Yes}; // replace the measurement, when asked
    EXPECT_FALSE(group[0]->DoFileSave());
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[1].text, kPrefix + L"the changed header does not fit before the image data.");
    EXPECT_TRUE(ReadAll(path) == before);
}

TEST_F(DIDocTest, RealFilesOpenEveryImageWithItsSizesAndHeights) {
    struct CImage {
        const char* type;
        int side;       // columns and rows
        double widthNm; // X and Y
        double range;   // the span of the counts, in unit
        const wchar_t* unit;
    };
    struct CCase {
        const char* file;
        std::vector<CImage> images;
    };
    // The spans are Gwyddion 2.62's, but for the mV of the Amplitude Error and Peak Force Error
    // images, which it shows as V.
    const CCase cases[] = {
        {"scilab4spm__data1.007",
         {{"Height", 256, 2000, 56.433444, L"nm"}, {"Amplitude", 256, 2000, 523.852855, L"mV"}}},
        {"SurfaceTopography__di-1.di",
         {{"Height", 512, 500, 59.1985694, L"nm"},
          {"Height", 512, 500, 428.175946, L"nm"},
          {"Phase", 512, 500, 39.5776424, L"deg"},
          {"Amplitude Error", 512, 500, 117.246747, L"mV"}}},
        {"SurfaceTopography__di-2.di",
         {{"Height", 512, 300, 110.896809, L"nm"},
          {"Height", 512, 300, 110.23694, L"nm"},
          {"Deflection", 512, 300, 4.10820258, L"nm"}}},
        {"SurfaceTopography__di-3.di",
         {{"Height Sensor", 256, 10000, 1210.13062, L"nm"},
          {"Amplitude Error", 256, 10000, 84.9596348, L"mV"},
          {"Phase", 256, 10000, 36.8256093, L"deg"},
          {"Height", 256, 10000, 1414.48329, L"nm"}}},
        {"SurfaceTopography__di-4.di",
         {{"Height Sensor", 512, 10000, 481.149855, L"nm"},
          {"Amplitude Error", 512, 10000, 9.79519729, L"nm"},
          {"Phase", 512, 10000, 48.2622021, L"deg"}}},
        // 32-bit samples: narrowed by 6 and 7 bits, within 1e-5 of Gwyddion's full counts.
        {"SurfaceTopography__di-5.di",
         {{"Height Sensor", 512, 1000, 25.6764648, L"nm"},
          {"Peak Force Error", 512, 1000, 23.4107094, L"mV"}}},
        {"SurfaceTopography__di-6.di",
         {{"Height", 512, 10000, 123.890308, L"nm"},
          {"Height", 512, 10000, 109.059349, L"nm"},
          {"Phase", 512, 10000, 56.7984486, L"deg"},
          {"Amplitude Error", 512, 10000, 1148.90826, L"mV"}}},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.file);
        recorder.boxes.clear();
        auto group = Open(fs::path(VANTRI_TEST_DATA) / "real" / c.file);
        ASSERT_EQ(group.size(), c.images.size());
        for (std::size_t k = 0; k < group.size(); ++k) {
            SCOPED_TRACE(k);
            const doc::CDIDoc& d = *group[k];
            const CImage& expected = c.images[k];
            EXPECT_EQ(d.m_strType, expected.type);
            EXPECT_EQ(d.columns, expected.side);
            EXPECT_EQ(d.rows, expected.side);
            ph::Size width = d.width, height = d.height, range = d.range;
            EXPECT_NEAR(width.cast(L"nm").value(), expected.widthNm, 1e-9);
            EXPECT_NEAR(height.cast(L"nm").value(), expected.widthNm, 1e-9);
            EXPECT_NEAR(range.cast(expected.unit).value(), expected.range, expected.range * 2e-5);
        }
        EXPECT_TRUE(recorder.boxes.empty());
        CloseAll();
    }
}

TEST_F(DIDocTest, EverySurfaceSettingRunsAndUndoingItGivesBackTheFirstGrid) {
    NsFile file;
    file.images[0].columns = 40;
    file.images[0].rows = 33;
    auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 1u);
    doc::CDIDoc& d = *group[0];
    const auto first = d.heights;
    const int settings[] = {
        doc::ID_JUMPS,           doc::ID_FLAT_Y,           doc::ID_FLAT_X,           doc::ID_FLAT_YX,
        doc::ID_PLANE_PLANE,     doc::ID_PLANE_PARABOLA_X, doc::ID_PLANE_PARABOLA_Y, doc::ID_PLANE_PARABOLOID,
        doc::ID_MORPH_DILATE3,   doc::ID_MORPH_ERODE3,     doc::ID_FILTER_MEAN3,     doc::ID_FILTER_MEDIAN5,
        doc::ID_FILTER_LAPLACE5, doc::ID_FILTER_SHARPEN};
    for (int id : settings) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(d.OnCommand(id));
        EXPECT_TRUE(d.IsModified());
        for (float v : d.heights)
            ASSERT_TRUE(v >= 0.0f && v <= 1.0f);
        // Undo: toggle again, or choose the group's None.
        int undo = doc::ID_FILTER_NONE;
        switch (id) {
        case doc::ID_JUMPS:
            undo = doc::ID_JUMPS;
            break;
        case doc::ID_FLAT_Y:
        case doc::ID_FLAT_X:
        case doc::ID_FLAT_YX:
            undo = doc::ID_FLAT_NONE;
            break;
        case doc::ID_PLANE_PLANE:
        case doc::ID_PLANE_PARABOLA_X:
        case doc::ID_PLANE_PARABOLA_Y:
        case doc::ID_PLANE_PARABOLOID:
            undo = doc::ID_PLANE_NONE;
            break;
        case doc::ID_MORPH_DILATE3:
        case doc::ID_MORPH_ERODE3:
            undo = doc::ID_MORPH_NONE;
            break;
        default:
            break;
        }
        ASSERT_TRUE(d.OnCommand(undo));
        EXPECT_TRUE(d.heights == first);
        if (undo != doc::ID_JUMPS) {
            EXPECT_FALSE(d.IsModified());
        }
    }
    EXPECT_TRUE(recorder.boxes.empty());

    // Normalize stretches once and keeps its offset and span for later runs.
    ASSERT_TRUE(d.OnCommand(doc::ID_FILTER_GAUSS3));
    ASSERT_TRUE(d.OnCommand(doc::ID_NORMALIZE));
    EXPECT_FALSE(d.m_normalize.pending);
    const auto [lo, hi] = std::minmax_element(d.heights.begin(), d.heights.end());
    EXPECT_EQ(*lo, 0.0f);
    EXPECT_NEAR(*hi, 1.0f, 1e-6);
}

TEST_F(DIDocTest, AFailingFilterShowsItsStatusAndTheChainGoesOn) {
    auto group = Open(Write(NsFile{}));
    ASSERT_EQ(group.size(), 1u);
    doc::CDIDoc& d = *group[0];
    const auto first = d.heights;
    d.m_filter.kernel = {4, 3, 1, 1}; // an even median: refused by the primitive
    d.m_filter.type = doc::FilterType::MedianCustom;
    d.Reprocess();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, L"Invalid mask size");
    EXPECT_TRUE(d.heights == first);
}

TEST_F(DIDocTest, DegenerateScansRunEverySettingWithoutLeavingTheUnitRange) {
    struct CCase {
        int columns, rows;
        std::vector<std::int16_t> samples; // empty: the generator's pattern
    };
    const std::vector<CCase> cases = {
        {1, 1, {}},
        {1, 7, {}},
        {7, 1, {}},
        {2, 2, {}},
        {5, 4, std::vector<std::int16_t>(20, 1234)},   // constant
        {6, 6, std::vector<std::int16_t>(36, -32768)}, // the lower end
        {4, 3, {-32768, 32767, -32768, 32767, 32767, -32768, 32767, -32768, -32768, 32767, -32768, 32767}},
    };
    const int settings[] = {doc::ID_JUMPS,
                            doc::ID_FLAT_YX,
                            doc::ID_PLANE_PLANE,
                            doc::ID_PLANE_PARABOLOID,
                            doc::ID_PLANE_PARABOLA_X,
                            doc::ID_MORPH_DILATE3,
                            doc::ID_FILTER_MEDIAN5,
                            doc::ID_FILTER_LAPLACE5,
                            doc::ID_FILTER_SHARPEN,
                            doc::ID_NORMALIZE,
                            doc::ID_MORPH_ERODE3,
                            doc::ID_FILTER_MEAN7};
    for (const CCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + "x" + std::to_string(c.rows));
        NsFile file;
        file.images[0].columns = c.columns;
        file.images[0].rows = c.rows;
        file.images[0].samples = c.samples;
        auto group = Open(Write(file));
        ASSERT_EQ(group.size(), 1u);
        doc::CDIDoc& d = *group[0];
        for (int id : settings) {
            ASSERT_TRUE(d.OnCommand(id));
            ASSERT_EQ(d.heights.size(), static_cast<std::size_t>(c.columns) * c.rows);
            for (float v : d.heights)
                ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << id << ": " << v;
            ASSERT_TRUE(std::isfinite(d.range.value())) << id;
        }
        EXPECT_TRUE(recorder.boxes.empty());
        // What the chain made can be saved and read again.
        recorder.answers = {fw::MsgAnswer::Yes}; // replace the measurement, when asked
        ASSERT_TRUE(d.DoFileSave());
        recorder.boxes.clear();
        CloseAll();
        EXPECT_EQ(Open(dir / "scan.001").size(), 1u);
        CloseAll();
    }
}

TEST_F(DIDocTest, EverySaveFindsTheZScaleInItsOwnImagesSection) {
    // Three images with the same Z scale text, as trace and retrace pairs often have.
    NsFile file;
    file.images.assign(3, NsImage{});
    for (int k = 0; k < 3; ++k)
        file.images[k].seed = 3 + k;
    const fs::path source = Write(file);
    auto group = Open(source);
    ASSERT_EQ(group.size(), 3u);
    doc::CDIDoc& d = *group[1];
    d.OnCommand(doc::ID_PLANE_PLANE);
    const fs::path target = dir / "saved.002";
    ASSERT_TRUE(d.OnFileSaveAs(fw::FromUtf8(target.string())));
    const std::string once = ReadAll(target);
    // Saved again, and again after another change: the other images' volts never move, and image 1's
    // follow its own surface.
    ASSERT_TRUE(d.DoFileSave());
    EXPECT_EQ(ReadAll(target), once);
    d.OnCommand(doc::ID_FILTER_MEAN5);
    ASSERT_TRUE(d.DoFileSave());
    EXPECT_TRUE(recorder.boxes.empty());

    const std::string saved = ReadAll(target);
    const std::string header = saved.substr(0, saved.find('\x1A'));
    auto volts = [&](int k) {
        const std::size_t section = static_cast<std::size_t>(doc::FindImageSection(header, k));
        const std::size_t line = header.find("Z scale: V", section);
        const std::size_t at = header.find(')', line) + 2;
        return header.substr(at, header.find(' ', at) - at);
    };
    EXPECT_EQ(volts(0), "440.0000");
    EXPECT_EQ(volts(2), "440.0000");
    EXPECT_NE(volts(1), "440.0000");
    // Reopened, the surface keeps its physical height: its span of the saved range.
    const auto [lo, hi] = std::minmax_element(d.heights.begin(), d.heights.end());
    const ph::Size span = d.range * static_cast<double>(*hi - *lo);
    CloseAll();
    auto reopened = Open(target);
    ASSERT_EQ(reopened.size(), 3u);
    EXPECT_NEAR(reopened[1]->range.cast(span.unit()).value(), span.value(), span.value() * 1e-4);
}

TEST_F(DIDocTest, AHeaderLongerThanOneMebibyteIsRefused) {
    NsFile file;
    // A comment line puts the end of the header past the first MiB.
    file.images[0].extraLines.push_back("\\@Note: " + std::string(doc::CDIDoc::kMaxHeader, 'n'));
    const fs::path path = Write(file);
    EXPECT_TRUE(Open(path).empty());
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text,
              kPrefix + L"the end of the header (byte 0x1A) is not found in its first 1 MiB.");
}

TEST_F(DIDocTest, AFileOfManyImagesOpensItsFirst256OnceEach) {
    NsFile file;
    file.images.assign(300, NsImage{});
    for (auto& image : file.images)
        image.columns = image.rows = 2;
    auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 256u);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text,
              L"Only the first 256 images of this file are opened; 44 images are left out.");
    // The header was read once for the whole group.
    for (doc::CDIDoc* d : group)
        EXPECT_EQ(&d->Header(), &group[0]->Header());
    EXPECT_EQ(group[255]->image, 255);
    // The next file gets a group of its own.
    auto next = Open(Write(NsFile{}, "next.000"));
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0]->group, group[0]->group + 1);
}
