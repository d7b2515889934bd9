#pragma once
// The 2D window: the image view with its image filters, its frame, the commands with their texts,
// the image "Filter" menu and the context menu, and the window maker of the document types.
#include <QString>
#include <memory>
#include <optional>

#include "view2d/qt/Model2D.h"
#include "view2d/qt/PlaneChildFrame.h"
#include "view2d/qt/PlaneView.h"

class QMenu;
class QWidget;

namespace fw {
class CCommandTable;
class CWinApp;
} // namespace fw

namespace m2D {

// The image "Filter" menu: 169 none, 179..194 the edge filters in their order of doc::FilterType.
enum ImageFilterCommand : int {
    ID_IMAGE_FILTER_NONE = 169,
    ID_IMAGE_FILTER_FIRST = 179,
    ID_IMAGE_FILTER_LAST = 194,
    ID_IMAGE_FILTER_POPUP = 32851, // the tool bar's drop-down of the menu
};
// The image filter a menu command chooses; nothing for a command of no image filter.
std::optional<doc::FilterType> ImageFilterOf(int id);

class C2DView : public TView<CModel> {
    Q_OBJECT
public:
    explicit C2DView(QWidget* parent = nullptr);

    // Stores the filter, rebuilds the texture and redraws.
    void SetImageFilter(doc::FilterType filter);
    doc::FilterType ImageFilter() const { return m_model.Image().Filter(); }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;
};

class C2DChildFrame : public TPlaneChildFrame<C2DView> {
    Q_OBJECT
public:
    explicit C2DChildFrame(fw::CDocument* document, QWidget* parent = nullptr);
};

// Adds the commands of 2D windows with their menu texts, prompts and tooltips (the fill commands too).
void Register2DCommands(fw::CCommandTable& commands);
// The image "Filter" menu with its Prewitt, Scharr, Sobel and Roberts submenus.
QMenu* CreateImageFilterMenu(fw::CCommandTable& commands, QWidget* parent);

// Registers the three scan types with 2D windows as their frames.
void Register2DDocTypes(fw::CWinApp& app);

} // namespace m2D
