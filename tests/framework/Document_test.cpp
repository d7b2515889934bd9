#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>

#include "framework/fwApp.h"
#include "framework/fwArchive.h"
#include "framework/fwDocManager.h"
#include "framework/fwDocTemplate.h"
#include "framework/fwDocument.h"
#include "framework/fwException.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"

namespace {

namespace fs = std::filesystem;

// A document whose file is plain text; storing can be made to fail half-way.
class CTextDoc : public fw::CDocument {
public:
    std::string text;
    int loads = 0;
    bool failStore = false;

    void Serialize(fw::CArchive& ar) override {
        if (ar.IsLoading()) {
            ++loads;
            char buffer[256];
            text.clear();
            while (std::size_t n = ar.Read(buffer, sizeof buffer))
                text.append(buffer, n);
            if (text == "bad")
                throw fw::CException(L"bad content");
        } else {
            ar.Write("partial", 7);
            if (failStore)
                throw fw::CException(L"disk full");
            ar.Write(text);
        }
    }
};

class CCountingTemplate : public fw::CDocTemplate {
public:
    using fw::CDocTemplate::CDocTemplate;
    int activated = 0;
    int frames = 0;
    bool throwOnShow = false; // the window refuses to show, as a view that cannot size itself does
    void ActivateFrame(fw::CDocument&) override { ++activated; }

protected:
    bool CreateFrame(fw::CDocument&) override {
        ++frames;
        return true;
    }
    void InitialUpdateFrame(fw::CDocument&) override {
        if (throwOnShow)
            throw std::runtime_error("cannot show");
    }
    void DestroyFrame(fw::CDocument&) override { --frames; }
};

class CView : public fw::CView {
public:
    std::vector<long> hints;
    void OnUpdate(fw::CView*, long hint, void*) override { hints.push_back(hint); }
};

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(VANTRI_TEST_OUT) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    std::wstring Path(const std::string& name) const { return fw::FromUtf8((dir / name).string()); }
    CCountingTemplate* AddTextTemplate() {
        return static_cast<CCountingTemplate*>(app.GetDocManager().AddDocTemplate(
            std::make_unique<CCountingTemplate>(L"\nNew\nText\nText (*.txt)\n.txt\nT.Doc\nT Doc",
                                                [] { return std::make_unique<CTextDoc>(); })));
    }
    CTextDoc* Open(const std::string& name) {
        return static_cast<CTextDoc*>(app.OpenDocumentFile(Path(name)));
    }
    std::size_t Entries(const fs::path& folder) const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    fs::path dir;
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope{recorder};
    fw::CWinApp app;
};

} // namespace

TEST_F(DocumentTest, ManagerRoutesByExtensionAndReactivatesAnOpenPath) {
    auto* foreign = static_cast<CCountingTemplate*>(app.GetDocManager().AddDocTemplate(
        std::make_unique<CCountingTemplate>(L"\nNew\nOther\nOther (*.oth)\n.oth\nT.Doc\nT Doc",
                                            [] { return std::make_unique<CTextDoc>(); })));
    auto* native = static_cast<CCountingTemplate*>(app.GetDocManager().AddDocTemplate(
        std::make_unique<CCountingTemplate>(L"\nNew\nText\nText (*.txt)\n.txt;.text\nT.Doc\nT Doc",
                                            [] { return std::make_unique<CTextDoc>(); })));
    WriteAll(dir / "a.TEXT", "hello");

    fw::CDocument* doc = app.OpenDocumentFile(Path("a.TEXT"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetDocTemplate(), native);
    EXPECT_EQ(static_cast<CTextDoc*>(doc)->text, "hello");
    EXPECT_EQ(doc->GetTitle(), L"a.TEXT");
    EXPECT_FALSE(doc->IsModified());

    // The same path again is the open document, not a second read.
    fw::CDocument* again = app.OpenDocumentFile(Path("a.TEXT"));
    EXPECT_EQ(again, doc);
    EXPECT_EQ(static_cast<CTextDoc*>(doc)->loads, 1);
    EXPECT_EQ(native->activated, 1);

    // No native match: the first template answering "foreign" takes the file.
    WriteAll(dir / "b.dat", "x");
    fw::CDocument* other = app.OpenDocumentFile(Path("b.dat"));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetDocTemplate(), foreign);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(DocumentTest, FailedOpenReportsOnceAndLeavesNoDocument) {
    CCountingTemplate* t = AddTextTemplate();
    WriteAll(dir / "bad.txt", "bad");

    EXPECT_EQ(app.OpenDocumentFile(Path("bad.txt")), nullptr);
    EXPECT_EQ(app.OpenDocumentFile(Path("missing.txt")), nullptr);
    EXPECT_TRUE(t->GetDocuments().empty());
    EXPECT_EQ(t->frames, 0);
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[0].text, L"Failed to open document.\nbad content");
    EXPECT_EQ(recorder.boxes[1].text.rfind(L"Failed to open document.\nCannot open ", 0), 0u);

    // A window that throws while it first shows takes its document away with it.
    WriteAll(dir / "good.txt", "good");
    t->throwOnShow = true;
    EXPECT_THROW(app.OpenDocumentFile(Path("good.txt")), std::runtime_error);
    EXPECT_TRUE(t->GetDocuments().empty());
    EXPECT_EQ(t->frames, 0);
}

TEST_F(DocumentTest, SaveReplacesTheTargetOnlyWhenComplete) {
    AddTextTemplate();
    WriteAll(dir / "s.txt", "old");
    fs::permissions(dir / "s.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    auto* doc = static_cast<CTextDoc*>(app.OpenDocumentFile(Path("s.txt")));
    ASSERT_NE(doc, nullptr);

    doc->text = "new";
    doc->SetModifiedFlag(true);
    doc->failStore = true;
    EXPECT_FALSE(doc->DoFileSave());
    EXPECT_EQ(ReadAll(dir / "s.txt"), "old");
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, L"Failed to save document.\ndisk full");

    doc->failStore = false;
    EXPECT_TRUE(doc->DoFileSave());
    EXPECT_EQ(ReadAll(dir / "s.txt"), "partialnew");
    EXPECT_FALSE(doc->IsModified());
    // The saved file keeps the permissions of the one it replaced.
    EXPECT_EQ(fs::status(dir / "s.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // Save As takes the new path; no temporary file is left behind by either save.
    EXPECT_TRUE(doc->DoSave(Path("t.txt")));
    EXPECT_EQ(doc->GetTitle(), L"t.txt");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);

    // Without a dialog the core cannot ask for a name: Save As with no path saves nothing.
    EXPECT_FALSE(doc->DoSave(std::wstring()));
}

TEST_F(DocumentTest, ClosingAModifiedDocumentAsksToSaveIt) {
    AddTextTemplate();
    WriteAll(dir / "m.txt", "old");
    auto* doc = static_cast<CTextDoc*>(app.OpenDocumentFile(Path("m.txt")));
    ASSERT_NE(doc, nullptr);
    // A title decorated by its document type does not change the name in the question.
    doc->SetTitle(L"m.txt -Height- ");
    EXPECT_TRUE(doc->SaveModified());
    EXPECT_TRUE(recorder.boxes.empty());

    doc->text = "new";
    doc->SetModifiedFlag(true);
    recorder.answers = {fw::MsgAnswer::Cancel, fw::MsgAnswer::Cancel};
    EXPECT_FALSE(doc->SaveModified());
    EXPECT_FALSE(app.GetDocManager().SaveAllModified());
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[0].text, L"Save changes to m.txt?");
    EXPECT_EQ(recorder.boxes[0].buttons, fw::MsgButtons::YesNoCancel);
    EXPECT_EQ(recorder.boxes[0].icon, fw::MsgIcon::Exclamation);
    recorder.answers = {fw::MsgAnswer::No};
    EXPECT_TRUE(doc->SaveModified()); // closes without saving
    EXPECT_EQ(ReadAll(dir / "m.txt"), "old");

    // Yes saves; a save that fails keeps the document open.
    doc->failStore = true;
    recorder.answers = {fw::MsgAnswer::Yes};
    EXPECT_FALSE(doc->SaveModified());
    doc->failStore = false;
    recorder.answers = {fw::MsgAnswer::Yes};
    EXPECT_TRUE(app.GetDocManager().SaveAllModified());
    EXPECT_EQ(ReadAll(dir / "m.txt"), "partialnew");
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentTest, UpdateAllViewsSkipsTheSender) {
    CTextDoc doc;
    CView a, b;
    doc.AddView(&a);
    doc.AddView(&b);
    doc.AddView(&a);
    doc.UpdateAllViews(&a, 2);
    doc.UpdateAllViews(nullptr, 1);
    EXPECT_EQ(a.hints, (std::vector<long>{1}));
    EXPECT_EQ(b.hints, (std::vector<long>{2, 1}));
    doc.RemoveView(&b);
    EXPECT_EQ(b.GetDocument(), nullptr);
    EXPECT_EQ(a.GetDocument(), &doc);
    {
        // A view destroyed first leaves the document, which then updates only what is left.
        CView gone;
        doc.AddView(&gone);
    }
    EXPECT_EQ(doc.GetViews().size(), 1u);
    doc.UpdateAllViews(nullptr, 2);
    EXPECT_EQ(a.hints, (std::vector<long>{1, 2}));
}

TEST_F(DocumentTest, AnOpenDocumentIsFoundByItsFileNotByTheLettersOfItsPath) {
    AddTextTemplate();
    WriteAll(dir / "scan.txt", "lower");
    WriteAll(dir / "SCAN.txt", "upper");
    fs::create_directories(dir / "deep" / "inner");
    WriteAll(dir / "deep" / "x.txt", "deep");
    WriteAll(dir / "x.txt", "top");
    fs::create_symlink("scan.txt", dir / "link.txt");
    fs::create_directory_symlink("deep/inner", dir / "in");

    CTextDoc* lower = Open("scan.txt");
    ASSERT_NE(lower, nullptr);
    // A name that differs in case only is another file here, and another document.
    CTextDoc* upper = Open("SCAN.txt");
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(upper, lower);
    EXPECT_EQ(upper->text, "upper");
    // The same file through "..", a symbolic link or a linked folder is the open document.
    EXPECT_EQ(Open("deep/../scan.txt"), lower);
    EXPECT_EQ(Open("link.txt"), lower);
    EXPECT_EQ(Open("in/../../scan.txt"), lower);
    EXPECT_EQ(lower->loads, 1);
    // ".." after a linked folder leads beside the link's target, as the system resolves it.
    CTextDoc* deep = Open("in/../x.txt");
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->text, "deep");
    EXPECT_EQ(Open("deep/x.txt"), deep);

    // A document whose file went away is still known by its path.
    fs::remove(dir / "SCAN.txt");
    EXPECT_TRUE(fw::SameFile(Path("SCAN.txt"), Path("deep/../SCAN.txt")));
    EXPECT_FALSE(fw::SameFile(Path("SCAN.txt"), Path("scan.txt")));
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(DocumentTest, SaveWritesIntoTheFileBehindLinks) {
    AddTextTemplate();
    fs::create_directory(dir / "sub");
    WriteAll(dir / "sub" / "real.txt", "old");
    fs::create_symlink("sub/real.txt", dir / "link.txt");
    fs::create_symlink("link.txt", dir / "link2.txt");
    CTextDoc* doc = Open("link2.txt");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), L"link2.txt");

    // Through two levels of symbolic links: the links stay links, the file behind them gets the data.
    doc->text = "new";
    EXPECT_TRUE(doc->DoFileSave());
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_TRUE(fs::is_symlink(dir / "link2.txt"));
    EXPECT_EQ(ReadAll(dir / "sub" / "real.txt"), "partialnew");

    // A link to a file not there yet makes that file.
    fs::create_symlink("sub/made.txt", dir / "dangling.txt");
    EXPECT_TRUE(doc->DoSave(Path("dangling.txt")));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.txt"));
    EXPECT_EQ(ReadAll(dir / "sub" / "made.txt"), "partialnew");

    // Every hard link of a file sees the new data, in the same inode.
    WriteAll(dir / "a.txt", "old");
    fs::create_hard_link(dir / "a.txt", dir / "b.txt");
    struct stat before {};
    ASSERT_EQ(::stat((dir / "a.txt").c_str(), &before), 0);
    CTextDoc* hard = Open("a.txt");
    ASSERT_NE(hard, nullptr);
    hard->text = "shared";
    EXPECT_TRUE(hard->DoFileSave());
    EXPECT_EQ(ReadAll(dir / "b.txt"), "partialshared");
    struct stat after {};
    ASSERT_EQ(::stat((dir / "a.txt").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);

    // Any name the system takes can be saved: the longest one too.
    const std::string longest = std::string(251, 'n') + ".txt";
    EXPECT_TRUE(doc->DoSave(Path(longest)));
    EXPECT_EQ(ReadAll(dir / longest), "partialnew");

    EXPECT_TRUE(recorder.boxes.empty());
    // No temporary file stays behind.
    EXPECT_EQ(Entries(dir), 7u);
    EXPECT_EQ(Entries(dir / "sub"), 2u);
}

namespace {
// Runs check as an ordinary user, whom the permissions bind as they do not bind the superuser: in a
// child process that gives up the superuser's rights, or here when this process has none. Gives the
// number of failed expectations, or -1 when the child could not run.
int AsOrdinaryUser(const std::function<int()>& check) {
    if (::geteuid() != 0)
        return check();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 ? check() : 100);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
} // namespace

// A folder for the test that the ordinary user of AsOrdinaryUser can reach, whatever the folders above
// the build allow (a clone in a folder of mode 0700, say); removed at the end.
struct CReachableFolder {
    fs::path path = fs::temp_directory_path() / ("vantri-document-test-" + std::to_string(::getpid()));
    CReachableFolder() {
        fs::remove_all(path);
        fs::create_directories(path);
        fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    }
    ~CReachableFolder() {
        std::error_code ignored;
        fs::permissions(path / "locked", fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path, ignored);
    }
};

TEST_F(DocumentTest, SaveRefusesAFileOrFolderItMayNotWriteAndKeepsTheOwner) {
    const CReachableFolder reachable;
    dir = reachable.path;
    AddTextTemplate();
    WriteAll(dir / "ro.txt", "old");
    fs::permissions(dir / "ro.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    CTextDoc* doc = Open("ro.txt");
    ASSERT_NE(doc, nullptr);
    doc->text = "new";
    doc->SetModifiedFlag(true);

    // A file marked read-only is not replaced, whoever saves.
    EXPECT_FALSE(doc->DoFileSave());
    EXPECT_EQ(ReadAll(dir / "ro.txt"), "old");
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, L"Failed to save document.\n" + Path("ro.txt") +
                                          L" is read-only: the file cannot be replaced.");

    // A folder the user may not write in, and another user's file in a folder open to all.
    fs::create_directory(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write |
                                                       fs::perms::others_write));
    fs::create_directory(dir / "open");
    fs::permissions(dir / "open", fs::perms::all);
    const bool root = ::geteuid() == 0;
    if (root)
        WriteAll(dir / "open" / "theirs.txt", "theirs");
    const int failed = AsOrdinaryUser([&] {
        recorder.boxes.clear();
        int failures = 0;
        failures += doc->DoSave(Path("locked/new.txt"));
        failures += fs::exists(dir / "locked" / "new.txt");
        if (root) {
            failures += doc->DoSave(Path("open/theirs.txt"));
            failures += ReadAll(dir / "open" / "theirs.txt") != "theirs";
        }
        failures += recorder.boxes.empty() ||
                    recorder.boxes[0].text != L"Failed to save document.\nThe folder " + Path("locked") +
                                                  L" is read-only: " + Path("locked/new.txt") +
                                                  L" cannot be saved there.";
        if (root)
            failures += recorder.boxes.size() != 2 ||
                        recorder.boxes[1].text != L"Failed to save document.\n" + Path("open/theirs.txt") +
                                                      L" is read-only: the file cannot be replaced.";
        return failures;
    });
    EXPECT_EQ(failed, 0);

    // The superuser's save keeps the file's owner, group and mode.
    if (!root)
        return;
    WriteAll(dir / "owned.txt", "old");
    ASSERT_EQ(::chown((dir / "owned.txt").c_str(), 1234, 4321), 0);
    ASSERT_EQ(::chmod((dir / "owned.txt").c_str(), 0640), 0);
    EXPECT_TRUE(doc->DoSave(Path("owned.txt")));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "owned.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 4321u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadAll(dir / "owned.txt"), "partialnew");
}

TEST_F(DocumentTest, AFileNameThatIsNotUtf8OpensAndSavesUnderItsOwnBytes) {
    AddTextTemplate();
    const std::string name = "scan-\xB5m-\xFF\xC0\xAF.txt";
    WriteAll(dir / name, "old");
    CTextDoc* doc = Open(name);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->text, "old");
    EXPECT_EQ(fw::ToUtf8(doc->GetPathName()), (dir / name).string());
    doc->text = "new";
    EXPECT_TRUE(doc->DoFileSave());
    EXPECT_EQ(ReadAll(dir / name), "partialnew");
    EXPECT_EQ(Entries(dir), 1u);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST(Text, EveryByteStringComesBackUnchanged) {
    const std::wstring text = L"2.00 \u00B5m \u2126 \u00C5 \U0001F600";
    EXPECT_EQ(fw::ToUtf8(text), "2.00 \xC2\xB5m \xE2\x84\xA6 \xC3\x85 \xF0\x9F\x98\x80");
    EXPECT_EQ(fw::FromUtf8(fw::ToUtf8(text)), text);
    // The edges of what is valid stay characters.
    EXPECT_EQ(fw::FromUtf8("\xC2\x80\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF"),
              L"\u0080\uD7FF\uE000\U0010FFFF");

    // Each byte that is not UTF-8 travels as U+DC80..U+DCFF: stray and truncated bytes, overlong forms,
    // encoded surrogates and code points past U+10FFFF.
    EXPECT_EQ(fw::FromUtf8("a\xB5m\xE2\x82"), L"a\xDCB5m\xDCE2\xDC82");
    EXPECT_EQ(fw::FromUtf8("\xC0\xAF\xE0\x80\xAF"), L"\xDCC0\xDCAF\xDCE0\xDC80\xDCAF");
    EXPECT_EQ(fw::FromUtf8("\xED\xA0\x80z"), L"\xDCED\xDCA0\xDC80z");
    EXPECT_EQ(fw::FromUtf8("\xF4\x90\x80\x80\xF8"), L"\xDCF4\xDC90\xDC80\xDC80\xDCF8");
    EXPECT_EQ(fw::ToUtf8(L"a\xDCB5m"), "a\xB5m");
    // Other lone surrogates and values beyond Unicode have no bytes: U+FFFD.
    EXPECT_EQ(fw::ToUtf8(L"\xD800.\xDC7F.\xDD00.\x110000"),
              "\xEF\xBF\xBD.\xEF\xBF\xBD.\xEF\xBF\xBD.\xEF\xBF\xBD");

    // Random byte strings, rich in lead and continuation bytes, come back as they were.
    std::mt19937 random(7);
    const unsigned char alphabet[] = {'a',  0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                      0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0x00};
    for (int n = 0; n < 20000; ++n) {
        std::string bytes(random() % 9, '\0');
        for (char& b : bytes)
            b = static_cast<char>(alphabet[random() % sizeof alphabet]);
        ASSERT_EQ(fw::ToUtf8(fw::FromUtf8(bytes)), bytes);
    }
}
