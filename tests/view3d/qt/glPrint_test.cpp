// Printing: pages printed to PDF and read back as pictures, the fonts after a job, and the preview.
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#include "ViewKit.h"
#include "view3d/qt/glPrint.h"

namespace {

using gl::CglView;

// A page of a PDF as a picture, by default at 72 dpi: one pixel a point.
QImage Rasterise(const QString& pdf, int dpi = 72) {
    const QString prefix = pdf + QStringLiteral("-page");
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                    QStringLiteral("-singlefile"), pdf, prefix});
    if (!pdftoppm.waitForFinished(60000) || pdftoppm.exitCode() != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".png"));
}

void SetUpPdf(QPrinter& printer, int dpi, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setResolution(dpi);
}

class glPrintPdf : public ::testing::TestWithParam<int> {};

TEST_P(glPrintPdf, ThePageShowsTheSceneOnWhiteCentredInThePrintableArea) {
    const int dpi = GetParam();
    viewtest::CColourView view;
    viewtest::Show(view, 400, 300);
    const QString path =
        QDir(QStringLiteral(VANTRI_TEST_OUT)).filePath(QStringLiteral("print-%1.pdf").arg(dpi));
    QFile::remove(path);
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, dpi, path);
    ASSERT_TRUE(view.OnFilePrint(printer));
    ASSERT_EQ(view.draws.back().target, CglView::kPrinter);
    EXPECT_EQ(view.Target(), CglView::kScreen);

    const QRect paint = printer.pageLayout().paintRectPixels(dpi);
    const gl::CPrintFit fit = gl::FitPrintImage(dpi, paint.width(), paint.height(), 400, 300,
                                                gl::CPrintFrame(), 16384, 16384, gl::EPrintScale::Aspect);
    EXPECT_EQ(view.draws.back().viewport, QRect(0, 0, fit.width, fit.height));
    EXPECT_EQ(fit.divisor, dpi == 300 ? 1 : 4);

    const QImage page = Rasterise(path);
    ASSERT_FALSE(page.isNull()) << "pdftoppm failed";
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
    // The image in points, centred in the printable area.
    const double width = fit.width * fit.divisor * 72.0 / dpi, height = fit.height * fit.divisor * 72.0 / dpi;
    const QPointF corner(area.left() + (area.width() - width) / 2, area.top() + (area.height() - height) / 2);
    const QRect green = viewtest::Extent(page, 0, 255, 0);
    EXPECT_NEAR(green.center().x() + 0.5, area.center().x(), 1.5);
    EXPECT_NEAR(green.center().y() + 0.5, area.center().y(), 1.5);
    EXPECT_NEAR(green.width(), 0.8 * width, 2);
    EXPECT_NEAR(green.height(), 0.8 * height, 2);
    const QRect red = viewtest::Extent(page, 255, 0, 0);
    EXPECT_NEAR(red.left(), corner.x(), 1.5);
    EXPECT_NEAR(red.top(), corner.y(), 1.5);
    // Cleared with white, not the screen's grey: between the image's corner and the green.
    const QPoint inside(green.left() - 4, green.bottom() + 4);
    EXPECT_TRUE(viewtest::Near(page.pixel(inside), 255, 255, 255)) << std::hex << page.pixel(inside);
    EXPECT_TRUE(viewtest::Near(page.pixel(2, 2), 255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(Dpi, glPrintPdf, ::testing::Values(300, 1200));

TEST(glPrintFonts, PrinterFontsGiveTheScreenFontsBackAfterTheJob) {
    viewtest::CTextView view;
    viewtest::Show(view, 200, 60);
    const QRect before = viewtest::Ink(viewtest::Screen(view));
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, 300, QDir(QStringLiteral(VANTRI_TEST_OUT)).filePath(QStringLiteral("print-text.pdf")));
    ASSERT_TRUE(view.OnFilePrint(printer));
    // The printer's text is three times the screen's, in pixels of the printed image.
    const QImage page = Rasterise(printer.outputFileName(), 300);
    ASSERT_FALSE(page.isNull());
    const double ratio = double(viewtest::Ink(page).height()) / before.height();
    EXPECT_GT(ratio, 2.4);
    EXPECT_LT(ratio, 3.6);
    // The lists are shared with the printing context, and hold the screen fonts again.
    EXPECT_EQ(viewtest::Ink(viewtest::Screen(view)), before);
}

TEST(glPrintPreview, ThePreviewLeavesTheFrameAsItWas) {
    QMdiArea area;
    area.resize(800, 600);
    auto* view = new viewtest::CColourView;
    QMdiSubWindow* frame = area.addSubWindow(view);
    frame->resize(300, 200);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    ASSERT_FALSE(frame->isMaximized());
    const QRect before = frame->geometry();

    bool previewed = false, maximised = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
            previewed = true;
            maximised = frame->isMaximized();
            dialog->reject();
        }
    });
    poll.start(50);
    QTimer::singleShot(10000, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    view->OnFilePrintPreview();
    poll.stop();
    EXPECT_TRUE(previewed);
    // The preview is a window of its own: the frame behind it neither grows nor moves.
    EXPECT_FALSE(maximised);
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_EQ(frame->geometry(), before);
    const bool printed = std::any_of(view->draws.begin(), view->draws.end(),
                                     [](const auto& draw) { return draw.target == CglView::kPrinter; });
    EXPECT_TRUE(printed) << "the preview draws the page";
}

} // namespace
