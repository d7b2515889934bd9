#pragma once
// The spectrum and auto-correlation windows: the 2D window's machinery (magnification, rulers, fills,
// height bar, printing, copy, export, options) showing, instead of the surface, its amplitude spectrum
// or its circular auto-correlation as computed for a texture, with a height bar of their own.
#include <utility>

#include "analysis/Spectrum.h"
#include "view2d/qt/Model2D.h"
#include "view2d/qt/PlaneChildFrame.h"
#include "view2d/qt/PlaneView.h"
#include "view2d/qt/VRView.h"

namespace surface {

// A drawer whose texels are an analysis of the surface rather than the surface: made by Compute on
// the processed grid, display-scaled into 0..1.
class CAnalysisImage : public C2D {
public:
    explicit CAnalysisImage(m2D::CModel* model) : C2D(model) {}
    bool Build(const doc::CDataDoc& surface) override;

    // What the display scaling multiplied by (1 when the display needs none).
    float Factor() const { return m_texture.factor; }
    // What vantri-cli prints for the same surface: sizes, extents and factor (the texels are the
    // texture's).
    const fourier::CSpectralTexture& Spectral() const { return m_texture; }

protected:
    // The analysis of a columns x rows grid for the largest texture side maxTexture; a kernel status
    // (0 for success).
    virtual int Compute(const float* grid, int columns, int rows, int maxTexture,
                        fourier::CSpectralTexture& texture) = 0;

private:
    fourier::CSpectralTexture m_texture;
};

// The amplitude spectrum, logarithmic (four decades onto 0..1) or linear (the largest amplitude 1).
class CFourier : public CAnalysisImage {
public:
    using CAnalysisImage::CAnalysisImage;
    bool Logarithmic() const { return m_bLog; }
    void SetLogarithmic(bool log) { m_bLog = log; }

protected:
    int Compute(const float* grid, int columns, int rows, int maxTexture,
                fourier::CSpectralTexture& texture) override;

private:
    bool m_bLog = true;
};

// The circular auto-correlation, stretched from its lowest to its highest value.
class CCorrel : public CAnalysisImage {
public:
    using CAnalysisImage::CAnalysisImage;

protected:
    int Compute(const float* grid, int columns, int rows, int maxTexture,
                fourier::CSpectralTexture& texture) override;
};

} // namespace surface

namespace m2D {

// The model of an analysis window: the 2D model with the analysis as its drawer.
template <class TImage> class TAnalysisModel : public CModel {
public:
    explicit TAnalysisModel(CPlaneView* view = nullptr) : CModel(view) {}
    surface::CPlaneDrawer& Drawer() override { return m_analysis; }
    TImage& Analysis() { return m_analysis; }
    const TImage& Analysis() const { return m_analysis; }

private:
    TImage m_analysis{this};
};

// The frame of an analysis window: the image frame with the window's own height bar.
template <class TView, class TBar> class TAnalysisFrame : public TPlaneChildFrame<TView> {
public:
    TAnalysisFrame(fw::CDocument* document, QString suffix, WindowKind kind, QWidget* parent)
        : TPlaneChildFrame<TView>(document, parent), m_suffix(std::move(suffix)), m_kind(kind) {
        // The base's construction could only make the base's bar.
        this->RemakeBar();
    }
    QString TitleSuffix() const override { return m_suffix; }
    WindowKind Kind() const override { return m_kind; }

protected:
    CVRView* MakeBar() override { return new TBar(this->GetView()); }

private:
    QString m_suffix;
    WindowKind m_kind;
};

} // namespace m2D

namespace fourier {

enum Command : int { ID_LOG_SCALE = 32900 };

using CModel = m2D::TAnalysisModel<surface::CFourier>;

class CFourierView : public m2D::TView<CModel> {
    Q_OBJECT
public:
    explicit CFourierView(QWidget* parent = nullptr) : m2D::TView<CModel>(parent) {}
    bool Logarithmic() const { return m_model.Analysis().Logarithmic(); }
    // The log command: the flag, the texture again, the height bar and its ruler.
    void SetLogarithmic(bool log);
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

protected:
    // The amplitude "A": in dB on the logarithmic display, in the surface's unit on the linear one.
    bool ReadoutValue(double u, double v, std::wstring& label, ph::Size& value) const override;
};

// The bar: 0 dB at its top to -80 dB at its bottom in the logarithmic display, the amplitudes in the
// surface's height unit in the linear one.
class CFourierVRView : public m2D::CVRView {
    Q_OBJECT
public:
    using m2D::CVRView::CVRView;

protected:
    rulers::CArea LayoutRuler(rulers::CVR& ruler, const doc::CDataDoc& surface, float width, float height,
                              bool print) override;
};

class CChildFrame : public m2D::TAnalysisFrame<CFourierView, CFourierVRView> {
    Q_OBJECT
public:
    // Titled " : Spectrum".
    explicit CChildFrame(fw::CDocument* document, QWidget* parent = nullptr)
        : TAnalysisFrame(document, QStringLiteral(" : Spectrum"), kKindFourier, parent) {}
};

CChildFrame* OpenSpectrum(fw::CDocument& document, fw::CChildFrame* pattern);

} // namespace fourier

namespace correl {

using CModel = m2D::TAnalysisModel<surface::CCorrel>;

class CCorrelView : public m2D::TView<CModel> {
    Q_OBJECT
public:
    explicit CCorrelView(QWidget* parent = nullptr) : m2D::TView<CModel>(parent) {}

protected:
    // The correlation "K" of the shift under the mouse.
    bool ReadoutValue(double u, double v, std::wstring& label, ph::Size& value) const override;
};

// The bar: the correlation's values from its lowest to its highest.
class CCorrelVRView : public m2D::CVRView {
    Q_OBJECT
public:
    using m2D::CVRView::CVRView;

protected:
    rulers::CArea LayoutRuler(rulers::CVR& ruler, const doc::CDataDoc& surface, float width, float height,
                              bool print) override;
};

class CChildFrame : public m2D::TAnalysisFrame<CCorrelView, CCorrelVRView> {
    Q_OBJECT
public:
    // Titled " : Auto correlation".
    explicit CChildFrame(fw::CDocument* document, QWidget* parent = nullptr)
        : TAnalysisFrame(document, QStringLiteral(" : Auto correlation"), kKindCorrelation, parent) {}
};

CChildFrame* OpenCorrelation(fw::CDocument& document, fw::CChildFrame* pattern);

} // namespace correl
