// The bump window: the relief is the 3D window's mesh seen from above, a single flip culls front
// faces, a turn swaps the image's sides, and a level surface lights evenly.
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "view2d/qt/Bump.h"
#include "view2d/qt/Window2DKit.h"
#include "view3d/Mesh.h"
#include "view3d/qt/View3D.h"

namespace win2d {
namespace {

class CBumpHost : public Host {
protected:
    bump::CChildFrame* OpenBump(fw::CDocument& document) {
        bump::CChildFrame* frame = bump::OpenBump(document, nullptr);
        EXPECT_NE(frame, nullptr);
        if (frame) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
            QTest::qWait(50);
        }
        return frame;
    }
};

TEST_F(CBumpHost, TheReliefIsThe3DMeshSeenFromAbove) {
    CWedgeDoc document;
    bump::CChildFrame* frame = OpenBump(document);
    ASSERT_NE(frame, nullptr);
    frame->OnUpdateFrameTitle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("wedge : Bump"));
    EXPECT_EQ(frame->Kind(), kKindBump);
    EXPECT_EQ(frame->BarView(), nullptr); // no height bar beside a relief
    bump::CBumpView& view = *frame->GetView();
    const surface::CBump& relief = view.GetModel().Relief();
    surface::CMeshGrid mesh;
    surface::BuildVertices(document.heights.data(), document.columns, document.rows, mesh);
    surface::BuildNormals(mesh);
    EXPECT_EQ(relief.Mesh().Mesh().vertices, mesh.vertices);
    EXPECT_EQ(relief.Mesh().Mesh().normals, mesh.normals);
    EXPECT_TRUE(relief.Mesh().Walls().a.empty());
    EXPECT_FLOAT_EQ(relief.Near(), -document.columns / 4.0f);
    Keep(frame->grab().toImage(), QStringLiteral("bump_wedge"));
}

TEST_F(CBumpHost, ALevelReliefLightsEvenlyAndAFlipKeepsItsLight) {
    CSurfaceDoc document(64, 64);
    document.heights.assign(document.heights.size(), 0.5f);
    bump::CChildFrame* frame = OpenBump(document);
    ASSERT_NE(frame, nullptr);
    bump::CBumpView& view = *frame->GetView();
    auto shades = [&] {
        const QImage screen = Screen(view);
        std::vector<QRgb> seen;
        for (double f : {0.2, 0.5, 0.8})
            seen.push_back(AtImage(view, screen, f, f));
        return seen;
    };
    const std::vector<QRgb> level = shades();
    EXPECT_EQ(level[0], level[1]);
    EXPECT_EQ(level[1], level[2]);
    EXPECT_NE(level[0], qRgb(235, 235, 235));
    EXPECT_FALSE(view.GetModel().Relief().CulledFront());
    Run(m2D::ID_FLIP_HORIZONTALLY);
    EXPECT_EQ(shades(), level); // still lit, from the same side
    EXPECT_TRUE(view.GetModel().Relief().CulledFront());
    Run(m2D::ID_FLIP_VERTICALLY);
    EXPECT_EQ(shades(), level);
    EXPECT_FALSE(view.GetModel().Relief().CulledFront());
}

TEST_F(CBumpHost, TurningSwapsTheImageSidesAndATiltedReliefShowsItsSlope) {
    CSurfaceDoc document(120, 60);
    for (int i = 0; i < 60; ++i)
        for (int j = 0; j < 120; ++j)
            document.heights[std::size_t(j) + std::size_t(i) * 120] = 0.2f + 0.005f * j;
    bump::CChildFrame* frame = OpenBump(document);
    ASSERT_NE(frame, nullptr);
    bump::CBumpView& view = *frame->GetView();
    const m2D::CSize before = view.ImageSize();
    EXPECT_GT(before.width, before.height);
    Run(m2D::ID_TURN_90);
    QTest::qWait(50);
    const m2D::CSize after = view.ImageSize();
    EXPECT_EQ(after.width, before.height);
    EXPECT_EQ(after.height, before.width);
    Keep(frame->grab().toImage(), QStringLiteral("bump_turned"));
}

// A real scan in the relief and the 3D windows, for looking at.
TEST_F(CBumpHost, ARealScanInTheReliefAndTheModel) {
    doc::CSurfaceApp app;
    m2D::Register2DDocTypes(app);
    const std::string path = std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007";
    auto* document = dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8(path)));
    ASSERT_NE(document, nullptr);
    bump::CChildFrame* relief = OpenBump(*document);
    ASSERT_NE(relief, nullptr);
    Keep(relief->grab().toImage(), QStringLiteral("bump_real"));
    m3D::CChildFrame* model = m3D::Open3D(*document, nullptr);
    ASSERT_NE(model, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(model));
    QTest::qWait(50);
    Keep(model->grab().toImage(), QStringLiteral("model3d_real"));
    model->View()->Model().tilt = -70.0;
    model->View()->Model().azimuth = 160.0;
    model->View()->RedrawWindow();
    Keep(model->grab().toImage(), QStringLiteral("model3d_real_turned"));
}

} // namespace
} // namespace win2d
