#include "app/ToolIcons.h"

#include <QAction>

#include "analysis/qt/ProfView.h"
#include "analysis/qt/StatView.h"
#include "app/AppCommands.h"
#include "framework/qt/fwCommandTable.h"
#include "model/SurfaceCommands.h"
#include "view2d/qt/FillCommands.h"
#include "view2d/qt/PlaneChildFrame.h"
#include "view2d/qt/PlaneView.h"
#include "view2d/qt/View2D.h"
#include "view3d/qt/View3D.h"

namespace mframe {

namespace {

struct CPicture {
    int id;
    const char* themeName; // the freedesktop name, or null for a picture of our own only
    const char* file;      // under :/icons, without ".svg"
};

// A standard command's file is named as its theme icon.
const CPicture kPictures[] = {
    {ID_FILE_OPEN, "document-open", "document-open"},
    {doc::ID_FILE_SAVE, "document-save", "document-save"},
    {gl::ID_EDIT_COPY, "edit-copy", "edit-copy"},
    {gl::ID_FILE_PRINT, "document-print", "document-print"},
    {gl::ID_FILE_PRINT_PREVIEW, "document-print-preview", "document-print-preview"},
    {ID_CONTEXT_HELP, "help-contents", "help-contents"},
    {ID_HELP_INDEX, "help-contents", "help-contents"},
    {ID_APP_ABOUT, "help-about", "help-about"},
    {m2D::ID_VIEW_PROPERTIES, "document-properties", "document-properties"},
    {m2D::ID_FLIP_VERTICALLY, "object-flip-vertical", "object-flip-vertical"},
    {m2D::ID_FLIP_HORIZONTALLY, "object-flip-horizontal", "object-flip-horizontal"},
    // The turn is clockwise: the angle goes down by 90 degrees.
    {m2D::ID_TURN_90, "object-rotate-right", "object-rotate-right"},
    {ID_VIEW_2D, nullptr, "view-2d"},
    {ID_VIEW_BUMP, nullptr, "view-bump"},
    {ID_VIEW_3D, nullptr, "view-3d"},
    {m2D::ID_IMAGE_FILTER_POPUP, nullptr, "filter-image"},
    {doc::ID_FILTER_POPUP, nullptr, "filter-surface"},
    {doc::ID_MORPH_POPUP, nullptr, "morphology"},
    {doc::ID_AUTOCORRELATION, nullptr, "autocorrelation"},
    {doc::ID_FOURIER, nullptr, "fourier"},
    {doc::ID_JUMPS, nullptr, "jump-elimination"},
    {doc::ID_FLATTING_POPUP, nullptr, "flatting"},
    {doc::ID_PLANE_POPUP, nullptr, "plane-fit"},
    {doc::ID_NORMALIZE, nullptr, "normalize"},
    {m2D::ID_PROFILE, nullptr, "profile"},
    {doc::ID_STATISTICS, nullptr, "statistics"},
    {m2D::ID_LOCK_UPDATE, nullptr, "lock-update"},
    {color::ID_CONTRAST_UP, nullptr, "contrast-up"},
    {color::ID_CONTRAST_DOWN, nullptr, "contrast-down"},
    {color::ID_BRIGHTNESS_UP, nullptr, "brightness-up"},
    {color::ID_BRIGHTNESS_DOWN, nullptr, "brightness-down"},
    {m2D::ID_VIEW_RULERS, nullptr, "rulers"},
    {m2D::ID_VIEW_HEIGHT_BAR, nullptr, "height-bar"},
    {color::ID_FILL_POSITIVE, nullptr, "fill-positive"},
    {color::ID_FILL_NEGATIVE, nullptr, "fill-negative"},
    {color::ID_FILL_POPUP, nullptr, "fill-color"},
    {color::ID_FILL_CUSTOM, nullptr, "fill-custom"},
    {ID_LOG_SCALE, nullptr, "log-scale"},
    {m3D::ID_PROJECTION_ORTHO, nullptr, "projection-ortho"},
    {m3D::ID_PROJECTION_PERSPECTIVE, nullptr, "projection-perspective"},
    {statist::ID_HEIGHT_HISTOGRAM, nullptr, "histogram"},
    {statist::ID_BEARING_CURVE, nullptr, "bearing-curve"},
    {statist::ID_ADJUST_PLANE, nullptr, "adjust-plane"},
    {prof::ID_NORMALIZE_PROFILE, nullptr, "profile-normalize"},
    {prof::ID_CUT_SECTOR, nullptr, "profile-cut-sector"},
    {prof::ID_INTERPOLATION, nullptr, "profile-interpolation"},
};

QIcon OwnPicture(const char* file) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(file)));
}

} // namespace

QIcon CommandIcon(int id) {
    for (const CPicture& picture : kPictures) {
        if (picture.id != id)
            continue;
        if (!picture.themeName)
            return OwnPicture(picture.file);
        return QIcon::fromTheme(QLatin1String(picture.themeName), OwnPicture(picture.file));
    }
    return QIcon();
}

void SetCommandIcons(fw::CCommandTable& commands) {
    for (const CPicture& picture : kPictures) {
        QAction* action = commands.Action(picture.id);
        if (!action)
            continue;
        action->setIcon(CommandIcon(picture.id));
        // Many of our own are toggles, and a menu would draw a checked toggle's picture in place of its
        // check mark; the standard commands are plain ones.
        action->setIconVisibleInMenu(picture.themeName != nullptr);
    }
}

QIcon AppIcon() {
    return QIcon(QStringLiteral(":/vantri.svg"));
}

} // namespace mframe
