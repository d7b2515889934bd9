#pragma once
// Base of every document view that draws with OpenGL: a scrolling view whose drawing may be larger than
// the window, with bitmap-font text, a clipboard copy and printing.
//
// The view is a QAbstractScrollArea whose viewport is a QOpenGLWidget. The scroll bars sit beside the
// viewport, so the viewport is the client area: its framebuffer, its GL viewport and its mouse
// coordinates all start at the client's corner, and a bar that appears shrinks the client as it would
// on a desktop that puts scroll bars outside the client. Sizes and scroll positions are in framebuffer
// pixels (widget pixels times the device pixel ratio). Mouse, wheel and key events of the viewport
// arrive at the view's own handlers, as with any scroll area.
#include <QAbstractScrollArea>
#include <QPointer>
#include <QRect>
#include <QSurfaceFormat>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/fwDocument.h"
#include "view3d/qt/glFont.h"

class QMdiSubWindow;
class QOpenGLWidget;
class QPainter;
class QPrinter;

namespace doc {
class CDataDoc;
}

namespace gl {

class CPrintContext;
class CglViewSurface;

// Framework commands a view answers.
enum ViewCommand : int {
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_EDIT_COPY = 57634,
};

// One axis of scrolling, kept as the window system's scroll-bar record.
struct ScrollInfo {
    int nMin = 1;
    int nMax = 0;  // the logical size of the drawing
    int nPage = 0; // the visible size
    int nPos = 1;
    int nTrackPos = 1;

    // The largest position: the one that shows the end of the drawing.
    int Last() const { return nMin + nMax - nPage; }
    // The bar is needed while the page does not hold the whole drawing.
    bool Needed() const { return nPage < nMax; }
};

// The scroll messages, per axis (up and left, down and right alike).
enum class Scroll { LineUp, LineDown, PageUp, PageDown, ThumbTrack, Top, Bottom };

class CglView : public QAbstractScrollArea, public fw::CView {
    Q_OBJECT
public:
    static constexpr float kScreenClear[4] = {0.92f, 0.92f, 0.92f, 1.0f};
    // Printing and the clipboard copy draw on white.
    static constexpr float kPrintClear[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    // Values of RenderTarget.
    enum Target { kScreen = 0, kPrinter = 1, kClipboard = 2 };
    static constexpr int kLineStep = 4;

    explicit CglView(QWidget* parent = nullptr);
    ~CglView() override;

    // By default a repaint.
    void OnUpdate(fw::CView* sender, long hint, void* pHint) override;

    // Logical size of the drawing (the scroll maxima); with redraw the bars and the viewport follow.
    virtual void SetLogicalSize(int width, int height, bool redraw = true);
    // Pages become the client size, or the full window size when the drawing fits without bars.
    virtual void UpdateScrollBars();
    // Renders the scene into the current context; the base clears the colour buffer.
    virtual void DrawScene();
    // Runs once the context exists (and again when it is recreated); the base sets the screen clear colour.
    virtual void InitGL();
    // Font display lists in the current context (the view's when none is current); see glFont.h.
    virtual bool CreateTextFont();
    virtual bool CreateSymbolFont();
    virtual bool CreatePrinterTextFont();
    virtual bool CreatePrinterSymbolFont();
    // Places the GL viewport for the scroll positions: the drawing's full size, shifted by the positions.
    virtual void UpdateViewport();
    // Takes the format (the standard one when none is given) for the context. The context comes when the
    // view is first shown; false when it exists already, since its format can no longer change.
    virtual bool CreateContext(const QSurfaceFormat* format = nullptr);
    // The surface the view shows.
    virtual doc::CDataDoc* GetSurface() = 0;

    // Copy, print and preview commands.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

    // Renders the client area on white and puts it on the clipboard.
    virtual void OnEditCopy();
    // The same picture with a text beside it (the numbers a graph shows), for whatever the paste
    // asks for; false when there is no picture.
    bool CopyWithText(const QString& text);
    // Renders the client area on white as for the clipboard: GetClientWidth x GetClientHeight pixels of
    // 4 bytes (blue, green, red, 255), rows bottom-up. False when there is no client or no context.
    bool CaptureClient(std::vector<std::uint8_t>& bgra);
    // Asks with the print dialog, then prints.
    void OnFilePrint();
    // What the application's print setup chose (printer, page), applied to every print job before it
    // is shown or run; none by default.
    static void SetPrinterSettings(std::function<void(QPrinter&)> apply);
    static void ApplyPrinterSettings(QPrinter& printer);
    // Names the job after the document.
    void NameJob(QPrinter& printer) const;
    // Prints one page on a configured printer (a PDF file when it is set to PdfFormat) without asking;
    // false when the printer could not be painted on.
    bool OnFilePrint(QPrinter& printer);
    void OnFilePrintPreview();

    // The steps of a print job.
    virtual bool OnPreparePrinting(QPrinter& printer, bool preview);
    virtual void OnPrint(QPainter& painter, QPrinter& printer);
    virtual void OnEndPrinting();

    void OnHScroll(Scroll code, int trackPos = 0);
    void OnVScroll(Scroll code, int trackPos = 0);

    // Width of a text in the fonts of the current target (the printer's while printing).
    int TextWidth(const std::wstring& text) const;
    // Draws a text with the font lists at the current raster position.
    static void CallText(const std::wstring& text);

    int GetClientWidth() const { return m_nClientWidth; }
    int GetClientHeight() const { return m_nClientHeight; }
    const ScrollInfo& GetHScrollInfo() const { return m_hScroll; }
    const ScrollInfo& GetVScrollInfo() const { return m_vScroll; }
    bool HasHScrollBar() const;
    bool HasVScrollBar() const;
    // The viewport of the view's context, as the last UpdateViewport or drawing left it.
    QRect GetViewport() const { return m_viewport; }
    QOpenGLWidget* GetGLWidget() const;
    // Invalidates the client; RedrawWindow repaints it at once.
    void Invalidate();
    void RedrawWindow();

protected:
    // 0 while drawing for the screen, 1 for the printer, 2 for the clipboard.
    int RenderTarget = kScreen;

    // After the client was resized (and the bars and viewport followed).
    virtual void OnSizeChanged() {}
    // Sets the viewport of the view's context, kept for every later drawing and for printing's aspect.
    void ApplyViewport(const QRect& viewport);
    // The off-screen context of the print job in progress, or null.
    CPrintContext* PrintContext() const { return m_print.get(); }

    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class CglViewSurface;

    // Calls from the GL widget.
    void OnSize(int cx, int cy);
    void PaintGL();

    void OnScroll(Qt::Orientation orientation, Scroll code, int trackPos);
    void ApplyScrollInfo(Qt::Orientation orientation);
    bool BuildFont(FontKind kind, bool printer);
    // Puts back the screen fonts that printer fonts built during printing replaced in the shared lists.
    void RestoreScreenFonts();

    CglViewSurface* m_pSurface = nullptr;
    QSurfaceFormat m_format;
    ScrollInfo m_hScroll;
    ScrollInfo m_vScroll;
    int m_nClientWidth = 0;
    int m_nClientHeight = 0;
    QRect m_viewport;         // in logical pixels, as the view lays out
    QRect m_glViewport;       // the same in the framebuffer's device pixels
    double m_fontRatio = 0.0; // the pixel ratio the screen fonts were made for; 0 before the first
    bool m_bCapturing = false;
    bool m_bApplyingBars = false;
    bool m_bClientChanged = false;

    std::unique_ptr<CPrintContext> m_print;
    // The print context shares the lists of the view, where printer fonts take the place of the screen
    // fonts: which printer fonts the job uses, and whether they are in the lists now.
    bool m_bPrinterTextFont = false;
    bool m_bPrinterSymbolFont = false;
    bool m_bPrinterFontsLoaded = false;
};

} // namespace gl
