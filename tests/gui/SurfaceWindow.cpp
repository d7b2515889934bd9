#include "SurfaceWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QMdiArea>
#include <QMenuBar>
#include <QPageSize>
#include <QPrinter>
#include <QToolBar>

#include "SurfaceView.h"
#include "framework/qt/fwCommandTable.h"
#include "view2d/qt/AttToolBar.h"
#include "view2d/qt/FillCommands.h"

namespace guitest {

namespace {

struct CPlacement {
    int id;
    int placement;
};
constexpr CPlacement kPlacements[] = {{ID_RULERS_UPPER, rulers::kZeroUpper},
                                      {ID_RULERS_CENTRE, rulers::kZeroCentre},
                                      {ID_RULERS_LOWER, rulers::kZeroLower}};

} // namespace

CSurfaceFrame::CSurfaceFrame(CSurfaceDoc* document, fw::CCommandTable& commands)
    : fw::CChildFrame(document), m_pView(new CSurfaceView) {
    AddView(m_pView);
    m_fill = std::make_unique<color::CFillCommands>(m_pView->Converter(), m_pView->Attenuator(), commands,
                                                    *this, [this] { m_pView->Redraw(); });
    m_pView->SetCustomFill(&m_fill->CustomFill());
}

CSurfaceFrame::~CSurfaceFrame() = default;

bool CSurfaceFrame::OnCommand(int id) {
    return m_fill->OnCommand(id) || fw::CChildFrame::OnCommand(id);
}

bool CSurfaceFrame::OnUpdateCommand(int id, fw::CCmdState& state) const {
    return m_fill->OnUpdateCommand(id, state) || fw::CChildFrame::OnUpdateCommand(id, state);
}

CSurfaceWindow::CSurfaceWindow() : m_doc(std::make_unique<CSurfaceDoc>()) {
    setWindowTitle(QStringLiteral("Surface viewer"));
    m_doc->SetTitle(L"Synthetic surface 5 \u00b5m x 2.5 \u00b5m");
    RegisterCommands();
    m_pFrame = new CSurfaceFrame(m_doc.get(), Commands());
    AddChild(m_pFrame);
    m_pFrame->showMaximized();
    BuildMenus();
    m_pAttBar = new color::CAttToolBar(Commands(), this);
    m_pAttBar->SetSource([this]() -> const color::CAttenuator* {
        return m_pFrame ? &m_pFrame->View().Attenuator() : nullptr;
    });
    addToolBar(m_pAttBar);
    auto* colours = addToolBar(QStringLiteral("Colors"));
    for (int id : std::initializer_list<int>{color::ID_FILL_POPUP, color::ID_FILL_POSITIVE,
                                             color::ID_FILL_NEGATIVE, gl::ID_EDIT_COPY})
        colours->addAction(Commands().Action(id));
    m_pFrame->ActivateFrame();
    resize(1000, 720);
}

CSurfaceWindow::~CSurfaceWindow() {
    // The frame's view leaves the document before the document goes. Closed, not deleted: a frame
    // deleted while active would be told of its deactivation half destroyed.
    if (m_pFrame)
        m_pFrame->DestroyFrame();
}

CSurfaceView& CSurfaceWindow::View() const {
    return m_pFrame->View();
}

void CSurfaceWindow::RegisterCommands() {
    fw::CCommandTable& table = Commands();
    color::RegisterFillCommands(table);
    using fw::CmdStyle;
    table.Add(gl::ID_EDIT_COPY, QStringLiteral("&Copy\tCtrl+C"),
              QStringLiteral("Copy the image and its rulers to the Clipboard\nCopy"), {QKeySequence::Copy});
    table.Add(gl::ID_FILE_PRINT, QStringLiteral("&Print...\tCtrl+P"),
              QStringLiteral("Print the image and its rulers\nPrint"), {QKeySequence::Print});
    table.Add(gl::ID_FILE_PRINT_PREVIEW, QStringLiteral("Print Pre&view"),
              QStringLiteral("Show the printed page\nPrint Preview"));
    table.Add(ID_PRINT_TO_PDF, QStringLiteral("Print to P&DF...\tCtrl+Shift+P"),
              QStringLiteral("Print the image and its rulers into a PDF file\nPrint to PDF"),
              {QKeySequence(QStringLiteral("Ctrl+Shift+P"))});
    table.Add(ID_UPLOAD_PIXEL_TRANSFER, QStringLiteral("Upload through &pixel maps"),
              QStringLiteral("Colour the texture with OpenGL's pixel maps instead of on the processor\n"
                             "Pixel maps"),
              {}, CmdStyle::Check);
    table.Add(ID_RULERS_UPPER, QStringLiteral("0 - upper/left"), {}, {}, CmdStyle::Radio);
    table.Add(ID_RULERS_CENTRE, QStringLiteral("0 - by centre"), {}, {}, CmdStyle::Radio);
    table.Add(ID_RULERS_LOWER, QStringLiteral("0 - lower/left"), {}, {}, CmdStyle::Radio);
    // Keys for the commands that the fill layer registers without any.
    const std::pair<int, const char*> keys[] = {
        {color::ID_FILL_GRAY, "Ctrl+1"},           {color::ID_FILL_AMBER, "Ctrl+2"},
        {color::ID_FILL_MARINE, "Ctrl+3"},         {color::ID_FILL_FOREST, "Ctrl+4"},
        {color::ID_FILL_CUSTOM, "Ctrl+5"},         {color::ID_FILL_NEGATIVE, "Ctrl+N"},
        {color::ID_FILL_POSITIVE, "Ctrl+Shift+N"}, {color::ID_CONTRAST_UP, "Ctrl+Up"},
        {color::ID_CONTRAST_DOWN, "Ctrl+Down"},    {color::ID_BRIGHTNESS_UP, "Ctrl+Right"},
        {color::ID_BRIGHTNESS_DOWN, "Ctrl+Left"},
    };
    for (const auto& [id, key] : keys)
        if (QAction* action = table.Action(id)) {
            action->setShortcut(QKeySequence(QString::fromLatin1(key)));
            action->setShortcutVisibleInContextMenu(true);
        }
}

QMenu* CSurfaceWindow::AddMenu(const QString& title, std::initializer_list<int> ids) {
    QMenu* menu = menuBar()->addMenu(title);
    for (int id : ids)
        if (id == 0)
            menu->addSeparator();
        else
            menu->addAction(Commands().Action(id));
    Commands().Track(menu);
    return menu;
}

void CSurfaceWindow::BuildMenus() {
    QMenu* file =
        AddMenu(QStringLiteral("&File"), {gl::ID_FILE_PRINT, gl::ID_FILE_PRINT_PREVIEW, ID_PRINT_TO_PDF, 0});
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    AddMenu(QStringLiteral("&Edit"), {gl::ID_EDIT_COPY});
    AddMenu(QStringLiteral("Colors fill"),
            {color::ID_FILL_POSITIVE, color::ID_FILL_NEGATIVE, 0, color::ID_FILL_GRAY, color::ID_FILL_AMBER,
             color::ID_FILL_MARINE, color::ID_FILL_FOREST, color::ID_FILL_CUSTOM});
    AddMenu(QStringLiteral("&Image"), {color::ID_CONTRAST_UP, color::ID_CONTRAST_DOWN,
                                       color::ID_BRIGHTNESS_UP, color::ID_BRIGHTNESS_DOWN, 0, ID_RULERS_UPPER,
                                       ID_RULERS_CENTRE, ID_RULERS_LOWER, 0, ID_UPLOAD_PIXEL_TRANSFER});
}

bool CSurfaceWindow::PrintToPdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    return View().OnFilePrint(printer);
}

bool CSurfaceWindow::OnCommand(int id) {
    for (const CPlacement& p : kPlacements)
        if (p.id == id) {
            View().SetPlacement(p.placement);
            return true;
        }
    switch (id) {
    case ID_PRINT_TO_PDF: {
        const QString path =
            QFileDialog::getSaveFileName(this, QStringLiteral("Print to PDF"), QStringLiteral("surface.pdf"),
                                         QStringLiteral("PDF files (*.pdf)"));
        if (!path.isEmpty())
            PrintToPdf(path);
        return true;
    }
    case ID_UPLOAD_PIXEL_TRANSFER:
        View().SetUploadPath(View().UploadPath() == color::UploadPath::kPixelTransfer
                                 ? color::UploadPath::kProcessor
                                 : color::UploadPath::kPixelTransfer);
        return true;
    default:
        return fw::CMDIFrame::OnCommand(id);
    }
}

bool CSurfaceWindow::OnUpdateCommand(int id, fw::CCmdState& state) const {
    const bool shown = !m_pFrame.isNull();
    for (const CPlacement& p : kPlacements)
        if (p.id == id) {
            state.enabled = shown;
            state.radio = true;
            state.checked = shown && View().Rulers().placement() == p.placement;
            return true;
        }
    switch (id) {
    case ID_PRINT_TO_PDF:
        state.enabled = shown;
        return true;
    case ID_UPLOAD_PIXEL_TRANSFER:
        state.enabled = shown;
        state.checked = shown && View().UploadPath() == color::UploadPath::kPixelTransfer;
        return true;
    default:
        return fw::CMDIFrame::OnUpdateCommand(id, state);
    }
}

} // namespace guitest
