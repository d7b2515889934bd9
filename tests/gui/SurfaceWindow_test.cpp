// The surface viewer's window: keys and tool bars reaching the view, the clipboard copy and a page
// printed to PDF, read back as pictures.
#include <QClipboard>
#include <QColorDialog>
#include <QGuiApplication>
#include <QProcess>
#include <QRadioButton>
#include <QToolButton>

#include "ViewerKit.h"
#include "view2d/qt/AttToolBar.h"
#include "view2d/qt/DlgFill.h"
#include "view2d/qt/FillCommands.h"

namespace guitest {
namespace {

using namespace color;

TEST_F(Viewer, KeysAndTheAttToolBarReachTheView) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(View().Converter().Type(), unsigned(CConverter::kAmber));
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(View().Converter().Negative(), 1);
    QTest::keyClick(&window, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(View().Attenuator().Contrast(), 1);
    EXPECT_EQ(View().Attenuator().Brightness(), -1);

    QToolButton* contrastUp = window.AttToolBar().Button(0);
    ASSERT_NE(contrastUp, nullptr);
    QTest::mouseClick(contrastUp, Qt::LeftButton);
    EXPECT_EQ(View().Attenuator().Contrast(), 2);
    EXPECT_EQ(WrongSteps(Screen()), std::vector<int>());
    window.OnIdleUpdateCmdUI();
    Keep(window.grab().toImage(), QStringLiteral("window-amber-negative"));
}

TEST_F(Viewer, TheCopyIsTheViewOnWhiteAtItsSize) {
    ASSERT_TRUE(Run(ID_FILL_MARINE));
    const CPicture screen = Screen();
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(Run(gl::ID_EDIT_COPY));
    const CPicture copy(QGuiApplication::clipboard()->image());
    Keep(copy.Image(), QStringLiteral("clipboard-marine"));
    ASSERT_EQ(copy.Image().size(), QSize(View().GetClientWidth(), View().GetClientHeight()));
    // White where the screen shows its grey: the corners and the margin right of the image.
    const QRectF image = View().ImageRect();
    const int right = static_cast<int>(image.x() + image.width()) + 6;
    for (const QPoint p : {QPoint(0, 0), QPoint(copy.Width() - 1, copy.Height() - 1), QPoint(right, 40)}) {
        EXPECT_EQ(copy.At(p.x(), p.y()) & 0xFFFFFF, 0xFFFFFFu) << p.x() << ", " << p.y();
        EXPECT_TRUE(viewtest::Near(screen.At(p.x(), p.y()), 235, 235, 235)) << p.x() << ", " << p.y();
    }
    // The image and its rulers as on the screen.
    EXPECT_EQ(WrongSteps(copy), std::vector<int>());
    const int top = static_cast<int>(image.y() + image.height());
    EXPECT_EQ(copy.Row(top + 2, 0, copy.Width() - 1), screen.Row(top + 2, 0, screen.Width() - 1));
}

// A page of a PDF as a picture at 72 dpi, one pixel a point.
QImage Page(const QString& pdf) {
    const QString stem = pdf + QStringLiteral("-72");
    const int status = QProcess::execute(QStringLiteral("pdftoppm"),
                                         {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"),
                                          QStringLiteral("-singlefile"), pdf, stem});
    return status == 0 ? QImage(stem + QStringLiteral(".png")) : QImage();
}

TEST_F(Viewer, APrintedPageShowsTheImageAndItsRulersOnWhite) {
    ASSERT_TRUE(Run(ID_FILL_FOREST));
    const QString pdf = QDir(QStringLiteral(VANTRI_TEST_OUT)).filePath(QStringLiteral("surface.pdf"));
    QFile::remove(pdf);
    ASSERT_TRUE(window.PrintToPdf(pdf));
    const QImage page = Page(pdf);
    ASSERT_FALSE(page.isNull()) << "pdftoppm failed";
    Keep(page, QStringLiteral("printed-page-forest"));
    EXPECT_EQ(page.size(), QSize(595, 842)) << "A4";
    const CPicture picture(page);
    EXPECT_EQ(picture.At(3, 3) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(picture.At(590, 838) & 0xFFFFFF, 0xFFFFFFu);

    // The image: the box of Forest's green, whose ends only the wedge's first and last steps reach.
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = page.pixel(x, y);
            if (qGreen(p) - std::max(qRed(p), qBlue(p)) > 24)
                box |= QRect(x, y, 1, 1);
        }
    ASSERT_GT(box.width(), 400) << "as wide as the printable width allows";
    EXPECT_NEAR(box.width(), 2.0 * box.height(), 3.0) << "5 um x 2.5 um";
    // The wedge's steps in their colours, along the lowest sixteenth.
    for (int k = 0; k < kWedgeSteps; ++k) {
        const QRgb want = TransferColour(View(), WedgeLevel(k));
        const double x = box.left() + (k + 0.5) * box.width() / kWedgeSteps;
        const double y = box.bottom() - 0.5 * kWedgeRows * box.height() / kRows;
        EXPECT_TRUE(viewtest::Near(page.pixel(int(x), int(y)), qRed(want), qGreen(want), qBlue(want), 3))
            << "wedge step " << k;
    }
    // Ruler ink above the image and left of it, on white.
    int above = 0, left = 0;
    for (int y = 0; y <= box.bottom(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) >= 96)
                continue;
            above += y < box.top() - 2 && x >= box.left() && x <= box.right();
            left += y >= box.top() && x < box.left() - 2;
        }
    EXPECT_GT(above, 100);
    EXPECT_GT(left, 50);
}

} // namespace
} // namespace guitest

namespace guitest {
namespace {

TEST_F(Viewer, TheCustomFillShowsLiveAndCancelPutsThePictureBackPixelForPixel) {
    ASSERT_TRUE(Run(color::ID_FILL_FOREST));
    ASSERT_TRUE(Run(color::ID_FILL_NEGATIVE));
    const QImage before = viewtest::Screen(View());
    ASSERT_TRUE(Run(color::ID_FILL_CUSTOM));
    color::CDlgFill& dialog = window.Frame().Fill().Dialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.Chooser()->setCurrentColor(QColor(255, 255, 0)); // the selected (top) slot
    QTest::mouseClick(dialog.TwoColors(), Qt::LeftButton);
    const QImage live = viewtest::Screen(View());
    EXPECT_NE(live, before);
    Keep(window.grab().toImage(), QStringLiteral("custom-fill-live"));
    Keep(dialog.grab().toImage(), QStringLiteral("custom-fill-dialog"));
    dialog.reject();
    QTest::qWait(20);
    EXPECT_EQ(viewtest::Screen(View()), before);
}

} // namespace
} // namespace guitest
