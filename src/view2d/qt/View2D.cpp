#include "view2d/qt/View2D.h"

#include <QCursor>
#include <QMenu>

#include "formats/DocTypes.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIDocTemplate.h"
#include "framework/qt/fwMDIFrame.h"
#include "model/VantriDocTemplate.h"
#include "view2d/qt/FillCommands.h"

namespace m2D {

int ImageFilterCode(int id) {
    if (id == ID_IMAGE_FILTER_NONE)
        return 0;
    if (id >= ID_IMAGE_FILTER_FIRST && id <= ID_IMAGE_FILTER_LAST)
        return 12 + (id - ID_IMAGE_FILTER_FIRST);
    return -1;
}

C2DView::C2DView(QWidget* parent) : TView<CModel>(parent) {}

void C2DView::SetImageFilter(int code) {
    m_model.Image().SetFilter(code);
    Rebuild();
    Reupload();
}

bool C2DView::OnCommand(int id) {
    const int code = ImageFilterCode(id);
    if (code >= 0) {
        SetImageFilter(code);
        return true;
    }
    if (id == ID_IMAGE_FILTER_POPUP) {
        if (fw::CMDIFrame* main = fw::CMDIFrame::Get()) {
            std::unique_ptr<QMenu> menu(CreateImageFilterMenu(main->Commands(), this));
            menu->exec(QCursor::pos());
        }
        return true;
    }
    return TView<CModel>::OnCommand(id);
}

bool C2DView::OnUpdateCommand(int id, fw::CCmdState& state) const {
    const int code = ImageFilterCode(id);
    if (code >= 0) {
        state.enabled = true;
        state.radio = true;
        state.checked = code == ImageFilter();
        return true;
    }
    if (id == ID_IMAGE_FILTER_POPUP) {
        state.enabled = true;
        return true;
    }
    return TView<CModel>::OnUpdateCommand(id, state);
}

C2DChildFrame::C2DChildFrame(fw::CDocument* document, QWidget* parent)
    : TPlaneChildFrame<C2DView>(document, parent) {}

void Register2DCommands(fw::CCommandTable& commands) {
    using fw::CmdStyle;
    static const fw::CCommandText kCommands[] = {
        {ID_FLIP_VERTICALLY, "Flip &vertically", "Change image by vertically fliping\nFlip vertically",
         CmdStyle::Plain},
        {ID_FLIP_HORIZONTALLY, "Flip horizontally", "Change image by horizontally fliping\nFlip horizontally",
         CmdStyle::Plain},
        {ID_TURN_90, "&Turn on 90\u00b0", "Turn image on 90\u00b0\nTurn on 90\u00b0", CmdStyle::Plain},
        {ID_VIEW_PROPERTIES, "&Properties ...", "Set View options\nProperties", CmdStyle::Plain},
        {ID_EXPORT_BMP, "*.bmp", "Export the current image to BMP file\nExport to BMP", CmdStyle::Plain},
        {ID_PROFILE, "Profile", "Profile of the surface\nProfile", CmdStyle::Check},
        {ID_LOCK_UPDATE, "Lock update", "Lock update\nLock update", CmdStyle::Check},
        {ID_VIEW_RULERS, "Rulers", "", CmdStyle::Check},
        {ID_VIEW_HEIGHT_BAR, "Height Bar", "", CmdStyle::Check},
        {gl::ID_FILE_PRINT, "&Print...\tCtrl+P", "Print the active document\nPrint", CmdStyle::Plain},
        {gl::ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Display full pages\nPrint Preview", CmdStyle::Plain},
        {ID_IMAGE_FILTER_POPUP, "Filter the image", "Filter of the current image\nFilter the image",
         CmdStyle::Plain},
        {ID_IMAGE_FILTER_NONE, "None", "", CmdStyle::Radio},
    };
    commands.AddAll(kCommands);
    commands.Add(gl::ID_EDIT_COPY, QStringLiteral("&Copy\tCtrl+C"),
                 QStringLiteral("Copy the selection and put it on the Clipboard\nCopy"),
                 {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    commands.Action(gl::ID_FILE_PRINT)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    static const char* const kFilters[] = {"Horizontal",
                                           "Vertical",
                                           "Horizontal",
                                           "Vertical",
                                           "3 x 3 Horiz.",
                                           "5 x 5 Horiz.",
                                           "3 x 3 Vert.",
                                           "5 x 5 Vert.",
                                           "3 x 3 Horiz. s.d.",
                                           "5 x 5 Horiz. s.d.",
                                           "3 x 3 Vert. s.d.",
                                           "5 x 5 Vert. s.d.",
                                           "3 x 3 Cross s.d.",
                                           "5 x 5 Cross s.d.",
                                           "Up",
                                           "Down"};
    for (int i = 0; i <= ID_IMAGE_FILTER_LAST - ID_IMAGE_FILTER_FIRST; ++i)
        commands.Add(ID_IMAGE_FILTER_FIRST + i, QString::fromUtf8(kFilters[i]), QString(), {},
                     CmdStyle::Radio);
    color::RegisterFillCommands(commands);
}

QMenu* CreateImageFilterMenu(fw::CCommandTable& commands, QWidget* parent) {
    auto* menu = new QMenu(QStringLiteral("Filter"), parent);
    menu->addAction(commands.Action(ID_IMAGE_FILTER_NONE));
    static const struct {
        const char* name;
        int first, last;
    } kGroups[] = {{"Prewitt", 179, 180}, {"Scharr", 181, 182}, {"Sobel", 183, 192}, {"Roberts", 193, 194}};
    for (const auto& group : kGroups) {
        QMenu* sub = menu->addMenu(QString::fromUtf8(group.name));
        for (int id = group.first; id <= group.last; ++id)
            sub->addAction(commands.Action(id));
    }
    commands.Track(menu);
    return menu;
}

void Register2DDocTypes(fw::CWinApp& app) {
    doc::RegisterDocTypes(app, [](const std::wstring& docString, fw::CDocTemplate::Factory factory) {
        return std::unique_ptr<doc::CVantriDocTemplate>(new fw::TMDIDocTemplate<doc::CVantriDocTemplate>(
            fw::MakeFrame<C2DChildFrame>(), fw::CViewFactory(), docString, std::move(factory)));
    });
}

} // namespace m2D
