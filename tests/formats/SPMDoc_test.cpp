#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "data/SpmGen.h"
#include "formats/ReaderFixture.h"
#include "formats/SPMDoc.h"
#include "model/SurfaceCommands.h"

namespace {

namespace fs = std::filesystem;
using testdata::SpmFile;
using testreader::kPrefix;
using testreader::ReadAll;

class SPMDocTest : public testreader::CReaderTest {
protected:
    fs::path Write(const SpmFile& file, const std::string& name = "scan.spm") {
        return WriteBytes(testdata::MakeSpm(file), name);
    }
    std::vector<doc::CSPMDoc*> Open(const fs::path& path) { return OpenAs<doc::CSPMDoc>(path); }
};

float FloatAt(const std::string& bytes, std::size_t at) {
    float v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

std::int16_t CountAt(const std::string& bytes, int columns, int j, int i) {
    const std::size_t at = testdata::kSpmHeader + 2 * (static_cast<std::size_t>(i) * columns + j);
    return static_cast<std::int16_t>(static_cast<unsigned char>(bytes[at]) |
                                     (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

} // namespace

TEST_F(SPMDocTest, OpensCroppedByOneCellWithItsSizes) {
    SpmFile file;
    file.xStep = 10.0f;
    file.yStep = 5.0f;
    file.zStep = 0.25f;
    const auto group = Open(Write(file));
    ASSERT_EQ(group.size(), 1u);
    doc::CSPMDoc& d = *group[0];
    EXPECT_EQ(d.GetTitle(), L"scan.spm");
    EXPECT_EQ(d.m_rawColumns, 256);
    EXPECT_EQ(d.columns, 254);
    EXPECT_EQ(d.rows, 254);
    EXPECT_STREQ(d.width.unit(), L"\u00B5m");
    EXPECT_NEAR(d.width.value(), 2.54, 1e-9);
    EXPECT_NEAR(d.height.cast(L"\u00B5m").value(), 1.27, 1e-9);
    const auto samples = testdata::PatternSamples(256, 256, file.seed);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), d.m_raw.begin(), d.m_raw.end()));
    // The automatic range widens the inner span by an eighth on each side: f lies beyond it.
    EXPECT_GT(d.range.cast(L"nm").value(), 0.25 * 20000);
    EXPECT_TRUE(recorder.boxes.empty());

    // Every file is a group of its own.
    const auto second = Open(Write(file, "second.spm"));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0]->group, d.group + 1);
}

TEST_F(SPMDocTest, UnitFieldsAreVetted) {
    struct CCase {
        const char* height;
        const char* lateral;
        std::vector<std::wstring> boxes;
        const wchar_t* rangeUnitRow; // a unit of the row the range must be in
    };
    const std::wstring tail = L".\n        Avoid of incorrect working of the application,\n"
                              L"        it will be replaced with \"nm\".";
    const std::vector<CCase> cases = {
        {"", "", {}, L"nm"},
        {"nA", "nm", {}, L"nA"},
        {"bogu",
         "um",
         {L"bogu - is unsupported unit of measurement\n        on Z-coordinate" + tail,
          L"um - is unsupported unit of measurement\n        on XY-coordinates" + tail},
         L"nm"},
        {"deg",
         "\xB5m",
         {L"\u00B5m - is unsupported unit of measurement\n        on XY-coordinates" + tail},
         L"deg"},
    };
    for (const CCase& c : cases) {
        SpmFile file;
        file.columns = file.rows = 8;
        file.heightUnit = c.height;
        file.lateralUnit = c.lateral;
        file.xStep = 3.0f;
        recorder.boxes.clear();
        const auto group = Open(Write(file));
        ASSERT_EQ(group.size(), 1u) << c.height;
        ASSERT_EQ(recorder.boxes.size(), c.boxes.size()) << c.height;
        for (std::size_t n = 0; n < c.boxes.size(); ++n) {
            EXPECT_EQ(recorder.boxes[n].text, c.boxes[n]);
            EXPECT_EQ(recorder.boxes[n].icon, fw::MsgIcon::Exclamation);
        }
        EXPECT_EQ(group[0]->range.dimension(), ph::Size(1.0, c.rangeUnitRow).dimension()) << c.height;
        EXPECT_NEAR(group[0]->width.cast(L"nm").value(), 3.0 * 6, 1e-9) << c.height; // the step as read
        CloseAll();
    }
}

TEST_F(SPMDocTest, FilesTooShortOrEmptyFailWithAReason) {
    SpmFile empty;
    empty.columnsField = 0;
    SpmFile truncated;
    truncated.truncateTo = testdata::kSpmHeader + 100;
    SpmFile headerOnly;
    headerOnly.truncateTo = 300;
    const std::pair<SpmFile, std::wstring> cases[] = {
        {empty, L"size of the image is incorrect."},
        {truncated, L"image data reach beyond the end of the file."},
        {headerOnly, L"it is shorter than the header of NANOTOP-205 file."},
    };
    for (const auto& [file, reason] : cases) {
        recorder.boxes.clear();
        EXPECT_TRUE(Open(Write(file)).empty()) << fw::ToUtf8(reason);
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.boxes[0].text, kPrefix + reason);
    }
    // A trailer after the image is carried by nothing and does not stop the open.
    SpmFile trailing;
    trailing.columns = trailing.rows = 4;
    trailing.trailer = "xyz";
    EXPECT_EQ(Open(Write(trailing, "trailing.spm")).size(), 1u);
}

TEST_F(SPMDocTest, SavingWritesTheWholeFileWithFilledMarginsAndNewSteps) {
    SpmFile file;
    file.columns = 9;
    file.rows = 7;
    file.xStep = 250.0f;
    file.yStep = 0.5f;
    file.lateralUnit = "";
    file.zStep = 1.0f;
    const fs::path source = Write(file);
    const std::string before = ReadAll(source);
    auto group = Open(source);
    ASSERT_EQ(group.size(), 1u);
    doc::CSPMDoc& d = *group[0];
    d.OnCommand(doc::ID_FILTER_MEAN3);
    const auto raw = d.m_raw;
    const fs::path target = dir / "saved.spm";
    ASSERT_TRUE(d.OnFileSaveAs(fw::FromUtf8(target.string())));
    EXPECT_EQ(d.m_raw, raw);
    const std::string after = ReadAll(target);
    ASSERT_EQ(after.size(), before.size());

    // Carried header bytes are unchanged; steps and units are rewritten.
    EXPECT_EQ(after.substr(0, 8), before.substr(0, 8));
    EXPECT_EQ(after.substr(28, 512 - 28), before.substr(28, 512 - 28));
    EXPECT_EQ(after.substr(24, 4), std::string("nm\0\0", 4));
    EXPECT_FLOAT_EQ(FloatAt(after, 8), 250.0f);
    EXPECT_FLOAT_EQ(FloatAt(after, 12), 0.5f);
    ph::Size step = d.range / 32767.0;
    step.normalize();
    step.cast(L"nm");
    EXPECT_FLOAT_EQ(FloatAt(after, 16), static_cast<float>(step.value()));
    EXPECT_EQ(after.substr(20, 4), std::string("nm\0\0", 4));

    // Inner cells hold the processed heights; the margins repeat their nearest inner cell.
    for (int i = 1; i < 6; ++i)
        for (int j = 1; j < 8; ++j)
            EXPECT_EQ(CountAt(after, 9, j, i),
                      static_cast<std::int16_t>(
                          std::trunc(d.heights[static_cast<std::size_t>((i - 1) * 7 + j - 1)] * 32767.0)));
    for (int i = 0; i < 7; ++i) {
        const int from = std::clamp(i, 1, 5);
        for (int j = 0; j < 9; ++j)
            EXPECT_EQ(CountAt(after, 9, j, i), CountAt(after, 9, std::clamp(j, 1, 7), from)) << j << "," << i;
    }
    ph::Size width = d.width;
    CloseAll();

    // Reopened from the written steps, the sizes come back.
    auto reopened = Open(target);
    ASSERT_EQ(reopened.size(), 1u);
    EXPECT_NEAR(reopened[0]->width.value(), width.cast(reopened[0]->width.unit()).value(), 1e-4);
}

TEST_F(SPMDocTest, HeightUnitsOnSaving) {
    struct CCase {
        const char* unit;
        const char* written; // null: any unit of the same row that reads back
    };
    // Lengths go to nm, frequencies to Hz, currents to mA, forces to nN; the rest keep their
    // normalised unit, ohms in the spelling the file's 8-bit text can hold.
    const CCase cases[] = {{"\xB5m", "nm"}, {"kHz", "Hz"},  {"nA", "mA"},
                           {"mN", "nN"},    {"V", nullptr}, {"kOhm", nullptr}};
    for (const CCase& c : cases) {
        SpmFile file;
        file.columns = file.rows = 12;
        file.heightUnit = c.unit;
        auto group = Open(Write(file));
        ASSERT_EQ(group.size(), 1u) << c.unit;
        const unsigned row = group[0]->range.dimension();
        ph::Size range = group[0]->range;
        const fs::path target = dir / "saved.spm";
        ASSERT_TRUE(group[0]->OnFileSaveAs(fw::FromUtf8(target.string()))) << c.unit;
        const std::string after = ReadAll(target);
        std::string unit = after.substr(20, 4);
        unit.resize(std::strlen(unit.c_str()));
        if (c.written) {
            EXPECT_EQ(unit, c.written) << c.unit;
        }
        EXPECT_TRUE(ph::Size::is_unit(unit.c_str())) << c.unit << " -> " << unit;
        CloseAll();
        recorder.boxes.clear();
        auto reopened = Open(target);
        ASSERT_EQ(reopened.size(), 1u) << c.unit;
        EXPECT_TRUE(recorder.boxes.empty()) << c.unit;
        EXPECT_EQ(reopened[0]->range.dimension(), row) << c.unit;
        // The saved counts span at most 0..32767 of the saved step: the range comes back, give or
        // take the automatic range's own widening.
        EXPECT_NEAR(reopened[0]->range.value(), range.cast(reopened[0]->range.unit()).value(),
                    0.3 * range.value())
            << c.unit;
        CloseAll();
    }
}

TEST_F(SPMDocTest, ScansWithoutCellsInsideTheBorderOrWithUnusableStepsAreRefused) {
    struct CCase {
        int columns, rows;
        float xStep, yStep, zStep;
        std::wstring reason;
    };
    const CCase cases[] = {
        {2, 2, 10.f, 10.f, 0.1f, L"the image of 2 x 2 samples holds nothing inside its border."},
        {1, 40, 10.f, 10.f, 0.1f, L"the image of 1 x 40 samples holds nothing inside its border."},
        {40, 2, 10.f, 10.f, 0.1f, L"the image of 40 x 2 samples holds nothing inside its border."},
        {8, 8, 0.f, 10.f, 0.1f, L"the step on X-coordinates is incorrect."},
        {8, 8, 10.f, -1.f, 0.1f, L"the step on Y-coordinates is incorrect."},
        {8, 8, 10.f, 10.f, INFINITY, L"the step on Z-coordinates is incorrect."},
        {8, 8, 10.f, 10.f, 0.f, L"the step on Z-coordinates is incorrect."},
    };
    for (const CCase& c : cases) {
        SpmFile file;
        file.columns = c.columns;
        file.rows = c.rows;
        file.xStep = c.xStep;
        file.yStep = c.yStep;
        file.zStep = c.zStep;
        recorder.boxes.clear();
        EXPECT_TRUE(Open(Write(file)).empty()) << c.columns << " x " << c.rows;
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.boxes[0].text, kPrefix + c.reason);
        EXPECT_TRUE(app.GetDocManager().GetTemplates()[1]->GetDocuments().empty());
    }
    // Three samples across leave one cell; a negative height step turns the surface over.
    SpmFile smallest;
    smallest.columns = smallest.rows = 3;
    smallest.zStep = -0.5f;
    recorder.boxes.clear();
    const auto group = Open(Write(smallest));
    ASSERT_EQ(group.size(), 1u);
    EXPECT_EQ(group[0]->columns, 1);
    EXPECT_TRUE(recorder.boxes.empty());
}
