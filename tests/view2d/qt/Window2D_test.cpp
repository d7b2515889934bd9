// The 2D window in real windows: texture, orientation, flips and turns, zoom, status panes and title,
// the height bar, copy and export.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QScrollBar>
#include <QTemporaryDir>

#include "Window2DKit.h"
#include "data/NanoScopeGen.h"
#include "data/NtMdtGen.h"
#include "data/SpmGen.h"
#include "formats/DocTypes.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "view2d/qt/FillCommands.h"
#include "view2d/qt/Model2D.h"

namespace win2d {
namespace {

using m2D::C2DView;

TEST_F(Host, TextureSizeAndExtentsFollowTheSurface) {
    CSurfaceDoc small(300, 200);
    auto* frame = Open(small);
    const surface::C2D& image = frame->GetView()->GetModel().Image();
    EXPECT_EQ(image.Texture().width, 512);
    EXPECT_EQ(image.Texture().height, 256);
    EXPECT_FLOAT_EQ(image.Texture().uMax, 300.0f / 512.0f);
    EXPECT_FLOAT_EQ(image.Texture().vMax, 200.0f / 256.0f);
    CSurfaceDoc one(1, 1);
    // A single sample cannot be shown 200 pixels wide within the bounds; it still opens at the least
    // scale that shows it at 200 pixels.
    auto* single = Open(one);
    EXPECT_EQ(single->GetView()->GetModel().Image().Texture().width, 2);
    EXPECT_FLOAT_EQ(single->GetView()->GetModel().Image().Texture().uMax, 0.5f);
}

TEST_F(Host, RowZeroIsAtTheTopAndFlipsAndTurnsMoveTheQuadrants) {
    CSurfaceDoc document(256, 256);
    C2DView& view = *Open(document)->GetView();
    EXPECT_EQ(Quadrants(view), (std::vector<int>{0, 1, 2, 3}));
    ASSERT_TRUE(Run(m2D::ID_FLIP_VERTICALLY));
    EXPECT_EQ(Quadrants(view), (std::vector<int>{2, 3, 0, 1}));
    ASSERT_TRUE(Run(m2D::ID_FLIP_VERTICALLY));
    EXPECT_EQ(Quadrants(view), (std::vector<int>{0, 1, 2, 3}));
    ASSERT_TRUE(Run(m2D::ID_FLIP_HORIZONTALLY));
    EXPECT_EQ(Quadrants(view), (std::vector<int>{1, 0, 3, 2}));
    ASSERT_TRUE(Run(m2D::ID_FLIP_HORIZONTALLY));
    // Turned clockwise on screen: the top-left quadrant goes to the top right.
    ASSERT_TRUE(Run(m2D::ID_TURN_90));
    EXPECT_EQ(view.Model().Drawer().Angle(), -90);
    EXPECT_EQ(Quadrants(view), (std::vector<int>{2, 0, 3, 1}));
    for (int i = 0; i < 3; ++i)
        Run(m2D::ID_TURN_90);
    EXPECT_EQ(view.Model().Drawer().Angle(), 0);
    EXPECT_EQ(Quadrants(view), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(Host, TurningSwapsTheDisplayedSizesInPanesAndRulers) {
    CSurfaceDoc document(400, 200, 20.0, 10.0);
    auto* frame = Open(document);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("quadrants : 2D"));
    EXPECT_EQ(frame->PaneText(0), QStringLiteral(" Scale:"));
    EXPECT_EQ(frame->PaneText(1), QStringLiteral("x- 100 %"));
    EXPECT_EQ(frame->PaneText(4), QStringLiteral("x- 20.0 \u00b5m"));
    EXPECT_EQ(frame->PaneText(5), QStringLiteral("y- 10.0 \u00b5m"));
    EXPECT_EQ(frame->PaneText(6), QStringLiteral("z~ 100 nm"));
    Run(m2D::ID_TURN_90);
    EXPECT_EQ(frame->PaneText(4), QStringLiteral("x- 10.0 \u00b5m"));
    EXPECT_EQ(frame->PaneText(5), QStringLiteral("y- 20.0 \u00b5m"));
    const auto& rulers = frame->GetView()->GetModel().Rulers();
    Screen(*frame->GetView());
    EXPECT_EQ(std::wstring(rulers.horz().span().unit()), L"\u00b5m");
    EXPECT_NEAR(rulers.horz().span().value(), 10.0, 1e-9);
    EXPECT_NEAR(rulers.vert().span().value(), 20.0, 1e-9);
}

TEST_F(Host, ClicksZoomThroughTheListAndScrollBarsAppear) {
    CSurfaceDoc document(256, 256);
    auto* frame = Open(document);
    C2DView& view = *frame->GetView();
    m2D::CProperties& props = view.Model().Props();
    const float start = props.m_fHScale;
    QWidget* client = view.GetGLWidget();
    const QPoint centre(client->width() / 2, client->height() / 2);
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_FLOAT_EQ(props.m_fHScale, m2D::ZoomInStep(start));
    EXPECT_FALSE(props.m_bDragDrop);
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_TRUE(view.HasHScrollBar());
    EXPECT_EQ(frame->PaneText(1),
              QStringLiteral("x- ") + QString::fromStdWString(m2D::ScaleText(props.m_fHScale)));
    const float zoomed = props.m_fHScale;
    QTest::mouseClick(client, Qt::LeftButton, Qt::ShiftModifier, centre);
    EXPECT_FLOAT_EQ(props.m_fHScale, m2D::ZoomOutStep(zoomed));
    // A click on the rulers' margin does not zoom.
    const float now = props.m_fHScale;
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FLOAT_EQ(props.m_fHScale, now);
}

TEST_F(Host, RulersLabelASurfaceOfKnownSize) {
    CSurfaceDoc document(400, 400, 10.0, 10.0); // 10 um at 100 %: 400 pixels, labels 2 um apart
    C2DView& view = *Open(document)->GetView();
    ASSERT_FLOAT_EQ(view.Model().Props().m_fHScale, 1.0f);
    Screen(view);
    std::vector<std::string> labels;
    for (const auto& tick : view.GetModel().Rulers().horz().ticks())
        if (tick.text[0])
            labels.push_back(tick.text);
    EXPECT_EQ(labels, (std::vector<std::string>{"0", "2", "4", "6", "8", "10"}));
}

TEST_F(Host, WheelZoomsByHundredthsOnceDragAndDropIsOff) {
    CSurfaceDoc document(256, 256);
    C2DView& view = *Open(document)->GetView();
    m2D::CProperties& props = view.Model().Props();
    props.m_bDragDrop = false;
    view.UpdateScaleBounds();
    const float start = props.m_fHScale;
    view.WheelZoom(-3); // towards the user: larger
    EXPECT_FLOAT_EQ(props.m_fHScale, start * 1.03f);
    EXPECT_FLOAT_EQ(props.m_fVScale, props.m_fHScale);
    const float grown = props.m_fHScale;
    view.WheelZoom(2);
    EXPECT_FLOAT_EQ(props.m_fHScale, grown - grown * 0.02f);
}

TEST_F(Host, DraggingAnEdgeKeepsTheAspectWhileTheImageFollowsTheFrame) {
    CSurfaceDoc document(256, 256);
    auto* frame = Open(document);
    ASSERT_TRUE(frame->GetView()->Model().Props().m_bDragDrop);
    const QSize before = frame->size();
    frame->resize(before.width() - 40, before.height());
    QTest::qWait(50);
    EXPECT_EQ(frame->size(), QSize(before.width() - 40, before.height() - 40));
    // The image followed: its scale is the view's width over the surface's.
    const auto& props = frame->GetView()->Model().Props();
    EXPECT_LT(props.m_fHScale, 1.0f);
    // Nothing smaller than the frame of a 200-pixel image.
    frame->resize(100, frame->height());
    QTest::qWait(50);
    EXPECT_GE(frame->width(), frame->FrameSizeFor(200, 200).width());
}

TEST_F(Host, FlippingTwiceRestoresTheScrollPosition) {
    CSurfaceDoc document(256, 256);
    C2DView& view = *Open(document)->GetView();
    QWidget* client = view.GetGLWidget();
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier,
                          QPoint(client->width() / 3, client->height() / 3));
    ASSERT_TRUE(view.HasVScrollBar());
    const int before = view.GetVScrollInfo().nPos;
    Run(m2D::ID_FLIP_VERTICALLY);
    const gl::ScrollInfo& v = view.GetVScrollInfo();
    EXPECT_EQ(v.nPos, m2D::MirrorScroll(v.nMin, v.nMax, v.nPage, before));
    Run(m2D::ID_FLIP_VERTICALLY);
    EXPECT_EQ(view.GetVScrollInfo().nPos, before);
}

TEST_F(Host, HeightBarShowsTheImageColoursAndMovesTheFrame) {
    CSurfaceDoc document(256, 256);
    auto* frame = Open(document);
    C2DView& view = *frame->GetView();
    m2D::CVRView* bar = frame->BarView();
    ASSERT_NE(bar, nullptr);
    for (int fill :
         {color::ID_FILL_GRAY, color::ID_FILL_AMBER, color::ID_FILL_NEGATIVE, color::ID_CONTRAST_UP}) {
        Run(fill);
        QTest::qWait(20);
        const QImage strip = Screen(*bar);
        const rulers::CArea r = bar->BarRect();
        // Near the bottom of the bar the lowest levels, near the top the highest.
        const int x = int(r.left + r.width / 2);
        const QRgb low = strip.pixel(x, strip.height() - 1 - int(r.bottom + 0.05 * r.height));
        const QRgb high = strip.pixel(x, strip.height() - 1 - int(r.bottom + 0.95 * r.height));
        std::uint8_t bgra[8];
        const float levels[2] = {0.001f + 0.998f * 0.05f, 0.001f + 0.998f * 0.95f};
        color::TransferBgra(levels, 2, 1, view.Model().Converter(), view.Model().Attenuator(), bgra);
        EXPECT_NEAR(qBlue(low), bgra[0], 3) << fill;
        EXPECT_NEAR(qRed(low), bgra[2], 3) << fill;
        EXPECT_NEAR(qBlue(high), bgra[4], 3) << fill;
        EXPECT_NEAR(qRed(high), bgra[6], 3) << fill;
    }
    // Without drag-and-drop scaling the bar takes and gives back its 76 pixels of frame.
    view.Model().Props().m_bDragDrop = false;
    const int width = frame->width();
    const float scale = view.Model().Props().m_fHScale;
    Run(m2D::ID_VIEW_HEIGHT_BAR);
    EXPECT_EQ(frame->BarView(), nullptr);
    EXPECT_EQ(frame->width(), width - m2D::CVRView::kWidth);
    Run(m2D::ID_VIEW_HEIGHT_BAR);
    ASSERT_NE(frame->BarView(), nullptr);
    EXPECT_EQ(frame->width(), width);
    EXPECT_FLOAT_EQ(view.Model().Props().m_fHScale, scale);
}

TEST_F(Host, CopyPutsTheBarBesideTheImageWithWhiteUnderAShortImage) {
    CSurfaceDoc document(256, 256);
    auto* frame = Open(document);
    C2DView& view = *frame->GetView();
    QWidget* client = view.GetGLWidget();
    // Zoomed in, the image gets a horizontal scroll bar and so a shorter client than the bar's.
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier,
                          QPoint(client->width() / 2, client->height() / 2));
    QTest::qWait(20);
    ASSERT_TRUE(view.HasHScrollBar());
    m2D::CVRView* bar = frame->BarView();
    ASSERT_NE(bar, nullptr);
    ASSERT_LT(view.GetClientHeight(), bar->GetClientHeight());
    m2D::CPicture picture;
    ASSERT_TRUE(view.Capture(picture));
    EXPECT_EQ(picture.width, view.GetClientWidth() + bar->GetClientWidth());
    EXPECT_EQ(picture.height, bar->GetClientHeight());
    // The bottom rows (first in the bottom-up rows) are white under the image.
    const int shortBy = bar->GetClientHeight() - view.GetClientHeight();
    for (int row = 0; row < shortBy; ++row)
        for (int x = 0; x < view.GetClientWidth(); x += 17)
            ASSERT_EQ(picture.pixels[(std::size_t(row) * picture.width + x) * 4], 0xFF) << row << " " << x;
    // The bar's outline is drawn in copies: black at the bar's left edge halfway up.
    const rulers::CArea r = bar->BarRect();
    const int x = view.GetClientWidth() + int(r.left);
    const std::size_t at = (std::size_t(r.bottom + r.height / 2) * picture.width + x) * 4;
    EXPECT_LT(picture.pixels[at] + picture.pixels[at + 1] + picture.pixels[at + 2], 60);

    Run(gl::ID_EDIT_COPY);
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(picture.width, picture.height));
    Keep(copied, QStringLiteral("copy_zoomed_with_bar"));
}

TEST_F(Host, ExportAsksAgainAfterNoAndWritesTheBitmap) {
    CSurfaceDoc document(256, 256);
    C2DView& view = *Open(document)->GetView();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image.bmp"));
    {
        QFile existing(path);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("old");
    }
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scoped(recorder);
    recorder.answers = {fw::MsgAnswer::No, fw::MsgAnswer::Yes};
    std::vector<QString> offered;
    view.exportPrompt = [&](const QString& initial) {
        offered.push_back(initial);
        return offered.size() <= 2 ? path : QString();
    };
    ASSERT_TRUE(Run(m2D::ID_EXPORT_BMP));
    ASSERT_EQ(recorder.Texts().size(), 2u);
    EXPECT_EQ(recorder.Texts()[0], L"The file " + path.toStdWString() +
                                       L" already exist.\nWoud you like to replace existing file?");
    EXPECT_EQ(offered.size(), 2u);
    // A surface read from no file: its title, in a folder of the user's, never a bare name.
    EXPECT_TRUE(offered[0].endsWith(QStringLiteral("/quadrants.bmp"))) << offered[0].toStdString();
    EXPECT_TRUE(QFileInfo(offered[0]).isAbsolute());
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    ASSERT_GT(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    m2D::CPicture picture;
    ASSERT_TRUE(view.Capture(picture));
    EXPECT_EQ(bytes.size(), 54 + picture.width * picture.height * 4);
    const QImage read(path);
    EXPECT_EQ(read.size(), QSize(picture.width, picture.height));
}

TEST_F(Host, ExportAnsweredNoWritesNothing) {
    CSurfaceDoc document(64, 64);
    C2DView& view = *Open(document)->GetView();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.bmp"));
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scoped(recorder);
    recorder.answers = {fw::MsgAnswer::No};
    int asked = 0;
    view.exportPrompt = [&](const QString&) { return ++asked == 1 ? path : QString(); };
    Run(m2D::ID_EXPORT_BMP);
    EXPECT_EQ(asked, 2);
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("old"));
}

// NANOTOP-205 and single-image NT-MDT titles are the file's name: the picture must not take it.
TEST_F(Host, ExportNeitherProposesNorReplacesTheScanItself) {
    doc::CSurfaceApp app;
    m2D::Register2DDocTypes(app);
    QTemporaryDir dir;
    testdata::SpmFile spm;
    spm.columns = spm.rows = 64;
    const std::pair<QString, std::string> scans[] = {
        {dir.filePath(QStringLiteral("scan.spm")), testdata::MakeSpm(spm)},
        {dir.filePath(QStringLiteral("frame.mdt")), testdata::MakeNtMdt(testdata::MdtFile{})}};
    for (const auto& [path, bytes] : scans) {
        SCOPED_TRACE(path.toStdString());
        testdata::WriteFile(path.toStdString(), bytes);
        auto* document = app.OpenDocumentFile(path.toStdWString());
        ASSERT_NE(document, nullptr);
        auto* frame = dynamic_cast<m2D::C2DChildFrame*>(fw::CChildFrame::FramesOf(*document).front());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
        fw::CMessageRecorder recorder;
        fw::CScopedMessages scoped(recorder);
        std::vector<QString> offered;
        // The scan itself, then a link to it, then cancelled.
        const QString link = dir.filePath(QStringLiteral("link-") + QFileInfo(path).fileName());
        ASSERT_TRUE(QFile::link(path, link));
        frame->GetView()->exportPrompt = [&](const QString& initial) {
            offered.push_back(initial);
            return offered.size() == 1 ? path : offered.size() == 2 ? link : QString();
        };
        Run(m2D::ID_EXPORT_BMP);
        ASSERT_EQ(offered.size(), 3u);
        EXPECT_EQ(offered[0], QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName() +
                                  QStringLiteral(".bmp"));
        EXPECT_EQ(offered[1], offered[0]);
        auto refusal = [](const QString& chosen) {
            return L"The file " + chosen.toStdWString() +
                   L" is the scan shown in this window.\nPlease choose another name for the picture.";
        };
        EXPECT_EQ(recorder.Texts(), (std::vector<std::wstring>{refusal(path), refusal(link)}));
        QFile scan(path);
        ASSERT_TRUE(scan.open(QIODevice::ReadOnly));
        EXPECT_EQ(scan.readAll().toStdString(), bytes);
        frame->CloseDocument();
    }
}

TEST_F(Host, ImageFiltersAreRadioCommandsThatRebuildTheTexture) {
    CSurfaceDoc document(128, 128);
    C2DView& view = *Open(document)->GetView();
    const std::vector<float> before = surface::Levels(view.GetModel().Image().Texture());
    ASSERT_TRUE(Run(183)); // Sobel 3 x 3 horizontal
    EXPECT_EQ(view.ImageFilter(), doc::FilterType::SobelHoriz3);
    fw::CCmdState state;
    ASSERT_TRUE(view.OnUpdateCommand(183, state));
    EXPECT_TRUE(state.checked);
    EXPECT_NE(surface::Levels(view.GetModel().Image().Texture()), before);
    ASSERT_TRUE(Run(m2D::ID_IMAGE_FILTER_NONE));
    EXPECT_EQ(surface::Levels(view.GetModel().Image().Texture()), before);
}

TEST_F(Host, LockedViewKeepsItsCopyUntilUnlocked) {
    CSurfaceDoc document(64, 64);
    C2DView& view = *Open(document)->GetView();
    Run(m2D::ID_LOCK_UPDATE);
    EXPECT_TRUE(view.IsLocked());
    // A new grid in the document, which a new fill uploads from none of: the copy is what shows.
    doc::TGrid<float>(document.heights.size(), 1.0f).swap(document.heights);
    document.UpdateAllViews(nullptr, doc::kHintSurface);
    EXPECT_EQ(Quadrants(view), (std::vector<int>{0, 1, 2, 3}));
    ASSERT_TRUE(Run(color::ID_FILL_MARINE));
    EXPECT_EQ(Quadrants(view), (std::vector<int>{0, 1, 2, 3}));
    Run(m2D::ID_LOCK_UPDATE);
    EXPECT_FALSE(view.IsLocked());
    EXPECT_EQ(Quadrants(view), (std::vector<int>{3, 3, 3, 3}));
}

TEST_F(Host, ProfileModeTakesTwoClicksPerLine) {
    CSurfaceDoc document(128, 128);
    C2DView& view = *Open(document)->GetView();
    ASSERT_TRUE(Run(m2D::ID_PROFILE));
    EXPECT_EQ(view.GetMode(), m2D::kModeProfileStart);
    QWidget* client = view.GetGLWidget();
    const auto& vp = view.Model().Drawer().ImageViewport();
    const int top = client->height() - (vp.y + vp.height);
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier,
                      QPoint(vp.x + vp.width / 4, top + vp.height / 4));
    EXPECT_EQ(view.GetMode(), m2D::kModeProfileEnd);
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier,
                      QPoint(vp.x + 3 * vp.width / 4, top + 3 * vp.height / 4));
    EXPECT_EQ(view.GetMode(), m2D::kModeProfileStart);
    ASSERT_EQ(view.Profiles().size(), 1u);
    EXPECT_NEAR(view.Profiles().front().start.x, 0.25, 0.02);
    EXPECT_NEAR(view.Profiles().front().end.y, 0.75, 0.02);
    Run(m2D::ID_PROFILE);
    EXPECT_EQ(view.GetMode(), m2D::kModeZoom);
}

TEST_F(Host, TooNarrowAMainFrameRefusesTheWindow) {
    main.resize(200, 400);
    QTest::qWait(50);
    CSurfaceDoc document(64, 64);
    auto* frame = new m2D::C2DChildFrame(&document);
    main.AddChild(frame);
    try {
        fw::CFrameMaker::InitialUpdateFrame(frame, document);
        FAIL() << "no exception";
    } catch (const m2D::C2DException& e) {
        EXPECT_STREQ(e.what(), "width of main frame is too small for display this file");
    }
    frame->DestroyFrame();
}

TEST_F(Host, AWindowThatCannotBeSizedIsReportedAndItsFileClosed) {
    main.resize(200, 400);
    QTest::qWait(50);
    doc::CSurfaceApp app;
    m2D::Register2DDocTypes(app);
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scoped(recorder);
    const std::string path = std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007";
    EXPECT_EQ(app.OpenDocumentFile(fw::FromUtf8(path)), nullptr);
    ASSERT_FALSE(recorder.Texts().empty());
    EXPECT_EQ(recorder.Texts().back(), L"width of main frame is too small for display this file");
    EXPECT_TRUE(main.GetChildFrames().empty());
    for (fw::CDocTemplate* type : app.GetDocManager().GetTemplates())
        EXPECT_EQ(type->GetDocuments().size(), 0u);
}

} // namespace
} // namespace win2d

namespace win2d {
namespace {

// A real scan opened through its document type as the application opens it, looked at as a user
// would: at its first scale, zoomed, turned and edge-filtered.
TEST_F(Host, RealScanOpensInAWindowOfItsOwn) {
    doc::CSurfaceApp app;
    m2D::Register2DDocTypes(app);
    const std::string path = std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007";
    auto* document = dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8(path)));
    ASSERT_NE(document, nullptr);
    auto frames = fw::CChildFrame::FramesOf(*document);
    ASSERT_EQ(frames.size(), 1u);
    auto* frame = dynamic_cast<m2D::C2DChildFrame*>(frames.front());
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    QTest::qWait(100);
    EXPECT_EQ(frame->windowTitle(), QString::fromStdWString(document->GetTitle()) + QStringLiteral(" : 2D"));
    EXPECT_GT(document->m_f2DScale, 0.0f);
    Keep(frame->grab().toImage(), QStringLiteral("real_first_scale"));
    C2DView& view = *frame->GetView();
    QWidget* client = view.GetGLWidget();
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier,
                      QPoint(client->width() / 2, client->height() / 2));
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier,
                      QPoint(client->width() / 2, client->height() / 2));
    QTest::qWait(50);
    Keep(frame->grab().toImage(), QStringLiteral("real_zoomed"));
    Run(m2D::ID_TURN_90);
    QTest::qWait(50);
    Keep(frame->grab().toImage(), QStringLiteral("real_turned"));
    Run(m2D::ID_TURN_90);
    Run(m2D::ID_TURN_90);
    Run(m2D::ID_TURN_90);
    Run(183);
    Run(color::ID_FILL_AMBER);
    QTest::qWait(50);
    Keep(frame->grab().toImage(), QStringLiteral("real_sobel_amber"));
    Keep(main.grab().toImage(), QStringLiteral("real_main"));
    EXPECT_EQ(view.ImageFilter(), doc::FilterType::SobelHoriz3);
    frame->CloseDocument();
}

} // namespace
} // namespace win2d
