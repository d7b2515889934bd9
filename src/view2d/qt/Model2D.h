#pragma once
// The model of a 2D image window: its options, its drawer, its rulers, its (empty) grid and its colour
// transfer. The spectrum and auto-correlation windows derive their models from it.
#include <stdexcept>
#include <string>

#include "model/WindowException.h"
#include "view2d/Attenuator.h"
#include "view2d/Converter.h"
#include "view2d/Ruler2D.h"
#include "view2d/ViewOptions.h"
#include "view2d/qt/PlaneModel.h"
#include "view2d/qt/Surface2D.h"

namespace m2D {

class CPlaneView;

// A 2D window that cannot be given a size: the frame is too narrow, or no scale fits.
class C2DException : public doc::CWindowException {
public:
    using doc::CWindowException::CWindowException;
};

// The plane grid: kept for the options' step fields; nothing draws it.
class CGrid {};

class CModel : public IPlaneModel, public color::IFillOwner {
public:
    explicit CModel(CPlaneView* view = nullptr) : m_pView(view) {}
    ~CModel() override = default;

    CProperties& Props() override { return m_props; }
    surface::CPlaneDrawer& Drawer() override { return m_drawer; }
    color::CConverter& Converter() override { return m_converter; }
    color::CAttenuator& Attenuator() override { return m_attenuator; }
    surface::C2D& Image() { return m_drawer; }
    const surface::C2D& Image() const { return m_drawer; }

    rulers::CMargins RulerMargins(bool print) const override { return m_rulers.margins(print); }
    void ShowRulers(bool shown) override { m_rulers.show(shown); }
    void SetRulerPlacement(int placement) override { m_rulers.set_placement(placement); }
    void ResetRulers(const ph::Size& width, const ph::Size& height, float pixelWidth, float pixelHeight,
                     bool print) override {
        m_rulers.reset(width, height, pixelWidth, pixelHeight, print);
    }
    void PlaceRulers(float viewWidth, float viewHeight, float scrollX, float scrollY, bool print) override {
        m_rulers.set_view(viewWidth, viewHeight, scrollX, scrollY, print);
    }
    void DrawRulers(bool print, rulers::IPainter& painter) override { m_rulers.draw(print, painter); }
    const rulers::T2D<CModel>& Rulers() const { return m_rulers; }

    // The custom colours of the window (its fill dialog's), or the defaults.
    void SetCustomFill(const color::CCustomFill* fill) { m_pCustomFill = fill; }
    const color::CCustomFill* CustomFill() const override {
        return m_pCustomFill ? m_pCustomFill : &m_defaultFill;
    }

    CPlaneView* View() const { return m_pView; }

protected:
    CPlaneView* m_pView;
    CProperties m_props;
    surface::C2D m_drawer{this};
    rulers::T2D<CModel> m_rulers{this};
    CGrid m_grid;
    color::CConverter m_converter{this};
    color::CAttenuator m_attenuator;

private:
    const color::CCustomFill* m_pCustomFill = nullptr;
    color::CCustomFill m_defaultFill;
};

} // namespace m2D
