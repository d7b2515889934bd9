// The custom-fill dialog: slots, chooser, interpolation mode and slider applied live to the window's
// converter, Cancel and OK, and the preview bar and slot buttons as drawn.
#include <QColorDialog>
#include <QImage>
#include <QRadioButton>
#include <QSlider>
#include <cstring>
#include <gtest/gtest.h>

#include "FillTestKit.h"
#include "view2d/qt/CtrlBar.h"
#include "view2d/qt/CtrlButton.h"
#include "view2d/qt/DlgFill.h"

using namespace color;
using filltest::Reference;
using filltest::Tables;

namespace {

constexpr COLORREF kOrange = MakeColorRef(255, 128, 0);
constexpr COLORREF kTeal = MakeColorRef(0, 128, 128);
constexpr COLORREF kWhite = MakeColorRef(255, 255, 255);

QColor ToQColor(COLORREF c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

bool Near(QRgb pixel, COLORREF c, int tolerance) {
    return std::abs(qRed(pixel) - RedOf(c)) <= tolerance &&
           std::abs(qGreen(pixel) - GreenOf(c)) <= tolerance &&
           std::abs(qBlue(pixel) - BlueOf(c)) <= tolerance;
}

class DlgFill : public ::testing::Test {
protected:
    CDlgFill& Dialog() { return window.commands->Dialog(); }
    const CCustomFill& Fill() { return Dialog().Fill(); }

    void Open() {
        ASSERT_TRUE(window.Run(ID_FILL_CUSTOM));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog()));
    }
    void ClickSlot(unsigned slot) { QTest::mouseClick(Dialog().SlotButton(slot), Qt::LeftButton); }
    // The window's converter holds what a converter of the dialog's colours would.
    void ExpectCustomTables() {
        EXPECT_EQ(window.converter.Type(), CConverter::kCustom);
        EXPECT_EQ(Tables(window.converter),
                  Reference(CConverter::kCustom, window.converter.Negative(), Fill()));
    }

    filltest::CFillWindow window;
};

} // namespace

TEST_F(DlgFill, OpeningShowsTheFillAndAppliesItModally) {
    Open();
    EXPECT_TRUE(Dialog().isModal());
    EXPECT_EQ(window.redraws, 1);
    ExpectCustomTables();
    EXPECT_TRUE(window.State(ID_FILL_CUSTOM).checked);
    EXPECT_TRUE(Dialog().SlotButton(CCustomFill::kTop)->isChecked());
    EXPECT_EQ(Dialog().Chooser()->currentColor(), QColor(255, 0, 0));
    EXPECT_TRUE(Dialog().ThreeColors()->isChecked());
    EXPECT_TRUE(Dialog().Slider()->isEnabled());
    // The thumb was measured; the middle colour still sits at the centre for s = 0.5.
    EXPECT_GT(Fill().h, 0.0f);
    EXPECT_LT(Fill().h, 0.25f);
    EXPECT_EQ(Dialog().Slider()->value(), Fill().SliderPosition());
    EXPECT_EQ(Dialog().Slider()->value(), 500);
    EXPECT_EQ(window.converter.Green()[127], 1.0f);
    EXPECT_EQ(window.converter.Green()[128], 1.0f);
    Dialog().accept();
}

TEST_F(DlgFill, TheChooserFillsTheSelectedSlot) {
    Open();
    ClickSlot(CCustomFill::kBottom);
    EXPECT_TRUE(Dialog().SlotButton(CCustomFill::kBottom)->isChecked());
    EXPECT_FALSE(Dialog().SlotButton(CCustomFill::kTop)->isChecked()) << "one slot at a time";
    EXPECT_EQ(Fill().selected, unsigned(CCustomFill::kBottom));
    EXPECT_EQ(Dialog().Chooser()->currentColor(), QColor(0, 0, 255));

    Dialog().Chooser()->setCurrentColor(ToQColor(kOrange));
    EXPECT_EQ(Fill().colors[CCustomFill::kBottom], kOrange);
    EXPECT_EQ(Fill().colors[CCustomFill::kTop], MakeColorRef(255, 0, 0));
    EXPECT_EQ(Dialog().SlotButton(CCustomFill::kBottom)->Color(), kOrange);
    ExpectCustomTables();
    EXPECT_EQ(window.converter.Red()[0], 1.0f);

    ClickSlot(CCustomFill::kMiddle);
    Dialog().Chooser()->setCurrentColor(ToQColor(kTeal));
    EXPECT_EQ(Fill().colors[CCustomFill::kMiddle], kTeal);
    EXPECT_EQ(Fill().colors[CCustomFill::kBottom], kOrange);
    ExpectCustomTables();
    Dialog().accept();
}

TEST_F(DlgFill, ModeAndSliderPlaceTheMiddleColour) {
    window.Run(ID_FILL_NEGATIVE);
    Open();
    QTest::mouseClick(Dialog().TwoColors(), Qt::LeftButton);
    EXPECT_EQ(Fill().mode, 0);
    EXPECT_FALSE(Dialog().Slider()->isEnabled());
    ExpectCustomTables();
    EXPECT_EQ(window.converter.Red()[0], 1.0f) << "negative: the top colour at index 0";

    QTest::mouseClick(Dialog().ThreeColors(), Qt::LeftButton);
    EXPECT_EQ(Fill().mode, 1);
    ASSERT_TRUE(Dialog().Slider()->isEnabled());
    const int redraws = window.redraws;
    Dialog().Slider()->setFocus();
    QTest::keyClick(Dialog().Slider(), Qt::Key_PageDown);
    EXPECT_EQ(Dialog().Slider()->value(), 700);
    EXPECT_FLOAT_EQ(Fill().s, 0.3f);
    EXPECT_EQ(window.redraws, redraws + 1);
    ExpectCustomTables();
    Dialog().accept();
}

TEST_F(DlgFill, CancelPutsTheImageBackExactly) {
    window.Run(ID_FILL_NEGATIVE);
    window.Run(ID_FILL_AMBER);
    const std::vector<float> before = Tables(window.converter);
    Open();
    ClickSlot(CCustomFill::kMiddle);
    Dialog().Chooser()->setCurrentColor(ToQColor(kWhite));
    QTest::mouseClick(Dialog().TwoColors(), Qt::LeftButton);
    ASSERT_EQ(window.converter.Type(), CConverter::kCustom);
    const int redraws = window.redraws;

    Dialog().reject();
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(window.converter.Type(), CConverter::kAmber);
    const std::vector<float> after = Tables(window.converter);
    ASSERT_EQ(after.size(), 768u);
    EXPECT_EQ(std::memcmp(after.data(), before.data(), 768 * sizeof(float)), 0);
    EXPECT_EQ(window.redraws, redraws + 1);
    EXPECT_EQ(Fill().colors[CCustomFill::kMiddle], MakeColorRef(0, 255, 0));
    EXPECT_EQ(Fill().mode, 1);
    EXPECT_TRUE(Dialog().ThreeColors()->isChecked());
    EXPECT_EQ(Dialog().SlotButton(CCustomFill::kMiddle)->Color(), MakeColorRef(0, 255, 0));
}

TEST_F(DlgFill, OkKeepsTheFillAndALaterCancelReturnsToIt) {
    Open();
    ClickSlot(CCustomFill::kTop);
    Dialog().Chooser()->setCurrentColor(ToQColor(kTeal));
    Dialog().Slider()->setValue(250);
    Dialog().accept();
    ExpectCustomTables();
    const std::vector<float> kept = Tables(window.converter);
    const CCustomFill fill = Fill();

    Open();
    EXPECT_EQ(Dialog().Slider()->value(), fill.SliderPosition()) << "the slider where it was left";
    EXPECT_EQ(Dialog().SlotButton(CCustomFill::kTop)->Color(), kTeal);
    Dialog().Chooser()->setCurrentColor(ToQColor(kOrange));
    Dialog().Slider()->setValue(900);
    // Escape inside the chooser cancels the whole dialog, rather than hiding the chooser.
    Dialog().Chooser()->setFocus();
    QTest::keyClick(Dialog().Chooser(), Qt::Key_Escape);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(window.converter.Type(), CConverter::kCustom);
    EXPECT_EQ(Tables(window.converter), kept);
    EXPECT_EQ(Fill().colors[0], fill.colors[0]);
    EXPECT_EQ(Fill().s, fill.s);

    Open();
    EXPECT_TRUE(Dialog().Chooser()->isVisible());
    Dialog().reject();
}

TEST_F(DlgFill, ThePreviewBarShowsBottomMiddleAndTop) {
    Open();
    ClickSlot(CCustomFill::kBottom);
    Dialog().Chooser()->setCurrentColor(ToQColor(kWhite));
    CCtrlBar* bar = Dialog().Bar();
    QImage image = bar->grabFramebuffer();
    const int h = image.height(), x = image.width() / 2;
    ASSERT_GT(h, 100);
    const COLORREF red = MakeColorRef(255, 0, 0), green = MakeColorRef(0, 255, 0);
    EXPECT_TRUE(Near(image.pixel(x, 0), red, 8)) << "top";
    EXPECT_TRUE(Near(image.pixel(x, h - 1), kWhite, 8)) << "bottom";
    const int middle = h - 1 - static_cast<int>(Fill().MiddlePosition() * h);
    EXPECT_TRUE(Near(image.pixel(x, middle), green, 8)) << "middle at row " << middle;
    EXPECT_TRUE(Near(image.pixel(0, middle), green, 8)) << "the bar fills its width";
    EXPECT_TRUE(Near(image.pixel(image.width() - 1, middle), green, 8));

    QTest::mouseClick(Dialog().TwoColors(), Qt::LeftButton);
    image = bar->grabFramebuffer();
    EXPECT_TRUE(Near(image.pixel(x, 0), red, 8));
    EXPECT_TRUE(Near(image.pixel(x, h - 1), kWhite, 8));
    EXPECT_TRUE(Near(image.pixel(x, h / 2), MakeColorRef(255, 128, 128), 8)) << "straight from bottom to top";
    Dialog().accept();
}

TEST_F(DlgFill, SlotButtonsDrawTheirColourInsetByTheirState) {
    Open();
    for (unsigned slot : {unsigned(CCustomFill::kTop), unsigned(CCustomFill::kMiddle)}) {
        CCtrlButton* button = Dialog().SlotButton(slot);
        const bool pushed = slot == CCustomFill::kTop;
        ASSERT_EQ(button->IsPushed(), pushed);
        const QImage image = button->grab().toImage();
        const int w = image.width(), h = image.height();
        const int near = pushed ? 4 : 3; // inset at the top and left
        const COLORREF colour = Fill().colors[slot];
        SCOPED_TRACE(pushed ? "pushed" : "raised");
        EXPECT_TRUE(Near(image.pixel(near, near), 0, 0)) << "black outline";
        EXPECT_TRUE(Near(image.pixel(w - 5, h - 5), 0, 0));
        EXPECT_FALSE(Near(image.pixel(near - 1, near - 1), 0, 0));
        EXPECT_FALSE(Near(image.pixel(w - 4, h - 4), 0, 0));
        EXPECT_TRUE(Near(image.pixel(near + 1, near + 1), colour, 0));
        EXPECT_TRUE(Near(image.pixel(w - 6, h - 6), colour, 0));
    }
    Dialog().accept();
}
