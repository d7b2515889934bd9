#pragma once
// Documents, views, frames and an application that answer for chosen commands and record what
// reached them, for the window tests of the framework.
#include <QColor>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/fwApp.h"
#include "framework/fwDocument.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwMDIFrame.h"
#include "framework/qt/fwQtApp.h"

namespace uitest {

// Answers for the ids in answers and records the commands it handled.
struct CHandlers {
    std::map<int, fw::CCmdState> answers;
    std::vector<int> handled;

    bool Handle(int id) {
        if (!answers.count(id))
            return false;
        handled.push_back(id);
        return true;
    }
    bool Answer(int id, fw::CCmdState& state) const {
        auto it = answers.find(id);
        if (it == answers.end())
            return false;
        state = it->second;
        return true;
    }
};

// A view painted in one colour.
class CTestView : public QWidget, public fw::CView, public CHandlers {
public:
    explicit CTestView(QWidget* parent = nullptr, QColor colour = QColor(30, 160, 90))
        : QWidget(parent), colour(colour) {
        setFocusPolicy(Qt::StrongFocus);
        setMinimumSize(160, 120);
    }
    QColor colour;
    int initialUpdates = 0;
    std::vector<long> hints;

    void OnInitialUpdate() override { ++initialUpdates; }
    void OnUpdate(fw::CView*, long hint, void*) override { hints.push_back(hint); }
    bool OnCommand(int id) override { return Handle(id); }
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override { return Answer(id, state); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour); }
};

class CTestDoc : public fw::CDocument, public CHandlers {
public:
    bool failOpen = false;
    bool OnOpenDocument(const std::wstring&) override { return !failOpen; }
    bool OnCommand(int id) override { return Handle(id); }
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override { return Answer(id, state); }
};

class CTestFrame : public fw::CChildFrame, public CHandlers {
public:
    using fw::CChildFrame::CChildFrame;
    std::vector<bool> activations;
    void OnMDIActivate(bool active) override { activations.push_back(active); }
    bool OnCommand(int id) override { return Handle(id) || fw::CChildFrame::OnCommand(id); }
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override {
        return Answer(id, state) || fw::CChildFrame::OnUpdateCommand(id, state);
    }
};

class CTestMainFrame : public fw::CMDIFrame, public CHandlers {
public:
    bool OnCommand(int id) override { return Handle(id); }
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override { return Answer(id, state); }
};

class CTestApp : public fw::CWinApp, public CHandlers {
public:
    std::vector<long> idleCounts;
    long busyUntil = 0; // OnIdle asks for more while count < busyUntil
    std::function<void(long)> onIdle;

    bool OnIdle(long count) override {
        idleCounts.push_back(count);
        if (onIdle)
            onIdle(count);
        return count < busyUntil;
    }
    bool OnCommand(int id) override { return Handle(id); }
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override { return Answer(id, state); }
};

// A main frame of that size, shown on the screen.
inline std::unique_ptr<CTestMainFrame> ShowMainFrame(int width, int height) {
    auto main = std::make_unique<CTestMainFrame>();
    main->resize(width, height);
    main->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    return main;
}

// Lets the loop run until nothing is left to do, idle passes included.
inline void Settle() {
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::qWait(5);
        if (!fw::CQtApp::Get()->IsIdlePending())
            return;
    }
}

} // namespace uitest
