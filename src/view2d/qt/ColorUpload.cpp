#include "view2d/qt/ColorUpload.h"

#include <algorithm>
#include <cstring>
#include <qopengl.h>
#include <vector>

#include "view2d/ColorTransfer.h"
#include "view2d/Strips.h"

namespace color {

namespace {

// A quarter megabyte of BGRA per strip: written by the transfer and read by the driver while it is
// still in the second-level cache, which the grey levels stream through too (a megabyte would spill).
constexpr std::size_t kStripBytes = std::size_t(256) << 10;

// Unpacking from tightly packed rows, whatever the caller set; popped on destruction.
class CUnpackRows {
public:
    CUnpackRows() {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    }
    ~CUnpackRows() { glPopClientAttrib(); }
    CUnpackRows(const CUnpackRows&) = delete;
    CUnpackRows& operator=(const CUnpackRows&) = delete;
};

// Sets scale and bias of red, green and blue and the colour mapping; the attribute stack keeps the
// previous values, but not the maps themselves, which are read and loaded back by hand.
class CPixelTransfer {
public:
    CPixelTransfer(float scale, float bias, bool map) {
        glPushAttrib(GL_PIXEL_MODE_BIT);
        for (GLenum e : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE})
            glPixelTransferf(e, scale);
        for (GLenum e : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS})
            glPixelTransferf(e, bias);
        glPixelTransferi(GL_MAP_COLOR, map ? GL_TRUE : GL_FALSE);
    }
    ~CPixelTransfer() {
        for (std::size_t k = 0; k < m_saved.size(); ++k)
            glPixelMapfv(kMaps[k], static_cast<GLsizei>(m_saved[k].size()), m_saved[k].data());
        glPopAttrib();
    }
    CPixelTransfer(const CPixelTransfer&) = delete;
    CPixelTransfer& operator=(const CPixelTransfer&) = delete;

    void LoadMaps(const CConverter& converter) {
        static const GLenum sizes[3] = {GL_PIXEL_MAP_R_TO_R_SIZE, GL_PIXEL_MAP_G_TO_G_SIZE,
                                        GL_PIXEL_MAP_B_TO_B_SIZE};
        const float* const tables[3] = {converter.Red(), converter.Green(), converter.Blue()};
        m_saved.resize(3);
        for (int k = 0; k < 3; ++k) {
            GLint size = 0;
            glGetIntegerv(sizes[k], &size);
            m_saved[k].assign(static_cast<std::size_t>(std::max(size, 1)), 0.0f);
            glGetPixelMapfv(kMaps[k], m_saved[k].data());
            glPixelMapfv(kMaps[k], 256, tables[k]);
        }
    }

private:
    static constexpr GLenum kMaps[3] = {GL_PIXEL_MAP_R_TO_R, GL_PIXEL_MAP_G_TO_G, GL_PIXEL_MAP_B_TO_B};
    std::vector<std::vector<float>> m_saved;
};

void ThroughPixelTransfer(const void* grey, GLenum type, int columns, int rows, const CConverter& converter,
                          const CAttenuator& attenuator) {
    const CUnpackRows unpack;
    CPixelTransfer transfer(static_cast<float>(attenuator.Gain()), static_cast<float>(attenuator.Bias()),
                            true);
    transfer.LoadMaps(converter);
    // Luminance spreads to red, green and blue before scale, bias and the maps; an RGB texture drops
    // the alpha that the (unloaded) A map would have made 0.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, columns, rows, 0, GL_LUMINANCE, type, grey);
}

// The BGRA words of the 256 byte levels, as the transfer gives them for b / 255.
std::vector<std::uint8_t> ByteLevels(const CConverter& converter, const CAttenuator& attenuator) {
    float levels[256];
    for (int b = 0; b < 256; ++b)
        levels[b] = static_cast<float>(b) / 255.0f;
    std::vector<std::uint8_t> bgra(256 * 4);
    TransferBgra(levels, 256, 1, converter, attenuator, bgra.data());
    return bgra;
}

// Texture rows made by make as BGRA bytes, a strip at a time, into the bound texture.
void ThroughProcessor(int columns, int rows, const MakeStrip& make) {
    const CUnpackRows unpack;
    // Stale scale, bias or maps would apply to the finished colours.
    const CPixelTransfer identity(1.0f, 0.0f, false);
    // A texture that has the storage already keeps it: a new fill or contrast rewrites the texels only.
    GLint width = 0, height = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    // The unsized RGBA lets the driver choose the layout that matches BGRA bytes.
    if (width != columns || height != rows || format != GL_RGBA)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, columns, rows, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    RunStrips(rows, 4 * static_cast<std::size_t>(columns), kStripBytes, make,
              [columns](int first, int count, const std::uint8_t* strip) {
                  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, first, columns, count, GL_BGRA, GL_UNSIGNED_BYTE,
                                  strip);
              });
}

void ThroughProcessor(const float* grey, int columns, int rows, const CConverter& converter,
                      const CAttenuator& attenuator) {
    const CTransfer transfer(converter, attenuator);
    const std::size_t line = static_cast<std::size_t>(columns);
    ThroughProcessor(columns, rows, [&](int first, int count, std::uint8_t* bgra) {
        transfer.Bgra(grey + line * static_cast<std::size_t>(first), line * static_cast<std::size_t>(count),
                      bgra);
    });
}

void ThroughProcessor(const std::uint8_t* grey, int columns, int rows, const CConverter& converter,
                      const CAttenuator& attenuator) {
    const std::vector<std::uint8_t> levels = ByteLevels(converter, attenuator);
    const std::size_t line = static_cast<std::size_t>(columns);
    ThroughProcessor(columns, rows, [&](int first, int count, std::uint8_t* bgra) {
        const std::uint8_t* from = grey + line * static_cast<std::size_t>(first);
        for (std::size_t p = 0, n = line * static_cast<std::size_t>(count); p < n; ++p)
            std::memcpy(bgra + 4 * p, &levels[4 * std::size_t(from[p])], 4);
    });
}

template <class T>
void Upload(const T* grey, GLenum type, int columns, int rows, const CConverter& converter,
            const CAttenuator& attenuator, UploadPath path) {
    if (!grey || columns <= 0 || rows <= 0)
        return;
    if (path == UploadPath::kPixelTransfer)
        ThroughPixelTransfer(grey, type, columns, rows, converter, attenuator);
    else
        ThroughProcessor(grey, columns, rows, converter, attenuator);
}

} // namespace

void UploadTexture(const float* grey, int columns, int rows, const CConverter& converter,
                   const CAttenuator& attenuator, UploadPath path) {
    Upload(grey, GL_FLOAT, columns, rows, converter, attenuator, path);
}

void UploadTexture(const std::uint8_t* grey, int columns, int rows, const CConverter& converter,
                   const CAttenuator& attenuator, UploadPath path) {
    Upload(grey, GL_UNSIGNED_BYTE, columns, rows, converter, attenuator, path);
}

void UploadTexture(const surface::CTextureImage& image, const CConverter& converter,
                   const CAttenuator& attenuator) {
    if (image.width <= 0 || image.height <= 0 || (!image.grid && image.texels.empty()))
        return;
    const CTransfer transfer(converter, attenuator);
    ThroughProcessor(image.width, image.height, [&](int first, int count, std::uint8_t* bgra) {
        surface::TransferRows(image, transfer, first, count, bgra);
    });
}

} // namespace color
