#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/fwArchive.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/DocException.h"
#include "model/SurfaceApp.h"
#include "model/VantriDoc.h"
#include "model/VantriDocTemplate.h"

namespace {

namespace fs = std::filesystem;

// A scan format for tests: the file is "IMAGES [fail=K] [skip=K]"; every image is a 4 x 3 ramp.
class CFakeScanDoc : public doc::CVantriDoc {
public:
    int images = 0;
    int reprocessed = 0;

    long long FindImage(int k) override { return k >= 0 && k < images ? k : -1; }
    void Reprocess() override {
        ++reprocessed;
        m_preprocessor.range = 65536.0f;
        RunChain();
    }
    void Serialize(fw::CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.Write(std::to_string(images));
            return;
        }
        BeginLoad();
        char buffer[64] = {};
        ar.Read(buffer, sizeof buffer - 1);
        std::istringstream in(buffer);
        in >> images;
        std::string word;
        while (in >> word) {
            if (word == "fail=" + std::to_string(image)) {
                doc::CDocException e(L"image " + std::to_wstring(image) + L" is damaged.", this);
                fw::MessageBox(e.GetErrorMessage());
                e.reported = true;
                throw e;
            }
            if (word == "skip=" + std::to_string(image))
                throw "safely close";
        }
        m_rawColumns = 4;
        m_rawRows = 3;
        m_raw = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        RawChanged();
        Reprocess();
        PrepareNextImage();
    }
};

class CRecordingView : public fw::CView {
public:
    std::vector<long> hints;
    void OnUpdate(fw::CView*, long hint, void*) override { hints.push_back(hint); }
};

class CPrompt : public doc::IKernelPrompt {
public:
    bool answer = false;
    int asked = 0;
    doc::CKernelDialogValues shown, chosen{5, 3, 0, 0, false};
    bool PromptKernel(doc::CKernelDialogValues& values) override {
        ++asked;
        shown = values;
        if (answer)
            values = chosen;
        else
            values.width = 99; // a cancelled dialog's edits must not stick
        return answer;
    }
};

class SurfaceDocTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(VANTRI_TEST_OUT) /
              ("surface_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        tmpl = static_cast<doc::CVantriDocTemplate*>(app.GetDocManager().AddDocTemplate(
            std::make_unique<doc::CVantriDocTemplate>(L"\nNew\nFake\nFake (*.000)\n.000;.001\nV.Doc\nV Doc",
                                                      [] { return std::make_unique<CFakeScanDoc>(); })));
    }
    std::wstring Make(const char* name, const char* content) {
        std::ofstream(dir / name) << content;
        return fw::FromUtf8((dir / name).string());
    }
    std::vector<CFakeScanDoc*> Docs() const {
        std::vector<CFakeScanDoc*> docs;
        for (fw::CDocument* d : tmpl->GetDocuments())
            docs.push_back(static_cast<CFakeScanDoc*>(d));
        return docs;
    }

    fs::path dir;
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope{recorder};
    doc::CSurfaceApp app;
    doc::CVantriDocTemplate* tmpl = nullptr;
};

} // namespace

TEST_F(SurfaceDocTest, AFileOfSeveralImagesOpensAsOneNumberedGroup) {
    const std::wstring three = Make("three.001", "3");
    auto* first = dynamic_cast<CFakeScanDoc*>(app.OpenDocumentFile(three));
    ASSERT_NE(first, nullptr);
    auto docs = Docs();
    ASSERT_EQ(docs.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(docs[k]->image, k);
        EXPECT_EQ(docs[k]->group, 0);
        EXPECT_EQ(docs[k]->GetPathName(), three);
    }
    EXPECT_EQ(first->image, 0);
    EXPECT_EQ(app.TakeArrangeMark(), first);
    EXPECT_EQ(app.TakeArrangeMark(), nullptr);
    EXPECT_EQ(first->GroupDocuments().size(), 3u);

    // Opening it again re-activates; the next file gets the next group and starts at image 0.
    EXPECT_EQ(app.OpenDocumentFile(three), first);
    EXPECT_EQ(Docs().size(), 3u);
    auto* next = dynamic_cast<CFakeScanDoc*>(app.OpenDocumentFile(Make("one.002", "1")));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->group, 1);
    EXPECT_EQ(next->image, 0);
    EXPECT_EQ(tmpl->m_nImage, 0);
    EXPECT_TRUE(recorder.boxes.empty());

    // A closed document is no longer marked for arrangement.
    app.GetDocManager().CloseAllDocuments();
    EXPECT_EQ(app.TakeArrangeMark(), nullptr);
}

// A template that notes when each image's load starts and when its window is first shown.
class CRecordingTemplate : public doc::CVantriDocTemplate {
public:
    using doc::CVantriDocTemplate::CVantriDocTemplate;
    std::vector<std::string> events;

protected:
    bool CreateFrame(fw::CDocument&) override {
        events.push_back("load " + std::to_string(m_nImage));
        return true;
    }
    void InitialUpdateFrame(fw::CDocument& d) override {
        events.push_back("show " + std::to_string(static_cast<doc::CVantriDoc&>(d).image));
    }
};

TEST(SurfaceGroupTest, ImagesOpenOneAfterAnotherUpToTheLimit) {
    const fs::path dir = fs::path(VANTRI_TEST_OUT) / "surface_group";
    fs::create_directories(dir);
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope{recorder};
    doc::CSurfaceApp app;
    auto* t = static_cast<CRecordingTemplate*>(app.GetDocManager().AddDocTemplate(
        std::make_unique<CRecordingTemplate>(L"\nNew\nFake\nFake (*.000)\n.000\nV.Doc\nV Doc",
                                             [] { return std::make_unique<CFakeScanDoc>(); })));
    std::ofstream(dir / "three.000") << "3";
    ASSERT_NE(app.OpenDocumentFile(fw::FromUtf8((dir / "three.000").string())), nullptr);
    // Each image is shown before the next one loads: nothing is opened inside another open.
    EXPECT_EQ(t->events,
              (std::vector<std::string>{"load 0", "show 0", "load 1", "show 1", "load 2", "show 2"}));

    // Past the limit the rest are counted and left out, and the next file starts a group of its own.
    std::ofstream(dir / "many.000") << doc::CSurfaceApp::kMaxGroupImages + 40;
    auto* first =
        dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8((dir / "many.000").string())));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GroupDocuments().size(), static_cast<std::size_t>(doc::CSurfaceApp::kMaxGroupImages));
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text,
              L"Only the first 256 images of this file are opened; 40 images are left out.");
    EXPECT_EQ(first->group, 1);
    std::ofstream(dir / "one.000") << "1";
    auto* next =
        dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8((dir / "one.000").string())));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->group, 2);
    EXPECT_EQ(next->image, 0);
}

TEST_F(SurfaceDocTest, ALaterImageThatFailsKeepsTheEarlierOnesAndClosesTheGroup) {
    ASSERT_NE(app.OpenDocumentFile(Make("broken.000", "3 fail=1")), nullptr);
    auto docs = Docs();
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0]->image, 0);
    EXPECT_EQ(app.FailedOpens(), 1);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, L"This file can not be open, because \nimage 1 is damaged.");

    auto* next = dynamic_cast<CFakeScanDoc*>(app.OpenDocumentFile(Make("next.000", "2")));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->group, 1) << "a broken group must not share its number with the next file";
    EXPECT_EQ(next->image, 0);

    // A skipped image ends its open without a word.
    recorder.boxes.clear();
    ASSERT_NE(app.OpenDocumentFile(Make("skip.000", "2 skip=1")), nullptr);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(Docs().size(), 4u);
    auto* after = dynamic_cast<CFakeScanDoc*>(app.OpenDocumentFile(Make("after.000", "1")));
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->group, 3);
}

TEST_F(SurfaceDocTest, SurfaceCommandsSetOneSettingAndTheModifiedFlag) {
    auto* d = dynamic_cast<CFakeScanDoc*>(app.OpenDocumentFile(Make("c.000", "1")));
    ASSERT_NE(d, nullptr);
    CRecordingView view;
    d->AddView(&view);
    const int runs = d->reprocessed;

    EXPECT_TRUE(d->OnCommand(doc::ID_PLANE_PARABOLA_Y));
    EXPECT_EQ(d->m_planeFit.mode, doc::PlaneModel::ParabolaY);
    EXPECT_TRUE(d->IsModified());
    EXPECT_TRUE(d->OnCommand(doc::ID_FILTER_GAUSS5));
    EXPECT_EQ(d->m_filter.type, doc::FilterType::Gauss5);
    // "None" in any group clears the flag, even while another group is still set.
    EXPECT_TRUE(d->OnCommand(doc::ID_FLAT_NONE));
    EXPECT_FALSE(d->IsModified());
    EXPECT_EQ(d->m_planeFit.mode, doc::PlaneModel::ParabolaY);
    EXPECT_EQ(d->m_nFlatting, doc::Flattening::None);
    EXPECT_EQ(d->reprocessed, runs + 3);
    EXPECT_EQ(view.hints, (std::vector<long>{doc::kHintSurface, doc::kHintSurface, doc::kHintSurface}));

    doc::CCmdState state;
    ASSERT_TRUE(d->OnUpdateCommand(doc::ID_PLANE_PARABOLA_Y, state));
    EXPECT_TRUE(state.radio && state.checked);
    ASSERT_TRUE(d->OnUpdateCommand(doc::ID_PLANE_NONE, state));
    EXPECT_TRUE(state.radio && !state.checked);
    ASSERT_TRUE(d->OnUpdateCommand(doc::ID_FILTER_GAUSS5, state));
    EXPECT_TRUE(state.checked);

    // Jump elimination is a check mark and sets the flag both ways; Normalize leaves the flag alone.
    EXPECT_TRUE(d->OnCommand(doc::ID_JUMPS));
    ASSERT_TRUE(d->OnUpdateCommand(doc::ID_JUMPS, state));
    EXPECT_TRUE(state.checked && !state.radio);
    d->SetModifiedFlag(false);
    EXPECT_TRUE(d->OnCommand(doc::ID_JUMPS));
    EXPECT_FALSE(d->m_bJumps);
    EXPECT_TRUE(d->IsModified());
    d->SetModifiedFlag(false);
    EXPECT_TRUE(d->OnCommand(doc::ID_NORMALIZE));
    EXPECT_FALSE(d->m_normalize.pending); // the chain ran and took the request
    EXPECT_FALSE(d->IsModified());
    ASSERT_TRUE(d->OnUpdateCommand(doc::ID_NORMALIZE, state));
    EXPECT_TRUE(state.enabled && !state.checked);

    EXPECT_FALSE(d->OnCommand(12345));
    EXPECT_FALSE(d->OnUpdateCommand(12345, state));
    d->RemoveView(&view);
}

TEST_F(SurfaceDocTest, CustomKernelCommandsApplyOnlyWhenConfirmed) {
    auto* d = dynamic_cast<CFakeScanDoc*>(app.OpenDocumentFile(Make("k.000", "1")));
    ASSERT_NE(d, nullptr);
    const int runs = d->reprocessed;

    // With no dialog at all, a custom entry changes nothing.
    EXPECT_TRUE(d->OnCommand(doc::ID_FILTER_MEAN_CUSTOM));
    EXPECT_EQ(d->m_filter.type, doc::FilterType::None);

    CPrompt prompt;
    doc::IKernelPrompt* previous = doc::SetKernelPrompt(&prompt);
    EXPECT_TRUE(d->OnCommand(doc::ID_FILTER_MEAN_CUSTOM));
    EXPECT_TRUE(d->OnCommand(doc::ID_MORPH_ERODE_CUSTOM));
    EXPECT_EQ(prompt.asked, 2);
    EXPECT_EQ(d->m_filter.type, doc::FilterType::None);
    EXPECT_EQ(d->m_morphology.operation, doc::MorphOp::None);
    EXPECT_EQ(d->m_filter.dialog.width, 3);
    EXPECT_FALSE(d->IsModified());
    EXPECT_EQ(d->reprocessed, runs);

    prompt.answer = true;
    EXPECT_TRUE(d->OnCommand(doc::ID_FILTER_MEDIAN_CUSTOM));
    EXPECT_TRUE(d->OnCommand(doc::ID_MORPH_DILATE_CUSTOM));
    EXPECT_EQ(d->m_filter.type, doc::FilterType::MedianCustom);
    EXPECT_EQ(d->m_morphology.operation, doc::MorphOp::DilateCustom);
    EXPECT_TRUE(d->IsModified());
    // The dialog showed its own memory (3 x 3, centred) and the choice went into the stage and the memory.
    EXPECT_EQ(prompt.shown.width, 3);
    EXPECT_TRUE(prompt.shown.center);
    EXPECT_EQ(d->m_filter.kernel.width, 5);
    EXPECT_EQ(d->m_filter.kernel.height, 3);
    EXPECT_EQ(d->m_morphology.element.anchorX, 0);
    EXPECT_EQ(d->m_filter.dialog.width, 5);
    EXPECT_FALSE(d->m_filter.dialog.center);
    doc::SetKernelPrompt(previous);
}

TEST_F(SurfaceDocTest, SaveAsGivesTheWholeGroupTheNewPath) {
    ASSERT_NE(app.OpenDocumentFile(Make("g.000", "3")), nullptr);
    ASSERT_NE(app.OpenDocumentFile(Make("h.000", "1")), nullptr);
    auto docs = Docs();
    ASSERT_EQ(docs.size(), 4u);
    const std::wstring target = fw::FromUtf8((dir / "saved.005").string());
    ASSERT_TRUE(docs[1]->OnFileSaveAs(target));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(docs[k]->GetPathName(), target);
    EXPECT_NE(docs[3]->GetPathName(), target);
    EXPECT_TRUE(fs::exists(dir / "saved.005"));
}

TEST_F(SurfaceDocTest, SaveAsksOnceBeforeReplacingTheScan) {
    const std::wstring scan = Make("scan.000", "1 measured");
    auto read = [&] {
        std::ifstream in(dir / "scan.000");
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    ASSERT_NE(app.OpenDocumentFile(scan), nullptr);
    CFakeScanDoc* d = Docs().front();
    recorder.answers = {fw::MsgAnswer::Cancel, fw::MsgAnswer::Yes};
    EXPECT_FALSE(d->DoFileSave());
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].buttons, fw::MsgButtons::ReplaceSaveAsCancel);
    EXPECT_EQ(
        recorder.boxes[0].text.rfind(L"Replace the measured data in scan.000 with the corrected surface?", 0),
        0u);
    EXPECT_EQ(read(), "1 measured");
    EXPECT_TRUE(d->DoFileSave());
    EXPECT_EQ(read(), "1");
    EXPECT_TRUE(d->DoFileSave()); // agreed once: no more questions
    EXPECT_EQ(recorder.boxes.size(), 2u);

    // A second document of the same file asks for itself; one saved under a new name does not ask.
    ASSERT_NE(app.OpenDocumentFile(Make("other.000", "1 measured")), nullptr);
    CFakeScanDoc* other = Docs().back();
    ASSERT_TRUE(other->OnFileSaveAs(fw::FromUtf8((dir / "copy.000").string())));
    EXPECT_TRUE(other->DoFileSave());
    EXPECT_EQ(recorder.boxes.size(), 2u);
}

TEST(VantriDocTemplate, MatchesNumberedExtensionsAndTheFilterText) {
    doc::CVantriDocTemplate numbered(L"\nNew\n000 DI file\nDI\n.000;.001\nV.Doc\nV Doc", nullptr);
    doc::CVantriDocTemplate spm(L"\nNew\nSPM file\nSPM\n.spm\nV.Doc\nV Doc", nullptr);
    fw::CDocument* match = nullptr;
    EXPECT_EQ(numbered.MatchDocType(L"/d/scan.018", match), fw::CDocTemplate::yesAttemptNative);
    EXPECT_EQ(numbered.MatchDocType(L"/d/image.0001", match), fw::CDocTemplate::yesAttemptNative);
    EXPECT_EQ(numbered.MatchDocType(L"/d/image.5", match), fw::CDocTemplate::yesAttemptForeign);
    EXPECT_EQ(numbered.MatchDocType(L"/d/image.01a", match), fw::CDocTemplate::yesAttemptForeign);
    EXPECT_EQ(numbered.MatchDocType(L"/d.123/image", match), fw::CDocTemplate::yesAttemptForeign);
    EXPECT_EQ(spm.MatchDocType(L"/d/x.SPM", match), fw::CDocTemplate::yesAttemptNative);
    EXPECT_EQ(spm.MatchDocType(L"/d/x.018", match), fw::CDocTemplate::yesAttemptForeign);
}
