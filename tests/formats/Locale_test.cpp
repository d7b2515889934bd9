// The readers and writers under a desktop's locale: a decimal comma must change no number read from
// a scan or written into one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ScopedLocale.h"
#include "data/NanoScopeGen.h"
#include "data/NtMdtGen.h"
#include "data/SpmGen.h"
#include "formats/ReaderFixture.h"
#include "model/SurfaceCommands.h"

namespace {

namespace fs = std::filesystem;

// What one open and save gives: every image's sizes, and the bytes of the saved file.
struct COutcome {
    std::vector<double> sizes;
    std::vector<std::wstring> texts;
    std::string saved;
};

class LocaleTest : public testreader::CReaderTest {
protected:
    COutcome OpenAndSave(const fs::path& source, const std::string& savedName) {
        COutcome outcome;
        auto group = OpenAs(source);
        EXPECT_FALSE(group.empty()) << source;
        if (group.empty())
            return outcome;
        for (doc::CVantriDoc* d : group)
            for (ph::Size* s : {&d->width, &d->height, &d->range}) {
                outcome.sizes.push_back(s->value());
                outcome.texts.emplace_back(s->str(3));
            }
        doc::CVantriDoc& last = *group.back();
        last.OnCommand(doc::ID_PLANE_PLANE);
        last.OnCommand(doc::ID_FILTER_GAUSS3);
        const fs::path target = dir / savedName;
        EXPECT_TRUE(last.OnFileSaveAs(fw::FromUtf8(target.string())));
        outcome.saved = testreader::ReadAll(target);
        CloseAll();
        return outcome;
    }
};

} // namespace

TEST_F(LocaleTest, ReadersAndWritersGiveTheSameNumbersAndBytesInEveryLocale) {
    testdata::NsFile nanoscope;
    nanoscope.images.assign(2, testdata::NsImage{});
    nanoscope.images[0].scanSize = "1.25 2.5 \xB5m";
    nanoscope.images[1].zScale = "0.5625";
    nanoscope.scannerSens = 13.75;
    const fs::path sources[] = {
        fs::path(VANTRI_TEST_DATA) / "real" / "scilab4spm__data1.007",
        WriteBytes(testdata::MakeNanoScope(nanoscope), "made.001"),
        WriteBytes(testdata::MakeNtMdt(testdata::MdtFile{}), "made.mdt"),
        WriteBytes(testdata::MakeSpm(testdata::SpmFile{}), "made.spm"),
    };
    for (const fs::path& source : sources) {
        SCOPED_TRACE(source.filename().string());
        const std::string savedName = "saved" + source.extension().string();
        const COutcome c = OpenAndSave(source, savedName);
        int compared = 0;
        for (const char* name : testlocale::kLocales) {
            testlocale::CScopedLocale locale(name);
            if (!locale.ok())
                continue;
            SCOPED_TRACE(name);
            const COutcome other = OpenAndSave(source, savedName);
            EXPECT_EQ(other.sizes, c.sizes);
            EXPECT_EQ(other.texts, c.texts);
            EXPECT_TRUE(other.saved == c.saved);
            ++compared;
        }
        EXPECT_GE(compared, 2) << "no locale with a decimal comma is installed";
        EXPECT_TRUE(recorder.boxes.empty());
    }
}
