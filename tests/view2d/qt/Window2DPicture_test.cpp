// The 2D window's picture read off its pixels: every fill, Negative, contrast and brightness on a
// wedge of known levels, the tool bar and the custom fill reaching it, the rulers' ticks and labels
// in each placement, the copy and the printed page.
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "Window2DKit.h"
#include "view2d/qt/AttToolBar.h"
#include "view2d/qt/DlgFill.h"
#include "view2d/qt/FillCommands.h"
#include "view2d/qt/Model2D.h"
#include "view2d/qt/RulerGLPixels.h"

namespace win2d {
namespace {

using m2D::C2DView;
using CPixels = gltest::CPixels;

TEST_F(Host, EveryFillPositiveAndNegativeColoursTheWedgeAsTheTransferDoes) {
    CWedgeDoc document;
    C2DView& view = *Open(document)->GetView();
    const std::pair<int, const char*> fills[] = {{color::ID_FILL_GRAY, "gray"},
                                                 {color::ID_FILL_AMBER, "amber"},
                                                 {color::ID_FILL_MARINE, "marine"},
                                                 {color::ID_FILL_FOREST, "forest"}};
    for (const auto& [id, name] : fills)
        for (int negative : {color::ID_FILL_POSITIVE, color::ID_FILL_NEGATIVE}) {
            SCOPED_TRACE(name);
            SCOPED_TRACE(negative == color::ID_FILL_NEGATIVE ? "negative" : "positive");
            ASSERT_TRUE(Run(id));
            ASSERT_TRUE(Run(negative));
            EXPECT_EQ(WrongSteps(view, Screen(view)), std::vector<int>());
        }
    // Gray's ends, as numbers: negative white to black, positive the other way.
    ASSERT_TRUE(Run(color::ID_FILL_GRAY));
    QImage screen = Screen(view);
    const double wedge = 1.0 - 0.5 * kWedgeRows / 256.0, first = 0.5 / kWedgeSteps, last = 1.0 - first;
    EXPECT_EQ(AtImage(view, screen, first, wedge) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(AtImage(view, screen, last, wedge) & 0xFFFFFF, 0x000000u);
    ASSERT_TRUE(Run(color::ID_FILL_POSITIVE));
    screen = Screen(view);
    EXPECT_EQ(AtImage(view, screen, first, wedge) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(AtImage(view, screen, last, wedge) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(Host, ContrastAndBrightnessStepsRecolourTheWedge) {
    CWedgeDoc document;
    C2DView& view = *Open(document)->GetView();
    ASSERT_TRUE(Run(color::ID_FILL_AMBER));
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(Run(color::ID_CONTRAST_UP));
    ASSERT_EQ(view.Model().Attenuator().Contrast(), 30);
    QImage screen = Screen(view);
    EXPECT_EQ(WrongSteps(view, screen), std::vector<int>());
    // Raised contrast sends the wedge's ends to the ends of the table.
    const double wedge = 1.0 - 0.5 * kWedgeRows / 256.0;
    EXPECT_EQ(AtImage(view, screen, 2.5 / kWedgeSteps, wedge) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(AtImage(view, screen, (kWedgeSteps - 2.5) / kWedgeSteps, wedge) & 0xFFFFFF, 0xFFFFFFu);

    for (int i = 0; i < 15; ++i)
        ASSERT_TRUE(Run(color::ID_BRIGHTNESS_DOWN));
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(Run(color::ID_CONTRAST_DOWN));
    EXPECT_EQ(WrongSteps(view, Screen(view)), std::vector<int>());
}

// The brightness/contrast bar acts on the active window's model, as the main frame sets it up.
TEST_F(Host, TheAttToolBarsButtonsReachTheActiveWindow) {
    auto* bar = new color::CAttToolBar(main.Commands(), &main);
    bar->SetSource([this]() -> const color::CAttenuator* {
        fw::CChildFrame* frame = main.GetActiveFrame();
        auto* plane = frame ? dynamic_cast<m2D::CPlaneView*>(frame->GetActiveView()) : nullptr;
        return plane ? &plane->Model().Attenuator() : nullptr;
    });
    main.addToolBar(bar);
    CWedgeDoc document;
    C2DView& view = *Open(document)->GetView();
    ASSERT_TRUE(Run(color::ID_FILL_AMBER));
    QToolButton* contrastUp = bar->Button(0);
    ASSERT_NE(contrastUp, nullptr);
    main.OnIdleUpdateCmdUI();
    QTest::mouseClick(contrastUp, Qt::LeftButton);
    EXPECT_EQ(view.Model().Attenuator().Contrast(), 1);
    EXPECT_EQ(WrongSteps(view, Screen(view)), std::vector<int>());
}

TEST_F(Host, TheCustomFillShowsLiveAndCancelPutsThePictureBackPixelForPixel) {
    CWedgeDoc document;
    auto* frame = Open(document);
    C2DView& view = *frame->GetView();
    ASSERT_TRUE(Run(color::ID_FILL_FOREST));
    ASSERT_TRUE(Run(color::ID_FILL_NEGATIVE));
    const QImage before = Screen(view);
    ASSERT_TRUE(Run(color::ID_FILL_CUSTOM));
    color::CDlgFill& dialog = frame->Fill()->Dialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.Chooser()->setCurrentColor(QColor(255, 255, 0)); // the selected (top) slot
    QTest::mouseClick(dialog.TwoColors(), Qt::LeftButton);
    EXPECT_NE(Screen(view), before);
    dialog.reject();
    QTest::qWait(20);
    EXPECT_EQ(Screen(view), before);
}

std::vector<std::string> Labels(const rulers::ruler& r) {
    std::vector<std::string> labels;
    for (const rulers::CTick& tick : r.ticks())
        if (tick.text[0])
            labels.push_back(tick.text);
    return labels;
}

// The 5 um x 2.5 um surface 512 pixels wide: a label every 0.5 um along both edges, a tick every
// 0.05 um, each on its own pixels.
TEST_F(Host, RulersTickTheirPixelsAndLabelTheSurfacesSize) {
    CWedgeDoc document;
    C2DView& view = *Open(document)->GetView();
    const CPixels screen(Screen(view));
    const auto& vp = view.Model().Drawer().ImageViewport();
    ASSERT_EQ(vp.width, 512);
    const auto& horz = view.GetModel().Rulers().horz();
    const auto& vert = view.GetModel().Rulers().vert();
    EXPECT_EQ(Labels(horz), (std::vector<std::string>{"0", "0.5", "1.0", "1.5", "2.0", "2.5", "3.0", "3.5",
                                                      "4.0", "4.5", "5.0"}));
    EXPECT_EQ(Labels(vert), (std::vector<std::string>{"0", "0.5", "1.0", "1.5", "2.0", "2.5"}));

    // The first pixel of every tick, 2 pixels off the image: above it, and left of it from the top.
    const int top = vp.y + vp.height, left = vp.x;
    gltest::Columns columns, rows;
    for (const rulers::CTick& tick : horz.ticks())
        columns.insert(static_cast<int>(std::lround(horz.area().left + horz.pixels_to(tick.position))));
    for (const rulers::CTick& tick : vert.ticks())
        rows.insert(static_cast<int>(std::lround(top - vert.pixels_to(tick.position))));
    EXPECT_EQ(columns.size(), 101u);
    EXPECT_EQ(screen.Row(top + 2, left, screen.Width() - 1), columns);
    EXPECT_TRUE(screen.Row(top + 1, left + 4, screen.Width() - 1).empty());
    EXPECT_EQ(rows.size(), 51u);
    EXPECT_EQ(screen.Column(left - 3, 0, top), rows);
    EXPECT_TRUE(screen.Column(left - 2, 0, top - 4).empty());

    // Each label's ink centred over its tick, 10 pixels above the image.
    for (const rulers::CTick& tick : horz.ticks()) {
        if (!tick.text[0])
            continue;
        const double x = horz.area().left + horz.pixels_to(tick.position);
        std::vector<int> ink;
        for (int y = top + 10; y < top + 22; ++y)
            for (int c : screen.Row(y, static_cast<int>(x) - 9, static_cast<int>(x) + 9))
                ink.push_back(c);
        ASSERT_FALSE(ink.empty()) << tick.text;
        const auto [first, last] = std::minmax_element(ink.begin(), ink.end());
        EXPECT_NEAR((*first + *last + 1) * 0.5, x, 2.0) << tick.text;
    }
    // The vertical span's unit in the corner, 28 pixels left of the image and 12 above it.
    int unitInk = 0;
    for (int y = top + 12; y < top + 24; ++y)
        for (int x = left - 28; x < left - 14; ++x)
            unitInk += screen.Dark(x, y);
    EXPECT_GT(unitInk, 5) << "\u00b5m";
}

TEST_F(Host, CentredAndLowerZeroesMoveTheRulers) {
    CWedgeDoc document;
    C2DView& view = *Open(document)->GetView();
    view.Model().SetRulerPlacement(rulers::kZeroCentre);
    Screen(view);
    const auto labels = Labels(view.GetModel().Rulers().horz());
    EXPECT_EQ(labels.front(), "0");
    EXPECT_TRUE(std::find(labels.begin(), labels.end(), "-2.5") != labels.end());
    EXPECT_TRUE(std::find(labels.begin(), labels.end(), "2.5") != labels.end());

    view.Model().SetRulerPlacement(rulers::kZeroLower);
    const CPixels screen(Screen(view));
    // The horizontal ruler now hangs below the image, with the first tick pixel 2 below its edge.
    const auto& vp = view.Model().Drawer().ImageViewport();
    EXPECT_EQ(screen.Row(vp.y - 3, vp.x, screen.Width() - 1).size(), 101u);
    EXPECT_TRUE(screen.Row(vp.y + vp.height + 2, vp.x, screen.Width() - 1).empty());
}

// A span that no step fits leaves that ruler empty and the paint goes on. (An axis too short for a
// step cannot be had here: a window keeps its image 200 pixels both ways.)
TEST_F(Host, ARulerThatCannotBeBuiltIsLeftEmptyAndThePaintGoesOn) {
    // A surface of no width is refused at opening; one that loses its width is drawn on.
    CWedgeDoc flat;
    C2DView& view = *Open(flat)->GetView();
    flat.width = ph::Size(0.0, "\xb5m");
    const CPixels screen(Screen(view));
    const auto& rulers = view.GetModel().Rulers();
    EXPECT_TRUE(rulers.horz().ticks().empty());
    EXPECT_FALSE(rulers.vert().ticks().empty());
    const auto& vp = view.Model().Drawer().ImageViewport();
    EXPECT_TRUE(screen.Row(vp.y + vp.height + 2, vp.x, screen.Width() - 1).empty());
    EXPECT_FALSE(screen.Column(vp.x - 3, 0, vp.y + vp.height).empty());
}

// Ctrl+C copies the view with white where the screen shows its background; the image and its rulers
// as on the screen.
TEST_F(Host, TheCopyIsTheViewOnWhite) {
    CWedgeDoc document;
    auto* frame = Open(document);
    C2DView& view = *frame->GetView();
    ASSERT_TRUE(Run(color::ID_FILL_MARINE));
    const CPixels screen(Screen(view));
    const QImage copied = CopyByKeys(view);
    ASSERT_FALSE(copied.isNull());
    // The copy's rows run from the top of the bar's client; the view's from the top of its own.
    const int below = copied.height() - view.GetClientHeight();
    ASSERT_GE(below, 0);
    const CPixels copy(copied.copy(0, 0, view.GetClientWidth(), view.GetClientHeight()));
    const auto& vp = view.Model().Drawer().ImageViewport();
    const QRgb background = screen.At(1, 1);
    for (const QPoint p : {QPoint(1, 1), QPoint(vp.x + vp.width + 4, vp.y + vp.height / 2)}) {
        EXPECT_EQ(copy.At(p.x(), p.y()) & 0xFFFFFF, 0xFFFFFFu) << p.x() << ", " << p.y();
        EXPECT_NE(screen.At(p.x(), p.y()) & 0xFFFFFF, 0xFFFFFFu) << p.x() << ", " << p.y();
        EXPECT_EQ(screen.At(p.x(), p.y()), background) << p.x() << ", " << p.y();
    }
    EXPECT_EQ(WrongSteps(view, copy.Image()), std::vector<int>());
    const int top = vp.y + vp.height;
    EXPECT_EQ(copy.Row(top + 2, 0, copy.Width() - 1), screen.Row(top + 2, 0, screen.Width() - 1));
}

// A page of a PDF as a picture at 72 dpi, one pixel a point; null without pdftoppm.
QImage Page(const QString& pdf) {
    const QString stem = pdf + QStringLiteral("-72");
    const int status = QProcess::execute(QStringLiteral("pdftoppm"),
                                         {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"),
                                          QStringLiteral("-singlefile"), pdf, stem});
    return status == 0 ? QImage(stem + QStringLiteral(".png")) : QImage();
}

TEST_F(Host, PrintingToPdfGivesImageRulersAndBarOnWhite) {
    CWedgeDoc document;
    C2DView& view = *Open(document)->GetView();
    ASSERT_TRUE(Run(color::ID_FILL_FOREST));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    ASSERT_TRUE(view.gl::CglView::OnFilePrint(printer));
    {
        // The document's title is the PDF's (Qt writes it as UTF-16 text).
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString title = QStringLiteral("wedge");
        QByteArray utf16;
        for (QChar c : title)
            utf16.append('\0').append(char(c.unicode()));
        const qsizetype at = bytes.indexOf("/Title");
        ASSERT_GE(at, 0);
        EXPECT_EQ(bytes.indexOf(utf16, at), bytes.indexOf('(', at) + 3)
            << bytes.mid(at, 40).toHex().toStdString();
    }
    const QImage page = Page(pdf);
    if (page.isNull())
        GTEST_SKIP() << "pdftoppm is not available";
    Keep(page, QStringLiteral("print_page"));
    EXPECT_EQ(page.size(), QSize(595, 842)) << "A4";
    EXPECT_EQ(page.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(page.pixel(590, 838) & 0xFFFFFF, 0xFFFFFFu);

    // Forest's green: the image is the widest box of it, the bar beside it on the right.
    auto green = [&](int x, int y) {
        const QRgb p = page.pixel(x, y);
        return qGreen(p) - std::max(qRed(p), qBlue(p)) > 24;
    };
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        int run = 0;
        for (int x = 0; x < page.width(); ++x) {
            run = green(x, y) ? run + 1 : 0;
            if (run > 100)
                box |= QRect(x - run + 1, y, run, 1);
        }
    }
    ASSERT_GT(box.width(), 300) << "as wide as the printable width allows beside the bar";
    // Each edge of the box may be a pixel off where the page blends it.
    EXPECT_NEAR(box.width(), 2.0 * box.height(), 5.0) << "512 x 256 samples";
    // The wedge's steps in their colours, along the lowest eighth.
    for (int k = 0; k < kWedgeSteps; ++k) {
        const QRgb want = Colour(view, WedgeLevel(k));
        const double x = box.left() + (k + 0.5) * box.width() / kWedgeSteps;
        const double y = box.bottom() - 0.5 * kWedgeRows * box.height() / 256.0;
        const QRgb seen = page.pixel(int(x), int(y));
        EXPECT_LE(std::abs(qRed(seen) - qRed(want)) + std::abs(qGreen(seen) - qGreen(want)) +
                      std::abs(qBlue(seen) - qBlue(want)),
                  9)
            << "wedge step " << k;
    }
    // Ruler ink above the image and left of it, and the bar's colours right of it.
    int above = 0, left = 0, bar = 0;
    for (int y = 0; y <= box.bottom(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            bar += y >= box.top() && x > box.right() + 4 && green(x, y);
            if (qGray(page.pixel(x, y)) >= 96)
                continue;
            above += y < box.top() - 2 && x >= box.left() && x <= box.right();
            left += y >= box.top() && x < box.left() - 2;
        }
    EXPECT_GT(above, 100);
    EXPECT_GT(left, 50);
    EXPECT_GT(bar, 200);
}

} // namespace
} // namespace win2d
