#include <gtest/gtest.h>

#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <chrono>
#include <thread>
#include <vector>

#include "framework/qt/fwBusyCursor.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// What a tick saw: when, since the work started, and whether the wait cursor was up.
struct CSeen {
    long long ms;
    bool wait;
};

bool WaitCursorUp() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

// Work of `length` on the application's thread, ticking every 5 ms.
std::vector<CSeen> Work(milliseconds length) {
    std::vector<CSeen> seen;
    const auto start = Clock::now();
    while (Clock::now() - start < length) {
        std::this_thread::sleep_for(milliseconds(5));
        fw::CBusyCursor::Tick();
        seen.push_back(
            {std::chrono::duration_cast<milliseconds>(Clock::now() - start).count(), WaitCursorUp()});
    }
    return seen;
}

// The application's own loop, waiting for events between them as it does for the user, for ms.
void RunLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class Busy : public ::testing::Test {
protected:
    void SetUp() override {
        fw::CBusyCursor::Install();
        RunLoop(50);
        ASSERT_FALSE(WaitCursorUp());
    }
};

} // namespace

TEST_F(Busy, WaitCursorAfterAQuarterSecondOfWorkUntilTheLoopWaitsAgain) {
    std::vector<CSeen> seen;
    QTimer::singleShot(0, [&] { seen = Work(milliseconds(600)); });
    RunLoop(800);
    ASSERT_FALSE(seen.empty());
    for (const CSeen& s : seen) {
        // Within a margin either side of the quarter second for a loaded machine.
        if (s.ms < 150) {
            EXPECT_FALSE(s.wait) << "at " << s.ms << " ms";
        } else if (s.ms >= 350) {
            EXPECT_TRUE(s.wait) << "at " << s.ms << " ms";
        }
    }
    // Back in the loop with nothing to do: the arrow again.
    EXPECT_FALSE(WaitCursorUp());
    EXPECT_FALSE(fw::CBusyCursor::Shown());

    // The next stretch starts from its own beginning.
    QTimer::singleShot(0, [&] { seen = Work(milliseconds(150)); });
    RunLoop(300);
    ASSERT_FALSE(seen.empty());
    for (const CSeen& s : seen)
        EXPECT_FALSE(s.wait) << "a short piece of work at " << s.ms << " ms";
}

TEST_F(Busy, TimeInADialogIsNotWork) {
    std::vector<CSeen> seen;
    bool dialogRan = false;
    QTimer::singleShot(0, [&] {
        // A command asks first: the user thinks for half a second in the dialog's own loop.
        QDialog dialog;
        QTimer::singleShot(500, &dialog, &QDialog::accept);
        dialogRan = dialog.exec() == QDialog::Accepted;
        seen = Work(milliseconds(150));
    });
    RunLoop(900);
    EXPECT_TRUE(dialogRan);
    ASSERT_FALSE(seen.empty());
    for (const CSeen& s : seen)
        EXPECT_FALSE(s.wait) << "after the dialog, at " << s.ms << " ms";
    EXPECT_FALSE(WaitCursorUp());
}

TEST_F(Busy, OnlyTheApplicationsThreadShowsIt) {
    std::vector<CSeen> seen;
    bool workerShowed = true;
    QTimer::singleShot(0, [&] {
        // A helper thread ticks while the application's thread waits for it past the delay.
        std::thread worker([&] {
            std::this_thread::sleep_for(milliseconds(350));
            fw::CBusyCursor::Tick();
        });
        worker.join();
        workerShowed = WaitCursorUp();
        seen = Work(milliseconds(20));
    });
    RunLoop(600);
    EXPECT_FALSE(workerShowed);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(seen.back().wait) << "the application's own tick, 370 ms in";
    EXPECT_FALSE(WaitCursorUp());
}
