#pragma once
// The child frame: an MDI window that shows one document through one or more view widgets, one of which
// is active. Closing the last frame of a document closes the document.
#include <QList>
#include <QMdiSubWindow>
#include <QPointer>
#include <vector>

#include "framework/fwCommand.h"

namespace fw {

class CDocument;
class CView;

class CChildFrame : public QMdiSubWindow, public ICmdTarget {
    Q_OBJECT
public:
    // The document must outlive the frame, or its template must destroy the frame first.
    explicit CChildFrame(CDocument* document, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CDocument* GetDocument() const { return m_pDocument; }

    // Registers a view widget: a view that is a CView joins the document, and the first view becomes
    // the active one. A frame without a widget takes the view as its widget; a frame that lays out
    // several views (splitters) places them itself.
    void AddView(QWidget* view);
    QList<QWidget*> GetViewWidgets() const;
    // The active view as a document's view, or null when the active widget is none.
    CView* GetActiveView() const;
    QWidget* GetActiveViewWidget() const { return m_activeView; }
    // Views become active when they or their children take the focus.
    void SetActiveView(QWidget* view);

    // Which of its document's frames this is: 0 when it is the only one, otherwise 1, 2, ... in the
    // order of the document's views.
    int GetWindowNumber() const;
    // Sets the title: by default the document's title, with ":n" after it when the document has several
    // frames. Frames that title themselves override it; it is called at every idle pass.
    virtual void OnUpdateFrameTitle();
    // Shows the frame, maximised when the active frame is, and makes it the active one.
    virtual void ActivateFrame();
    // The frame became, or stopped being, the active frame of the main frame.
    virtual void OnMDIActivate(bool) {}

    // Closes the document (with the question whether to save it) and every frame that shows it.
    // False when the user keeps it open.
    bool CloseDocument();
    // Called by the document's template before the document goes away: the frame leaves the
    // document and closes without asking anything.
    void DestroyFrame();

    // "Close", and F6 / Shift+F6 between the frame's views; other commands are not the base frame's.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CCmdState& state) const override;

    // The frames whose views show a document, in the order of the document's views.
    static std::vector<CChildFrame*> FramesOf(const CDocument& document);
    // The frame a view widget lives in, or null.
    static CChildFrame* FrameOf(QWidget* widget);

    bool IsInitialUpdateDone() const { return m_bInitialUpdateDone; }
    void SetInitialUpdateDone() { m_bInitialUpdateDone = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Takes the views out of the document, so that its updates no longer reach a closing window.
    void DetachViews();
    // The views that can take the focus now, in the order they were added.
    QList<QWidget*> FocusableViews() const;

    CDocument* m_pDocument;
    QMetaObject::Connection m_focusWatch;
    QList<QPointer<QWidget>> m_views;
    QPointer<QWidget> m_activeView;
    bool m_bDestroying = false;
    bool m_bInitialUpdateDone = false;
};

} // namespace fw
