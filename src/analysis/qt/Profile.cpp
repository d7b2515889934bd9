#include "analysis/qt/Profile.h"

#include <QMdiArea>
#include <algorithm>

#include "analysis/qt/ProfChildFrame.h"
#include "analysis/qt/ProfView.h"
#include "framework/qt/AdvChildFrame.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIDocTemplate.h"
#include "model/DataDoc.h"
#include "view2d/qt/PlaneView.h"

namespace prof {

void RegisterProfileCommands(fw::CCommandTable& commands) {
    using fw::CmdStyle;
    static const fw::CCommandText kCommands[] = {
        {ID_NORMALIZE_PROFILE, "Normalize profile", "Normalize profile\nNormalize", CmdStyle::Check},
        {ID_INTERPOLATION, "Interpolation", "Interpolation\nInterpolation", CmdStyle::Check},
        {ID_CUT_SECTOR, "Cut the sector of profile", "Cut the sector of profile\nCut sector",
         CmdStyle::Check},
    };
    commands.AddAll(kCommands);
}

CChildFrame* OpenProfile(m2D::CPlaneView& plane, m2D::CProfLine& line, QPoint globalAt) {
    fw::CDocument* document = plane.GetDocument();
    const doc::CDataDoc* surface = plane.GetSurface();
    if (!document || !surface || !line.start.IsSet() || !line.end.IsSet())
        return nullptr;
    // Heights are read along lines on the surface's own image or relief; a spectrum's or an
    // auto-correlation's picture is not the surface.
    const auto* image = dynamic_cast<const CAdvChildFrame*>(fw::CChildFrame::FrameOf(&plane));
    if (!image || (image->Kind() != kKind2D && image->Kind() != kKindBump))
        return nullptr;
    static const fw::CFrameMaker maker(fw::MakeFrame<CChildFrame>(), fw::CViewFactory());
    auto* frame =
        static_cast<CChildFrame*>(maker.CreateNewFrame(*document, fw::CChildFrame::FrameOf(&plane)));
    if (!frame)
        return nullptr;
    // The image window keeps its lines in fractions of the surface; the profile works in model space.
    const float nx = static_cast<float>(surface->columns), ny = static_cast<float>(surface->rows);
    frame->View()->SetLine(&plane, {(line.start.x - 0.5f) * nx, (0.5f - line.start.y) * ny},
                           {(line.end.x - 0.5f) * nx, (0.5f - line.end.y) * ny});
    line.window = frame;
    // At the click, as far inside the MDI client as the window's size lets it be.
    if (QMdiArea* area = frame->mdiArea()) {
        const QPoint at = area->viewport()->mapFromGlobal(globalAt);
        const QSize client = area->viewport()->size();
        frame->move(std::max(0, std::min(at.x(), client.width() - frame->width())),
                    std::max(0, std::min(at.y(), client.height() - frame->height())));
    }
    fw::CFrameMaker::InitialUpdateFrame(frame, *document);
    return frame;
}

void InstallProfileOpener() {
    m2D::CPlaneView::SetProfileOpener(
        [](m2D::CPlaneView& plane, m2D::CProfLine& line, QPoint globalAt) -> QWidget* {
            return OpenProfile(plane, line, globalAt);
        });
}

} // namespace prof
