#pragma once
// The ruler pair of a 2D-type image model: a horizontal ruler over the displayed width, a vertical
// one over the displayed height, and the vertical span's unit in the top-left corner.
#include "view2d/RulerHorz.h"
#include "view2d/RulerLayout.h"
#include "view2d/RulerVert.h"

namespace rulers {

template <class CModel> class T2D {
public:
    explicit T2D(CModel* model = nullptr) : m_model(model) { set_placement(kZeroUpper); }
    virtual ~T2D() = default;

    CModel* model() const { return m_model; }

    // The view options' choice, 0..2; both rulers take its kind.
    void set_placement(int placement) {
        m_placement = placement;
        m_horz.set_kind(KindOf(placement));
        m_vert.set_kind(KindOf(placement));
    }
    int placement() const { return m_placement; }
    void show(bool shown) { m_shown = shown; }
    bool shown() const { return m_shown; }
    CMargins margins(bool print) const { return MarginsOf(m_placement, m_shown, print); }

    // After a change of scale, rotation, placement or surface: the displayed extents over the
    // image's size in pixels (tripled spacing when printing).
    void reset(const ph::Size& width, const ph::Size& height, float pixelWidth, float pixelHeight,
               bool print) {
        m_horz.reset(width, pixelWidth, print);
        m_vert.reset(height, pixelHeight, print);
    }

    // After reset, and whenever the view is resized or scrolled: the view's size and how many
    // pixels of the image lie left of and above the image area.
    void set_view(float viewWidth, float viewHeight, float scrollX, float scrollY, bool print) {
        const CArea area = AreaOf(viewWidth, viewHeight, margins(print));
        m_horz.set_area(area);
        m_vert.set_area(area);
        m_horz.set_offset(-scrollX);
        // kUpperLeft counts down from the top; the others up from the bottom, where the image's lower
        // edge lies below the area by what is hidden under it.
        m_vert.set_offset(m_vert.kind() == kUpperLeft ? -scrollY : area.height + scrollY - m_vert.length());
    }

    void draw(bool print, IPainter& painter) const {
        if (!m_shown)
            return;
        m_horz.draw(print, painter);
        m_vert.draw(print, painter);
        if (m_vert.ticks().empty())
            return;
        const CPoint at = UnitTextAt(m_placement, m_vert.area(), 28.0f, print);
        painter.UnitText(at.x, at.y, m_vert.span().unit());
    }

    CHorz& horz() { return m_horz; }
    const CHorz& horz() const { return m_horz; }
    CVert& vert() { return m_vert; }
    const CVert& vert() const { return m_vert; }

private:
    CModel* m_model;
    int m_placement = kZeroUpper;
    bool m_shown = true;
    CHorz m_horz;
    CVert m_vert;
};

} // namespace rulers
