#pragma once
// The frame of a 2D-type image window: a status bar along its top, then a splitter with the image
// view and, when shown, the height bar. It sizes itself to the image: a new window fits the part of
// the main frame its document's image counter gives it, and while not maximised the frame stays
// between the frame of a 200 x 200 image and the frame of the fitted image, its height following its
// width when the aspect is locked and the image scales with the frame.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "framework/qt/AdvChildFrame.h"

class CStatusBarTop;

namespace color {
class CFillCommands;
}

namespace m2D {

class CPlaneView;
class CVRView;

enum FrameCommand : int {
    ID_VIEW_RULERS = 32782,
    ID_VIEW_HEIGHT_BAR = 32783,
};

// The frame's splitter: the image column, and the height bar's column at the right.
class CSplitWnd : public QWidget {
    Q_OBJECT
public:
    explicit CSplitWnd(QWidget* parent = nullptr);
    void SetPanes(QWidget* image, QWidget* bar);
    // Shows or hides the bar's column; the image column takes the rest of the width.
    void ShowBar(bool shown);
    bool BarShown() const { return m_bBar; }
    QWidget* Image() const { return m_pImage; }
    QWidget* Bar() const { return m_pBar; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Place();
    QWidget* m_pImage = nullptr;
    QWidget* m_pBar = nullptr;
    bool m_bBar = false;
};

class CPlaneChildFrame : public CAdvChildFrame {
    Q_OBJECT
public:
    // The status panes by string id: " Scale:", "x ", "y ", " Size:", " x", " y", " z".
    explicit CPlaneChildFrame(fw::CDocument* document, QWidget* parent = nullptr);
    ~CPlaneChildFrame() override;

    CPlaneView* View() const { return m_pView; }
    // The height bar while it is shown, else null.
    CVRView* BarView() const;
    CStatusBarTop* StatusBar() const { return m_pStatus; }
    CSplitWnd* Splitter() const { return m_pSplit; }
    color::CFillCommands* Fill() const { return m_fill.get(); }
    void SetPaneText(int pane, const QString& text);
    QString PaneText(int pane) const;

    // The width of the main frame's MDI client, and what the frame adds across the image view.
    int MdiClientWidth() const;
    int BorderWidth() const;
    // While the frame sizes itself, the view keeps its scales.
    bool IsSizing() const { return m_nSizing > 0; }
    // Grows or shrinks the frame so that the view grows by (dw, dh) pixels.
    void ResizeViewBy(int dw, int dh);
    // The frame holding the image at its current scales, limited to the MDI client.
    void FitToImage();
    // The frame's size for an image of width x height pixels with the current margins and bar.
    QSize FrameSizeFor(int width, int height) const;

    // Notices from the view.
    void OnScalesChanged();
    void OnTurned();
    void OnSurfaceRebuilt();
    // Colours changed: the image's texture and the bar's ramp are uploaded again.
    void OnColorsChanged();

    void ShowHeightBar(bool shown);
    void ShowRulers(bool shown);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;
    void OnUpdateFrameTitle() override;
    WindowKind Kind() const override { return kKind2D; }
    // The text after the document's title: " : 2D".
    virtual QString TitleSuffix() const { return QStringLiteral(" : 2D"); }

    // The new window's size: its scale from the target part of the MDI client, then the frame round
    // it. Throws C2DException when no scale fits.
    void InitialLayout();

protected:
    // Takes the views; the bar is made when the options show it.
    void Init(CPlaneView* view);
    // Makes the bar of this kind of window (the 2D window's by default).
    virtual CVRView* MakeBar();
    // The bar made again by MakeBar: a derived frame's constructor calls it, since the base's
    // construction could only make the base's bar.
    void RemakeBar();
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class CSizing;
    // What the frame adds round the image view: decorations, status bar and bar column.
    QSize Extra() const;
    QSize MinimumFrame() const;
    QSize FittedFrame() const;

    QWidget* m_pBody = nullptr;
    CStatusBarTop* m_pStatus = nullptr;
    CSplitWnd* m_pSplit = nullptr;
    CPlaneView* m_pView = nullptr;
    QPointer<CVRView> m_pBar;
    std::unique_ptr<color::CFillCommands> m_fill;
    int m_nSizing = 0;
    QSize m_lastSize;
    // The scales of the normal window, kept while it is maximised or minimised.
    float m_fNormalHScale = 0.0f;
    float m_fNormalVScale = 0.0f;
};

// The frame of one view class.
template <class TView> class TPlaneChildFrame : public CPlaneChildFrame {
public:
    explicit TPlaneChildFrame(fw::CDocument* document, QWidget* parent = nullptr)
        : CPlaneChildFrame(document, parent) {
        m_pTypedView = new TView();
        Init(m_pTypedView);
    }
    TView* GetView() const { return m_pTypedView; }

private:
    TView* m_pTypedView;
};

} // namespace m2D
