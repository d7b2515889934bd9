// A 2D window on a screen of two device pixels per logical one: the image at 100 % takes two device
// pixels a sample, the rulers' labels are rasterised at that density, the status panes hold their
// texts, and a copy keeps one pixel a sample.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <algorithm>
#include <cstdlib>

#include "Window2DKit.h"

namespace {

// Before the application exists: the whole binary runs at ratio 2.
const bool kDense = ::setenv("QT_SCALE_FACTOR", "2", 1) == 0;

using namespace win2d;

bool Dark(QRgb c) {
    return qRed(c) < 96 && qGreen(c) < 96 && qBlue(c) < 96;
}

TEST_F(Host, AtRatioTwoTheImageRulersAndPanesAreTwiceAsLargeAndTheCopyIsNot) {
    ASSERT_TRUE(kDense);
    CSurfaceDoc document(256, 256);
    auto* frame = Open(document);
    m2D::C2DView& view = *frame->GetView();
    ASSERT_DOUBLE_EQ(view.devicePixelRatioF(), 2.0);
    EXPECT_EQ(view.GetModel().Props().m_fHScale, 1.0f);
    const QImage screen = Screen(view);
    ASSERT_EQ(screen.width(), 2 * view.GetClientWidth());
    Keep(screen, QStringLiteral("ratio2_quadrants"));

    // Along a row through the upper half, the image ends 512 device pixels right of its left edge,
    // its right half (128 samples of one level) 256 device pixels wide, give or take the blend of
    // the smoothed edge between the halves.
    const auto& vp = view.Model().Drawer().ImageViewport();
    ASSERT_EQ(vp.width, 256);
    const QRgb right = Colour(view, kQuadrant[1]);
    auto span = [&](const QImage& picture, int row, int& last) {
        int count = 0;
        last = -1;
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, row) == right) {
                ++count;
                last = x;
            }
        return count;
    };
    int last = 0;
    const int halfWidth = span(screen, screen.height() - 2 * (vp.y + vp.height * 3 / 4), last);
    EXPECT_GE(halfWidth, 254);
    EXPECT_LE(halfWidth, 256);
    EXPECT_EQ(last + 1 - 2 * vp.x, 512);

    // The horizontal ruler's labels, above the image: ink about twice as tall as a label's 8 pixels.
    const int imageTop = screen.height() - 2 * (vp.y + vp.height);
    int highest = imageTop, lowest = 0;
    for (int y = 0; y < imageTop - 10; ++y)
        for (int x = 2 * vp.x; x < 2 * (vp.x + vp.width); ++x)
            if (Dark(screen.pixel(x, y))) {
                highest = std::min(highest, y);
                lowest = std::max(lowest, y);
            }
    EXPECT_GE(lowest - highest + 1, 14) << "label ink from row " << highest << " to " << lowest;

    // Every status pane holds its whole text.
    const QList<QLabel*> panes = frame->findChildren<QLabel*>();
    ASSERT_FALSE(panes.empty());
    for (const QLabel* pane : panes) {
        if (pane->isVisible()) {
            EXPECT_GE(pane->contentsRect().width(), pane->fontMetrics().horizontalAdvance(pane->text()))
                << pane->text().toStdString();
        }
    }

    // The copy: one pixel a logical one, the image one pixel a sample.
    const QImage copied = CopyByKeys(view);
    ASSERT_FALSE(copied.isNull());
    Keep(copied, QStringLiteral("ratio2_copy"));
    EXPECT_GE(copied.width(), view.GetClientWidth());
    EXPECT_LT(copied.width(), screen.width());
    const int copiedHalf = span(copied, view.GetClientHeight() - (vp.y + vp.height * 3 / 4), last);
    EXPECT_GE(copiedHalf, 127);
    EXPECT_LE(copiedHalf, 128);
    EXPECT_EQ(last + 1 - vp.x, 256);
}

} // namespace
