// The brightness/contrast tool bar: its buttons, the auto-repeat of a held button and its tips.
#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QLabel>
#include <QMainWindow>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include "FillTestKit.h"
#include "view2d/qt/AttToolBar.h"

using namespace color;

namespace {

class AttToolBar : public ::testing::Test {
protected:
    void SetUp() override {
        bar = new CAttToolBar(window.table);
        bar->SetSource([this] { return &window.attenuator; });
        main.addToolBar(bar);
        main.resize(500, 200);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }

    QToolButton* Button(int index) { return bar->Button(index); }
    QPoint Centre(int index) { return Button(index)->rect().center(); }
    // Through the main window, as the window system delivers them: the press grabs the mouse for the
    // button under it.
    QPoint InWindow(int index) { return Button(index)->mapTo(&main, Centre(index)); }
    // The real pointer goes there first: the display reports enter and leave by where it is, and a
    // leave of the pressed button would take the tracking tip away.
    void Press(int index) {
        QCursor::setPos(Button(index)->mapToGlobal(Centre(index)));
        QCoreApplication::processEvents();
        QTest::mousePress(main.windowHandle(), Qt::LeftButton, {}, InWindow(index));
    }
    void Release(int index) { QTest::mouseRelease(main.windowHandle(), Qt::LeftButton, {}, InWindow(index)); }
    QString TipText() { return bar->TrackingTip() ? bar->TrackingTip()->text() : QString(); }
    // The tooltip the button shows when the mouse rests on it.
    QString ButtonTip(int index) {
        QHelpEvent help(QEvent::ToolTip, Centre(index), Button(index)->mapToGlobal(Centre(index)));
        QApplication::sendEvent(Button(index), &help);
        const QString text = QToolTip::text();
        QToolTip::hideText();
        return text;
    }

    filltest::CFillWindow window;
    QMainWindow main;
    CAttToolBar* bar = nullptr;
};

} // namespace

TEST_F(AttToolBar, HoldsTheFourCommandsInOrder) {
    const int ids[] = {ID_CONTRAST_UP, ID_CONTRAST_DOWN, ID_BRIGHTNESS_UP, ID_BRIGHTNESS_DOWN};
    ASSERT_EQ(bar->actions().size(), 4);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(Button(i), nullptr);
        EXPECT_EQ(fw::CCommandTable::CommandId(Button(i)->defaultAction()), ids[i]);
    }
}

TEST_F(AttToolBar, HoldingAButtonRepeatsFasterAndFaster) {
    Press(0);
    EXPECT_EQ(window.attenuator.Contrast(), 1) << "the first step comes with the press";
    EXPECT_EQ(bar->TickCount(), 1);
    EXPECT_EQ(bar->Interval(), 150);
    EXPECT_TRUE(bar->IsRepeating());
    EXPECT_TRUE(Button(0)->isDown());
    EXPECT_EQ(TipText(), "50.5%");

    // Tick number -> the period from that tick on.
    const std::pair<int, int> speedUps[] = {{2, 140}, {4, 130}, {8, 120}, {12, 110}, {15, 100},
                                            {18, 90}, {21, 80}, {25, 70}, {32, 60},  {40, 50}};
    int expected = 150;
    for (int tick = 1; tick <= 60; ++tick) {
        for (const auto& [at, interval] : speedUps)
            if (tick == at)
                expected = interval;
        bar->Tick();
        ASSERT_EQ(bar->Interval(), expected) << "tick " << tick;
        ASSERT_EQ(bar->TickCount(), tick + 1);
        ASSERT_EQ(window.attenuator.Contrast(), tick + 1);
    }
    EXPECT_EQ(TipText(), "80.5%");
    EXPECT_EQ(window.redraws, 61);

    Release(0);
    EXPECT_FALSE(bar->IsRepeating());
    EXPECT_EQ(bar->TickCount(), 0);
    EXPECT_FALSE(Button(0)->isDown());
    EXPECT_EQ(window.attenuator.Contrast(), 61) << "the release takes no step";
    bar->Tick();
    EXPECT_EQ(window.attenuator.Contrast(), 61) << "a late tick does nothing";
    EXPECT_EQ(TipText(), "80.5%") << "the tip stays";

    // A double click comes as a press, a release, the double click and a release.
    QTest::mouseClick(Button(2), Qt::LeftButton, {}, Centre(2));
    QTest::mouseDClick(Button(2), Qt::LeftButton, {}, Centre(2));
    EXPECT_TRUE(bar->IsRepeating());
    Release(2);
    EXPECT_EQ(window.attenuator.Brightness(), 2);
    EXPECT_EQ(TipText(), "51.0%");
}

TEST_F(AttToolBar, TheTimerStepsUntilTheRelease) {
    Press(3);
    QTest::qWait(600); // ticks at about 150, 290, 430 and 560 ms
    Release(3);
    const int held = window.attenuator.Brightness();
    EXPECT_LE(held, -2);
    EXPECT_GE(held, -6);
    QTest::qWait(400);
    EXPECT_EQ(window.attenuator.Brightness(), held);
}

TEST_F(AttToolBar, AReleaseStopsWhereverItComes) {
    for (int i = 0; i < 97; ++i)
        window.Run(ID_CONTRAST_UP);
    Press(0);
    bar->Tick();
    EXPECT_EQ(window.attenuator.Contrast(), 99);
    EXPECT_FALSE(Button(0)->isEnabled());
    EXPECT_TRUE(Button(1)->isEnabled());
    bar->Tick();
    EXPECT_EQ(window.attenuator.Contrast(), 99);
    EXPECT_EQ(TipText(), "99.5%");
    Release(0);
    EXPECT_FALSE(bar->IsRepeating());

    Press(0);
    EXPECT_FALSE(bar->IsRepeating()) << "a disabled button does not start";
    Release(0);

    // A window that pops up while the button is held takes the mouse, and the release with it.
    Press(1);
    ASSERT_TRUE(bar->IsRepeating());
    QWidget popup;
    QTest::mouseRelease(&popup, Qt::LeftButton);
    EXPECT_FALSE(bar->IsRepeating());
    EXPECT_FALSE(Button(1)->isDown());
}

TEST_F(AttToolBar, TheTrackingTipGoesWhenTheMouseLeavesThePressedButton) {
    Press(1);
    ASSERT_NE(bar->TrackingTip(), nullptr);
    EXPECT_TRUE(bar->TrackingTip()->isVisible());
    // A slow machine may already have repeated the step: the tip follows whatever step was reached.
    EXPECT_EQ(TipText().toStdWString(), PercentTip(window.attenuator.Contrast()));
    EXPECT_LE(window.attenuator.Contrast(), -1);
    QTest::mouseMove(Button(1), Centre(1) + QPoint(1, 0));
    EXPECT_NE(bar->TrackingTip(), nullptr) << "still over the pressed button";
    QTest::mouseMove(Button(2), Centre(2));
    EXPECT_EQ(bar->TrackingTip(), nullptr);
    EXPECT_TRUE(bar->IsRepeating()) << "the button is still held";
    Release(1);
}

TEST_F(AttToolBar, ButtonTipsShowTheActiveModelsPercentages) {
    window.Run(ID_BRIGHTNESS_DOWN);
    EXPECT_EQ(ButtonTip(0), "Contrast 50.0%");
    EXPECT_EQ(ButtonTip(1), "Contrast 50.0%");
    EXPECT_EQ(ButtonTip(2), "Brightness 49.5%");
    EXPECT_EQ(ButtonTip(3), "Brightness 49.5%");
    bar->SetSource([] { return nullptr; });
    EXPECT_EQ(ButtonTip(2), "Brightnees up") << "without a window, the command's own tooltip";
    Press(0);
    EXPECT_EQ(bar->TrackingTip(), nullptr);
    EXPECT_EQ(window.attenuator.Contrast(), 1);
    Release(0);
}
