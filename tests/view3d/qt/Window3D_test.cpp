// The 3D window on the virtual display: the trackball's rules, a level surface's even light, the
// viewport's aspect, the lock, the drag's preview, and a printed page with grey walls on white.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMdiArea>
#include <QOpenGLWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <cstring>
#include <gtest/gtest.h>

#include "framework/fwMessage.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIFrame.h"
#include "model/UpdateHint.h"
#include "model/VantriDoc.h"
#include "view3d/Stl.h"
#include "view3d/qt/View3D.h"

namespace {

using m3D::CBallPoint;

// Heights of a level surface, a tilted one or a bump.
class CGridDoc : public doc::CVantriDoc {
public:
    CGridDoc(int columns, int rows, float level = 0.5f) {
        this->columns = columns;
        this->rows = rows;
        width = ph::Size(10.0, "\xb5m");
        height = ph::Size(10.0, "\xb5m");
        range = ph::Size(100.0, "nm");
        heights.assign(std::size_t(columns) * rows, level);
        SetTitle(L"grid");
    }
};

TEST(Trackball, PointsLieOnTheBallScaledByHalfTheWidth) {
    // Centre of a 400 x 200 client: (0, 0, 1); the right edge at the centre's height: (1, 0, 0).
    CBallPoint p = m3D::BallPoint(200.0f, 100.0f, 400, 200, 200.0f, 100.0f);
    EXPECT_FLOAT_EQ(p.z, 1.0f);
    p = m3D::BallPoint(400.0f, 100.0f, 400, 200, 200.0f, 100.0f);
    EXPECT_FLOAT_EQ(p.x, 1.0f);
    EXPECT_FLOAT_EQ(p.z, 0.0f);
    // The top of the client is up: y > 0, over half the width.
    p = m3D::BallPoint(200.0f, 0.0f, 400, 200, 200.0f, 100.0f);
    EXPECT_FLOAT_EQ(p.y, 0.5f);
}

TEST(Trackball, TiltStaysWithinEdgeOnAndStraightDown) {
    // In the lower half the vertical drag adds to the tilt: moving down from tilt 0 would look from
    // below, so the tilt stays 0; moving up tilts the model towards edge-on.
    bool upper = false;
    double tilt = 0.0, azimuth = 45.0;
    CBallPoint last{0.0f, -0.3f, 0.9f}, down{0.0f, -0.5f, 0.8f};
    m3D::TurnBy(last, down, upper, tilt, azimuth);
    EXPECT_EQ(tilt, 0.0);
    EXPECT_EQ(azimuth, 45.0);
    m3D::TurnBy(down, last, upper, tilt, azimuth);
    EXPECT_LT(tilt, -5.0);
    // Past -90 the tilt stops there and the horizontal sense turns round.
    tilt = -85.0;
    CBallPoint a{0.0f, 0.5f, 0.8f}, b{0.0f, 0.2f, 0.9f};
    m3D::TurnBy(b, a, upper, tilt, azimuth);
    EXPECT_EQ(tilt, -90.0);
    EXPECT_TRUE(upper);
    // The same horizontal step now turns the azimuth the other way.
    CBallPoint left{-0.1f, 0.0f, 0.99f}, right{0.1f, 0.0f, 0.99f};
    double az1 = 0.0, az2 = 0.0, t = -45.0;
    bool lowerHalf = false, upperHalf = true;
    m3D::TurnBy(left, right, lowerHalf, t, az1);
    t = -45.0;
    m3D::TurnBy(left, right, upperHalf, t, az2);
    EXPECT_GT(az1, 0.0);
    EXPECT_DOUBLE_EQ(az2, -az1);
    // A drag that left the ball (|x| just over 1 at the last point) still turns by a number.
    CBallPoint outside{1.05f, 0.0f, 0.0f}, inside{0.9f, 0.0f, 0.4f};
    az1 = 0.0;
    m3D::TurnBy(outside, inside, lowerHalf, t, az1);
    EXPECT_TRUE(std::isfinite(az1));
}

class Window3D : public ::testing::Test {
protected:
    void SetUp() override {
        m3D::Register3DCommands(main.Commands());
        main.resize(1200, 900);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    void TearDown() override {
        for (auto* frame : main.GetChildFrames())
            frame->DestroyFrame();
        QTest::qWait(10);
    }
    m3D::CChildFrame* Open(fw::CDocument& document) {
        m3D::CChildFrame* frame = m3D::Open3D(document, nullptr);
        EXPECT_NE(frame, nullptr);
        if (frame) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
            QTest::qWait(50);
        }
        return frame;
    }
    static QImage Screen(m3D::C3DView& view) { return view.GetGLWidget()->grabFramebuffer(); }
    fw::CMDIFrame main;
};

TEST_F(Window3D, OpensAtItsAnglesAndALevelSurfaceLightsEvenly) {
    CGridDoc document(64, 64);
    m3D::CChildFrame* frame = Open(document);
    ASSERT_NE(frame, nullptr);
    frame->OnUpdateFrameTitle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("grid : 3D"));
    EXPECT_EQ(frame->Kind(), kKind3D);
    EXPECT_EQ(frame->width(), main.MdiArea()->viewport()->width() / 2);
    EXPECT_EQ(frame->height(), static_cast<int>(0.9 * frame->width()));
    EXPECT_EQ(frame->PaneText(0), QStringLiteral(" Angular position:"));
    ph::Size tilt(-54.74, "deg");
    EXPECT_EQ(frame->PaneText(m3D::CChildFrame::kPaneTilt).toStdWString(), std::wstring(tilt.str(3)));

    // Straight down, orthographic: one colour over the middle of the model.
    m3D::C3DView& view = *frame->View();
    view.Model().tilt = 0.0;
    ASSERT_TRUE(main.Commands().Execute(m3D::ID_PROJECTION_ORTHO));
    const QImage screen = Screen(view);
    // The viewport in the view's logical pixels, the framebuffer in the screen's device pixels.
    const qreal r = view.devicePixelRatioF();
    const QRectF v(view.ModelViewport().x() * r, view.ModelViewport().y() * r,
                   view.ModelViewport().width() * r, view.ModelViewport().height() * r);
    const QPoint centre(qRound(v.x() + v.width() / 2), screen.height() - 1 - qRound(v.y() + v.height() / 2));
    const QRgb middle = screen.pixel(centre);
    EXPECT_NE(middle, qRgb(235, 235, 235)); // not the background
    for (int dx : {-qRound(v.width() / 5), 0, qRound(v.width() / 5)})
        for (int dy : {-qRound(v.height() / 5), 0, qRound(v.height() / 5)})
            EXPECT_EQ(screen.pixel(centre + QPoint(dx, dy)), middle) << dx << "," << dy;
    // Every normal of a level surface is +z.
    const surface::CMeshGrid& mesh = view.Model().Mesh().Mesh();
    for (std::size_t k = 0; k < mesh.normals.size(); k += 3)
        ASSERT_EQ(mesh.normals[k + 2], 1.0f) << k / 3;
}

TEST_F(Window3D, ASurfaceTwiceAsWideGetsAViewportTwiceAsWideCentred) {
    CGridDoc document(200, 100);
    m3D::CChildFrame* frame = Open(document);
    ASSERT_NE(frame, nullptr);
    m3D::C3DView& view = *frame->View();
    const QRect v = view.ModelViewport();
    EXPECT_NEAR(v.width(), 2 * v.height(), 1);
    EXPECT_EQ(v.x(), (view.GetClientWidth() - v.width()) / 2);
    EXPECT_EQ(v.y(), (view.GetClientHeight() - v.height()) / 2);
}

TEST_F(Window3D, LockUpdateKeepsTheModelUntilItIsTurnedOff) {
    CGridDoc document(40, 30);
    m3D::CChildFrame* frame = Open(document);
    ASSERT_NE(frame, nullptr);
    m3D::C3DView& view = *frame->View();
    const auto before = view.Model().Mesh().Mesh().vertices;
    ASSERT_TRUE(main.Commands().Execute(m3D::ID_LOCK_UPDATE));
    EXPECT_TRUE(view.IsLocked());
    document.heights.assign(document.heights.size(), 0.9f);
    document.UpdateAllViews(nullptr, doc::kHintSurface, nullptr);
    EXPECT_EQ(view.Model().Mesh().Mesh().vertices, before);
    main.Commands().Execute(m3D::ID_LOCK_UPDATE);
    EXPECT_NE(view.Model().Mesh().Mesh().vertices, before);
}

TEST_F(Window3D, ALargeSurfaceTurnsAsItsPreviewAndRestsWhole) {
    CGridDoc document(700, 600);
    for (std::size_t k = 0; k < document.heights.size(); ++k)
        document.heights[k] = static_cast<float>(k % 700) / 700.0f;
    m3D::CChildFrame* frame = Open(document);
    ASSERT_NE(frame, nullptr);
    m3D::C3DView& view = *frame->View();
    ASSERT_TRUE(view.Model().Mesh().HasPreview());
    const surface::CMeshGrid& preview = view.Model().Mesh().Preview();
    EXPECT_LE(std::size_t(preview.columns) * preview.rows, surface::CMeshLists::kPreviewVertices);
    QOpenGLWidget* client = view.GetGLWidget();
    const QPoint start(client->width() / 2, client->height() * 2 / 3);
    const double azimuth = view.Model().azimuth;
    QTest::mousePress(client, Qt::LeftButton, Qt::NoModifier, start);
    EXPECT_TRUE(view.Dragging());
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(30, 0)),
                     client->mapToGlobal(QPointF(start + QPoint(30, 0))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(client, &move);
    EXPECT_NE(view.Model().azimuth, azimuth);
    QTest::mouseRelease(client, Qt::LeftButton, Qt::NoModifier, start + QPoint(30, 0));
    EXPECT_FALSE(view.Dragging());
}

TEST_F(Window3D, TheOptionsSheetSetsProjectionAndSmoothingOnly) {
    CGridDoc document(20, 20);
    m3D::CChildFrame* frame = Open(document);
    ASSERT_NE(frame, nullptr);
    m3D::C3DView& view = *frame->View();
    std::unique_ptr<QDialog> sheet = view.MakeOptionsSheet();
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Options"));
    auto* tabs = sheet->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("3D View"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Material"));
    QRadioButton* ortho = nullptr;
    for (QRadioButton* radio : sheet->findChildren<QRadioButton*>()) {
        if (radio->text() == QStringLiteral("Orthographical"))
            ortho = radio;
        if (radio->text() == QStringLiteral("Textured") || radio->text() == QStringLiteral("Mixed")) {
            EXPECT_FALSE(radio->isEnabled());
        }
    }
    ASSERT_NE(ortho, nullptr);
    QCheckBox* smoothing = nullptr;
    for (QCheckBox* box : sheet->findChildren<QCheckBox*>()) {
        if (box->text() == QStringLiteral("Smoothing")) {
            smoothing = box;
        } else if (box->parentWidget() == tabs->widget(0)) {
            EXPECT_FALSE(box->isEnabled()) << box->text().toStdString();
        }
    }
    ASSERT_NE(smoothing, nullptr);
    ortho->setChecked(true);
    smoothing->setChecked(false);
    sheet->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Apply)->click();
    EXPECT_EQ(view.Model().projection, m3D::CModel::kOrthographic);
    EXPECT_FALSE(view.Model().smoothing);
    fw::CCmdState state;
    view.OnUpdateCommand(m3D::ID_PROJECTION_ORTHO, state);
    EXPECT_TRUE(state.checked);
}

TEST_F(Window3D, TheModelExportsAsAClosedSolid) {
    CGridDoc document(30, 20, 0.4f);
    document.heights[45] = 0.9f;
    m3D::CChildFrame* frame = Open(document);
    ASSERT_NE(frame, nullptr);
    m3D::C3DView& view = *frame->View();
    const QString path = QStringLiteral(VANTRI_TEST_OUT) + QStringLiteral("/model.stl");
    QFile::remove(path);
    QString proposed;
    view.exportPrompt = [&](const QString& name) {
        proposed = name;
        return path;
    };
    ASSERT_TRUE(main.Commands().Execute(m3D::ID_EXPORT_STL));
    EXPECT_EQ(proposed, QStringLiteral("grid.stl"));
    // Binary: 80 bytes, the count, 50 bytes a facet; as many facets as the solid of the model has.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 84);
    quint32 count = 0;
    std::memcpy(&count, bytes.constData() + 80, 4);
    EXPECT_EQ(count, surface::StlFacetCount(view.Model().Mesh().Mesh()));
    EXPECT_EQ(bytes.size(), 84 + 50 * static_cast<qint64>(count));
    // A folder that does not exist: a message, and no file.
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scoped(recorder);
    EXPECT_FALSE(view.ExportStl(QStringLiteral(VANTRI_TEST_OUT) + QStringLiteral("/no/such/folder/m.stl")));
    EXPECT_EQ(recorder.Texts().size(), 1u);
}

TEST_F(Window3D, PrintingAndCopyDrawGreyWallsOnWhite) {
    CGridDoc document(50, 40, 0.8f);
    m3D::CChildFrame* frame = Open(document);
    ASSERT_NE(frame, nullptr);
    m3D::C3DView& view = *frame->View();
    std::vector<std::uint8_t> bgra;
    ASSERT_TRUE(view.CaptureClient(bgra));
    int grey = 0, white = 0;
    for (std::size_t k = 0; k < bgra.size(); k += 4) {
        if (bgra[k] == 235 && bgra[k + 1] == 235 && bgra[k + 2] == 235)
            ++grey;
        if (bgra[k] == 255 && bgra[k + 1] == 255 && bgra[k + 2] == 255)
            ++white;
    }
    EXPECT_GT(grey, 200);  // the walls
    EXPECT_GT(white, 200); // the ground
    const QString path = QStringLiteral(VANTRI_TEST_OUT) + QStringLiteral("/model3d.pdf");
    QFile::remove(path);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    EXPECT_TRUE(view.OnFilePrint(printer));
    EXPECT_GT(QFileInfo(path).size(), 2000);
}

} // namespace
