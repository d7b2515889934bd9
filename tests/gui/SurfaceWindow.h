#pragma once
// The window of the surface viewer: a main frame with one child frame showing the synthetic surface,
// the "Colors fill" menu and tool bars, brightness and contrast, copy, printing and print to PDF, each
// with a key as well, so that the colour transfer and the rulers can be looked at and driven by tests.
#include <QPointer>
#include <QString>
#include <memory>

#include "framework/fwDocument.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwMDIFrame.h"

class QMenu;

namespace color {
class CAttToolBar;
class CFillCommands;
} // namespace color

namespace guitest {

class CSurfaceView;

// The viewer's own commands.
enum ViewerCommand : int {
    ID_PRINT_TO_PDF = 33001,
    ID_UPLOAD_PIXEL_TRANSFER = 33002, // check: upload through OpenGL's pixel maps
    ID_RULERS_UPPER = 33010,          // "0 - upper/left"
    ID_RULERS_CENTRE = 33011,         // "0 - by centre"
    ID_RULERS_LOWER = 33012,          // "0 - lower/left"
};

class CSurfaceDoc : public fw::CDocument {};

// Shows the view and gives the fill, Negative and brightness/contrast commands to its converter and
// attenuator; the custom-fill dialog is the frame's.
class CSurfaceFrame : public fw::CChildFrame {
public:
    CSurfaceFrame(CSurfaceDoc* document, fw::CCommandTable& commands);
    ~CSurfaceFrame() override;

    CSurfaceView& View() const { return *m_pView; }
    color::CFillCommands& Fill() const { return *m_fill; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

private:
    CSurfaceView* m_pView;
    std::unique_ptr<color::CFillCommands> m_fill;
};

class CSurfaceWindow : public fw::CMDIFrame {
public:
    CSurfaceWindow();
    ~CSurfaceWindow() override;

    CSurfaceFrame& Frame() const { return *m_pFrame; }
    CSurfaceView& View() const;
    color::CAttToolBar& AttToolBar() const { return *m_pAttBar; }

    // Prints one A4 page of the view into a PDF file without asking; false when it could not be written.
    bool PrintToPdf(const QString& path);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

private:
    void RegisterCommands();
    void BuildMenus();
    QMenu* AddMenu(const QString& title, std::initializer_list<int> ids);

    std::unique_ptr<CSurfaceDoc> m_doc;
    QPointer<CSurfaceFrame> m_pFrame;
    color::CAttToolBar* m_pAttBar = nullptr;
};

} // namespace guitest
