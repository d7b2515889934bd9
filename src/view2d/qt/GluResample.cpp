#include "view2d/qt/GluResample.h"

#include <QOpenGLContext>
#include <qopengl.h>

#include <GL/glu.h>

namespace surface {

namespace {

// The pixel-store modes that gluScaleImage reads for its input and output.
constexpr GLenum kModes[] = {
    GL_UNPACK_SWAP_BYTES,  GL_UNPACK_LSB_FIRST, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS,
    GL_UNPACK_SKIP_PIXELS, GL_UNPACK_ALIGNMENT, GL_PACK_SWAP_BYTES,   GL_PACK_LSB_FIRST,
    GL_PACK_ROW_LENGTH,    GL_PACK_SKIP_ROWS,   GL_PACK_SKIP_PIXELS,  GL_PACK_ALIGNMENT,
};
constexpr int kModeCount = sizeof kModes / sizeof kModes[0];

// Tightly packed float rows for the lifetime of the guard.
class CDefaultPixelStore {
public:
    CDefaultPixelStore() {
        for (int k = 0; k < kModeCount; ++k) {
            glGetIntegerv(kModes[k], &m_saved[k]);
            const bool alignment = kModes[k] == GL_UNPACK_ALIGNMENT || kModes[k] == GL_PACK_ALIGNMENT;
            glPixelStorei(kModes[k], alignment ? 4 : 0);
        }
    }
    ~CDefaultPixelStore() {
        for (int k = 0; k < kModeCount; ++k)
            glPixelStorei(kModes[k], m_saved[k]);
    }
    CDefaultPixelStore(const CDefaultPixelStore&) = delete;
    CDefaultPixelStore& operator=(const CDefaultPixelStore&) = delete;

private:
    GLint m_saved[kModeCount] = {};
};

} // namespace

bool GluScaleImage(const float* in, int columns, int rows, float* out, int outWidth, int outHeight) {
    if (!in || !out || columns < 1 || rows < 1 || outWidth < 1 || outHeight < 1)
        return false;
    // GLU reads the pixel-store modes from the context; with none current they would be garbage.
    if (!QOpenGLContext::currentContext())
        return ScaleImage(in, columns, rows, out, outWidth, outHeight);
    CDefaultPixelStore store;
    return gluScaleImage(GL_LUMINANCE, columns, rows, GL_FLOAT, in, outWidth, outHeight, GL_FLOAT, out) == 0;
}

Resampler GluResampler() {
    return GluScaleImage;
}

} // namespace surface
