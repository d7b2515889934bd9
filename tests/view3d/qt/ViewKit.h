#pragma once
// A view that draws known colours and records what its drawing saw, for the window tests of the
// OpenGL base.
#include <QImage>
#include <QOpenGLWidget>
#include <QRect>
#include <QTest>
#include <qopengl.h>
#include <vector>

#include "model/DataDoc.h"
#include "view3d/qt/glView.h"

namespace viewtest {

// Clears, fills the middle 80 % of the viewport green and marks the drawing's top-left corner with a
// red square of kMark pixels.
class CColourView : public gl::CglView {
public:
    static constexpr int kMark = 20;

    struct CDraw {
        int target;
        QRect viewport;
    };
    std::vector<CDraw> draws;
    doc::CDataDoc surface;

    doc::CDataDoc* GetSurface() override { return &surface; }
    int Target() const { return RenderTarget; }

    void DrawScene() override {
        gl::CglView::DrawScene();
        GLint v[4];
        glGetIntegerv(GL_VIEWPORT, v);
        draws.push_back({RenderTarget, QRect(v[0], v[1], v[2], v[3])});
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(0.0f, 1.0f, 0.0f);
        glRectf(-0.8f, -0.8f, 0.8f, 0.8f);
        const float w = 2.0f * kMark / v[2], h = 2.0f * kMark / v[3];
        glColor3f(1.0f, 0.0f, 0.0f);
        glRectf(-1.0f, 1.0f - h, -1.0f + w, 1.0f);
    }
};

// Shows the view as a window of the given size and waits until it has drawn.
inline void Show(QWidget& view, int width, int height) {
    view.resize(width, height);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
}

// What the view's framebuffer shows now (drawn afresh for the screen).
inline QImage Screen(gl::CglView& view) {
    return view.GetGLWidget()->grabFramebuffer();
}

inline bool Near(QRgb pixel, int r, int g, int b, int tolerance = 2) {
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
           std::abs(qBlue(pixel) - b) <= tolerance;
}

// The bounding box of the pixels whose colour is near (r, g, b).
inline QRect Extent(const QImage& image, int r, int g, int b) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Near(image.pixel(x, y), r, g, b, 40))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace viewtest

namespace viewtest {

// Draws a text in black at (10, 10) pixels from the bottom-left of the client, with the fonts it built:
// the screen fonts once the context exists, the printer fonts when drawing for the printer.
class CTextView : public gl::CglView {
public:
    std::wstring text = L"HHHH";
    doc::CDataDoc surface;
    doc::CDataDoc* GetSurface() override { return &surface; }
    int Target() const { return RenderTarget; }

    void InitGL() override {
        gl::CglView::InitGL();
        CreateTextFont();
        CreateSymbolFont();
    }
    void DrawScene() override {
        if (RenderTarget == kPrinter)
            CreatePrinterTextFont();
        gl::CglView::DrawScene();
        GLint v[4];
        glGetIntegerv(GL_VIEWPORT, v);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, v[2], 0, v[3], -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(0.0f, 0.0f, 0.0f);
        glRasterPos2i(10, 10);
        CallText(text);
    }
};

// The box of the dark pixels.
inline QRect Ink(const QImage& image) {
    return Extent(image, 0, 0, 0);
}

} // namespace viewtest
