// The texture upload through the colour transfer: grids drawn one texel a pixel and read back, on
// both paths, against the transfer computed on the processor.
#include "view2d/qt/ColorUpload.h"

#include <QOpenGLWidget>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <qopengl.h>
#include <vector>

#include "view2d/ColorTransfer.h"
#include "view3d/qt/ViewKit.h"
#include "view3d/qt/glContext.h"

namespace {

using color::CAttenuator;
using color::CConverter;
using color::UploadPath;

struct CFillOwner : color::IFillOwner {
    color::CCustomFill fill;
    const color::CCustomFill* CustomFill() const override { return &fill; }
};

// Uploads the grid in every paint, draws it one texel a pixel from the lower-left corner and reads
// the drawn pixels back as RGB, rows bottom-up, which is grid row order.
class CUploadView : public gl::CglView {
public:
    doc::CDataDoc surface;
    std::vector<float> grey;
    std::vector<std::uint8_t> bytes; // drawn instead of grey when not empty
    int columns = 0, rows = 0;
    CFillOwner owner;
    CConverter converter{&owner};
    CAttenuator attenuator;
    UploadPath path = UploadPath::kProcessor;
    std::vector<std::uint8_t> pixels;

    doc::CDataDoc* GetSurface() override { return &surface; }

    void DrawScene() override {
        gl::CglView::DrawScene();
        if (!m_texture)
            glGenTextures(1, &m_texture);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        if (bytes.empty())
            color::UploadTexture(grey.data(), columns, rows, converter, attenuator, path);
        else
            color::UploadTexture(bytes.data(), columns, rows, converter, attenuator, path);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        // A viewport of the grid's size: the quad over it puts one texel on each pixel.
        glViewport(0, 0, columns, rows);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0), glVertex2i(-1, -1);
        glTexCoord2f(1, 0), glVertex2i(1, -1);
        glTexCoord2f(1, 1), glVertex2i(1, 1);
        glTexCoord2f(0, 1), glVertex2i(-1, 1);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        pixels.assign(std::size_t(columns) * rows * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, columns, rows, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    }

private:
    GLuint m_texture = 0;
};

// Grey levels on every table index and between them: k/255, the half-way points (k + 0.5)/255 where
// rounding decides, quarter points, and a row that runs past both ends of 0..1.
std::vector<float> Ramp() {
    std::vector<float> grey;
    for (float offset : {0.0f, 0.5f, 0.25f, 0.75f})
        for (int k = 0; k < 256; ++k)
            grey.push_back((static_cast<float>(k) + offset) / 255.0f);
    for (int k = 0; k < 256; ++k)
        grey.push_back(-0.25f + 1.5f * static_cast<float>(k) / 255.0f);
    return grey;
}

// A fill with its negative state, steps of contrast and brightness, and for Custom the mode and
// the slider.
struct CSetting {
    unsigned type;
    int negative, contrast, brightness;
    int mode = 1;
    float s = 0.5f, h = 0.0f;
};

void Steps(int count, bool (CAttenuator::*up)(), bool (CAttenuator::*down)(), CAttenuator& a) {
    for (int i = 0; i < std::abs(count); ++i)
        (a.*(count > 0 ? up : down))();
}

// Every fill, positive and negative, and brightness and contrast steps up to the largest gain.
std::vector<CSetting> Settings() {
    std::vector<CSetting> settings;
    for (unsigned type = CConverter::kGray; type <= CConverter::kCustom; ++type)
        for (int negative : {0, 1})
            settings.push_back({type, negative, 0, 0});
    settings.push_back({CConverter::kCustom, 0, 0, 0, 0});              // two colours
    settings.push_back({CConverter::kCustom, 1, 0, 0, 1, 0.2f, 0.03f}); // the middle colour low
    settings.push_back({CConverter::kGray, 0, 8, 0});
    settings.push_back({CConverter::kAmber, 0, 40, -20});
    settings.push_back({CConverter::kMarine, 1, -30, 50});
    settings.push_back({CConverter::kGray, 0, 0, 99});
    settings.push_back({CConverter::kForest, 0, 97, 0}); // the largest gain
    return settings;
}

// The two bytes that rounding x may give: both neighbours where x lies exactly half-way, which the
// formula rounds up and OpenGL implementations may round to even (Mesa does, for the map index and
// for the float colour it stores as a byte).
std::pair<int, int> Rounded(float x) {
    const float whole = std::floor(x);
    if (x - whole == 0.5f)
        return {int(whole), int(whole) + 1};
    const int r = int(whole) + (x - whole > 0.5f ? 1 : 0);
    return {r, r};
}

// Whether a pixel is the transfer's colour of grey level L up to the rounding of exact halves.
bool TransferColour(const std::uint8_t* rgb, float L, const CConverter& c, const CAttenuator& a) {
    const float scaled = static_cast<float>(a.Gain()) * L;
    const float v = std::clamp(scaled + static_cast<float>(a.Bias()), 0.0f, 1.0f);
    const auto [first, last] = Rounded(v * 255.0f);
    const float* const tables[3] = {c.Red(), c.Green(), c.Blue()};
    for (int index = first; index <= last; ++index) {
        bool all = true;
        for (int k = 0; k < 3; ++k) {
            const auto [low, high] = Rounded(tables[k][index] * 255.0f);
            all = all && rgb[k] >= low && rgb[k] <= high;
        }
        if (all)
            return true;
    }
    return false;
}

// The view's context made current with a new texture bound, deleted at the end.
class CBoundTexture {
public:
    explicit CBoundTexture(gl::CglView& view) : m_current(view.GetGLWidget()) {
        glGenTextures(1, &m_texture);
        glBindTexture(GL_TEXTURE_2D, m_texture);
    }
    ~CBoundTexture() { glDeleteTextures(1, &m_texture); }
    explicit operator bool() const { return bool(m_current) && m_texture != 0; }

private:
    gl::CCurrentContext m_current;
    GLuint m_texture = 0;
};

class ColorUpload : public ::testing::Test {
protected:
    void SetUp() override {
        view.grey = Ramp();
        view.columns = 256;
        view.rows = static_cast<int>(view.grey.size()) / 256;
        viewtest::Show(view, 300, 120);
    }

    // The colours the transfer gives on the processor for the view's grid and settings.
    std::vector<std::uint8_t> Expected() const {
        std::vector<std::uint8_t> rgb(view.grey.size() * 3);
        color::TransferRgb(view.grey.data(), view.columns, view.rows, view.converter, view.attenuator,
                           rgb.data());
        return rgb;
    }

    // Pixels that are not the transfer's colour of their grey level, even with exact halves rounded
    // either way.
    int Unexplained(const std::vector<std::uint8_t>& drawn) const {
        int wrong = 0;
        for (std::size_t p = 0; p < view.grey.size(); ++p)
            wrong += !TransferColour(&drawn[3 * p], view.grey[p], view.converter, view.attenuator);
        return wrong;
    }

    std::vector<std::uint8_t> Draw(UploadPath path) {
        view.path = path;
        viewtest::Screen(view);
        return view.pixels;
    }

    void Reset() {
        view.owner = CFillOwner();
        view.converter = CConverter(&view.owner);
        view.attenuator = CAttenuator();
    }

    CUploadView view;
};

TEST_F(ColorUpload, BothPathsDrawTheTransfersColoursForEveryFillAndStep) {
    for (const CSetting& setting : Settings()) {
        SCOPED_TRACE(testing::Message()
                     << "fill " << setting.type << " negative " << setting.negative << " contrast "
                     << setting.contrast << " brightness " << setting.brightness << " mode " << setting.mode);
        Reset();
        view.owner.fill.mode = setting.mode;
        view.owner.fill.s = setting.s;
        view.owner.fill.h = setting.h;
        view.converter.SetNegative(setting.negative);
        view.converter.SetType(setting.type);
        Steps(setting.contrast, &CAttenuator::ContrastUp, &CAttenuator::ContrastDown, view.attenuator);
        Steps(setting.brightness, &CAttenuator::BrightnessUp, &CAttenuator::BrightnessDown, view.attenuator);
        EXPECT_TRUE(Draw(UploadPath::kProcessor) == Expected());
        EXPECT_EQ(Unexplained(Draw(UploadPath::kPixelTransfer)), 0);
    }
}

TEST_F(ColorUpload, ByteLevelsStandForTheirFractionOf255) {
    view.bytes.resize(256 * 2);
    for (int b = 0; b < 512; ++b)
        view.bytes[b] = static_cast<std::uint8_t>(b < 256 ? b : 511 - b);
    view.rows = 2;
    for (int contrast : {0, 12}) {
        SCOPED_TRACE(contrast);
        Steps(contrast, &CAttenuator::ContrastUp, &CAttenuator::ContrastDown, view.attenuator);
        view.converter.SetType(CConverter::kMarine);
        view.grey.assign(view.bytes.begin(), view.bytes.end());
        for (float& level : view.grey)
            level /= 255.0f;
        EXPECT_TRUE(Draw(UploadPath::kProcessor) == Expected());
        EXPECT_EQ(Unexplained(Draw(UploadPath::kPixelTransfer)), 0);
    }
}

// The pixel-transfer state a caller had before an upload, and what it is afterwards.
struct CTransferState {
    float scale[3], bias[3];
    GLint mapColor, alignment, rowLength;
    std::vector<float> redMap;

    static CTransferState Read() {
        CTransferState s;
        const GLenum scales[3] = {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE};
        const GLenum biases[3] = {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS};
        for (int k = 0; k < 3; ++k) {
            glGetFloatv(scales[k], &s.scale[k]);
            glGetFloatv(biases[k], &s.bias[k]);
        }
        glGetIntegerv(GL_MAP_COLOR, &s.mapColor);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &s.alignment);
        glGetIntegerv(GL_UNPACK_ROW_LENGTH, &s.rowLength);
        GLint size = 0;
        glGetIntegerv(GL_PIXEL_MAP_R_TO_R_SIZE, &size);
        s.redMap.resize(std::size_t(size));
        glGetPixelMapfv(GL_PIXEL_MAP_R_TO_R, s.redMap.data());
        return s;
    }
    bool operator==(const CTransferState& o) const {
        return std::equal(scale, scale + 3, o.scale) && std::equal(bias, bias + 3, o.bias) &&
               mapColor == o.mapColor && alignment == o.alignment && rowLength == o.rowLength &&
               redMap == o.redMap;
    }
};

// A caller's odd pixel-transfer state: it must survive an upload, and must not colour the
// processor's finished texels.
TEST_F(ColorUpload, TheCallersPixelTransferStateIsKeptAndDoesNotLeakIn) {
    const CBoundTexture texture(view);
    ASSERT_TRUE(texture);
    const float halves[2] = {0.5f, 0.5f};
    glPixelMapfv(GL_PIXEL_MAP_R_TO_R, 2, halves);
    glPixelTransferf(GL_RED_SCALE, 0.5f);
    glPixelTransferf(GL_GREEN_BIAS, 0.25f);
    glPixelTransferi(GL_MAP_COLOR, GL_TRUE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 3);
    const CTransferState before = CTransferState::Read();

    view.converter.SetType(CConverter::kForest);
    std::vector<std::uint8_t> read(view.grey.size() * 4);
    std::vector<std::uint8_t> expected(read.size());
    color::TransferBgra(view.grey.data(), view.columns, view.rows, view.converter, view.attenuator,
                        expected.data());
    for (UploadPath path : {UploadPath::kPixelTransfer, UploadPath::kProcessor}) {
        color::UploadTexture(view.grey.data(), view.columns, view.rows, view.converter, view.attenuator,
                             path);
        EXPECT_TRUE(CTransferState::Read() == before) << int(path);
    }
    // Read back without the caller's transfer, which applies to glGetTexImage as well.
    glPushAttrib(GL_PIXEL_MODE_BIT);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    glPixelTransferf(GL_RED_SCALE, 1.0f);
    glPixelTransferf(GL_GREEN_BIAS, 0.0f);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, read.data());
    glPopAttrib();
    EXPECT_TRUE(read == expected);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
}

// Grids of many strips with a short last one, uploaded again with a new fill into the same storage
// and at a new size into new storage.
TEST_F(ColorUpload, LargeGridsArriveWholeThroughStripsAndStorageIsReused) {
    const CBoundTexture texture(view);
    ASSERT_TRUE(texture);
    const std::pair<int, int> sizes[] = {{701, 1203}, {701, 1203}, {1600, 333}, {1, 5}};
    unsigned type = CConverter::kGray;
    for (const auto& [columns, rows] : sizes) {
        SCOPED_TRACE(columns);
        std::vector<float> grey(std::size_t(columns) * rows);
        for (std::size_t p = 0; p < grey.size(); ++p)
            grey[p] = static_cast<float>((p * 7919) % 1021) / 1020.0f;
        view.converter.SetType(type++);
        color::UploadTexture(grey.data(), columns, rows, view.converter, view.attenuator);
        std::vector<std::uint8_t> read(grey.size() * 4), expected(grey.size() * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, read.data());
        color::TransferBgra(grey.data(), columns, rows, view.converter, view.attenuator, expected.data());
        std::size_t wrong = 0;
        for (std::size_t p = 0; p < read.size(); ++p)
            wrong += read[p] != expected[p];
        EXPECT_EQ(wrong, 0u);
    }
}

// A surface's texture uploaded without its texels being made, padding and all: small, and large enough
// for two threads.
TEST_F(ColorUpload, ATextureReadInPlaceArrivesAsTheTransferOfItsLevels) {
    const CBoundTexture texture(view);
    ASSERT_TRUE(texture);
    view.converter.SetType(CConverter::kAmber);
    for (const auto& [columns, rows] : {std::pair{300, 200}, std::pair{700, 600}}) {
        std::vector<float> grid(std::size_t(columns) * rows);
        for (std::size_t p = 0; p < grid.size(); ++p)
            grid[p] = static_cast<float>((p * 7919) % 1021) / 1020.0f;
        surface::CTextureImage image;
        ASSERT_TRUE(surface::BuildTexture(grid.data(), columns, rows, doc::FilterType::None, 16384, {}, image,
                                          surface::Unfiltered::kInPlace));
        ASSERT_TRUE(image.grid);
        color::UploadTexture(image, view.converter, view.attenuator);
        const std::vector<float> levels = surface::Levels(image);
        std::vector<std::uint8_t> read(levels.size() * 4), expected(levels.size() * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, read.data());
        color::TransferBgra(levels.data(), image.width, image.height, view.converter, view.attenuator,
                            expected.data());
        EXPECT_TRUE(read == expected) << columns;
    }
}

TEST_F(ColorUpload, AnEmptyGridLeavesTheTextureAlone) {
    const CBoundTexture texture(view);
    ASSERT_TRUE(texture);
    const float one[4] = {0.0f, 0.25f, 0.5f, 1.0f};
    color::UploadTexture(one, 2, 2, view.converter, view.attenuator);
    color::UploadTexture(one, 0, 2, view.converter, view.attenuator, UploadPath::kPixelTransfer);
    color::UploadTexture(static_cast<const float*>(nullptr), 2, 2, view.converter, view.attenuator);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
