// The "Options" sheet of the image windows: the scales typed as percentages with the aspect locked, the
// bound on them, the change bits that make Apply do only what changed, and smoothing as the texture's
// filter; the relief's sheet with its light and material.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <set>

#include "view2d/ViewOptions.h"
#include "view2d/qt/Bump.h"
#include "view2d/qt/OptionsPage.h"
#include "view2d/qt/Window2DKit.h"

namespace win2d {
namespace {

// Typed as the user types: the edit selected and replaced, keys one by one.
void TypeInto(QSpinBox* spin, const char* text) {
    spin->activateWindow();
    spin->setFocus();
    for (int k = 0; k < 100 && !spin->hasFocus(); ++k)
        QTest::qWait(10);
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Delete);
    QTest::keyClicks(spin, QString::fromLatin1(text));
    spin->interpretText();
}

// The sheet on the screen (not modal, so that the test can type), and its page.
m2D::COptionsPage* PageOf(QDialog& sheet) {
    sheet.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    return sheet.findChild<m2D::COptionsPage*>();
}

TEST_F(Host, TypingAScaleWithTheAspectLockedSetsBothAndAppliesThem) {
    CSurfaceDoc document(256, 192);
    m2D::C2DChildFrame* frame = Open(document);
    m2D::C2DView& view = *frame->GetView();
    fw::CCmdState state;
    view.OnUpdateCommand(m2D::ID_VIEW_PROPERTIES, state);
    EXPECT_TRUE(state.enabled);
    std::unique_ptr<QDialog> sheet = m2D::MakeOptionsSheet(view, m2D::COptionsPage::k2D);
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Options"));
    m2D::COptionsPage* page = PageOf(*sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), QStringLiteral("2D View"));
    EXPECT_FALSE(page->HeightSpin()->isEnabled()); // locked to the width
    EXPECT_FALSE(page->PlaneGrid()->isEnabled());
    TypeInto(page->WidthSpin(), "250");
    EXPECT_EQ(page->WidthSpin()->text(), QStringLiteral("250 %"));
    EXPECT_EQ(page->HeightSpin()->text(), QStringLiteral("250 %"));
    EXPECT_TRUE(page->IsModified());
    Keep(sheet->grab().toImage(), QStringLiteral("options_2d"));
    page->Apply();
    const m2D::CProperties& props = view.Model().Props();
    EXPECT_FLOAT_EQ(props.m_fHScale, 2.5f);
    EXPECT_FLOAT_EQ(props.m_fVScale, 2.5f);
    EXPECT_EQ(frame->PaneText(m2D::kPaneHScale), QStringLiteral("x- 250 %"));
    EXPECT_FALSE(page->IsModified());

    // Nothing beyond the largest scale can be typed or applied.
    TypeInto(page->WidthSpin(), "99999");
    EXPECT_LE(page->WidthSpin()->value(), static_cast<int>(props.m_nMaxPercent));
    page->Apply();
    EXPECT_LE(props.m_fHScale, props.m_fMaxScale);
}

TEST_F(Host, ApplyDoesOnlyWhatChanged) {
    CSurfaceDoc document(256, 192);
    m2D::C2DChildFrame* frame = Open(document);
    m2D::C2DView& view = *frame->GetView();
    std::unique_ptr<QDialog> sheet = m2D::MakeOptionsSheet(view, m2D::COptionsPage::k2D);
    m2D::COptionsPage* page = PageOf(*sheet);
    const m2D::CProperties before = view.Model().Props();
    const QSize size = frame->size();
    page->Apply();
    const m2D::CProperties& after = view.Model().Props();
    EXPECT_EQ(after.m_fHScale, before.m_fHScale);
    EXPECT_EQ(after.m_bRulers, before.m_bRulers);
    EXPECT_EQ(frame->size(), size);
    // Rulers off and on again: nothing to apply for them.
    page->Rulers()->setChecked(false);
    EXPECT_TRUE(page->IsModified());
    EXPECT_FALSE(page->RulerOrigin()->isEnabled());
    page->Rulers()->setChecked(true);
    EXPECT_FALSE(page->IsModified());
    // The height bar goes when it is switched off.
    ASSERT_NE(frame->BarView(), nullptr);
    page->HeightBar()->setChecked(false);
    page->Apply();
    EXPECT_EQ(frame->BarView(), nullptr);
}

TEST_F(Host, SmoothingOffShowsNearestSamples) {
    CSurfaceDoc document(8, 8);
    m2D::C2DChildFrame* frame = Open(document);
    m2D::C2DView& view = *frame->GetView();
    // Quadrants of four levels, magnified: linear filtering blends them at the seams.
    auto levels = [&] {
        const QImage screen = Screen(view);
        std::set<QRgb> seen;
        for (double f = 0.05; f < 0.95; f += 0.01)
            seen.insert(AtImage(view, screen, f, f));
        return seen.size();
    };
    EXPECT_GT(levels(), 4u);
    std::unique_ptr<QDialog> sheet = m2D::MakeOptionsSheet(view, m2D::COptionsPage::k2D);
    m2D::COptionsPage* page = PageOf(*sheet);
    page->Smoothing()->setChecked(false);
    page->Apply();
    EXPECT_FALSE(view.Model().Props().m_bSmoothing);
    EXPECT_LE(levels(), 4u);
}

TEST_F(Host, TheReliefsSheetHasItsLightAndMaterial) {
    CSurfaceDoc document(256, 192);
    bump::CChildFrame* frame = bump::OpenBump(document, nullptr);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    bump::CBumpView& view = *frame->GetView();
    EXPECT_EQ(view.OptionsKind(), m2D::COptionsPage::kBump);
    std::unique_ptr<QDialog> sheet = m2D::MakeOptionsSheet(view, view.OptionsKind());
    auto* tabs = sheet->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Bump View"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Light"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Material"));
    m2D::COptionsPage* page = PageOf(*sheet);
    EXPECT_EQ(page->HeightBar(), nullptr);
    Keep(sheet->grab().toImage(), QStringLiteral("options_bump"));
    TypeInto(page->WidthSpin(), "300");
    page->Apply();
    EXPECT_FLOAT_EQ(view.Model().Props().m_fHScale, 3.0f);
    EXPECT_EQ(view.ImageSize().width, 768);
}

} // namespace
} // namespace win2d
