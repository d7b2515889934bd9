// Profile windows on the virtual display, opened by two clicks on an image window: the panes and the
// line on the image, the cut sector's toggle, dragging a marker, copying, closing, and a real scan
// against vantri-cli profile.
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPrinter>
#include <cstdio>

#include "analysis/qt/ProfChildFrame.h"
#include "analysis/qt/ProfView.h"
#include "analysis/qt/Profile.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "view2d/qt/Window2DKit.h"

namespace {

using prof::CChildFrame;
using prof::CProfView;

class ProfHost : public win2d::Host {
protected:
    void SetUp() override {
        win2d::Host::SetUp();
        prof::RegisterProfileCommands(main.Commands());
        prof::InstallProfileOpener();
    }
    void TearDown() override {
        win2d::Host::TearDown();
        m2D::CPlaneView::SetProfileOpener(nullptr);
    }
    // Draws a line on the image window with two clicks at fractions of its image, as a user does.
    CChildFrame* Draw(m2D::C2DChildFrame* image, QPointF from, QPointF to) {
        m2D::CPlaneView& view = *image->View();
        view.setFocus();
        if (view.GetMode() != m2D::kModeProfileStart)
            Run(m2D::ID_PROFILE);
        const auto& vp = view.Model().Drawer().ImageViewport();
        auto at = [&](QPointF f) {
            const double top = view.GetClientHeight() - (vp.y + vp.height);
            return QPoint(qRound(vp.x + f.x() * (vp.width - 1)), qRound(top + f.y() * (vp.height - 1)));
        };
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at(from));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at(to));
        auto* frame = view.Profiles().empty()
                          ? nullptr
                          : dynamic_cast<CChildFrame*>(view.Profiles().back().window.data());
        EXPECT_NE(frame, nullptr);
        if (frame) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
            QTest::qWait(30);
        }
        return frame;
    }
    // Resizes a profile window so that its plot is `width` pixels wide.
    static void PlotWidth(CChildFrame* frame, int width) {
        CProfView& view = *frame->View();
        frame->resize(frame->width() + (width + 60 - view.GetClientWidth()), frame->height());
        QTest::qWait(30);
    }
};

TEST_F(ProfHost, TwoClicksOpenAWindowThatSamplesTheLineAndMarksItOnTheImage) {
    win2d::CSurfaceDoc document(100, 50);
    m2D::C2DChildFrame* image = Open(document);
    CChildFrame* frame = Draw(image, {0.0, 0.5}, {1.0, 0.5});
    ASSERT_NE(frame, nullptr);
    frame->OnUpdateFrameTitle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("quadrants : Profile : 2"));
    EXPECT_EQ(frame->Kind(), kKindProfile);
    CProfView& view = *frame->View();
    // A line across the whole image, from the left edge to the right one.
    EXPECT_NEAR(view.Model().length, 100.0, 1.5);
    PlotWidth(frame, 200);
    ASSERT_EQ(view.Model().plot.width, 200);
    EXPECT_EQ(view.Model().samples.size(), 201u);
    // The sector's bar is shown; the image window keeps the line with the sector, highlighted.
    EXPECT_TRUE(frame->Bar(true)->isVisible());
    EXPECT_FALSE(frame->Bar(false)->isVisible());
    EXPECT_EQ(frame->Bar(true)->PaneCount(), 12);
    EXPECT_EQ(frame->Bar(false)->PaneCount(), 14);
    EXPECT_TRUE(frame->PaneText(1).endsWith(QStringLiteral("\u00B5m")));
    m2D::CProfLine* record = view.Record();
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->cutStart.IsSet() && record->cutEnd.IsSet());
    EXPECT_EQ(record->highlight, 1);
    win2d::Keep(frame->grab().toImage(), QStringLiteral("profile_quadrants"));

    // The sector off shows the extremes and takes the sector off the image; on again, the markers
    // are where they were.
    const float m1 = view.Model().marker1, m2 = view.Model().marker2;
    view.setFocus();
    Run(prof::ID_CUT_SECTOR);
    EXPECT_TRUE(frame->Bar(false)->isVisible());
    EXPECT_FALSE(frame->Bar(true)->isVisible());
    EXPECT_FALSE(record->cutStart.IsSet());
    EXPECT_EQ(frame->Bar(false)->PaneText(0), QStringLiteral("MIN:"));
    // Normalised, the lowest point reads 0.
    EXPECT_TRUE(frame->Bar(false)->PaneText(4).startsWith(QStringLiteral("0")));
    Run(prof::ID_CUT_SECTOR);
    EXPECT_EQ(view.Model().marker1, m1);
    EXPECT_EQ(view.Model().marker2, m2);
    EXPECT_TRUE(record->cutStart.IsSet());

    // Closing the profile takes its line off the image.
    frame->close();
    QTest::qWait(30);
    EXPECT_TRUE(image->View()->Profiles().empty());
}

TEST_F(ProfHost, AMarkerDraggedPastTheEndStopsOneSpacingShortAndCopyGivesPictureAndNumbers) {
    win2d::CSurfaceDoc document(64, 64);
    m2D::C2DChildFrame* image = Open(document);
    CChildFrame* frame = Draw(image, {0.1, 0.2}, {0.9, 0.7});
    ASSERT_NE(frame, nullptr);
    CProfView& view = *frame->View();
    const prof::ProfileModel& m = view.Model();
    const double top = m.clientHeight - (m.plot.bottom + m.plot.height);
    const QPoint marker(qRound(m.plot.left + (m.marker2 - m.xMin) / (m.xMax - m.xMin) * m.plot.width),
                        qRound(top + m.plot.height / 2.0));
    // A move without a button moves the pointer, whose event comes back through the display.
    QTest::mouseMove(view.viewport(), marker);
    QTest::qWait(30);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::SizeHorCursor);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, marker);
    EXPECT_EQ(view.Dragged(), 2);
    QTest::mouseMove(view.viewport(), QPoint(view.viewport()->width() - 2, marker.y()));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {},
                        QPoint(view.viewport()->width() - 2, marker.y()));
    EXPECT_EQ(view.Dragged(), 0);
    EXPECT_FLOAT_EQ(m.marker2, float(m.length - m.Spacing()));
    QTest::mouseMove(view.viewport(), QPoint(marker.x() - 40, marker.y()));
    QTest::qWait(30);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::ArrowCursor);

    view.setFocus();
    Run(gl::ID_EDIT_COPY);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copied->hasImage());
    const QImage picture = qvariant_cast<QImage>(copied->imageData());
    EXPECT_EQ(picture.width(), view.GetClientWidth());
    const QStringList lines = copied->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), int(m.samples.size()) + 1);
    EXPECT_EQ(lines[0], QStringLiteral("distance (\u00B5m)\theight (nm)"));
    EXPECT_EQ(lines[1].section(QLatin1Char('\t'), 0, 0), QStringLiteral("0"));
}

TEST_F(ProfHost, ARealScanShowsWhatTheCommandLinePrintsAndOutlivesItsImage) {
    doc::CSurfaceApp app;
    m2D::Register2DDocTypes(app);
    const std::string path = std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007";
    auto* document = dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8(path)));
    ASSERT_NE(document, nullptr);
    m2D::C2DChildFrame* image = Open(*document);
    CChildFrame* frame = Draw(image, {0.15, 0.35}, {0.85, 0.45});
    ASSERT_NE(frame, nullptr);
    win2d::Keep(frame->grab().toImage(), QStringLiteral("profile_real"));
    win2d::Keep(image->grab().toImage(), QStringLiteral("profile_real_image"));
    CProfView& view = *frame->View();
    const prof::ProfileModel& m = view.Model();
    char line[200];
    std::snprintf(line, sizeof line, " --from %.9g,%.9g --to %.9g,%.9g --width %d --height %d",
                  m.points.front().x, m.points.front().y, m.points.back().x, m.points.back().y, m.clientWidth,
                  m.clientHeight);
    const std::string command = std::string(VANTRI_CLI) + " profile '" + path + "'" + line + " 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string json;
    char buffer[65536];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        json.append(buffer, n);
    ASSERT_EQ(::pclose(pipe), 0);
    std::string panes = "\"panes\": [";
    for (int k = 0; k < 12; ++k)
        panes += (k ? ", \"" : "\"") + fw::ToUtf8(frame->PaneText(k).toStdWString()) + "\"";
    EXPECT_NE(json.find(panes + "]"), std::string::npos) << json.substr(json.find("\"minimum")) << "\n"
                                                         << panes;

    // Printed on paper.
    const QString pdf = QStringLiteral(VANTRI_TEST_OUT) + QStringLiteral("/profile.pdf");
    QFile::remove(pdf);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    EXPECT_TRUE(view.OnFilePrint(printer));
    EXPECT_GT(QFileInfo(pdf).size(), 2000);

    // The image window goes; the profile still follows its document.
    image->close();
    QTest::qWait(30);
    EXPECT_EQ(view.Plane(), nullptr);
    const std::size_t count = m.samples.size();
    const float first = m.samples.front().height;
    for (float& v : document->heights)
        v = 1.0f - v;
    document->UpdateAllViews(nullptr, doc::kHintSurface, nullptr);
    EXPECT_EQ(m.samples.size(), count);
    EXPECT_NE(m.samples.front().height, first);
    frame->close();
}

} // namespace
