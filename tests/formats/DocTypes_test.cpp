#include <gtest/gtest.h>

#include <array>

#include "data/NtMdtGen.h"
#include "data/SpmGen.h"
#include "formats/DIDoc.h"
#include "formats/NTMDTDoc.h"
#include "formats/ReaderFixture.h"
#include "formats/SPMDoc.h"
#include "framework/fwDocTemplate.h"
#include "model/OpenDialog.h"

namespace {

namespace fs = std::filesystem;
using Confidence = fw::CDocTemplate::Confidence;

class DocTypesTest : public testreader::CReaderTest {
protected:
    std::vector<fw::CDocTemplate*> Templates() { return app.GetDocManager().GetTemplates(); }
    Confidence Match(int t, const std::wstring& path) {
        fw::CDocument* match = nullptr;
        return Templates()[static_cast<std::size_t>(t)]->MatchDocType(path, match);
    }
};

// Answers the dialog as a user would: takes a filter and a name, or cancels.
class CScriptedDialog : public doc::IFileDialog {
public:
    bool ok = true;
    int chooseFilter = 0; // 0 leaves the filter the dialog started with
    std::wstring chooseName = L"/tmp/chosen.spm";
    doc::CFileDialogRequest seen;
    bool Run(doc::CFileDialogRequest& request) override {
        seen = request;
        if (chooseFilter)
            request.filterIndex = chooseFilter;
        request.fileName = chooseName;
        return ok;
    }
};

} // namespace

TEST_F(DocTypesTest, ThreeTypesInOrderWithTheirDocumentStrings) {
    const auto templates = Templates();
    ASSERT_EQ(templates.size(), 3u);
    std::wstring field;
    const wchar_t* names[] = {L"000 DI file", L"SPM file", L"MDT file"};
    const wchar_t* filters[] = {L"Veeco NanoScope III Files (*.000 - *.099)",
                                L"MPRI NANOTOP-205 Files (*.spm)", L"NT-MDT Files (*.mdt)"};
    for (std::size_t t = 0; t < 3; ++t) {
        EXPECT_FALSE(templates[t]->GetDocString(field, fw::CDocTemplate::windowTitle));
        ASSERT_TRUE(templates[t]->GetDocString(field, fw::CDocTemplate::docName));
        EXPECT_EQ(field, L"New");
        ASSERT_TRUE(templates[t]->GetDocString(field, fw::CDocTemplate::fileNewName));
        EXPECT_EQ(field, names[t]);
        ASSERT_TRUE(templates[t]->GetDocString(field, fw::CDocTemplate::filterName));
        EXPECT_EQ(field, filters[t]);
        ASSERT_TRUE(templates[t]->GetDocString(field, fw::CDocTemplate::regFileTypeId));
        EXPECT_EQ(field, L"Vantri.Document");
        ASSERT_TRUE(templates[t]->GetDocString(field, fw::CDocTemplate::regFileTypeName));
        EXPECT_EQ(field, L"Vantri Document");
    }
    ASSERT_TRUE(templates[0]->GetDocString(field, fw::CDocTemplate::filterExt));
    EXPECT_EQ(field.size(), 100u * 5 - 1);
    EXPECT_EQ(field.substr(0, 10), L".000;.001;");
    EXPECT_EQ(field.substr(field.size() - 4), L".099");
}

TEST_F(DocTypesTest, PathsRouteByExtension) {
    using C = fw::CDocTemplate;
    struct CCase {
        const wchar_t* path;
        Confidence di, spm, mdt;
    };
    const CCase cases[] = {
        {L"/d/scan.018", C::yesAttemptNative, C::yesAttemptForeign, C::yesAttemptForeign},
        {L"/d/scan.512", C::yesAttemptNative, C::yesAttemptForeign, C::yesAttemptForeign},
        {L"/d/image.0001", C::yesAttemptNative, C::yesAttemptForeign, C::yesAttemptForeign},
        {L"/d/image.5", C::yesAttemptForeign, C::yesAttemptForeign, C::yesAttemptForeign},
        {L"/d/x.SPM", C::yesAttemptForeign, C::yesAttemptNative, C::yesAttemptForeign},
        {L"/d/y.Mdt", C::yesAttemptForeign, C::yesAttemptForeign, C::yesAttemptNative},
        {L"/d.mdt/noext", C::yesAttemptForeign, C::yesAttemptForeign, C::yesAttemptForeign},
    };
    for (const CCase& c : cases) {
        EXPECT_EQ(Match(0, c.path), c.di) << fw::ToUtf8(c.path);
        EXPECT_EQ(Match(1, c.path), c.spm) << fw::ToUtf8(c.path);
        EXPECT_EQ(Match(2, c.path), c.mdt) << fw::ToUtf8(c.path);
    }

    // Opening follows the matches: a native type wins, and with none the first type tries.
    testdata::SpmFile spm;
    spm.columns = spm.rows = 6;
    const fs::path upper = WriteBytes(testdata::MakeSpm(spm), "x.SPM");
    auto opened = OpenAs(upper);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(dynamic_cast<doc::CSPMDoc*>(opened[0]), nullptr);
    const fs::path numbered = WriteBytes(testdata::MakeNtMdt({}), "frames.042");
    recorder.boxes.clear();
    EXPECT_TRUE(OpenAs(numbered).empty()); // the NanoScope reader refuses NT-MDT bytes
    ASSERT_EQ(recorder.boxes.size(), 1u);
    const fs::path foreign = WriteBytes(testdata::MakeNtMdt({}), "frames.dat");
    recorder.boxes.clear();
    EXPECT_TRUE(OpenAs(foreign).empty()); // nothing native: the first type tries and refuses
    EXPECT_EQ(Templates()[0]->GetDocuments().size(), 0u);
}

TEST_F(DocTypesTest, AnOpenFileIsActivatedNotReadAgain) {
    const fs::path path = WriteBytes(testdata::MakeNtMdt({}), "scan.mdt");
    auto first = OpenAs(path);
    ASSERT_EQ(first.size(), 1u);
    // The same file by another path is the open document; a name that differs in case only is another
    // file, of the type its extension gives.
    fs::create_symlink("scan.mdt", dir / "link.mdt");
    fw::CDocument* match = nullptr;
    EXPECT_EQ(Templates()[2]->MatchDocType(fw::FromUtf8((dir / "link.mdt").string()), match),
              fw::CDocTemplate::yesAlreadyOpen);
    EXPECT_EQ(match, first[0]);
    EXPECT_EQ(Templates()[2]->MatchDocType(fw::FromUtf8((dir / "SCAN.MDT").string()), match),
              fw::CDocTemplate::yesAttemptNative);
    EXPECT_EQ(match, nullptr);
    fs::remove(path); // a second read would fail
    recorder.boxes.clear();
    EXPECT_EQ(app.OpenDocumentFile(fw::FromUtf8(path.string())), first[0]);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(Templates()[2]->GetDocuments().size(), 1u);
}

TEST_F(DocTypesTest, DialogFiltersAndTheirMemory) {
    std::wstring ext;
    const auto all = doc::DialogFilters(Templates(), nullptr, &ext);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(ext, L"000");
    EXPECT_EQ(all[0].patterns.substr(0, 12), L"*.000;*.001;");
    EXPECT_EQ(all[0].patterns.size(), 100u * 6 - 1);
    EXPECT_EQ(all[1].name, L"MPRI NANOTOP-205 Files (*.spm)");
    EXPECT_EQ(all[1].patterns, L"*.spm");
    EXPECT_EQ(all[2].patterns, L"*.mdt");
    EXPECT_EQ(all[3].name, L"All Files (*.*)");
    EXPECT_EQ(all[3].patterns, L"*.*");
    const auto one = doc::DialogFilters(Templates(), Templates()[2], &ext);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0].name, L"NT-MDT Files (*.mdt)");
    EXPECT_EQ(ext, L"mdt");

    // The dialog starts at the last filter until one is chosen, then at the chosen one.
    CScriptedDialog dialog;
    auto& manager = dynamic_cast<doc::CVantriDocManager&>(app.GetDocManager());
    manager.SetFileDialog(&dialog);
    std::wstring name;
    dialog.ok = false;
    dialog.chooseFilter = 2;
    EXPECT_FALSE(manager.DoPromptFileName(name, 0, 0, true, nullptr));
    EXPECT_EQ(dialog.seen.filterIndex, 4);
    EXPECT_EQ(app.dialogMemory.filterIndex, 0);
    EXPECT_FALSE(app.dialogMemory.changed);
    EXPECT_TRUE(dialog.seen.flags & doc::kDialogHideReadOnly);
    EXPECT_TRUE(dialog.seen.flags & doc::kDialogOverwritePrompt);
    EXPECT_TRUE(dialog.seen.flags & doc::kDialogEnableSizing);
    dialog.ok = true;
    EXPECT_TRUE(manager.DoPromptFileName(name, 0, 0, true, nullptr));
    EXPECT_EQ(name, L"/tmp/chosen.spm");
    EXPECT_EQ(app.dialogMemory.filterIndex, 2);
    EXPECT_TRUE(app.dialogMemory.changed);
    app.dialogMemory.changed = false;
    dialog.chooseFilter = 0;
    EXPECT_TRUE(manager.DoPromptFileName(name, 0, 0, true, nullptr));
    EXPECT_EQ(dialog.seen.filterIndex, 2);
    EXPECT_FALSE(app.dialogMemory.changed); // the same filter again changes nothing
    // A save dialog for one type has two filters: a remembered index beyond them starts at the last.
    app.dialogMemory.filterIndex = 3;
    EXPECT_TRUE(manager.DoPromptFileName(name, 0, 0, false, Templates()[1]));
    EXPECT_EQ(dialog.seen.filters.size(), 2u);
    EXPECT_EQ(dialog.seen.filterIndex, 2);
    EXPECT_FALSE(dialog.seen.openDialog);
    manager.SetFileDialog(nullptr);

    // View modes: one per kind of dialog and folder; other commands are not view modes.
    doc::CDialogMemory memory;
    EXPECT_EQ(memory.ViewMode(true, true), doc::ID_VIEW_THUMBNAILS);
    EXPECT_EQ(memory.ViewMode(true, false), doc::ID_VIEW_LIST);
    EXPECT_TRUE(memory.ViewCommand(true, false, doc::ID_VIEW_DETAILS));
    EXPECT_TRUE(memory.ViewCommand(false, true, doc::ID_VIEW_TILES));
    EXPECT_FALSE(memory.ViewCommand(true, true, 28714));
    EXPECT_TRUE(memory.changed);
    EXPECT_EQ(memory.ViewMode(true, false), doc::ID_VIEW_DETAILS);
    EXPECT_EQ(memory.ViewMode(true, true), doc::ID_VIEW_THUMBNAILS);
    EXPECT_EQ(memory.ViewMode(false, true), doc::ID_VIEW_TILES);
    EXPECT_EQ(memory.ViewMode(false, false), doc::ID_VIEW_LIST);

    // The settings' ten bytes: flag, filter, then the four ids little-endian; a shorter value stored
    // by an older version fills only its part.
    memory.changed = false;
    memory.filterIndex = 3;
    const auto bytes = memory.Profile();
    const std::array<unsigned char, 10> expected = {0, 3, 0x2C, 0x70, 0x2D, 0x70, 0x2B, 0x70, 0x2E, 0x70};
    EXPECT_EQ(bytes, expected);
    doc::CDialogMemory loaded;
    loaded.LoadProfile(bytes.data(), bytes.size());
    EXPECT_EQ(loaded.Profile(), bytes);
    doc::CDialogMemory partial;
    const unsigned char old[] = {1, 2, 0x2C, 0x70};
    partial.LoadProfile(old, sizeof old);
    EXPECT_TRUE(partial.changed);
    EXPECT_EQ(partial.filterIndex, 2);
    EXPECT_EQ(partial.viewModes[0], doc::ID_VIEW_DETAILS);
    EXPECT_EQ(partial.viewModes[1], doc::ID_VIEW_THUMBNAILS);
}

TEST_F(DocTypesTest, FoldersHoldingScansAreRecognisedByTheFilters) {
    const auto filters = doc::DialogFilters(Templates(), nullptr);
    EXPECT_FALSE(doc::FolderHoldsScanFiles(fw::FromUtf8(dir.string()), filters));
    WriteBytes("x", "notes.txt");
    WriteBytes("x", "image.5");
    fs::create_directories(dir / "folder.spm");
    EXPECT_FALSE(doc::FolderHoldsScanFiles(fw::FromUtf8(dir.string()), filters));
    WriteBytes("x", "Scan.SPM");
    EXPECT_TRUE(doc::FolderHoldsScanFiles(fw::FromUtf8(dir.string()), filters));
    EXPECT_FALSE(doc::FolderHoldsScanFiles(fw::FromUtf8((dir / "missing").string()), filters));

    EXPECT_TRUE(doc::MatchesPattern(L"a.007", L"*.007"));
    EXPECT_TRUE(doc::MatchesPattern(L"A.B.MDT", L"*.mdt"));
    EXPECT_TRUE(doc::MatchesPattern(L"x.spm", L"?.s*m"));
    EXPECT_FALSE(doc::MatchesPattern(L"a.0070", L"*.007"));
    EXPECT_FALSE(doc::MatchesPattern(L"mdt", L"*.mdt"));
    EXPECT_TRUE(doc::MatchesPattern(L"", L"*"));
}
