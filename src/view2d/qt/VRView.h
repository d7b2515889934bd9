#pragma once
// The height bar beside a 2D image: a strip of the image's colours from its lowest to its highest
// height, with a ruler of the heights and the unit of the span. It draws the surface of its image
// view (the locked copy while that is locked) with the image model's colour transfer.
#include <qopengl.h>

#include "view2d/RulerVR.h"
#include "view3d/qt/glView.h"

namespace m2D {

class CPlaneView;
class CProperties;
class CVRView;

// The bar's drawing: a 1D texture of the 256 grey levels through the colour transfer, on a quad.
class C2DVR {
public:
    explicit C2DVR(class CVRModel* model) : m_pModel(model) {
        for (int i = 0; i < 256; ++i)
            m_ramp[i] = static_cast<float>(i) * (1.0f / 255.0f);
    }
    virtual ~C2DVR() = default;

    // Uploads the ramp into the target's texture in the current context (made when missing).
    void Upload(int target);
    // The bar into the rectangle; with the outline in prints and copies.
    void Draw(int target, const rulers::CArea& bar);
    void Release(int target);
    const float* Ramp() const { return m_ramp; }

private:
    static int Slot(int target) { return target == 1 ? 1 : 0; }
    CVRModel* m_pModel;
    GLuint m_names[2] = {0, 0};
    GLuint m_lists[2] = {0, 0};
    bool m_bStale[2] = {true, true};
    float m_ramp[256];
};

class CVRModel {
public:
    CVRModel(CVRView* view, CPlaneView* image);
    virtual ~CVRModel() = default;

    CVRView* View() const { return m_pView; }
    CPlaneView* Image() const { return m_pImage; }
    rulers::CVR& Ruler() { return m_ruler; }
    C2DVR& Bar() { return m_bar; }
    CProperties& Props() const;

    int m_nHeight = 0; // the bar's height in pixels

private:
    CVRView* m_pView;
    rulers::CVR m_ruler;
    C2DVR m_bar{this};
    CPlaneView* m_pImage;
};

class CVRView : public gl::CglView {
    Q_OBJECT
public:
    // The width of the bar's column in the frame.
    static constexpr int kWidth = 76;

    explicit CVRView(CPlaneView* image, QWidget* parent = nullptr);
    ~CVRView() override;

    doc::CDataDoc* GetSurface() override;
    CVRModel& Model() { return m_model; }

    // The colours changed: the ramp is uploaded again.
    void Rebuild();
    // The surface, the scale or the placement changed: the ruler follows at the next draw.
    void UpdateBar();
    // Renders the bar for a print into the current (off-screen) context, width x height pixels.
    void DrawForPrint(int width, int height);
    // Deletes the names made in the print context; that context is current.
    void ReleasePrint();

    // The bar's rectangle in the last drawing, in pixels from the lower-left corner.
    rulers::CArea BarRect() const { return m_rect; }

    bool OnCommand(int) override { return false; }
    bool OnUpdateCommand(int, fw::CCmdState&) const override { return false; }

protected:
    void InitGL() override;
    void DrawScene() override;
    // Lays the ruler along the bar of a view of the given size and returns the bar's rectangle: by
    // default the surface's height range, from the bar's own origin.
    virtual rulers::CArea LayoutRuler(rulers::CVR& ruler, const doc::CDataDoc& surface, float width,
                                      float height, bool print);

private:
    void Draw(int width, int height, bool print);

    CVRModel m_model;
    rulers::CArea m_rect;
};

} // namespace m2D
