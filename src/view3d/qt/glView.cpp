#include "view3d/qt/glView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QOpenGLWidget>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <new>
#include <qopengl.h>

#include "framework/fwDocument.h"
#include "framework/qt/fwBusyCursor.h"
#include "view3d/qt/glContext.h"
#include "view3d/qt/glPixels.h"
#include "view3d/qt/glPrint.h"

namespace gl {

// The viewport widget: its context is the view's, its resizes are the view's size changes.
class CglViewSurface : public QOpenGLWidget {
public:
    explicit CglViewSurface(CglView* view) : m_pView(view) {}
    // The view goes first; calls that come later (from the widget's own teardown) go nowhere.
    void Detach() { m_pView = nullptr; }

protected:
    void initializeGL() override {
        if (m_pView)
            m_pView->InitGL();
    }
    void paintGL() override {
        if (m_pView)
            m_pView->PaintGL();
    }
    void resizeEvent(QResizeEvent* event) override {
        // Before the framebuffer follows, so that the paint that comes with it has the new viewport. The
        // size is the present one: a bar shown or hidden here resizes again before this event is done,
        // and the event's own size is then out of date.
        if (m_pView)
            m_pView->OnSize(width(), height());
        QOpenGLWidget::resizeEvent(event);
    }

private:
    CglView* m_pView;
};

CglView::CglView(QWidget* parent) : QAbstractScrollArea(parent), m_format(StandardFormat()) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pSurface = new CglViewSurface(this);
    setViewport(m_pSurface);
    CglView::CreateContext();
    // The bars' own steps, pages and drags land on the same positions as the scroll messages.
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { OnScroll(Qt::Horizontal, Scroll::ThumbTrack, value); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { OnScroll(Qt::Vertical, Scroll::ThumbTrack, value); });
}

CglView::~CglView() {
    m_print.reset();
    m_pSurface->Detach();
}

void CglView::OnUpdate(fw::CView*, long, void*) {
    Invalidate();
}

QOpenGLWidget* CglView::GetGLWidget() const {
    return m_pSurface;
}

bool CglView::CreateContext(const QSurfaceFormat* format) {
    if (m_pSurface->context())
        return false;
    if (format)
        m_format = *format;
    m_pSurface->setFormat(m_format);
    return true;
}

void CglView::InitGL() {
    CCurrentContext current(m_pSurface);
    if (current)
        glClearColor(kScreenClear[0], kScreenClear[1], kScreenClear[2], kScreenClear[3]);
}

void CglView::DrawScene() {
    glClear(GL_COLOR_BUFFER_BIT);
}

void CglView::PaintGL() {
    const CPixelRatio ratio(m_pSurface->devicePixelRatioF());
    // Screen fonts rasterised for another ratio (the window moved to another screen) are made again.
    if (m_fontRatio > 0.0 && m_fontRatio != PixelRatio()) {
        CreateTextFont();
        CreateSymbolFont();
    }
    // The widget set a full-size viewport before calling; the context keeps its own between paints.
    if (m_glViewport.isValid())
        glViewport(m_glViewport.x(), m_glViewport.y(), m_glViewport.width(), m_glViewport.height());
    fw::CBusyCursor::Tick();
    DrawScene();
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    m_glViewport = QRect(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void CglView::Invalidate() {
    m_pSurface->update();
}
void CglView::RedrawWindow() {
    m_pSurface->repaint();
}

// Fonts

bool CglView::BuildFont(FontKind kind, bool printer) {
    CCurrentContext current(m_pSurface, CCurrentContext::Any);
    if (!current)
        return false;
    if (printer) {
        (kind == FontKind::Text ? m_bPrinterTextFont : m_bPrinterSymbolFont) = true;
        m_bPrinterFontsLoaded = true;
        return BuildFontLists(kind, printer);
    }
    // Screen fonts for the screen the view is on (painting makes them again when that changes), or
    // for the clipboard's picture while it is drawn.
    m_fontRatio = m_bCapturing ? 1.0 : m_pSurface->devicePixelRatioF();
    return BuildFontLists(kind, printer, m_fontRatio);
}

bool CglView::CreateTextFont() {
    return BuildFont(FontKind::Text, false);
}
bool CglView::CreateSymbolFont() {
    return BuildFont(FontKind::Symbol, false);
}
bool CglView::CreatePrinterTextFont() {
    return BuildFont(FontKind::Text, true);
}
bool CglView::CreatePrinterSymbolFont() {
    return BuildFont(FontKind::Symbol, true);
}

int CglView::TextWidth(const std::wstring& text) const {
    return static_cast<int>(std::lround(gl::TextWidth(text, RenderTarget == kPrinter)));
}
void CglView::CallText(const std::wstring& text) {
    gl::CallText(text);
}

void CglView::RestoreScreenFonts() {
    if (!m_bPrinterFontsLoaded)
        return;
    CCurrentContext current(m_pSurface);
    if (!current)
        return;
    m_bPrinterFontsLoaded = false;
    if (m_bPrinterTextFont)
        CreateTextFont();
    if (m_bPrinterSymbolFont)
        CreateSymbolFont();
}

// Scrolling

bool CglView::HasHScrollBar() const {
    return horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
}
bool CglView::HasVScrollBar() const {
    return verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
}

void CglView::OnSize(int cx, int cy) {
    if (cx <= 0 || cy <= 0)
        return;
    m_nClientWidth = cx;
    m_nClientHeight = cy;
    // Showing or hiding a bar resizes the client from inside the scroll area's layout, which must not be
    // entered again: the size is noted, and the running UpdateScrollBars takes it up afterwards.
    if (m_bApplyingBars) {
        m_bClientChanged = true;
        return;
    }
    UpdateScrollBars();
    UpdateViewport();
    OnSizeChanged();
}

void CglView::SetLogicalSize(int width, int height, bool redraw) {
    m_hScroll.nMax = width;
    m_hScroll.nPage = m_nClientWidth;
    m_vScroll.nMax = height;
    m_vScroll.nPage = m_nClientHeight;
    if (redraw) {
        UpdateScrollBars();
        UpdateViewport();
    }
}

void CglView::UpdateScrollBars() {
    bool resized = false;
    // Each pass can add or remove a bar; the third finds them settled.
    for (int pass = 0; pass < 3; ++pass) {
        const int fullWidth =
            m_nClientWidth + (HasVScrollBar() ? verticalScrollBar()->sizeHint().width() : 0);
        const int fullHeight =
            m_nClientHeight + (HasHScrollBar() ? horizontalScrollBar()->sizeHint().height() : 0);
        const bool fits = fullWidth >= m_hScroll.nMax && fullHeight >= m_vScroll.nMax;
        m_hScroll.nPage = fits ? fullWidth : m_nClientWidth;
        m_vScroll.nPage = fits ? fullHeight : m_nClientHeight;
        m_bClientChanged = false;
        m_bApplyingBars = true;
        ApplyScrollInfo(Qt::Horizontal);
        ApplyScrollInfo(Qt::Vertical);
        m_bApplyingBars = false;
        if (!m_bClientChanged)
            break;
        resized = true;
    }
    // The framebuffer was redrawn as it was resized, before the caller places the viewport.
    if (resized)
        Invalidate();
}

void CglView::ApplyScrollInfo(Qt::Orientation orientation) {
    const bool horizontal = orientation == Qt::Horizontal;
    ScrollInfo& info = horizontal ? m_hScroll : m_vScroll;
    QScrollBar* bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
    const int last = std::max(info.nMin, info.Last());
    info.nPos = std::clamp(info.nPos, info.nMin, last);
    {
        const QSignalBlocker blocker(bar);
        bar->setRange(info.nMin, last);
        bar->setPageStep(std::max(1, info.nPage));
        bar->setSingleStep(kLineStep);
        bar->setValue(info.nPos);
    }
    // Showing or hiding a bar resizes the client at once.
    const Qt::ScrollBarPolicy policy = info.Needed() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (horizontal && horizontalScrollBarPolicy() != policy)
        setHorizontalScrollBarPolicy(policy);
    else if (!horizontal && verticalScrollBarPolicy() != policy)
        setVerticalScrollBarPolicy(policy);
}

void CglView::UpdateViewport() {
    int x = 0, y = 0, width = m_nClientWidth, height = m_nClientHeight;
    if (HasVScrollBar()) {
        height = m_vScroll.nMax;
        y = m_vScroll.nPos - m_vScroll.Last();
        if (y > 0) {
            y = 0;
            m_vScroll.nPos = m_vScroll.Last();
        }
    } else {
        m_vScroll.nPos = m_vScroll.nMin;
    }
    if (HasHScrollBar()) {
        width = m_hScroll.nMax;
        x = m_hScroll.nMin - m_hScroll.nPos;
        const int least = m_hScroll.nPage - m_hScroll.nMax;
        if (x < least) {
            x = least;
            m_hScroll.nPos = m_hScroll.nMin - least;
        }
    } else {
        m_hScroll.nPos = m_hScroll.nMin;
    }
    ApplyViewport(QRect(x, y, width, height));
}

void CglView::ApplyViewport(const QRect& viewport) {
    m_viewport = viewport;
    const qreal ratio = m_pSurface->devicePixelRatioF();
    m_glViewport = QRect(qRound(viewport.x() * ratio), qRound(viewport.y() * ratio),
                         qRound(viewport.width() * ratio), qRound(viewport.height() * ratio));
    CCurrentContext current(m_pSurface);
    if (current)
        glViewport(m_glViewport.x(), m_glViewport.y(), m_glViewport.width(), m_glViewport.height());
}

void CglView::OnHScroll(Scroll code, int trackPos) {
    OnScroll(Qt::Horizontal, code, trackPos);
}
void CglView::OnVScroll(Scroll code, int trackPos) {
    OnScroll(Qt::Vertical, code, trackPos);
}

void CglView::OnScroll(Qt::Orientation orientation, Scroll code, int trackPos) {
    const bool horizontal = orientation == Qt::Horizontal;
    ScrollInfo& info = horizontal ? m_hScroll : m_vScroll;
    const int last = info.Last();
    switch (code) {
    case Scroll::LineUp:
        info.nPos = std::max(std::min(info.nPos, last) - kLineStep, info.nMin);
        break;
    case Scroll::LineDown:
        info.nPos = std::min(info.nPos + kLineStep, last);
        break;
    case Scroll::PageUp:
        info.nPos = std::max(std::min(info.nPos, last) - info.nPage, info.nMin);
        break;
    case Scroll::PageDown:
        info.nPos = std::min(info.nPos + info.nPage, last);
        break;
    case Scroll::ThumbTrack:
        info.nPos = info.nTrackPos = trackPos;
        break;
    case Scroll::Top:
        info.nPos = info.nMin;
        break;
    case Scroll::Bottom:
        info.nPos = std::max(last, info.nMin);
        break;
    }
    QScrollBar* bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
    {
        const QSignalBlocker blocker(bar);
        bar->setValue(info.nPos);
    }
    UpdateViewport();
    RedrawWindow();
}

void CglView::scrollContentsBy(int, int) {
    // The viewport moves the drawing; nothing is scrolled as pixels.
}

void CglView::keyPressEvent(QKeyEvent* event) {
    struct CKey {
        int key;
        Qt::Orientation orientation;
        Scroll code;
    };
    static const CKey keys[] = {
        {Qt::Key_PageUp, Qt::Vertical, Scroll::PageUp}, {Qt::Key_PageDown, Qt::Vertical, Scroll::PageDown},
        {Qt::Key_Home, Qt::Vertical, Scroll::Top},      {Qt::Key_End, Qt::Vertical, Scroll::Bottom},
        {Qt::Key_Up, Qt::Vertical, Scroll::LineUp},     {Qt::Key_Down, Qt::Vertical, Scroll::LineDown},
        {Qt::Key_Left, Qt::Horizontal, Scroll::LineUp}, {Qt::Key_Right, Qt::Horizontal, Scroll::LineDown},
    };
    for (const CKey& k : keys) {
        if (k.key != event->key())
            continue;
        if (k.orientation == Qt::Vertical ? HasVScrollBar() : HasHScrollBar()) {
            OnScroll(k.orientation, k.code, 0);
            event->accept();
            return;
        }
        break;
    }
    // Not the scroll area's handling, which would move bars that are not there.
    QWidget::keyPressEvent(event);
}

void CglView::wheelEvent(QWheelEvent* event) {
    if (!HasVScrollBar()) {
        event->ignore();
        return;
    }
    const int delta = event->angleDelta().y();
    for (int lines = std::abs(delta / 120); lines > 0; --lines)
        OnScroll(Qt::Vertical, delta > 0 ? Scroll::LineUp : Scroll::LineDown, 0);
    event->accept();
}

bool CglView::viewportEvent(QEvent* event) {
    // The GL widget paints itself and resizes its framebuffer; the scroll area would take both.
    if (event->type() == QEvent::Paint || event->type() == QEvent::Resize)
        return false;
    return QAbstractScrollArea::viewportEvent(event);
}

// Commands

bool CglView::OnCommand(int id) {
    switch (id) {
    case ID_EDIT_COPY:
        OnEditCopy();
        return true;
    case ID_FILE_PRINT:
        OnFilePrint();
        return true;
    case ID_FILE_PRINT_PREVIEW:
        OnFilePrintPreview();
        return true;
    default:
        return false;
    }
}

bool CglView::OnUpdateCommand(int id, fw::CCmdState& state) const {
    switch (id) {
    case ID_EDIT_COPY:
        state.enabled = GetDocument() != nullptr;
        return true;
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
        state.enabled = true;
        return true;
    default:
        return false;
    }
}

bool CglView::CaptureClient(std::vector<std::uint8_t>& bgra) {
    if (m_nClientWidth <= 0 || m_nClientHeight <= 0)
        return false;
    try {
        bgra.resize(std::size_t(m_nClientWidth) * m_nClientHeight * 4);
    } catch (const std::bad_alloc&) {
        return false;
    }
    {
        CCurrentContext current(m_pSurface);
        if (!current)
            return false;
        RenderTarget = kClipboard;
        glClearColor(kPrintClear[0], kPrintClear[1], kPrintClear[2], kPrintClear[3]);
        // One device pixel a logical one, in the framebuffer's lower left corner, the text too.
        const CPixelRatio ratio(1.0);
        const double screenFonts = m_fontRatio;
        m_bCapturing = true;
        if (screenFonts > 0.0 && screenFonts != 1.0) {
            CreateTextFont();
            CreateSymbolFont();
        }
        glViewport(0, 0, m_nClientWidth, m_nClientHeight);
        DrawScene();
        m_bCapturing = false;
        if (screenFonts > 0.0 && screenFonts != 1.0) {
            CreateTextFont();
            CreateSymbolFont();
        }
        glFinish();
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glReadPixels(0, 0, m_nClientWidth, m_nClientHeight, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
        glPopClientAttrib();
        RenderTarget = kScreen;
        glClearColor(kScreenClear[0], kScreenClear[1], kScreenClear[2], kScreenClear[3]);
    }
    // The framebuffer is what the window shows: give it the screen picture back.
    Invalidate();
    return true;
}

void CglView::OnEditCopy() {
    std::vector<std::uint8_t> bgra;
    if (!CaptureClient(bgra))
        return;
    // Bottom-up rows of blue, green, red, 255: the image's 32-bit words on a little-endian machine.
    QImage image(bgra.data(), m_nClientWidth, m_nClientHeight, m_nClientWidth * 4, QImage::Format_RGB32);
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(image.mirrored());
}

bool CglView::CopyWithText(const QString& text) {
    std::vector<std::uint8_t> bgra;
    if (!CaptureClient(bgra))
        return false;
    const QImage image(bgra.data(), m_nClientWidth, m_nClientHeight, m_nClientWidth * 4,
                       QImage::Format_RGB32);
    auto data = std::make_unique<QMimeData>();
    data->setImageData(image.mirrored());
    data->setText(text);
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setMimeData(data.release()); // the clipboard's from now on
    return true;
}

// Printing

namespace {
std::function<void(QPrinter&)>& PrinterSettings() {
    static std::function<void(QPrinter&)> apply;
    return apply;
}
} // namespace

void CglView::SetPrinterSettings(std::function<void(QPrinter&)> apply) {
    PrinterSettings() = std::move(apply);
}

void CglView::ApplyPrinterSettings(QPrinter& printer) {
    if (PrinterSettings())
        PrinterSettings()(printer);
}

void CglView::NameJob(QPrinter& printer) const {
    // The job's name, which a PDF keeps as its title: the document's.
    if (const fw::CDocument* document = GetDocument())
        printer.setDocName(QString::fromStdWString(document->GetTitle()).trimmed());
}

void CglView::OnFilePrint() {
    QPrinter printer(QPrinter::HighResolution);
    ApplyPrinterSettings(printer);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, 1);
    if (dialog.exec() == QDialog::Accepted)
        OnFilePrint(printer);
}

bool CglView::OnFilePrint(QPrinter& printer) {
    NameJob(printer);
    OnPreparePrinting(printer, false);
    QPainter painter;
    const bool painting = painter.begin(&printer);
    if (painting) {
        OnPrint(painter, printer);
        painter.end();
    }
    OnEndPrinting();
    return painting;
}

void CglView::OnFilePrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    ApplyPrinterSettings(printer);
    NameJob(printer);
    OnPreparePrinting(printer, true);
    {
        QPrintPreviewDialog dialog(&printer, this);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
            QPainter painter(target);
            if (painter.isActive())
                OnPrint(painter, *target);
        });
        dialog.exec();
    }
    OnEndPrinting();
}

bool CglView::OnPreparePrinting(QPrinter&, bool) {
    // The preview is a dialog of its own: the window keeps its state, size, scales and scroll position.
    // Without the off-screen context the job goes on and prints nothing.
    m_print = CPrintContext::Create(m_pSurface->context(), m_format);
    if (m_print)
        m_print->Run([] { glClearColor(kPrintClear[0], kPrintClear[1], kPrintClear[2], kPrintClear[3]); });
    return true;
}

void CglView::OnPrint(QPainter& painter, QPrinter& printer) {
    if (!m_print)
        return;
    const int dpi = printer.resolution();
    const QRect page = printer.pageLayout().paintRectPixels(dpi);
    const QSize most = m_print->MaxSize();
    const CPrintFit fit =
        FitPrintImage(dpi, page.width(), page.height(), m_viewport.width(), m_viewport.height(),
                      CPrintFrame(), most.width(), most.height(), EPrintScale::Aspect);
    if (fit.width <= 0 || fit.height <= 0)
        return;
    const QImage image = m_print->Render(QSize(fit.width, fit.height), [&] {
        // An earlier page of the job may have had its printer fonts put back to the screen ones.
        if (m_bPrinterTextFont)
            CreatePrinterTextFont();
        if (m_bPrinterSymbolFont)
            CreatePrinterSymbolFont();
        glViewport(0, 0, fit.width, fit.height);
        RenderTarget = kPrinter;
        DrawScene();
        RenderTarget = kScreen;
        glFlush();
    });
    RestoreScreenFonts();
    if (image.isNull())
        return;
    DrawOnPage(painter, page, image.convertToFormat(QImage::Format_RGB32), fit.divisor);
}

void CglView::OnEndPrinting() {
    RestoreScreenFonts();
    m_bPrinterTextFont = m_bPrinterSymbolFont = false;
    m_print.reset();
}

} // namespace gl
