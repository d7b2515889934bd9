#include "framework/qt/fwBusyCursor.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QThread>
#include <atomic>

namespace fw {

namespace {

using Clock = std::chrono::steady_clock;

struct CState {
    std::atomic<QThread*> thread{nullptr}; // the application's thread, once installed
    Clock::time_point since;               // when the loop last woke
    bool shown = false;
};

CState& State() {
    static CState state;
    return state;
}

void Awake() {
    State().since = Clock::now();
}

void AboutToBlock() {
    CState& state = State();
    state.since = Clock::now();
    if (state.shown) {
        state.shown = false;
        QGuiApplication::restoreOverrideCursor();
    }
}

} // namespace

void CBusyCursor::Install() {
    CState& state = State();
    if (state.thread || !QCoreApplication::instance())
        return;
    QAbstractEventDispatcher* dispatcher =
        QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
    if (!dispatcher)
        return;
    state.since = Clock::now();
    state.thread = QCoreApplication::instance()->thread();
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, dispatcher, &Awake, Qt::DirectConnection);
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, &AboutToBlock,
                     Qt::DirectConnection);
}

void CBusyCursor::Tick() {
    CState& state = State();
    QThread* const thread = state.thread.load(std::memory_order_relaxed);
    if (!thread || QThread::currentThread() != thread || state.shown)
        return;
    if (Clock::now() - state.since < kDelay)
        return;
    state.shown = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

bool CBusyCursor::Shown() {
    return State().shown;
}

} // namespace fw
