#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "data/NtMdtGen.h"
#include "formats/NTMDTDoc.h"
#include "formats/ReaderFixture.h"
#include "model/SurfaceCommands.h"
#include "model/VantriDocTemplate.h"

namespace {

namespace fs = std::filesystem;
using testdata::MdtFile;
using testdata::MdtFrame;
using testreader::kPrefix;
using testreader::ReadAll;

class NTMDTDocTest : public testreader::CReaderTest {
protected:
    fs::path Write(const MdtFile& file, const std::string& name = "scan.mdt") {
        return WriteBytes(testdata::MakeNtMdt(file), name);
    }
    std::vector<doc::CNTMDTDoc*> Open(const fs::path& path) { return OpenAs<doc::CNTMDTDoc>(path); }
    doc::CVantriDocTemplate& Template() {
        return *dynamic_cast<doc::CVantriDocTemplate*>(app.GetDocManager().GetTemplates()[2]);
    }
    // Opens a file that must fail: no document, one box with the reason.
    void ExpectRefused(const fs::path& path, const std::wstring& reason, const char* what) {
        recorder.boxes.clear();
        EXPECT_TRUE(Open(path).empty()) << what;
        ASSERT_EQ(recorder.boxes.size(), 1u) << what;
        EXPECT_EQ(recorder.boxes[0].text, kPrefix + reason) << what;
        EXPECT_TRUE(Template().GetDocuments().empty()) << what;
        CloseAll();
    }
};

MdtFrame Frame(int type, int columns = 12, int rows = 9, std::uint32_t seed = 1) {
    MdtFrame f;
    f.type = type;
    f.columns = columns;
    f.rows = rows;
    f.seed = seed;
    return f;
}

float Z(const std::string& bytes, std::size_t frameOffset, std::size_t at) {
    float v;
    std::memcpy(&v, bytes.data() + frameOffset + testdata::kMdtFrameHeader + at, 4);
    return v;
}

} // namespace

TEST_F(NTMDTDocTest, FramesOpenAsOneGroupTitledByFrameNumber) {
    MdtFile file;
    file.frames = {Frame(0, 12, 9, 3), Frame(0, 20, 7, 4), Frame(0, 5, 6, 5)};
    file.frames[1].extraBytes = 13;
    file.frames[1].dots = 2; // a point block lies between the image header and the image
    file.frames[2].zStep = 0.5f;
    const auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        doc::CNTMDTDoc& d = *group[static_cast<std::size_t>(k)];
        EXPECT_EQ(d.image, k);
        EXPECT_EQ(d.group, group[0]->group);
        EXPECT_EQ(d.GetTitle(), L"scan.mdt -" + std::to_wstring(k + 1) + L"- ");
        const MdtFrame& f = file.frames[static_cast<std::size_t>(k)];
        EXPECT_EQ(d.m_rawColumns, f.columns);
        EXPECT_EQ(d.m_rawRows, f.rows);
        const auto samples = testdata::PatternSamples(f.columns, f.rows, f.seed);
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), d.m_raw.begin(), d.m_raw.end()));
        EXPECT_EQ(d.m_extra.size(), static_cast<std::size_t>(f.extraBytes));
        EXPECT_EQ(d.m_dots.size(), f.dots ? 14u + 16 * f.dots : 0u);
    }
    // The pattern spans -30000..30000 of the fixed 65535 counts.
    EXPECT_NEAR(group[2]->range.cast(L"nm").value(), 0.5 * 60000, 1e-6 * 30000);
    EXPECT_TRUE(recorder.boxes.empty());
    CloseAll();

    const auto single = Open(Write(MdtFile{}, "one.mdt"));
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0]->GetTitle(), L"one.mdt");
    EXPECT_EQ(single[0]->image, 0);
}

TEST_F(NTMDTDocTest, SizesFollowTheAxisStepsUnitsAndCrop) {
    MdtFile file;
    file.frames[0] = Frame(0, 512, 8);
    file.frames[0].xStep = 0.01f;
    file.frames[0].xUnit = -2;
    file.frames[0].yUnit = -1;
    file.frames[0].yStep = 2.0f;
    const auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 1u);
    doc::CNTMDTDoc& d = *group[0];
    EXPECT_STREQ(d.width.unit(), L"\u00B5m");
    EXPECT_NEAR(d.width.value(), 5.12, 1e-6);
    EXPECT_NEAR(d.height.cast(L"nm").value(), 16.0, 1e-6);
    d.m_preprocessor.SetMargins(3, 0, 3, 0);
    d.Reprocess();
    EXPECT_EQ(d.columns, 506);
    EXPECT_NEAR(d.width.cast(L"\u00B5m").value(), 5.06, 1e-6);
}

TEST_F(NTMDTDocTest, UnitsTheApplicationCannotMeasureInBecomeNanometresWithOneWarning) {
    MdtFile file;
    file.frames[0].xUnit = -4; // cm
    file.frames[0].zUnit = 99; // not a code
    file.frames[0].xStep = 3.0f;
    const auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 1u);
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[0].text,
              L" Unsupported unit of measurement\n on X-coordinates.\n Avoid of incorrect "
              L"working of the application,\n it will be replaced with \"nm\".");
    EXPECT_EQ(recorder.boxes[0].icon, fw::MsgIcon::Exclamation);
    EXPECT_NE(recorder.boxes[1].text.find(L"on Z-coordinates."), std::wstring::npos);
    EXPECT_NEAR(group[0]->width.cast(L"nm").value(), 3.0 * 16, 1e-6);
    // Commands re-run the chain without asking again.
    group[0]->OnCommand(doc::ID_FILTER_MEAN3);
    EXPECT_EQ(recorder.boxes.size(), 2u);

    std::wstring text;
    for (int code : {-10, -4, 3, 13, 14, 29, 34, 8, 23, 25})
        EXPECT_NE(doc::NtMdtUnitText(code), nullptr) << code;
    for (int code : {-6, 15, 19, 35})
        EXPECT_EQ(doc::NtMdtUnitText(code), nullptr) << code;
    int code = 0;
    EXPECT_TRUE(doc::NtMdtUnitCode(L"V", code));
    EXPECT_EQ(code, 2); // the first of 2, 8 and 25
    EXPECT_TRUE(doc::NtMdtUnitCode(L"nA", code));
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(doc::NtMdtUnitCode(L"s", code));
}

TEST_F(NTMDTDocTest, DamagedFilesFailWithTheirReason) {
    struct CCase {
        const char* what;
        std::function<void(MdtFile&)> damage;
        std::wstring reason;
    };
    const std::vector<CCase> cases = {
        {"signature", [](MdtFile& f) { f.signature = 0xFF93B002u; }, L"it is not NT-MDT file."},
        {"shorter than the header", [](MdtFile& f) { f.truncateTo = 20; }, L"it is not NT-MDT file."},
        {"no frames", [](MdtFile& f) { f.lastFrameIndex = -2; }, L"it holds no frames."},
        {"refused type", [](MdtFile& f) { f.frames[0].type = 1; },
         L"this type of frame is not supported as yet."},
        {"unknown type", [](MdtFile& f) { f.frames[0].type = 106; }, L"have unknown type of Frame."},
        {"frame beyond the file", [](MdtFile& f) { f.frames[0].frameSize = 1 << 30; },
         L"frame 1 does not fit in the file."},
        {"frame shorter than its header", [](MdtFile& f) { f.frames[0].frameSize = 21; },
         L"frame 1 does not fit in the file."},
        {"negative frame size", [](MdtFile& f) { f.frames[0].frameSize = -5; },
         L"frame 1 does not fit in the file."},
        {"truncated", [](MdtFile& f) { f.truncateTo = 200; }, L"frame 1 does not fit in the file."},
        {"short parameter block", [](MdtFile& f) { f.frames[0].varSize = 106; },
         L"the size of the frame's parameter block is incorrect."},
        {"parameter block beyond the frame", [](MdtFile& f) { f.frames[0].varSize = 65535; },
         L"the size of the frame's parameter block is incorrect."},
        {"image beyond the frame", [](MdtFile& f) { f.frames[0].imageRowsField = 17; },
         L"the image does not fit in its frame."},
        {"point block beyond the frame",
         [](MdtFile& f) {
             f.frames[0].dots = 1;
             f.frames[0].frameSize = static_cast<long long>(testdata::MdtFrameBytes(f.frames[0])) - 1;
         },
         L"the image does not fit in its frame."},
        {"empty image", [](MdtFile& f) { f.frames[0].imageColumnsField = 0; },
         L"size of the image is incorrect."},
        {"only text frames",
         [](MdtFile& f) {
             f.frames = {Frame(3), Frame(3)};
         },
         L"it holds no frame of a scanned image."},
        // Steps that cannot scale a surface.
        {"X step 0", [](MdtFile& f) { f.frames[0].xStep = 0.0f; },
         L"the step on X-coordinates is incorrect."},
        {"Y step negative", [](MdtFile& f) { f.frames[0].yStep = -0.5f; },
         L"the step on Y-coordinates is incorrect."},
        {"X step infinite", [](MdtFile& f) { f.frames[0].xStep = INFINITY; },
         L"the step on X-coordinates is incorrect."},
        {"Z step not a number", [](MdtFile& f) { f.frames[0].zStep = NAN; },
         L"the step on Z-coordinates is incorrect."},
        {"Z step 0", [](MdtFile& f) { f.frames[0].zStep = 0.0f; },
         L"the step on Z-coordinates is incorrect."},
    };
    for (const CCase& c : cases) {
        MdtFile file;
        c.damage(file);
        ExpectRefused(Write(file), c.reason, c.what);
        EXPECT_EQ(Template().m_nImage, 0) << c.what;
    }
    // The frame count was larger than the file: the frames present open, the missing one is reported.
    MdtFile more;
    more.lastFrameIndex = 1;
    recorder.boxes.clear();
    EXPECT_EQ(Open(Write(more)).size(), 1u);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, kPrefix + L"frame 2 does not fit in the file.");
}

TEST_F(NTMDTDocTest, TextFramesArePassedOverAndTheNextFileStartsAFreshGroup) {
    MdtFile file;
    file.frames = {Frame(3), Frame(0, 8, 8, 2), Frame(3), Frame(3), Frame(0, 6, 6, 3), Frame(3)};
    const auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 2u);
    EXPECT_EQ(group[0]->image, 1);
    EXPECT_EQ(group[1]->image, 4);
    EXPECT_EQ(group[0]->GetTitle(), L"scan.mdt -2- ");
    EXPECT_EQ(group[1]->GetTitle(), L"scan.mdt -5- ");
    EXPECT_EQ(group[1]->m_rawColumns, 6);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(app.TakeArrangeMark(), group[0]); // the group is arranged from its first document

    const auto next = Open(Write(MdtFile{}, "next.mdt"));
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0]->image, 0);
    EXPECT_EQ(next[0]->group, group[0]->group + 1);

    // A refused frame in the middle ends its group; what opened stays open.
    MdtFile refused;
    refused.frames = {Frame(0), Frame(1), Frame(0)};
    recorder.boxes.clear();
    const auto partial = Open(Write(refused, "partial.mdt"));
    ASSERT_EQ(partial.size(), 1u);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, kPrefix + L"this type of frame is not supported as yet.");
    const auto after = Open(Write(MdtFile{}, "after.mdt"));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0]->image, 0);
    EXPECT_EQ(after[0]->group, partial[0]->group + 1);
}

TEST_F(NTMDTDocTest, SaveAsRewritesOnlyTheImageAndTheHeightStep) {
    MdtFile file;
    file.frames = {Frame(0, 10, 8, 2), Frame(0, 16, 12, 3), Frame(3), Frame(0, 7, 7, 4)};
    file.frames[1].extraBytes = 9;
    file.frames[1].dots = 1;
    file.trailer = "trailing bytes";
    const fs::path source = Write(file);
    const std::string before = ReadAll(source);
    auto group = Open(source);
    ASSERT_EQ(group.size(), 3u);
    doc::CNTMDTDoc& d = *group[1];
    d.OnCommand(doc::ID_FILTER_MEDIAN3);
    d.OnCommand(doc::ID_PLANE_PLANE);
    const auto rawBefore = d.m_raw;
    const auto heights = d.heights;
    const ph::Size range = d.range;

    const fs::path target = dir / "saved.mdt";
    ASSERT_TRUE(d.OnFileSaveAs(fw::FromUtf8(target.string())));
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(d.m_raw, rawBefore);
    const std::string after = ReadAll(target);
    ASSERT_EQ(after.size(), before.size());

    // Everything but the Z step, its unit code and the image is byte for byte the source.
    const std::size_t frame = testdata::MdtFrameOffset(file, 1);
    const std::size_t zStepAt = frame + testdata::kMdtFrameHeader + 24;
    const std::size_t imageAt =
        frame + testdata::kMdtFrameHeader + 107 + 9 + testdata::kMdtImageHeader + 14 + 16;
    EXPECT_EQ(after.substr(0, zStepAt), before.substr(0, zStepAt));
    EXPECT_EQ(after.substr(zStepAt + 6, imageAt - zStepAt - 6),
              before.substr(zStepAt + 6, imageAt - zStepAt - 6));
    EXPECT_EQ(after.substr(imageAt + 16 * 12 * 2), before.substr(imageAt + 16 * 12 * 2));
    ph::Size step = range / 65535.0;
    step.normalize();
    EXPECT_FLOAT_EQ(Z(after, frame, 24), static_cast<float>(step.value()));
    int code = 0;
    ASSERT_TRUE(doc::NtMdtUnitCode(step.unit(), code));
    EXPECT_EQ(static_cast<std::int16_t>(static_cast<unsigned char>(after[zStepAt + 4]) |
                                        (static_cast<unsigned char>(after[zStepAt + 5]) << 8)),
              code);
    CloseAll();

    // Reopened, the saved counts are stretched over the unit range again as any scan is, and the
    // range shrinks by the same factor: the physical heights stay.
    auto reopened = Open(target);
    ASSERT_EQ(reopened.size(), 3u);
    doc::CNTMDTDoc& r = *reopened[1];
    ASSERT_EQ(r.heights.size(), heights.size());
    const auto [lo, hi] = std::minmax_element(heights.begin(), heights.end());
    const double span = static_cast<double>(*hi) - *lo;
    double worst = 0;
    for (std::size_t n = 0; n < heights.size(); ++n)
        worst = std::max(worst, std::fabs(r.heights[n] * span + *lo - heights[n]));
    EXPECT_LT(worst, 2.0 / 65535);
    EXPECT_NEAR(r.range.value(), ph::Size(range).cast(r.range.unit()).value() * span, 1e-4 * r.range.value());

    // Saving onto the file the document came from keeps every frame in place.
    const std::string saved = ReadAll(target);
    r.OnCommand(doc::ID_FILTER_MEAN3);
    recorder.answers = {fw::MsgAnswer::Yes}; // replace the measurement, when asked
    ASSERT_TRUE(r.DoFileSave());
    const std::string resaved = ReadAll(target);
    ASSERT_EQ(resaved.size(), saved.size());
    EXPECT_EQ(resaved.substr(0, frame), saved.substr(0, frame));
    EXPECT_NE(resaved.substr(imageAt, 16 * 12 * 2), saved.substr(imageAt, 16 * 12 * 2));
    CloseAll();
    EXPECT_EQ(Open(target).size(), 3u);
}

TEST_F(NTMDTDocTest, HeightStepUnitsOnSaving) {
    // A frequency is written in kHz whatever prefix the range took.
    MdtFile file;
    file.frames[0].zUnit = 4;
    file.frames[0].zStep = 0.1f;
    auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 1u);
    EXPECT_STREQ(group[0]->range.unit(), L"MHz");
    const fs::path saved = dir / "saved.mdt";
    ASSERT_TRUE(group[0]->OnFileSaveAs(fw::FromUtf8(saved.string())));
    const std::string bytes = ReadAll(saved);
    EXPECT_EQ(bytes[testdata::kMdtFileHeader + testdata::kMdtFrameHeader + 28], 4);
    EXPECT_NEAR(Z(bytes, testdata::kMdtFileHeader, 24), 0.1 * 60000 / 65535, 1e-6);
    CloseAll();

    // A range in a unit without a code is not saved, and the target is left alone.
    file.frames[0].zUnit = 9; // sec: a step of about 1.8 s, and "s" has no code
    file.frames[0].zStep = 2.0f;
    group = Open(Write(file, "seconds.mdt"));
    ASSERT_EQ(group.size(), 1u);
    const fs::path kept = WriteBytes("keep me", "kept.mdt");
    recorder.boxes.clear();
    EXPECT_FALSE(group[0]->OnFileSaveAs(fw::FromUtf8(kept.string())));
    ASSERT_FALSE(recorder.boxes.empty());
    EXPECT_EQ(recorder.boxes[0].text, kPrefix + L"internal error.");
    EXPECT_EQ(ReadAll(kept), "keep me");
}

TEST_F(NTMDTDocTest, NewerFilesWithoutScannedImagesEndWithAMessage) {
    const fs::path real = fs::path(VANTRI_TEST_DATA) / "real" / "SciFiDatasets__test_mdt.mdt";
    ASSERT_TRUE(fs::exists(real));
    ExpectRefused(real, L"have unknown type of Frame.", "text frame, then an MDA frame");
}

TEST_F(NTMDTDocTest, AFileOfManyFramesOpensItsFirst256ImagesWalkingTheChainOnce) {
    // 600 frames: every third a text frame, so 400 images.
    MdtFile file;
    file.frames.clear();
    for (int k = 0; k < 600; ++k)
        file.frames.push_back(Frame(k % 3 == 1 ? 3 : 0, 2, 2, static_cast<std::uint32_t>(k)));
    const auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 256u);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text,
              L"Only the first 256 images of this file are opened; 144 images are left out.");
    // Image n of the group is frame n + (n + 1) / 2; all of them share one walk of the chain.
    for (std::size_t n = 0; n < group.size(); ++n) {
        EXPECT_EQ(group[n]->image, static_cast<int>(n + (n + 1) / 2));
        EXPECT_EQ(group[n]->GroupIndex(), group[0]->GroupIndex());
    }
    EXPECT_EQ(Template().m_nImage, 0);
}
