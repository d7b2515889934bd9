#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>
#include <memory>

#include "UiTestKit.h"

using namespace uitest;

namespace {

class Idle : public ::testing::Test {
protected:
    void SetUp() override {
        main = ShowMainFrame(600, 400);
        Settle();
        app.idleCounts.clear();
    }

    CTestApp app;
    std::unique_ptr<CTestMainFrame> main;
};

} // namespace

TEST_F(Idle, PassCountsUpFromZeroWhileTheApplicationHasMoreToDo) {
    app.busyUntil = 3;
    fw::CQtApp::Get()->KickIdle();
    Settle();
    EXPECT_EQ(app.idleCounts, (std::vector<long>{0, 1, 2, 3}));

    // Once it said no, the loop waits for something to happen.
    QTest::qWait(100);
    EXPECT_EQ(app.idleCounts.size(), 4u);

    app.idleCounts.clear();
    QTest::mouseClick(main.get(), Qt::LeftButton, {}, QPoint(40, 40));
    Settle();
    ASSERT_FALSE(app.idleCounts.empty()) << "input starts a pass";
    EXPECT_EQ(app.idleCounts.front(), 0);
}

TEST_F(Idle, InputBetweenStepsStartsTheCountAgain) {
    app.busyUntil = 1000;
    bool typed = false;
    app.onIdle = [&](long count) {
        // Input arrives while the pass is under way; it is served before the next step.
        if (count == 5 && !typed) {
            typed = true;
            QTimer::singleShot(0, main.get(), [] {});
        }
        if (count == 20)
            app.busyUntil = 0;
    };
    fw::CQtApp::Get()->KickIdle();
    Settle();
    const std::vector<long> counts = app.idleCounts;
    ASSERT_GT(counts.size(), 7u);
    EXPECT_EQ(counts[5], 5);
    EXPECT_EQ(counts[6], 0) << "the queued call restarts the pass";
}

TEST_F(Idle, NoPassRunsInsideAModalDialogAndOneFollowsIt) {
    QDialog dialog(main.get());
    std::size_t duringDialog = 99;
    QTimer::singleShot(20, &dialog, [&] {
        app.idleCounts.clear();
        fw::CQtApp::Get()->KickIdle();
        QTest::qWait(50);
        duringDialog = app.idleCounts.size();
        dialog.accept();
    });
    dialog.exec();
    Settle();
    EXPECT_EQ(duringDialog, 0u);
    EXPECT_FALSE(app.idleCounts.empty());
}
