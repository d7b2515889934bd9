#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <memory>

#include "UiTestKit.h"
#include "framework/qt/fwCommandTable.h"

using namespace uitest;

namespace {

constexpr int kCmd = 32779;

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        main = ShowMainFrame(900, 700);
        frame = new CTestFrame(&doc);
        view = new CTestView;
        frame->AddView(view);
        main->AddChild(frame);
        frame->ActivateFrame();
        Settle();
        chain = {view, &doc, frame, main.get(), &app};
    }

    fw::CCommandTable& Table() { return main->Commands(); }
    fw::CCmdState State(bool enabled, bool checked = false, bool radio = false) {
        fw::CCmdState s;
        s.enabled = enabled;
        s.checked = checked;
        s.radio = radio;
        return s;
    }

    CTestApp app;
    CTestDoc doc;
    std::unique_ptr<CTestMainFrame> main;
    CTestFrame* frame = nullptr;
    CTestView* view = nullptr;
    std::vector<CHandlers*> chain;
};

} // namespace

TEST_F(Commands, RouteRunsFromTheViewThroughDocumentAndFramesToTheApplication) {
    Table().Add(kCmd, "Flip &vertically");
    for (std::size_t first = 0; first < chain.size(); ++first) {
        SCOPED_TRACE(first);
        for (std::size_t k = 0; k < chain.size(); ++k) {
            chain[k]->handled.clear();
            chain[k]->answers.clear();
            if (k >= first)
                chain[k]->answers[kCmd] = State(true);
        }
        Table().Action(kCmd)->trigger();
        for (std::size_t k = 0; k < chain.size(); ++k)
            EXPECT_EQ(chain[k]->handled.size(), k == first ? 1u : 0u) << "target " << k;
    }
    for (CHandlers* target : chain)
        target->answers.clear();
    EXPECT_FALSE(Table().Execute(kCmd));
}

TEST_F(Commands, TheViewWithTheFocusIsTheFirstTarget) {
    auto* splitter = new QSplitter;
    auto* left = new CTestView(splitter, Qt::blue);
    auto* right = new CTestView(splitter, Qt::red);
    auto* split = new CTestFrame(&doc);
    split->setWidget(splitter);
    split->AddView(left);
    split->AddView(right);
    main->AddChild(split);
    split->ActivateFrame();
    Settle();
    EXPECT_EQ(split->GetActiveView(), left);
    EXPECT_EQ(doc.GetViews().size(), 3u);

    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    right->setFocus();
    Settle();
    EXPECT_EQ(split->GetActiveView(), right);
    // A view that takes no focus becomes active when clicked.
    left->setFocusPolicy(Qt::NoFocus);
    QTest::mouseClick(left, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(split->GetActiveView(), left);
    left->answers[kCmd] = right->answers[kCmd] = view->answers[kCmd] = State(true);
    Table().Add(kCmd, "Flip &vertically");
    EXPECT_TRUE(Table().Execute(kCmd));
    EXPECT_EQ(left->handled.size(), 1u);
    EXPECT_TRUE(right->handled.empty());
    EXPECT_TRUE(view->handled.empty()); // the other frame's view is not active
}

TEST_F(Commands, ActionCarriesTextsAndTheHandlersState) {
    QAction* action =
        Table().Add(kCmd, "Flip &vertically\tCtrl+V", "Change image by vertically fliping\nFlip vertically");
    EXPECT_EQ(action->text(), "Flip &vertically\tCtrl+V");
    EXPECT_EQ(action->iconText(), "Flip vertically");
    EXPECT_EQ(action->statusTip(), "Change image by vertically fliping");
    EXPECT_EQ(action->toolTip(), "Flip vertically");
    EXPECT_EQ(fw::CCommandTable::CommandId(action), kCmd);

    Table().Update(kCmd);
    EXPECT_FALSE(action->isEnabled()) << "nobody answers";

    doc.answers[kCmd] = State(true, true);
    Table().Update(kCmd);
    EXPECT_TRUE(action->isEnabled());
    EXPECT_TRUE(action->isChecked());
    EXPECT_EQ(action->actionGroup(), nullptr) << "a check mark, not a radio dot";

    view->answers[kCmd] = State(false);
    Table().Update(kCmd);
    EXPECT_FALSE(action->isEnabled()) << "the view answers before the document";
    EXPECT_FALSE(action->isChecked());

    view->answers.clear();
    doc.answers[kCmd] = State(true, true, true);
    Table().Update(kCmd);
    ASSERT_NE(action->actionGroup(), nullptr);
    EXPECT_TRUE(action->actionGroup()->isExclusive());
    EXPECT_TRUE(action->isChecked());

    doc.answers[kCmd] = State(true, false, false);
    Table().Update(kCmd);
    EXPECT_EQ(action->actionGroup(), nullptr);
    EXPECT_FALSE(action->isChecked());
}

TEST_F(Commands, TriggeringShowsTheHandlersAnswerAndDisabledCommandsGoNowhere) {
    QAction* toggle = Table().Add(kCmd, "Rulers", QString(), {}, fw::CmdStyle::Check);
    doc.answers[kCmd] = State(true, false);
    Table().Update(kCmd);
    toggle->trigger(); // Qt checks it; the document's state says otherwise
    EXPECT_EQ(doc.handled, (std::vector<int>{kCmd}));
    EXPECT_FALSE(toggle->isChecked());

    // The action is still enabled from the last update, but the handler has disabled the command since.
    doc.answers[kCmd] = State(false);
    doc.handled.clear();
    frame->answers[kCmd] = State(true);
    toggle->trigger();
    EXPECT_TRUE(doc.handled.empty());
    EXPECT_TRUE(frame->handled.empty());
    EXPECT_FALSE(toggle->isEnabled());
}

TEST_F(Commands, MenusUpdateTheirCommandsBeforeShowing) {
    QAction* flip = Table().Add(kCmd, "Flip &vertically");
    QAction* plane = Table().Add(237, "Plane");
    QAction* foreign = new QAction("not a command", main.get());
    QMenu menu;
    menu.addAction(flip);
    menu.addAction(foreign);
    QMenu* sub = menu.addMenu("Plane fitting");
    sub->addAction(plane);
    Table().Track(&menu);
    Table().Track(&menu); // tracking twice must not update twice or break anything

    doc.answers[kCmd] = State(true, true);
    doc.answers[237] = State(true, true, true);
    Table().Update(kCmd);
    doc.answers[kCmd] = State(true, false);
    menu.popup(main->mapToGlobal(QPoint(50, 50)));
    EXPECT_FALSE(flip->isChecked());
    EXPECT_TRUE(foreign->isEnabled());
    EXPECT_FALSE(plane->isChecked()) << "a submenu waits until it opens";
    sub->popup(main->mapToGlobal(QPoint(80, 80)));
    EXPECT_TRUE(plane->isChecked());
    sub->close();
    menu.close();
}

TEST_F(Commands, IdlePassUpdatesVisibleToolbarsAfterTheApplicationsIdleWork) {
    QAction* shown = Table().Add(kCmd, "Flip &vertically");
    QAction* hidden = Table().Add(32780, "Flip horizontally");
    auto* bar = main->addToolBar("image");
    bar->addAction(shown);
    auto* off = main->addToolBar("bump");
    off->addAction(hidden);
    off->hide();
    doc.answers[kCmd] = State(true, true);
    doc.answers[32780] = State(true, true);
    // Idle work done at count 0 is what the tool bar shows after the same pass.
    app.onIdle = [this](long count) {
        if (count == 0)
            doc.answers[kCmd] = State(false);
    };
    fw::CQtApp::Get()->KickIdle();
    Settle();
    EXPECT_FALSE(shown->isEnabled());
    EXPECT_FALSE(hidden->isChecked());
    EXPECT_TRUE(hidden->isEnabled());
}

TEST_F(Commands, ShortcutsFollowTheHandlersBetweenMenus) {
    QAction* save = Table().Add(57603, "&Save\tCtrl+S", "Save the active document\nSave",
                                {QKeySequence(Qt::CTRL | Qt::Key_S)});
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    fw::CQtApp::Get()->KickIdle();
    Settle();
    EXPECT_FALSE(save->isEnabled());

    // No menu shows the command, yet its key works as soon as the document can save.
    doc.answers[57603] = State(true);
    fw::CQtApp::Get()->KickIdle();
    Settle();
    EXPECT_TRUE(save->isEnabled());
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(doc.handled, (std::vector<int>{57603}));
}
