#pragma once
// A main frame hosting 2D windows on the virtual display, documents with surfaces made in code or
// read from scan files, and what the tests read off the windows' pixels.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QOpenGLWidget>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "framework/qt/StatusBarTop.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIDocTemplate.h"
#include "framework/qt/fwMDIFrame.h"
#include "model/VantriDoc.h"
#include "view2d/ColorTransfer.h"
#include "view2d/qt/VRView.h"
#include "view2d/qt/View2D.h"

namespace win2d {

// Keeps a picture as <test binary dir>/screenshots/<name>.png for looking at.
inline void Keep(const QImage& image, const QString& name) {
    const QDir dir(QStringLiteral(VANTRI_TEST_OUT));
    dir.mkpath(QStringLiteral("screenshots"));
    image.save(dir.filePath(QStringLiteral("screenshots/%1.png").arg(name)));
}

// Four quadrants of known levels: top left 0, top right 1/3, bottom left 2/3, bottom right 1, so
// that orientation, flips and turns show in the pixels.
constexpr float kQuadrant[4] = {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f};

class CSurfaceDoc : public doc::CVantriDoc {
public:
    CSurfaceDoc(int columns, int rows, double widthUm = 10.0, double heightUm = 10.0) {
        this->columns = columns;
        this->rows = rows;
        width = ph::Size(widthUm, "\xb5m");
        height = ph::Size(heightUm, "\xb5m");
        range = ph::Size(100.0, "nm");
        heights.resize(std::size_t(columns) * rows);
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < columns; ++j)
                heights[std::size_t(j) + std::size_t(i) * columns] =
                    kQuadrant[(i < rows / 2 ? 0 : 2) + (j < columns / 2 ? 0 : 1)];
        SetTitle(L"quadrants");
    }
};

// A surface of 5 um x 2.5 um, 512 x 256 samples, 100 nm high: mid-grey above a wedge of kWedgeSteps
// levels in its last kWedgeRows rows, step k (columns 32k..32k+31) at WedgeLevel(k).
constexpr int kWedgeSteps = 16;
constexpr int kWedgeRows = 32;
constexpr float WedgeLevel(int step) {
    return static_cast<float>(step * 17) / 255.0f;
}

class CWedgeDoc : public doc::CVantriDoc {
public:
    CWedgeDoc() {
        columns = 512;
        rows = 256;
        width = ph::Size(5.0, "\xb5m");
        height = ph::Size(2.5, "\xb5m");
        range = ph::Size(100.0, "nm");
        heights.assign(std::size_t(columns) * rows, 0.5f);
        for (int i = rows - kWedgeRows; i < rows; ++i)
            for (int j = 0; j < columns; ++j)
                heights[std::size_t(j) + std::size_t(i) * columns] = WedgeLevel(j * kWedgeSteps / columns);
        SetTitle(L"wedge");
    }
};

class Host : public ::testing::Test {
protected:
    void SetUp() override {
        m2D::Register2DCommands(main.Commands());
        main.resize(1400, 1000);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    void TearDown() override {
        for (auto* frame : main.GetChildFrames())
            frame->DestroyFrame();
        QTest::qWait(10);
    }

    // Opens a 2D window for the document, as its template does.
    m2D::C2DChildFrame* Open(fw::CDocument& document) {
        auto* frame = new m2D::C2DChildFrame(&document);
        main.AddChild(frame);
        fw::CFrameMaker::InitialUpdateFrame(frame, document);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
        QTest::qWait(50);
        return frame;
    }
    bool Run(int id) { return main.Commands().Execute(id); }

    // Edit > Copy by its keys in the active main frame; what the clipboard then holds.
    QImage CopyByKeys(gl::CglView& view) {
        QApplication::clipboard()->clear();
        main.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(view.GetGLWidget(), Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->image();
    }

    // The view's framebuffer, drawn afresh.
    static QImage Screen(gl::CglView& view) { return view.GetGLWidget()->grabFramebuffer(); }
    // The colour at a point of the image viewport given in fractions from its top-left corner.
    static QRgb AtImage(m2D::CPlaneView& view, const QImage& screen, double fx, double fy) {
        const auto& vp = view.Model().Drawer().ImageViewport();
        const int x = vp.x + int(fx * vp.width);
        const int yUp = vp.y + vp.height - 1 - int(fy * vp.height);
        return screen.pixel(x, screen.height() - 1 - yUp);
    }
    static QRgb Colour(m2D::CPlaneView& view, float level) {
        std::uint8_t rgb[3];
        color::TransferRgb(&level, 1, 1, view.Model().Converter(), view.Model().Attenuator(), rgb);
        return qRgb(rgb[0], rgb[1], rgb[2]);
    }
    // The quadrant levels seen at the image's four quadrant centres: top left, top right, bottom
    // left, bottom right, as indices into kQuadrant (-1 when none matches).
    std::vector<int> Quadrants(m2D::CPlaneView& view) {
        const QImage screen = Screen(view);
        std::vector<int> seen;
        for (int k = 0; k < 4; ++k) {
            const QRgb c = AtImage(view, screen, k % 2 ? 0.75 : 0.25, k < 2 ? 0.25 : 0.75);
            int match = -1;
            for (int q = 0; q < 4; ++q)
                if (c == Colour(view, kQuadrant[q]))
                    match = q;
            seen.push_back(match);
        }
        return seen;
    }

    // The wedge steps whose colour in the screen is not the transfer's by more than tolerance.
    std::vector<int> WrongSteps(m2D::CPlaneView& view, const QImage& screen, int tolerance = 0) {
        std::vector<int> wrong;
        for (int k = 0; k < kWedgeSteps; ++k) {
            const QRgb seen = AtImage(view, screen, (k + 0.5) / kWedgeSteps, 1.0 - 0.5 * kWedgeRows / 256.0);
            const QRgb want = Colour(view, WedgeLevel(k));
            if (std::abs(qRed(seen) - qRed(want)) > tolerance ||
                std::abs(qGreen(seen) - qGreen(want)) > tolerance ||
                std::abs(qBlue(seen) - qBlue(want)) > tolerance)
                wrong.push_back(k);
        }
        return wrong;
    }

    fw::CMDIFrame main;
};

} // namespace win2d
