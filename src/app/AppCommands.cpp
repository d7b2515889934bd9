#include "app/AppCommands.h"

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "analysis/qt/ProfView.h"
#include "analysis/qt/Profile.h"
#include "analysis/qt/StatView.h"
#include "analysis/qt/Statistics.h"
#include "framework/fwCommand.h"
#include "framework/qt/fwCommandTable.h"
#include "model/SurfaceCommands.h"
#include "view2d/qt/FillCommands.h"
#include "view2d/qt/View2D.h"
#include "view3d/qt/View3D.h"

namespace mframe {

namespace {

using fw::CmdStyle;

// The application's commands beyond the 2D window's.
const fw::CCommandText kCommands[] = {
    {ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing document\nOpen", CmdStyle::Plain},
    {fw::ID_FILE_CLOSE, "&Close", "Close the active document\nClose", CmdStyle::Plain},
    {doc::ID_FILE_SAVE, "&Save\tCtrl+S", "Save the active document\nSave", CmdStyle::Plain},
    {doc::ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name\nSave As",
     CmdStyle::Plain},
    {ID_FILE_PRINT_SETUP, "P&rint Setup...", "Change the printer and printing options\nPrint Setup",
     CmdStyle::Plain},
    {ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit", CmdStyle::Plain},
    {ID_VIEW_2D, "&2D View", "2D View of this surface\n2D View", CmdStyle::Plain},
    {ID_VIEW_BUMP, "&Bump View", "Bump View of this surface\nBump View", CmdStyle::Plain},
    {ID_VIEW_3D, "&3D View", "3D View of this surface\n3D View", CmdStyle::Plain},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar\nToggle StatusBar", CmdStyle::Check},
    {doc::ID_JUMPS, "Jump elimination", "Elimination of the jump errors\nJump elimination", CmdStyle::Check},
    {doc::ID_FLATTING_POPUP, "Flatting", "Flatting of the surface\nFlatting", CmdStyle::Plain},
    {doc::ID_FLAT_NONE, "None", "", CmdStyle::Radio},
    {doc::ID_FLAT_Y, "On Y", "", CmdStyle::Radio},
    {doc::ID_FLAT_X, "On X", "", CmdStyle::Radio},
    {doc::ID_FLAT_YX, "On Y && X", "", CmdStyle::Radio},
    {doc::ID_PLANE_POPUP, "Plane fitting", "Fitting of the surface plane\nPlane fitting", CmdStyle::Plain},
    {doc::ID_PLANE_NONE, "None", "", CmdStyle::Radio},
    {doc::ID_PLANE_PLANE, "Plane", "", CmdStyle::Radio},
    {doc::ID_PLANE_PARABOLA_X, "Parabola on X", "", CmdStyle::Radio},
    {doc::ID_PLANE_PARABOLA_Y, "Parabola on Y", "", CmdStyle::Radio},
    {doc::ID_PLANE_PARABOLOID, "Paraboloid", "", CmdStyle::Radio},
    {doc::ID_MORPH_POPUP, "Morphology", "Morphological operations\nMorphology", CmdStyle::Plain},
    {doc::ID_MORPH_NONE, "None", "", CmdStyle::Radio},
    {doc::ID_MORPH_DILATE3, "Dilate 3 x 3", "", CmdStyle::Radio},
    {doc::ID_MORPH_ERODE3, "Erode 3 x 3", "", CmdStyle::Radio},
    {doc::ID_MORPH_DILATE_CUSTOM, "Dilate cust.", "", CmdStyle::Radio},
    {doc::ID_MORPH_ERODE_CUSTOM, "Erode cust.", "", CmdStyle::Radio},
    {doc::ID_FILTER_POPUP, "Filter", "Filter of the current surface\nFilter the surface", CmdStyle::Plain},
    {doc::ID_FILTER_NONE, "None", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEAN3, "3 x 3", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEAN5, "5 x 5", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEAN7, "7 x 7", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEAN_CUSTOM, "Custom ...", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEDIAN3, "3 x 3", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEDIAN3H, "3 x 1 Horiz.", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEDIAN3V, "1 x 3 Vert.", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEDIAN5, "5 x 5", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEDIAN5H, "5 X 1 Horiz.", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEDIAN5V, "1 x 5 Vert.", "", CmdStyle::Radio},
    {doc::ID_FILTER_MEDIAN_CUSTOM, "Custom ...", "", CmdStyle::Radio},
    {doc::ID_FILTER_LAPLACE3, "3 x 3", "", CmdStyle::Radio},
    {doc::ID_FILTER_LAPLACE5, "5 x 5", "", CmdStyle::Radio},
    {doc::ID_FILTER_GAUSS3, "3 x 3", "", CmdStyle::Radio},
    {doc::ID_FILTER_GAUSS5, "5 x 5", "", CmdStyle::Radio},
    {doc::ID_FILTER_HIPASS3, "3 x 3", "", CmdStyle::Radio},
    {doc::ID_FILTER_HIPASS5, "5 x 5", "", CmdStyle::Radio},
    {doc::ID_FILTER_LOWPASS3, "3 x 3", "", CmdStyle::Radio},
    {doc::ID_FILTER_LOWPASS5, "5 x 5", "", CmdStyle::Radio},
    {doc::ID_FILTER_SHARPEN, "Sharpening", "", CmdStyle::Radio},
    {doc::ID_FOURIER, "Fourier", "Fast Fourier Transformation\nFast Fourier Transformation", CmdStyle::Plain},
    {doc::ID_AUTOCORRELATION, "Auto correlation", "Auto correlation of the surface.\nAuto correlation",
     CmdStyle::Plain},
    {doc::ID_NORMALIZE, "Normalize", "Normalization values for the best view of surface\nNormalize",
     CmdStyle::Plain},
    {doc::ID_STATISTICS, "Statistics", "Roughness, height histogram and bearing curve.\nStatistics",
     CmdStyle::Plain},
    {ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap\nCascade Windows", CmdStyle::Plain},
    {ID_WINDOW_TILE, "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows", CmdStyle::Plain},
    {ID_WINDOW_ARRANGE, "&Arrange Icons", "Arrange icons at the bottom of the window\nArrange Icons",
     CmdStyle::Plain},
    {ID_CLOSE_ALL, "Cl&ose All Documents", "Close all opened documents\nClose all documents",
     CmdStyle::Plain},
    {ID_HELP_INDEX, "&Help Topics", "List Help topics\nHelp Topics", CmdStyle::Plain},
    {ID_APP_ABOUT, "&About Vantri...", "", CmdStyle::Plain},
    {ID_LOG_SCALE, "Logarithm scale", "Logarithm vertical scale\nLogarithm scale", CmdStyle::Check},
};

QList<QKeySequence> Keys(std::initializer_list<QKeySequence> keys) {
    return QList<QKeySequence>(keys);
}

void AddAll(QMenu* menu, fw::CCommandTable& commands, std::initializer_list<int> ids) {
    for (int id : ids) {
        if (id == 0)
            menu->addSeparator();
        else if (QAction* action = commands.Action(id))
            menu->addAction(action);
    }
}

QMenu* Sub(QMenu* parent, const char* title, fw::CCommandTable& commands, std::initializer_list<int> ids) {
    QMenu* menu = parent->addMenu(QString::fromUtf8(title));
    AddAll(menu, commands, ids);
    return menu;
}

void FillSurfaceFilter(QMenu* menu, fw::CCommandTable& commands) {
    AddAll(menu, commands, {doc::ID_FILTER_NONE});
    Sub(menu, "Arithmetic mean", commands,
        {doc::ID_FILTER_MEAN3, doc::ID_FILTER_MEAN5, doc::ID_FILTER_MEAN7, doc::ID_FILTER_MEAN_CUSTOM});
    Sub(menu, "Median", commands,
        {doc::ID_FILTER_MEDIAN3, doc::ID_FILTER_MEDIAN3H, doc::ID_FILTER_MEDIAN3V, doc::ID_FILTER_MEDIAN5,
         doc::ID_FILTER_MEDIAN5H, doc::ID_FILTER_MEDIAN5V, doc::ID_FILTER_MEDIAN_CUSTOM});
    Sub(menu, "Laplacian", commands, {doc::ID_FILTER_LAPLACE3, doc::ID_FILTER_LAPLACE5});
    Sub(menu, "Gaussian", commands, {doc::ID_FILTER_GAUSS3, doc::ID_FILTER_GAUSS5});
    Sub(menu, "High-pass", commands, {doc::ID_FILTER_HIPASS3, doc::ID_FILTER_HIPASS5});
    Sub(menu, "Low-pass", commands, {doc::ID_FILTER_LOWPASS3, doc::ID_FILTER_LOWPASS5});
    AddAll(menu, commands, {doc::ID_FILTER_SHARPEN});
}

void FillSurfacePopup(int popupId, QMenu* menu, fw::CCommandTable& commands) {
    switch (popupId) {
    case doc::ID_FILTER_POPUP:
        FillSurfaceFilter(menu, commands);
        break;
    case doc::ID_MORPH_POPUP:
        AddAll(menu, commands,
               {doc::ID_MORPH_NONE, doc::ID_MORPH_DILATE3, doc::ID_MORPH_ERODE3, doc::ID_MORPH_DILATE_CUSTOM,
                doc::ID_MORPH_ERODE_CUSTOM});
        break;
    case doc::ID_PLANE_POPUP:
        AddAll(menu, commands,
               {doc::ID_PLANE_NONE, doc::ID_PLANE_PLANE, doc::ID_PLANE_PARABOLA_X, doc::ID_PLANE_PARABOLA_Y,
                doc::ID_PLANE_PARABOLOID});
        break;
    case doc::ID_FLATTING_POPUP:
        AddAll(menu, commands, {doc::ID_FLAT_NONE, doc::ID_FLAT_Y, doc::ID_FLAT_X, doc::ID_FLAT_YX});
        break;
    default:
        break;
    }
}

QMenu* Top(QMenuBar& bar, const char* title) {
    return bar.addMenu(QString::fromUtf8(title));
}

void AddRecentFiles(QMenu* file, fw::CCommandTable& commands) {
    for (int k = 0; k < kRecentFiles; ++k)
        if (QAction* action = commands.Action(ID_FILE_MRU_FILE1 + k))
            file->addAction(action);
}

} // namespace

void RegisterAppCommands(fw::CCommandTable& commands) {
    m2D::Register2DCommands(commands);
    statist::RegisterStatisticsCommands(commands);
    prof::RegisterProfileCommands(commands);
    m3D::Register3DCommands(commands);
    commands.AddAll(kCommands);
    for (int k = 0; k < kRecentFiles; ++k)
        commands.Add(ID_FILE_MRU_FILE1 + k, QStringLiteral("Recent File"),
                     QStringLiteral("Open this document"));
    // The keys of the accelerator table; those without a handler stay disabled.
    commands.Action(ID_FILE_OPEN)->setShortcuts(Keys({QKeySequence(Qt::CTRL | Qt::Key_O)}));
    commands.Action(doc::ID_FILE_SAVE)->setShortcuts(Keys({QKeySequence(Qt::CTRL | Qt::Key_S)}));
    commands.Add(ID_FILE_NEW, QString(), QString(), Keys({QKeySequence(Qt::CTRL | Qt::Key_N)}));
    commands.Add(ID_EDIT_CUT, QString(), QString(),
                 Keys({QKeySequence(Qt::SHIFT | Qt::Key_Delete), QKeySequence(Qt::CTRL | Qt::Key_X)}));
    commands.Add(ID_EDIT_PASTE, QString(), QString(),
                 Keys({QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}));
    commands.Add(ID_EDIT_UNDO, QString(), QString(),
                 Keys({QKeySequence(Qt::ALT | Qt::Key_Backspace), QKeySequence(Qt::CTRL | Qt::Key_Z)}));
    commands.Add(fw::ID_NEXT_PANE, QString(), QString(), Keys({QKeySequence(Qt::Key_F6)}));
    commands.Add(fw::ID_PREV_PANE, QString(), QString(), Keys({QKeySequence(Qt::SHIFT | Qt::Key_F6)}));
    commands.Add(ID_CONTEXT_HELP, QStringLiteral("Help"), QString(),
                 Keys({QKeySequence(Qt::SHIFT | Qt::Key_F1)}));
    commands.Add(ID_HELP, QString(), QString(), Keys({QKeySequence(Qt::Key_F1)}));
}

void BuildNoDocMenu(QMenuBar& bar, fw::CCommandTable& commands) {
    bar.clear();
    QMenu* file = Top(bar, "&File");
    AddAll(file, commands, {ID_FILE_OPEN, ID_FILE_PRINT_SETUP, 0});
    AddRecentFiles(file, commands);
    AddAll(file, commands, {0, ID_APP_EXIT});
    AddAll(Top(bar, "&View"), commands, {ID_VIEW_STATUS_BAR});
    AddAll(Top(bar, "&Help"), commands, {ID_HELP_INDEX, 0, ID_APP_ABOUT});
    for (QAction* top : bar.actions())
        commands.Track(top->menu());
}

void BuildDocMenu(QMenuBar& bar, fw::CCommandTable& commands) {
    bar.clear();
    QMenu* file = Top(bar, "&File");
    AddAll(file, commands,
           {ID_FILE_OPEN, fw::ID_FILE_CLOSE, doc::ID_FILE_SAVE, doc::ID_FILE_SAVE_AS, 0, gl::ID_FILE_PRINT,
            gl::ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, 0});
    AddRecentFiles(file, commands);
    AddAll(file, commands, {0, ID_APP_EXIT});
    AddAll(Top(bar, "&Edit"), commands, {gl::ID_EDIT_COPY});
    AddAll(Top(bar, "&View"), commands,
           {ID_VIEW_2D, ID_VIEW_BUMP, ID_VIEW_3D, 0, m2D::ID_VIEW_RULERS, m2D::ID_VIEW_HEIGHT_BAR,
            ID_VIEW_STATUS_BAR, 0, m2D::ID_VIEW_PROPERTIES});
    QMenu* image = Top(bar, "&Image");
    AddAll(image, commands, {m2D::ID_FLIP_VERTICALLY, m2D::ID_FLIP_HORIZONTALLY, m2D::ID_TURN_90, 0});
    QMenu* colours = image->addMenu(QStringLiteral("Colors fill"));
    AddAll(colours, commands,
           {color::ID_FILL_POSITIVE, color::ID_FILL_NEGATIVE, 0, color::ID_FILL_GRAY, color::ID_FILL_AMBER,
            color::ID_FILL_MARINE, color::ID_FILL_FOREST, 0, color::ID_FILL_CUSTOM});
    image->addMenu(m2D::CreateImageFilterMenu(commands, image));
    Sub(image, "Export to", commands, {m2D::ID_EXPORT_BMP, m3D::ID_EXPORT_STL});
    QMenu* surface = Top(bar, "&Surface");
    AddAll(surface, commands, {doc::ID_JUMPS});
    for (int popup :
         {doc::ID_FLATTING_POPUP, doc::ID_PLANE_POPUP, doc::ID_MORPH_POPUP, doc::ID_FILTER_POPUP}) {
        QMenu* sub = surface->addMenu(commands.Action(popup)->text());
        FillSurfacePopup(popup, sub, commands);
    }
    AddAll(surface, commands,
           {0, doc::ID_FOURIER, doc::ID_AUTOCORRELATION, 0, doc::ID_NORMALIZE, m2D::ID_PROFILE,
            doc::ID_STATISTICS});
    AddAll(Top(bar, "&Window"), commands,
           {ID_WINDOW_CASCADE, ID_WINDOW_TILE, ID_WINDOW_ARRANGE, 0, ID_CLOSE_ALL});
    AddAll(Top(bar, "&Help"), commands, {ID_HELP_INDEX, 0, ID_APP_ABOUT});
    for (QAction* top : bar.actions())
        commands.Track(top->menu());
}

QMenu* CreateSurfacePopup(int popupId, fw::CCommandTable& commands, QWidget* parent) {
    auto* menu = new QMenu(parent);
    FillSurfacePopup(popupId, menu, commands);
    commands.Track(menu);
    return menu;
}

std::vector<int> ToolBarButtons(int toolBar) {
    switch (toolBar) {
    case 128:
        return {ID_FILE_OPEN,
                doc::ID_FILE_SAVE,
                0,
                gl::ID_EDIT_COPY,
                0,
                gl::ID_FILE_PRINT,
                gl::ID_FILE_PRINT_PREVIEW,
                0,
                ID_CONTEXT_HELP,
                0,
                ID_VIEW_2D,
                ID_VIEW_BUMP,
                ID_VIEW_3D,
                0,
                m2D::ID_VIEW_PROPERTIES};
    case 130:
        return {m2D::ID_IMAGE_FILTER_POPUP,
                doc::ID_FILTER_POPUP,
                doc::ID_MORPH_POPUP,
                0,
                doc::ID_AUTOCORRELATION,
                doc::ID_FOURIER,
                0,
                doc::ID_JUMPS,
                doc::ID_FLATTING_POPUP,
                doc::ID_PLANE_POPUP,
                doc::ID_NORMALIZE,
                m2D::ID_PROFILE,
                doc::ID_STATISTICS,
                0,
                m2D::ID_LOCK_UPDATE};
    case 132:
        return {m2D::ID_FLIP_VERTICALLY,
                m2D::ID_FLIP_HORIZONTALLY,
                m2D::ID_TURN_90,
                0,
                m2D::ID_VIEW_RULERS,
                m2D::ID_VIEW_HEIGHT_BAR,
                0,
                color::ID_FILL_POSITIVE,
                color::ID_FILL_NEGATIVE,
                color::ID_FILL_POPUP,
                color::ID_FILL_CUSTOM};
    case 133:
        return {ID_LOG_SCALE};
    case 134:
        return {m2D::ID_FLIP_VERTICALLY, m2D::ID_FLIP_HORIZONTALLY, m2D::ID_TURN_90, 0, m2D::ID_VIEW_RULERS};
    case 135:
        return {m3D::ID_PROJECTION_ORTHO, m3D::ID_PROJECTION_PERSPECTIVE};
    case 136:
        return {statist::ID_HEIGHT_HISTOGRAM, statist::ID_BEARING_CURVE, statist::ID_ADJUST_PLANE};
    case 229:
        return {prof::ID_NORMALIZE_PROFILE, prof::ID_CUT_SECTOR, prof::ID_INTERPOLATION};
    default:
        return {};
    }
}

} // namespace mframe
