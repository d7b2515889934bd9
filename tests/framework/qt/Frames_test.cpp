#include <gtest/gtest.h>

#include <QImage>
#include <QMdiArea>
#include <memory>

#include "UiTestKit.h"
#include "framework/fwDocManager.h"
#include "framework/fwMessage.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIDocTemplate.h"

using namespace uitest;

namespace {

using CTestTemplate = fw::TMDIDocTemplate<fw::CDocTemplate>;

class Frames : public ::testing::Test {
protected:
    void SetUp() override {
        main = ShowMainFrame(1000, 760);
        auto made = std::make_unique<CTestTemplate>(fw::MakeFrame<CTestFrame>(), fw::MakeView<CTestView>(),
                                                    L"\nTest\nTest\nTest files (*.tst)\n.tst", [this] {
                                                        auto doc = std::make_unique<CTestDoc>();
                                                        doc->failOpen = failNextOpen;
                                                        return doc;
                                                    });
        docTemplate = made.get();
        app.GetDocManager().AddDocTemplate(std::move(made));
    }
    void TearDown() override {
        // Documents close while their windows still exist, as at the application's exit.
        app.GetDocManager().CloseAllDocuments();
        Settle();
    }

    CTestDoc* Open(const wchar_t* path) {
        auto* doc = static_cast<CTestDoc*>(app.OpenDocumentFile(path));
        Settle();
        return doc;
    }
    static CTestFrame* FrameOf(fw::CDocument* doc, std::size_t k = 0) {
        const auto frames = fw::CChildFrame::FramesOf(*doc);
        return k < frames.size() ? static_cast<CTestFrame*>(frames[k]) : nullptr;
    }
    std::size_t Windows() const { return main->MdiArea()->subWindowList().size(); }

    bool failNextOpen = false;
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope{recorder};
    CTestApp app;
    std::unique_ptr<CTestMainFrame> main;
    CTestTemplate* docTemplate = nullptr;
};

} // namespace

TEST_F(Frames, OpeningADocumentShowsItsViewInAChildFrame) {
    CTestDoc* doc = Open(L"/tmp/scan.tst");
    ASSERT_NE(doc, nullptr);
    CTestFrame* frame = FrameOf(doc);
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<CTestView*>(frame->widget());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument(), doc);
    EXPECT_EQ(view->initialUpdates, 1);
    EXPECT_EQ(frame->GetActiveView(), view);
    EXPECT_EQ(main->GetActiveFrame(), frame);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), "scan.tst");
    EXPECT_EQ(main->windowTitle(), "Vantri - scan.tst");

    const QImage shot = main->grab().toImage();
    shot.save(QStringLiteral(VANTRI_TEST_OUT "/frames_one_document.png"));
    const QPoint centre = view->mapTo(main.get(), view->rect().center());
    EXPECT_EQ(shot.pixelColor(centre * shot.devicePixelRatio()), view->colour);

    // Views follow the document's updates until their window closes.
    doc->UpdateAllViews(nullptr, 2);
    EXPECT_EQ(view->hints, (std::vector<long>{2}));
}

TEST_F(Frames, FurtherWindowsAreNumberedAndTheLastOneClosesTheDocument) {
    CTestDoc* doc = Open(L"/tmp/scan.tst");
    ASSERT_NE(doc, nullptr);
    CTestFrame* first = FrameOf(doc);
    fw::CChildFrame* second = docTemplate->CreateNewFrame(*doc, first);
    ASSERT_NE(second, nullptr);
    docTemplate->InitialUpdateFrame(second, *doc);
    Settle();
    EXPECT_EQ(first->windowTitle(), "scan.tst:1");
    EXPECT_EQ(second->windowTitle(), "scan.tst:2");
    EXPECT_EQ(second->GetWindowNumber(), 2);
    EXPECT_EQ(main->GetActiveFrame(), second);

    EXPECT_TRUE(second->close());
    Settle();
    EXPECT_EQ(docTemplate->GetDocuments().size(), 1u);
    EXPECT_EQ(doc->GetViews().size(), 1u);
    EXPECT_EQ(first->windowTitle(), "scan.tst");

    EXPECT_TRUE(first->close());
    Settle();
    EXPECT_TRUE(docTemplate->GetDocuments().empty());
    EXPECT_EQ(Windows(), 0u);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(Frames, AModifiedDocumentAsksBeforeItsLastWindowCloses) {
    CTestDoc* doc = Open(L"/tmp/scan.tst");
    ASSERT_NE(doc, nullptr);
    doc->SetModifiedFlag(true);
    recorder.answers = {fw::MsgAnswer::Cancel};
    EXPECT_FALSE(FrameOf(doc)->close());
    Settle();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, L"Save changes to scan.tst?");
    EXPECT_EQ(recorder.boxes[0].buttons, fw::MsgButtons::YesNoCancel);
    ASSERT_EQ(docTemplate->GetDocuments().size(), 1u);
    EXPECT_TRUE(FrameOf(doc)->isVisible());

    // Closing the main frame asks too; a cancel keeps everything.
    recorder.answers = {fw::MsgAnswer::Cancel};
    EXPECT_FALSE(main->close());
    EXPECT_EQ(Windows(), 1u);

    recorder.answers = {fw::MsgAnswer::No};
    main->Commands().Add(fw::ID_FILE_CLOSE, "&Close", "Close the active document\nClose");
    EXPECT_TRUE(main->Commands().Execute(fw::ID_FILE_CLOSE));
    Settle();
    EXPECT_TRUE(docTemplate->GetDocuments().empty());
    EXPECT_EQ(Windows(), 0u);
    EXPECT_EQ(recorder.boxes.size(), 3u);
}

TEST_F(Frames, AFailedOpenLeavesNoWindow) {
    failNextOpen = true;
    EXPECT_EQ(Open(L"/tmp/broken.tst"), nullptr);
    EXPECT_EQ(Windows(), 0u);
    EXPECT_TRUE(docTemplate->GetDocuments().empty());
}

TEST_F(Frames, ActivationIsToldToFramesAndReopeningBringsTheFrameBack) {
    CTestDoc* a = Open(L"/tmp/a.tst");
    CTestDoc* b = Open(L"/tmp/b.tst");
    ASSERT_TRUE(a && b);
    CTestFrame* fa = FrameOf(a);
    CTestFrame* fb = FrameOf(b);
    EXPECT_EQ(main->GetActiveFrame(), fb);
    EXPECT_EQ(fa->activations, (std::vector<bool>{true, false}));
    EXPECT_EQ(fb->activations, (std::vector<bool>{true}));
    EXPECT_EQ(main->windowTitle(), "Vantri - b.tst");

    EXPECT_EQ(Open(L"/tmp/a.tst"), a);
    EXPECT_EQ(Windows(), 2u);
    EXPECT_EQ(main->GetActiveFrame(), fa);
    EXPECT_EQ(fb->activations.back(), false);
    EXPECT_EQ(main->windowTitle(), "Vantri - a.tst");

    // A window opened while the active one is maximised opens maximised.
    fa->showMaximized();
    CTestDoc* c = Open(L"/tmp/c.tst");
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(FrameOf(c)->isMaximized());
}

TEST_F(Frames, DeletingTheActiveFrameLeavesTheOthersActivatedSafely) {
    CTestDoc* a = Open(L"/tmp/a.tst");
    CTestDoc* b = Open(L"/tmp/b.tst");
    ASSERT_TRUE(a && b);
    CTestFrame* fa = FrameOf(a);
    CTestFrame* fb = FrameOf(b);
    ASSERT_EQ(main->GetActiveFrame(), fb);
    // A frame deleted outright (not closed through its document) must not be told of its
    // deactivation while it is half destroyed.
    delete fb;
    Settle();
    EXPECT_EQ(Windows(), 1u);
    main->MdiArea()->setActiveSubWindow(fa);
    Settle();
    EXPECT_EQ(main->GetActiveFrame(), fa);
    EXPECT_EQ(fa->activations.back(), true);
}

TEST_F(Frames, F6AndShiftF6MoveBetweenTheFramesViews) {
    CTestDoc* doc = Open(L"panes.tst");
    ASSERT_NE(doc, nullptr);
    CTestFrame* frame = FrameOf(doc);
    ASSERT_NE(frame, nullptr);
    // A frame of three side by side, the way a splitter lays out its panes; the first took the
    // focus when it opened.
    auto* first = static_cast<QWidget*>(dynamic_cast<CTestView*>(frame->GetActiveView()));
    ASSERT_NE(first, nullptr);
    auto* panes = new QWidget;
    auto* second = new CTestView(panes, QColor(200, 40, 40));
    auto* third = new CTestView(panes, QColor(40, 40, 200));
    first->setParent(panes);
    second->move(170, 0);
    third->move(340, 0);
    frame->setWidget(panes);
    frame->AddView(second);
    frame->AddView(third);
    frame->resize(560, 200);
    frame->show();
    fw::CCommandTable& commands = main->Commands();
    commands.Add(fw::ID_NEXT_PANE, QString(), QString(), {QKeySequence(Qt::Key_F6)});
    commands.Add(fw::ID_PREV_PANE, QString(), QString(), {QKeySequence(Qt::SHIFT | Qt::Key_F6)});
    commands.AttachShortcuts(main.get());
    main->activateWindow();
    first->setFocus();
    Settle();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->hasFocus(); }));
    commands.Update(fw::ID_NEXT_PANE);
    EXPECT_TRUE(commands.Action(fw::ID_NEXT_PANE)->isEnabled());

    QTest::keyClick(first, Qt::Key_F6);
    EXPECT_TRUE(second->hasFocus());
    EXPECT_EQ(frame->GetActiveViewWidget(), second);
    QTest::keyClick(second, Qt::Key_F6);
    EXPECT_TRUE(third->hasFocus());
    QTest::keyClick(third, Qt::Key_F6);
    EXPECT_TRUE(first->hasFocus()) << "round to the first";
    QTest::keyClick(first, Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(third->hasFocus()) << "back round to the last";
    EXPECT_EQ(frame->GetActiveViewWidget(), third);

    // A hidden pane is passed over; with one pane left there is nowhere to go.
    second->hide();
    QTest::keyClick(third, Qt::Key_F6);
    EXPECT_TRUE(first->hasFocus());
    third->hide();
    commands.Update(fw::ID_NEXT_PANE);
    EXPECT_FALSE(commands.Action(fw::ID_NEXT_PANE)->isEnabled());
}
