// The view base on a real window: its context, scrolling with bars, keys and wheel, and the copy.
#include <QClipboard>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "ViewKit.h"

using gl::CglView;
using viewtest::CColourView;

namespace {

TEST(glView, ContextHasTheFormatAndDrawsOnTheScreenColour) {
    CColourView view;
    viewtest::Show(view, 200, 150);
    const QSurfaceFormat format = view.GetGLWidget()->context()->format();
    EXPECT_EQ(format.redBufferSize(), 8);
    EXPECT_EQ(format.alphaBufferSize(), 8);
    EXPECT_GE(format.depthBufferSize(), 24);
    EXPECT_EQ(format.stencilBufferSize(), 8);
    // Fixed-function drawing needs a context that has it.
    EXPECT_TRUE(format.profile() != QSurfaceFormat::CoreProfile);

    const QImage screen = viewtest::Screen(view);
    EXPECT_EQ(screen.size(), QSize(200, 150));
    EXPECT_TRUE(viewtest::Near(screen.pixel(199, 149), 235, 235, 235)) << std::hex << screen.pixel(199, 149);
    EXPECT_TRUE(viewtest::Near(screen.pixel(100, 75), 0, 255, 0));
    EXPECT_TRUE(viewtest::Near(screen.pixel(2, 2), 255, 0, 0));
    EXPECT_EQ(view.draws.back().target, CglView::kScreen);
    // Nothing stays current once an operation is over.
    view.GetGLWidget()->doneCurrent();
    view.UpdateViewport();
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);
    EXPECT_FALSE(view.CreateContext()) << "the format of a live context cannot change";
}

class glViewScroll : public ::testing::Test {
protected:
    void SetUp() override {
        viewtest::Show(view, 300, 200);
        bar = view.verticalScrollBar()->sizeHint().width();
        ASSERT_GT(bar, 0);
        ASSERT_LT(bar, 50);
    }
    // The viewport the last screen drawing had.
    QRect Drawn() {
        viewtest::Screen(view);
        return view.draws.back().viewport;
    }
    void Key(Qt::Key key) { QTest::keyClick(&view, key); }
    void Wheel(int delta) {
        const QPointF at(50, 50);
        QWheelEvent event(at, view.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view.viewport(), &event);
    }

    CColourView view;
    int bar = 0;
};

TEST_F(glViewScroll, AWideDrawingGetsAHorizontalBarThatTakesItsHeightFromTheClient) {
    view.SetLogicalSize(600, 150, true);
    ASSERT_TRUE(view.HasHScrollBar());
    EXPECT_FALSE(view.HasVScrollBar());
    EXPECT_EQ(view.GetClientWidth(), 300);
    EXPECT_EQ(view.GetClientHeight(), 200 - bar);
    EXPECT_EQ(view.GetHScrollInfo().nPage, 300);
    EXPECT_EQ(Drawn(), QRect(0, 0, 600, 200 - bar));

    Key(Qt::Key_Right);
    EXPECT_EQ(view.GetHScrollInfo().nPos, 5);
    EXPECT_EQ(Drawn(), QRect(-4, 0, 600, 200 - bar));
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(view.GetHScrollInfo().nPos, 1) << "a line up stops at the minimum";
    // The bar's own drag moves the drawing the same way.
    view.horizontalScrollBar()->setValue(301);
    EXPECT_EQ(view.GetHScrollInfo().nPos, 301);
    EXPECT_EQ(Drawn(), QRect(-300, 0, 600, 200 - bar));
    Key(Qt::Key_Right);
    EXPECT_EQ(view.GetHScrollInfo().nPos, 301) << "the last position shows the drawing's end";
}

TEST_F(glViewScroll, ATallDrawingScrollsByKeysAndWheelAndTheScreenFollows) {
    view.SetLogicalSize(600, 800, true);
    ASSERT_TRUE(view.HasHScrollBar());
    ASSERT_TRUE(view.HasVScrollBar());
    const int page = 200 - bar;
    ASSERT_EQ(view.GetVScrollInfo().nPage, page);
    ASSERT_EQ(view.GetVScrollInfo().Last(), 801 - page);
    // At the top, the drawing's top edge is the client's.
    EXPECT_EQ(Drawn(), QRect(0, page - 800, 600, 800));
    EXPECT_TRUE(viewtest::Near(viewtest::Screen(view).pixel(2, 2), 255, 0, 0));

    Key(Qt::Key_Down);
    EXPECT_EQ(view.GetVScrollInfo().nPos, 5);
    EXPECT_EQ(Drawn(), QRect(0, page - 796, 600, 800));
    Key(Qt::Key_PageDown);
    EXPECT_EQ(view.GetVScrollInfo().nPos, 5 + page);
    Key(Qt::Key_End);
    EXPECT_EQ(view.GetVScrollInfo().nPos, 801 - page);
    EXPECT_EQ(Drawn(), QRect(0, 0, 600, 800));
    Key(Qt::Key_PageUp);
    EXPECT_EQ(view.GetVScrollInfo().nPos, 801 - 2 * page);
    Key(Qt::Key_Home);
    EXPECT_EQ(view.GetVScrollInfo().nPos, 1);

    for (int i = 0; i < 6; ++i)
        Key(Qt::Key_Down);
    ASSERT_EQ(view.GetVScrollInfo().nPos, 25);
    // The marker has moved up and out of the client's corner.
    EXPECT_FALSE(viewtest::Near(viewtest::Screen(view).pixel(2, 2), 255, 0, 0));
    Wheel(240);
    EXPECT_EQ(view.GetVScrollInfo().nPos, 17) << "two lines up";
    Wheel(-119);
    EXPECT_EQ(view.GetVScrollInfo().nPos, 17) << "less than a notch is no line";
    Wheel(-120);
    EXPECT_EQ(view.GetVScrollInfo().nPos, 21);
    EXPECT_EQ(view.verticalScrollBar()->value(), 21);
}

TEST_F(glViewScroll, BothBarsGoWhenTheDrawingFitsTheWindowWithoutThem) {
    view.SetLogicalSize(600, 800, true);
    Key(Qt::Key_End);
    ASSERT_TRUE(view.HasHScrollBar() && view.HasVScrollBar());
    // Larger than the client between the bars, but not than the window.
    view.SetLogicalSize(300 - bar / 2, 200, true);
    EXPECT_FALSE(view.HasHScrollBar());
    EXPECT_FALSE(view.HasVScrollBar());
    EXPECT_EQ(view.GetClientWidth(), 300);
    EXPECT_EQ(view.GetClientHeight(), 200);
    EXPECT_EQ(Drawn(), QRect(0, 0, 300, 200));
    // Keys and wheel of a direction without a bar change nothing.
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    Wheel(-240);
    EXPECT_EQ(view.GetHScrollInfo().nPos, 1);
    EXPECT_EQ(view.GetVScrollInfo().nPos, 1);
    EXPECT_EQ(Drawn(), QRect(0, 0, 300, 200));
}

TEST_F(glViewScroll, ResizingTheWindowBringsTheBarsBackAndKeepsThePositionInRange) {
    view.SetLogicalSize(400, 300, true);
    ASSERT_TRUE(view.HasVScrollBar());
    Key(Qt::Key_End);
    view.resize(450, 350);
    QTest::qWait(20);
    EXPECT_FALSE(view.HasHScrollBar());
    EXPECT_FALSE(view.HasVScrollBar());
    EXPECT_EQ(Drawn(), QRect(0, 0, 450, 350));
    view.resize(300, 250);
    QTest::qWait(20);
    ASSERT_TRUE(view.HasHScrollBar() && view.HasVScrollBar());
    EXPECT_EQ(view.GetClientHeight(), 250 - bar);
    EXPECT_EQ(Drawn(), QRect(0, 250 - bar - 300, 400, 300));
}

TEST(glViewCopy, CopyDrawsTheClientOnWhiteAndLeavesTheScreenAsItWas) {
    CColourView view;
    viewtest::Show(view, 240, 160);
    QGuiApplication::clipboard()->clear();
    view.GetGLWidget()->doneCurrent();
    view.OnEditCopy();
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);
    EXPECT_EQ(view.draws.back().target, CglView::kClipboard);
    EXPECT_EQ(view.Target(), CglView::kScreen);

    const QImage copy = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copy.size(), QSize(240, 160));
    EXPECT_TRUE(viewtest::Near(copy.pixel(239, 159), 255, 255, 255));
    EXPECT_TRUE(viewtest::Near(copy.pixel(120, 80), 0, 255, 0));
    // Rows come top-down: the marker is in the top-left corner.
    EXPECT_TRUE(viewtest::Near(copy.pixel(2, 2), 255, 0, 0));
    EXPECT_TRUE(viewtest::Near(copy.pixel(2, 157), 255, 255, 255));

    EXPECT_TRUE(viewtest::Near(viewtest::Screen(view).pixel(239, 159), 235, 235, 235));
}

TEST(glViewCopy, TheCopyCommandIsTheViewsAndNeedsADocument) {
    CColourView view;
    fw::CCmdState state;
    ASSERT_TRUE(view.OnUpdateCommand(gl::ID_EDIT_COPY, state));
    EXPECT_FALSE(state.enabled);
    fw::CDocument document;
    document.AddView(&view);
    ASSERT_TRUE(view.OnUpdateCommand(gl::ID_EDIT_COPY, state));
    EXPECT_TRUE(state.enabled);
    EXPECT_TRUE(view.OnUpdateCommand(gl::ID_FILE_PRINT_PREVIEW, state) && state.enabled);
    EXPECT_FALSE(view.OnUpdateCommand(57603, state));
    EXPECT_FALSE(view.OnCommand(57603));
    document.RemoveView(&view);
}

} // namespace
