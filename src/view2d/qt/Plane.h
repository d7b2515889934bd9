#pragma once
// The geometry of an image drawn flat: the surface's quad turned in steps of 90 degrees and flipped on
// either axis, the part of the window it is drawn into and the part of the image that is visible
// there. Every 2D-type drawer (image, bump relief, spectrum, auto-correlation) builds on it.
#include <list>

#include "view2d/RulerLayout.h"

namespace doc {
class CDataDoc;
}
namespace m2D {
struct CProfLine;
}

namespace surface {

class CPlane {
public:
    virtual ~CPlane() = default;

    // The rotation: 0, -90, -180 or -270 degrees.
    int Angle() const { return m_nAngle; }
    void SetAngle(int angle) { m_nAngle = angle; }
    bool Rotated() const { return m_nAngle == -90 || m_nAngle == -270; }
    int HSign() const { return m_nHSign; }
    int VSign() const { return m_nVSign; }
    void FlipH() { m_nHSign = -m_nHSign; }
    void FlipV() { m_nVSign = -m_nVSign; }

    // The surface's size in samples, and as displayed (turned by 90 degrees the two swap).
    void SetSurfaceSize(int columns, int rows) {
        m_nColumns = columns;
        m_nRows = rows;
    }
    int Columns() const { return m_nColumns; }
    int Rows() const { return m_nRows; }
    int DisplayedWidth() const { return Rotated() ? m_nRows : m_nColumns; }
    int DisplayedHeight() const { return Rotated() ? m_nColumns : m_nRows; }

    // Places the image in a window of width x height pixels (origin lower left): the image, imageWidth x
    // imageHeight pixels, starts at the margins' top-left corner and is scrolled by scrollX, scrollY
    // pixels; what of it lies inside the margins is visible.
    void Layout(int width, int height, const rulers::CMargins& margins, int imageWidth, int imageHeight,
                int scrollX, int scrollY);

    // The image viewport in window pixels and the visible window in samples, centred on the image.
    struct CViewport {
        int x = 0, y = 0, width = 0, height = 0;
    };
    struct CWindow {
        double left = 0, right = 0, bottom = 0, top = 0;
    };
    const CViewport& ImageViewport() const { return m_viewport; }
    const CWindow& VisibleWindow() const { return m_window; }

    // A point of the window (pixels, origin top left) as a point of the surface, in fractions of its
    // width and height from its first sample (0..1 inside); false when it is not over the image.
    bool WindowToSurface(double x, double y, int windowHeight, double& u, double& v) const;
    // The same point in fractions of the displayed image's width and height from its top-left corner,
    // as the rulers run (after the flips and the turn); false when it is not over the image.
    bool WindowToDisplay(double x, double y, int windowHeight, double& fx, double& fy) const;
    // A point of the surface (fractions as above) in the quad's coordinates, where the drawing is done.
    void SurfaceToQuad(double u, double v, double& qx, double& qy) const;

private:
    // The point in the displayed frame, samples from the image's centre (y up); false off the image.
    bool WindowToFrame(double x, double y, int windowHeight, double& X, double& Y) const;

    int m_nAngle = 0;
    int m_nHSign = 1;
    int m_nVSign = 1;
    int m_nColumns = 0;
    int m_nRows = 0;
    CViewport m_viewport;
    CWindow m_window;
};

// A drawer: the texture of a surface, built on the processor, uploaded into the current context for a
// render target (0 screen, 1 printer and 2 clipboard share the screen's), and drawn with the geometry
// above.
class CPlaneDrawer : public CPlane {
public:
    // Makes the texture's texels from the surface; false when there is nothing to draw (no memory).
    virtual bool Build(const doc::CDataDoc& surface) = 0;
    // Uploads the texels through the colour transfer into the target's texture in the current context.
    virtual void Upload(int target) = 0;
    // Draws into the image viewport, then the profile lines; the scales make marker sizes whole pixels.
    virtual void Draw(int target, const std::list<m2D::CProfLine>& profiles, float hScale, float vScale) = 0;
    // Linear or nearest filtering, without a rebuild.
    virtual void SetSmoothing(bool smooth) = 0;
    // Deletes the target's names in the current context.
    virtual void Release(int target) = 0;
    // The largest texture side of the context; true when the texture built so far is larger and must
    // be built again.
    virtual bool SetMaxTextureSize(int size) = 0;
    // The texture's size, 0 before the first build.
    virtual int TextureWidth() const = 0;
    virtual int TextureHeight() const = 0;

protected:
    // The finished profile lines over the image, in the quad's coordinates of the current projection,
    // with their end marks; the scales make marker sizes whole pixels.
    void DrawProfiles(const std::list<m2D::CProfLine>& profiles, float hScale, float vScale) const;
};

// A drawer that belongs to an image model.
template <class CModel> class ATPlane : public CPlaneDrawer {
public:
    explicit ATPlane(CModel* model = nullptr) : m_pModel(model) {}
    CModel* Model() const { return m_pModel; }

protected:
    CModel* m_pModel;
};

} // namespace surface
