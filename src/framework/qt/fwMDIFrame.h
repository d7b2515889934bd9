#pragma once
// The main frame: a main window whose central widget is the MDI area that holds the child frames. It
// owns the command table and gives commands their route.
#include <QMainWindow>
#include <QPointer>
#include <vector>

#include "framework/fwCommand.h"

class QMdiArea;
class QMdiSubWindow;

namespace fw {

class CChildFrame;
class CCommandTable;

class CMDIFrame : public QMainWindow, public ICmdTarget {
    Q_OBJECT
public:
    explicit CMDIFrame(QWidget* parent = nullptr);
    ~CMDIFrame() override;

    // The main frame in force, or null.
    static CMDIFrame* Get();

    QMdiArea* MdiArea() const { return m_pArea; }
    CCommandTable& Commands() const { return *m_pCommands; }

    // Puts a frame into the MDI area; it stays hidden until it is activated.
    void AddChild(CChildFrame* frame);
    // The active child frame; it stays the active one while another application has the focus.
    CChildFrame* GetActiveFrame() const;
    std::vector<CChildFrame*> GetChildFrames() const;
    // A frame being destroyed: it gets no more activation calls, even if the MDI area reports its
    // deactivation only while the frame's base part is still being torn down.
    void ForgetFrame(const CChildFrame* frame);

    // Where a command goes now: the active view, its document, the active frame, this frame and the
    // application.
    std::vector<ICmdTarget*> CommandRoute();

    // The framework's share of an idle pass: the update handlers of the commands on visible tool bars
    // and of those with shortcuts, then the titles.
    virtual void OnIdleUpdateCmdUI();
    // The caption: the application's name, and " - " with the active document's title after it.
    virtual void OnUpdateFrameTitle();

    bool OnCommand(int) override { return false; }
    bool OnUpdateCommand(int, CCmdState&) const override { return false; }

    // A child frame became, or stopped being, the active one (after the frame itself was told).
    virtual void OnFrameActivated(CChildFrame*, bool) {}
    // A child frame that sticks out of the MDI client asks to be moved back inside at the next idle pass.
    virtual void MoveBackLater(CChildFrame*) {}

protected:
    // Asks to save the modified documents and closes them all before the window goes; a cancel keeps
    // everything open.
    void closeEvent(QCloseEvent* event) override;

private:
    void OnSubWindowActivated();

    QMdiArea* m_pArea;
    CCommandTable* m_pCommands;
    QPointer<CChildFrame> m_activeFrame;
};

} // namespace fw
