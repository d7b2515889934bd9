#pragma once
// The surface viewer shown on the virtual display, with what its tests read off its pixels: the
// wedge's colours, ruler ink, and screenshots kept beside the test binary.
#include <QDir>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "SurfaceView.h"
#include "SurfaceWindow.h"
#include "framework/qt/fwCommandTable.h"
#include "view2d/ColorTransfer.h"
#include "view2d/qt/RulerGLPixels.h"
#include "view3d/qt/ViewKit.h"

namespace guitest {

using CPicture = gltest::CPixels;

// Keeps a picture as <test binary dir>/screenshots/<name>.png for looking at.
inline void Keep(const QImage& image, const QString& name) {
    const QDir dir(QStringLiteral(VANTRI_TEST_OUT));
    dir.mkpath(QStringLiteral("screenshots"));
    image.save(dir.filePath(QStringLiteral("screenshots/%1.png").arg(name)));
}

// The 8-bit colour the view's transfer gives a grey level.
inline QRgb TransferColour(CSurfaceView& view, float level) {
    std::uint8_t rgb[3];
    color::TransferRgb(&level, 1, 1, view.Converter(), view.Attenuator(), rgb);
    return qRgb(rgb[0], rgb[1], rgb[2]);
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);
    }

    CSurfaceView& View() { return window.View(); }
    bool Run(int id) { return window.Commands().Execute(id); }
    // The view drawn afresh for the screen.
    CPicture Screen() { return CPicture(viewtest::Screen(View())); }

    // The middle of wedge step k in the last drawing.
    static QPointF WedgeCentre(const CSurfaceView& view, int step) {
        const QRectF r = view.ImageRect();
        const double columns = kColumns / kWedgeSteps;
        return {r.x() + (step * columns + columns / 2) / kColumns * r.width(),
                r.y() + 0.5 * kWedgeRows / kRows * r.height()};
    }
    // The wedge steps whose colour is not the transfer's by more than tolerance.
    std::vector<int> WrongSteps(const CPicture& picture, int tolerance = 0) {
        std::vector<int> wrong;
        for (int k = 0; k < kWedgeSteps; ++k) {
            const QPointF at = WedgeCentre(View(), k);
            const QRgb want = TransferColour(View(), WedgeLevel(k));
            if (!viewtest::Near(picture.At(at.x(), at.y()), qRed(want), qGreen(want), qBlue(want), tolerance))
                wrong.push_back(k);
        }
        return wrong;
    }

    CSurfaceWindow window;
};

} // namespace guitest
