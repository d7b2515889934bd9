// The spectrum and auto-correlation windows: what their textures hold for known surfaces, the log
// command with its ruler, the texture's size for a small grid, and what vantri-cli prints of them.
#include <QTest>
#include <cmath>
#include <cstdio>

#include "analysis/qt/Spectra.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "view2d/TextureImage.h"
#include "view2d/qt/Window2DKit.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A surface of given heights, 100 nm high.
class CGridDoc : public doc::CVantriDoc {
public:
    CGridDoc(int columns, int rows, const std::function<float(int, int)>& height) {
        this->columns = columns;
        this->rows = rows;
        width = ph::Size(5.0, "\xb5m");
        this->height = ph::Size(5.0, "\xb5m");
        range = ph::Size(100.0, "nm");
        heights.resize(std::size_t(columns) * rows);
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < columns; ++j)
                heights[std::size_t(j) + std::size_t(i) * columns] = height(j, i);
        SetTitle(L"grid");
    }
};

class Spectra : public win2d::Host {
protected:
    // The transforms' plans stay in this process: nothing is written to the user's cache folder.
    void SetUp() override {
        qputenv("VANTRI_FFTW_WISDOM", "off");
        win2d::Host::SetUp();
    }
    template <class TFrame> TFrame* Shown(TFrame* frame) {
        EXPECT_NE(frame, nullptr);
        if (frame) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
            QTest::qWait(50);
        }
        return frame;
    }
    // Texel (x, y) of a window's texture.
    static float Texel(const surface::CTextureImage& texture, int x, int y) {
        return surface::Levels(texture)[std::size_t(x) + std::size_t(y) * texture.width];
    }
};

TEST_F(Spectra, AConstantSurfaceHasOneBrightCentreCell) {
    CGridDoc document(64, 64, [](int, int) { return 1.0f; });
    fourier::CChildFrame* frame = Shown(fourier::OpenSpectrum(document, nullptr));
    ASSERT_NE(frame, nullptr);
    frame->OnUpdateFrameTitle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("grid : Spectrum"));
    EXPECT_EQ(frame->Kind(), kKindFourier);
    fourier::CFourierView& view = *frame->GetView();
    EXPECT_TRUE(view.Logarithmic());
    const surface::CTextureImage& texture = view.GetModel().Analysis().Texture();
    ASSERT_EQ(texture.width, 64);
    const std::vector<float> levels = surface::Levels(texture);
    int bright = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (levels[std::size_t(x) + std::size_t(y) * 64] > 0.0f) {
                ++bright;
                EXPECT_EQ(x, 32);
                EXPECT_EQ(y, 32);
            }
    EXPECT_EQ(bright, 1);
    EXPECT_FLOAT_EQ(Texel(texture, 32, 32), 1.0f);
    win2d::Keep(frame->grab().toImage(), QStringLiteral("spectrum_constant"));
}

TEST_F(Spectra, ACosineOfFourPeriodsHasTwoPeaksAndTheLogCommandChangesTheRuler) {
    CGridDoc document(64, 32, [](int x, int) {
        return static_cast<float>(0.5 + 0.25 * std::cos(2.0 * kPi * 4.0 * x / 64.0));
    });
    fourier::CChildFrame* frame = Shown(fourier::OpenSpectrum(document, nullptr));
    ASSERT_NE(frame, nullptr);
    fourier::CFourierView& view = *frame->GetView();
    ASSERT_TRUE(view.OnCommand(fourier::ID_LOG_SCALE));
    EXPECT_FALSE(view.Logarithmic());
    const surface::CTextureImage& texture = view.GetModel().Analysis().Texture();
    // Linear: both peaks are the largest amplitude, 1.0 after scaling, 4 cells either side of the centre.
    EXPECT_NEAR(Texel(texture, 28, 16), 1.0f, 1e-5f);
    EXPECT_NEAR(Texel(texture, 36, 16), 1.0f, 1e-5f);
    EXPECT_NEAR(Texel(texture, 32, 16), 0.0f, 1e-5f);
    EXPECT_NEAR(view.GetModel().Analysis().Factor(), 4.0f, 1e-3f); // 1 / 0.25
    QTest::qWait(50);
    ASSERT_NE(frame->BarView(), nullptr);
    EXPECT_EQ(std::wstring(frame->BarView()->Model().Ruler().span().unit()), L"nm");
    fw::CCmdState state;
    view.OnUpdateCommand(fourier::ID_LOG_SCALE, state);
    EXPECT_FALSE(state.checked);
    view.OnCommand(fourier::ID_LOG_SCALE);
    QTest::qWait(50);
    EXPECT_TRUE(view.Logarithmic());
    frame->BarView()->RedrawWindow();
    EXPECT_EQ(std::wstring(frame->BarView()->Model().Ruler().span().unit()), L"dB");
    // 0.25 in the logarithmic display: (log10 0.25 + 4) / 4.
    EXPECT_NEAR(Texel(texture, 28, 16), (std::log10(0.25f) + 4.0f) * 0.25f, 1e-5f);
    win2d::Keep(frame->grab().toImage(), QStringLiteral("spectrum_cosine"));
}

TEST_F(Spectra, ASmallGridUsesAPowerOfTwoTextureCorner) {
    CGridDoc document(3, 3, [](int x, int y) { return 0.1f * static_cast<float>(x + 3 * y); });
    fourier::CChildFrame* frame = Shown(fourier::OpenSpectrum(document, nullptr));
    ASSERT_NE(frame, nullptr);
    const surface::CTextureImage& texture = frame->GetView()->GetModel().Analysis().Texture();
    EXPECT_EQ(texture.width, 4);
    EXPECT_EQ(texture.height, 4);
    EXPECT_FLOAT_EQ(texture.uMax, 0.75f);
    EXPECT_FLOAT_EQ(texture.vMax, 0.75f);
}

TEST_F(Spectra, StripesOfPeriodEightCorrelateEveryEightCells) {
    CGridDoc document(64, 64, [](int x, int) { return x % 8 < 4 ? 0.8f : 0.2f; });
    correl::CChildFrame* frame = Shown(correl::OpenCorrelation(document, nullptr));
    ASSERT_NE(frame, nullptr);
    frame->OnUpdateFrameTitle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("grid : Auto correlation"));
    EXPECT_EQ(frame->Kind(), kKindCorrelation);
    const surface::CTextureImage& texture = frame->GetView()->GetModel().Analysis().Texture();
    // Along the centre row: the highest values at lags 0, +-8, +-16 ..., the lowest half way between.
    const float top = Texel(texture, 32, 32);
    EXPECT_NEAR(top, 1.0f, 1e-5f);
    for (int lag = -24; lag <= 24; lag += 8)
        EXPECT_NEAR(Texel(texture, 32 + lag, 32), top, 1e-4f) << lag;
    for (int lag = -20; lag <= 20; lag += 8)
        EXPECT_LT(Texel(texture, 32 + lag, 32), 0.1f) << lag;
    win2d::Keep(frame->grab().toImage(), QStringLiteral("correlation_stripes"));
}

TEST_F(Spectra, AConstantSurfaceCorrelatesUniformlyAndNothingNonFiniteIsDrawn) {
    CGridDoc document(40, 30, [](int, int) { return 0.5f; });
    correl::CChildFrame* frame = Shown(correl::OpenCorrelation(document, nullptr));
    ASSERT_NE(frame, nullptr);
    const surface::CTextureImage& texture = frame->GetView()->GetModel().Analysis().Texture();
    EXPECT_EQ(frame->GetView()->GetModel().Analysis().Factor(), 1.0f);
    const std::vector<float> levels = surface::Levels(texture);
    for (float v : levels) {
        ASSERT_TRUE(std::isfinite(v));
        EXPECT_EQ(v, levels.front());
    }
    // A spectrum of a constant 0.5 surface: all amplitudes 0, linear display uniform with factor 1.
    fourier::CChildFrame* spectrum = Shown(fourier::OpenSpectrum(document, nullptr));
    ASSERT_NE(spectrum, nullptr);
    spectrum->GetView()->OnCommand(fourier::ID_LOG_SCALE);
    EXPECT_EQ(spectrum->GetView()->GetModel().Analysis().Factor(), 1.0f);
    for (float v : surface::Levels(spectrum->GetView()->GetModel().Analysis().Texture()))
        ASSERT_EQ(v, 0.0f);
}

// A real scan in both windows, and vantri-cli printing exactly the levels the spectrum window uploads.
TEST_F(Spectra, ARealScansSpectrumIsWhatTheCommandLineDumps) {
    doc::CSurfaceApp app;
    m2D::Register2DDocTypes(app);
    const std::string path = std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007";
    auto* document = dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8(path)));
    ASSERT_NE(document, nullptr);
    fourier::CChildFrame* frame = Shown(fourier::OpenSpectrum(*document, nullptr));
    ASSERT_NE(frame, nullptr);
    win2d::Keep(frame->grab().toImage(), QStringLiteral("spectrum_real"));
    correl::CChildFrame* correlation = Shown(correl::OpenCorrelation(*document, nullptr));
    ASSERT_NE(correlation, nullptr);
    win2d::Keep(correlation->grab().toImage(), QStringLiteral("correlation_real"));

    const surface::CTextureImage& texture = frame->GetView()->GetModel().Analysis().Texture();
    const std::string command = std::string("VANTRI_FFTW_WISDOM=off ") + VANTRI_CLI + " spectrum '" + path +
                                "' --image 0 --dump f32le 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<float> dumped;
    float value = 0.0f;
    while (std::fread(&value, sizeof value, 1, pipe) == 1)
        dumped.push_back(value);
    ASSERT_EQ(::pclose(pipe), 0);
    const int columns = document->columns, rows = document->rows;
    ASSERT_EQ(dumped.size(), std::size_t(columns) * rows);
    const std::vector<float> levels = surface::Levels(texture);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            ASSERT_EQ(dumped[std::size_t(x) + std::size_t(y) * columns],
                      levels[std::size_t(x) + std::size_t(y) * texture.width])
                << x << "," << y;
}

} // namespace
