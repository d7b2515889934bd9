#pragma once
// The drawer of the 2D image: the surface as a texture, one texel per sample, on a quad the size of
// the surface, with the image filter applied to the texels and the profile lines drawn over it.
#include <qopengl.h>

#include "view2d/TextureImage.h"
#include "view2d/qt/Plane.h"

namespace m2D {
class CModel;
}

namespace surface {

class C2D : public ATPlane<m2D::CModel> {
public:
    explicit C2D(m2D::CModel* model) : ATPlane(model) {}
    ~C2D() override = default;

    // The image filter: None or one of the edge filters. The next build applies it.
    doc::FilterType Filter() const { return m_filter; }
    void SetFilter(doc::FilterType filter) { m_filter = filter; }
    // The largest texture side the build may use (the context's maximum texture size).
    bool SetMaxTextureSize(int size) override {
        m_nMaxTexture = size;
        return m_texture.width > size || m_texture.height > size;
    }
    // How an oversized surface is scaled down into the texture; our own scaling when none is set.
    void SetResampler(Resampler resample) { m_resample = std::move(resample); }

    bool Build(const doc::CDataDoc& surface) override;
    void Upload(int target) override;
    void Draw(int target, const std::list<m2D::CProfLine>& profiles, float hScale, float vScale) override;
    void SetSmoothing(bool smooth) override;
    void Release(int target) override;
    int TextureWidth() const override { return m_texture.width; }
    int TextureHeight() const override { return m_texture.height; }
    const CTextureImage& Texture() const { return m_texture; }

protected:
    // For drawers that make their texels otherwise (the spectrum's, the correlation's): the texture to
    // fill, the largest side it may have, and the uploads to redo.
    CTextureImage& MutableTexture() { return m_texture; }
    int MaxTexture() const { return m_nMaxTexture; }
    void MarkStale() { m_bStale[0] = m_bStale[1] = true; }

private:
    static int Slot(int target) { return target == 1 ? 1 : 0; }
    // Whether the surface that the texture reads in place is still the view's, built again from the
    // view's surface when it is not; false when there is nothing to upload.
    bool SurfaceInPlace();

    doc::FilterType m_filter = doc::FilterType::None;
    int m_nMaxTexture = 1 << 14;
    Resampler m_resample;
    CTextureImage m_texture;
    bool m_bSmooth = true;
    // Screen and off-screen names: texture and display list.
    GLuint m_names[2] = {0, 0};
    GLuint m_lists[2] = {0, 0};
    bool m_bStale[2] = {true, true};
};

} // namespace surface
