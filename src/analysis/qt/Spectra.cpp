#include "analysis/qt/Spectra.h"

#include "framework/fwMessage.h"
#include "framework/qt/fwMDIDocTemplate.h"
#include "model/DataDoc.h"
#include "processing/kernels/Kernels.h"
#include "view2d/Readout.h"
#include "view2d/ViewOptions.h"

namespace surface {

bool CAnalysisImage::Build(const doc::CDataDoc& surface) {
    SetSurfaceSize(surface.columns, surface.rows);
    MarkStale();
    CTextureImage& texture = MutableTexture();
    // The texels go back and forth between the analysis and the texture: one buffer for every rebuild.
    doc::TGrid<float> texels;
    texels.swap(texture.texels);
    texture = CTextureImage();
    m_texture = fourier::CSpectralTexture();
    m_texture.texels.swap(texels);
    const std::size_t cells =
        std::size_t(std::max(surface.columns, 0)) * std::size_t(std::max(surface.rows, 0));
    if (cells == 0 || surface.heights.size() < cells)
        return false;
    const int status =
        Compute(surface.heights.data(), surface.columns, surface.rows, MaxTexture(), m_texture);
    if (status != 0) {
        // As the chain's stages do: the primitive's status in a box, and nothing drawn.
        fw::MessageBox(doc::kern::StatusText(status), fw::MsgButtons::Ok, fw::MsgIcon::None);
        return false;
    }
    // The texture the view uploads: the analysis's texels, as they are.
    texture.texels.swap(m_texture.texels);
    texture.width = m_texture.width;
    texture.height = m_texture.height;
    texture.uMax = m_texture.uMax;
    texture.vMax = m_texture.vMax;
    texture.resampled = m_texture.resampled;
    return true;
}

int CFourier::Compute(const float* grid, int columns, int rows, int maxTexture,
                      fourier::CSpectralTexture& texture) {
    return fourier::BuildSpectrum(grid, columns, rows, maxTexture, m_bLog, texture);
}

int CCorrel::Compute(const float* grid, int columns, int rows, int maxTexture,
                     fourier::CSpectralTexture& texture) {
    return fourier::BuildCorrelation(grid, columns, rows, maxTexture, texture);
}

} // namespace surface

namespace fourier {

void CFourierView::SetLogarithmic(bool log) {
    m_model.Analysis().SetLogarithmic(log);
    Rebuild();
    Reupload();
    if (m2D::CPlaneChildFrame* frame = Frame())
        if (m2D::CVRView* bar = frame->BarView()) {
            bar->UpdateBar();
            bar->Invalidate();
        }
}

bool CFourierView::OnCommand(int id) {
    if (id == ID_LOG_SCALE) {
        SetLogarithmic(!Logarithmic());
        return true;
    }
    return m2D::TView<CModel>::OnCommand(id);
}

bool CFourierView::OnUpdateCommand(int id, fw::CCmdState& state) const {
    if (id == ID_LOG_SCALE) {
        state.enabled = true;
        state.checked = Logarithmic();
        return true;
    }
    return m2D::TView<CModel>::OnUpdateCommand(id, state);
}

bool CFourierView::ReadoutValue(double u, double v, std::wstring& label, ph::Size& value) const {
    const surface::CFourier& analysis = GetModel().Analysis();
    const doc::CDataDoc* surface = Surface();
    float level = 0.0f;
    if (!surface || !readout::LevelAt(analysis.Texture(), u, v, level))
        return false;
    label = L"A";
    // As the height bar labels the level: four decades of 20 dB onto 0..1, or the largest amplitude
    // (1 / factor of the surface's range) at 1.
    value = analysis.Logarithmic() ? ph::Size(80.0 * level - 80.0, L"dB")
                                   : surface->range * (static_cast<double>(level) / analysis.Factor());
    return true;
}

rulers::CArea CFourierVRView::LayoutRuler(rulers::CVR& ruler, const doc::CDataDoc& surface, float width,
                                          float height, bool print) {
    auto* image = dynamic_cast<CFourierView*>(Model().Image());
    if (!image || !image->Logarithmic()) {
        // The amplitudes in the surface's unit: the top of the bar is the largest, the bottom 0.
        ruler.set_placement(rulers::kZeroLower);
        const float factor = image ? image->GetModel().Analysis().Factor() : 1.0f;
        return ruler.layout(surface.range / static_cast<double>(factor), width, height, print);
    }
    // Four decades: 0 dB at the top, -80 dB at the bottom.
    ruler.set_placement(rulers::kZeroUpper);
    return ruler.layout(ph::Size(0.0, L"dB"), ph::Size(-80.0, L"dB"), width, height, print);
}

CChildFrame* OpenSpectrum(fw::CDocument& document, fw::CChildFrame* pattern) {
    return fw::OpenFrame<CChildFrame>(document, pattern);
}

} // namespace fourier

namespace correl {

bool CCorrelView::ReadoutValue(double u, double v, std::wstring& label, ph::Size& value) const {
    const surface::CCorrel& analysis = GetModel().Analysis();
    float level = 0.0f;
    if (!readout::LevelAt(analysis.Texture(), u, v, level))
        return false;
    label = L"K";
    const fourier::CSpectralTexture& spectral = analysis.Spectral();
    value =
        ph::Size(static_cast<double>(spectral.lowest) + static_cast<double>(level) / spectral.factor, L"");
    return true;
}

rulers::CArea CCorrelVRView::LayoutRuler(rulers::CVR& ruler, const doc::CDataDoc&, float width, float height,
                                         bool print) {
    // Dimensionless, from the bottom of the bar: the correlation's span above its lowest value (1 / the
    // display factor) at the top.
    ruler.set_placement(rulers::kZeroLower);
    auto* image = dynamic_cast<CCorrelView*>(Model().Image());
    const float factor = image ? image->GetModel().Analysis().Factor() : 1.0f;
    return ruler.layout(ph::Size(1.0 / factor, L""), width, height, print);
}

CChildFrame* OpenCorrelation(fw::CDocument& document, fw::CChildFrame* pattern) {
    return fw::OpenFrame<CChildFrame>(document, pattern);
}

} // namespace correl
