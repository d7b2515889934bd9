#pragma once
// A view that shows a surface as a colour-filled texture with a ruler pair round it, for looking at
// and testing the colour transfer and the rulers in a real window. The surface is made in code: a
// smooth pattern of 5 um x 2.5 um with a wedge of known grey levels along its lower edge.
#include <QRectF>
#include <QSize>
#include <qopengl.h>

#include "model/DataDoc.h"
#include "view2d/Attenuator.h"
#include "view2d/Converter.h"
#include "view2d/Ruler2D.h"
#include "view2d/qt/ColorUpload.h"
#include "view3d/qt/glView.h"

namespace guitest {

// The synthetic surface: 512 x 256 samples over 5 um x 2.5 um, 100 nm high. Rows 0..223 hold
// smooth bumps; the last kWedgeRows rows a wedge of kWedgeSteps levels, step k (columns 32k..32k+31)
// at WedgeLevel(k).
constexpr int kColumns = 512;
constexpr int kRows = 256;
constexpr int kWedgeRows = 32;
constexpr int kWedgeSteps = 16;
constexpr float WedgeLevel(int step) {
    return static_cast<float>(step * 17) / 255.0f;
}
doc::CDataDoc MakeSurface();

class CSurfaceView : public gl::CglView, public color::IFillOwner {
public:
    explicit CSurfaceView(QWidget* parent = nullptr);
    ~CSurfaceView() override;

    doc::CDataDoc* GetSurface() override { return &m_surface; }
    // A new surface; the rulers follow at the next paint.
    void SetSurface(const doc::CDataDoc& surface);

    color::CConverter& Converter() { return m_converter; }
    color::CAttenuator& Attenuator() { return m_attenuator; }
    // The custom colours the converter builds its custom fill from (the window's dialog keeps them).
    void SetCustomFill(const color::CCustomFill* fill) { m_pCustomFill = fill; }
    const color::CCustomFill* CustomFill() const override;
    // After a change of fill, negative, brightness or contrast: the texture is made again and the
    // view repainted.
    void Redraw();
    void SetUploadPath(color::UploadPath path);
    color::UploadPath UploadPath() const { return m_path; }
    // "0 - upper/left", "0 - by centre", "0 - lower/left".
    void SetPlacement(int placement);

    const rulers::T2D<CSurfaceView>& Rulers() const { return m_rulers; }
    // Where the image lay in the last drawing, in pixels of its viewport: x and y are its lower-left
    // corner, counted from the viewport's lower-left corner.
    QRectF ImageRect() const { return m_image; }

protected:
    void InitGL() override;
    void DrawScene() override;

private:
    // The largest whole-pixel size of the surface's aspect within width x height.
    QSize ImageSize(int width, int height) const;
    // The texture over the rectangle, the scan's first line at the top.
    void DrawImage(const QRectF& at);

    doc::CDataDoc m_surface;
    color::CConverter m_converter{this};
    color::CAttenuator m_attenuator;
    const color::CCustomFill* m_pCustomFill = nullptr;
    color::CCustomFill m_defaultFill;
    color::UploadPath m_path = color::UploadPath::kProcessor;
    rulers::T2D<CSurfaceView> m_rulers{this};
    GLuint m_texture = 0;
    bool m_bTextureStale = true;
    QRectF m_image;
};

} // namespace guitest
