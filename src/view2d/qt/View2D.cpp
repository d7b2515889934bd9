#include "view2d/qt/View2D.h"

#include <QCursor>
#include <QMenu>
#include <cstring>
#include <iterator>

#include "formats/DocTypes.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIDocTemplate.h"
#include "framework/qt/fwMDIFrame.h"
#include "model/VantriDocTemplate.h"
#include "view2d/qt/FillCommands.h"

namespace m2D {

namespace {

using F = doc::FilterType;

// The edge filters in the order of their commands from ID_IMAGE_FILTER_FIRST on, each with its submenu
// and its menu text.
const struct CImageFilter {
    F type;
    const char* group;
    const char* text;
} kImageFilters[] = {
    {F::PrewittHoriz, "Prewitt", "Horizontal"},
    {F::PrewittVert, "Prewitt", "Vertical"},
    {F::ScharrHoriz, "Scharr", "Horizontal"},
    {F::ScharrVert, "Scharr", "Vertical"},
    {F::SobelHoriz3, "Sobel", "3 x 3 Horiz."},
    {F::SobelHoriz5, "Sobel", "5 x 5 Horiz."},
    {F::SobelVert3, "Sobel", "3 x 3 Vert."},
    {F::SobelVert5, "Sobel", "5 x 5 Vert."},
    {F::SobelHorizSecond3, "Sobel", "3 x 3 Horiz. s.d."},
    {F::SobelHorizSecond5, "Sobel", "5 x 5 Horiz. s.d."},
    {F::SobelVertSecond3, "Sobel", "3 x 3 Vert. s.d."},
    {F::SobelVertSecond5, "Sobel", "5 x 5 Vert. s.d."},
    {F::SobelCross3, "Sobel", "3 x 3 Cross s.d."},
    {F::SobelCross5, "Sobel", "5 x 5 Cross s.d."},
    {F::RobertsUp, "Roberts", "Up"},
    {F::RobertsDown, "Roberts", "Down"},
};
static_assert(std::size(kImageFilters) == ID_IMAGE_FILTER_LAST - ID_IMAGE_FILTER_FIRST + 1,
              "one command per edge filter");

} // namespace

std::optional<doc::FilterType> ImageFilterOf(int id) {
    if (id == ID_IMAGE_FILTER_NONE)
        return F::None;
    if (id >= ID_IMAGE_FILTER_FIRST && id <= ID_IMAGE_FILTER_LAST)
        return kImageFilters[id - ID_IMAGE_FILTER_FIRST].type;
    return std::nullopt;
}

C2DView::C2DView(QWidget* parent) : TView<CModel>(parent) {}

void C2DView::SetImageFilter(doc::FilterType filter) {
    m_model.Image().SetFilter(filter);
    Rebuild();
    Reupload();
}

bool C2DView::OnCommand(int id) {
    if (const std::optional<doc::FilterType> filter = ImageFilterOf(id)) {
        SetImageFilter(*filter);
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
    if (const std::optional<doc::FilterType> filter = ImageFilterOf(id)) {
        state.enabled = true;
        state.radio = true;
        state.checked = *filter == ImageFilter();
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
    for (std::size_t i = 0; i < std::size(kImageFilters); ++i)
        commands.Add(ID_IMAGE_FILTER_FIRST + static_cast<int>(i), QString::fromUtf8(kImageFilters[i].text),
                     QString(), {}, CmdStyle::Radio);
    color::RegisterFillCommands(commands);
}

QMenu* CreateImageFilterMenu(fw::CCommandTable& commands, QWidget* parent) {
    auto* menu = new QMenu(QStringLiteral("Filter"), parent);
    menu->addAction(commands.Action(ID_IMAGE_FILTER_NONE));
    QMenu* sub = nullptr;
    for (std::size_t i = 0; i < std::size(kImageFilters); ++i) {
        if (i == 0 || std::strcmp(kImageFilters[i].group, kImageFilters[i - 1].group) != 0)
            sub = menu->addMenu(QString::fromUtf8(kImageFilters[i].group));
        sub->addAction(commands.Action(ID_IMAGE_FILTER_FIRST + static_cast<int>(i)));
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
