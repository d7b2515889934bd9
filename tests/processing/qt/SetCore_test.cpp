// "Setting of Core" on the screen: its starting values, the "Center" coupling, what it refuses,
// OK and Cancel, its memory between showings, and the documents' custom commands asking through it.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include "framework/fwMessage.h"
#include "model/SurfaceCommands.h"
#include "model/VantriDoc.h"
#include "processing/qt/SetCore.h"
#include "processing/qt/SetCorePrompt.h"

using doc::CKernelDialogValues;
using doc::CSetCore;

namespace {

class SetCore : public ::testing::Test {
protected:
    void SetUp() override { Open(); }
    void TearDown() override {
        if (dialog.isVisible())
            dialog.reject();
    }

    void Open() {
        dialog.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    // Replaces a box's text as a user would: select it all and type.
    // Waits up to a second for the widget to have the focus: on a loaded machine the window system
    // activates the dialog a little after it is shown.
    static bool Focused(QWidget* widget) {
        for (int k = 0; k < 100 && !widget->hasFocus(); ++k)
            QTest::qWait(10);
        return widget->hasFocus();
    }
    static void Type(QSpinBox* spin, const char* text) {
        spin->activateWindow();
        spin->setFocus();
        Focused(spin);
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, QString::fromLatin1(text));
    }
    static void ExpectValues(const CKernelDialogValues& v, int w, int h, int ax, int ay, bool center) {
        EXPECT_EQ(v.width, w);
        EXPECT_EQ(v.height, h);
        EXPECT_EQ(v.anchorX, ax);
        EXPECT_EQ(v.anchorY, ay);
        EXPECT_EQ(v.center, center);
    }
    void Uncenter() {
        QTest::mouseClick(dialog.CenterBox(), Qt::LeftButton);
        ASSERT_FALSE(dialog.CenterBox()->isChecked());
    }

    fw::CMessageRecorder recorder;
    fw::CScopedMessages scoped{recorder};
    CSetCore dialog;
};

} // namespace

TEST_F(SetCore, OpensWithACentredThreeByThreeKernel) {
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Setting of Core"));
    EXPECT_EQ(dialog.WidthSpin()->value(), 3);
    EXPECT_EQ(dialog.HeightSpin()->value(), 3);
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 1);
    EXPECT_EQ(dialog.AnchorYSpin()->value(), 1);
    EXPECT_TRUE(dialog.CenterBox()->isChecked());
    EXPECT_FALSE(dialog.AnchorXSpin()->isEnabled());
    EXPECT_FALSE(dialog.AnchorYSpin()->isEnabled());
    for (QSpinBox* size : {dialog.WidthSpin(), dialog.HeightSpin()}) {
        EXPECT_EQ(size->minimum(), 1);
        EXPECT_EQ(size->maximum(), 256);
    }
    EXPECT_EQ(dialog.AnchorXSpin()->minimum(), 0);
    EXPECT_EQ(dialog.AnchorXSpin()->maximum(), 2);
    EXPECT_EQ(dialog.AnchorYSpin()->maximum(), 2);
}

TEST_F(SetCore, CenterKeepsTheAnchorInTheMiddleOfTheKernel) {
    Type(dialog.WidthSpin(), "7");
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 3);
    EXPECT_EQ(dialog.AnchorYSpin()->value(), 1);
    Type(dialog.HeightSpin(), "4");
    EXPECT_EQ(dialog.AnchorYSpin()->value(), 2);
    // Every keystroke counts: "12" passes through 1 on its way.
    Type(dialog.WidthSpin(), "12");
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 6);
    QTest::keyClick(dialog.WidthSpin(), Qt::Key_Up);
    EXPECT_EQ(dialog.WidthSpin()->value(), 13);
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 6);
    QTest::keyClick(dialog.WidthSpin(), Qt::Key_Up);
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 7);
}

TEST_F(SetCore, UncheckedCenterLetsTheAnchorBeTypedWithinTheKernel) {
    Uncenter();
    EXPECT_TRUE(dialog.AnchorXSpin()->isEnabled());
    EXPECT_TRUE(dialog.AnchorYSpin()->isEnabled());
    Type(dialog.WidthSpin(), "7");
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 1); // no longer follows the width
    EXPECT_EQ(dialog.AnchorXSpin()->maximum(), 6);
    Type(dialog.AnchorXSpin(), "5");
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 5);
    Type(dialog.AnchorYSpin(), "0");
    EXPECT_EQ(dialog.AnchorYSpin()->value(), 0);
    // A digit that would put the anchor outside the kernel is not taken.
    Type(dialog.AnchorXSpin(), "9");
    EXPECT_NE(dialog.AnchorXSpin()->text(), QStringLiteral("9"));
    Type(dialog.AnchorXSpin(), "6");
    // A narrower kernel pulls the anchor in with it.
    Type(dialog.WidthSpin(), "4");
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 3);
    // Checking "Center" again centres the anchor and locks it.
    QTest::mouseClick(dialog.CenterBox(), Qt::LeftButton);
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 2);
    EXPECT_EQ(dialog.AnchorYSpin()->value(), 1);
    EXPECT_FALSE(dialog.AnchorXSpin()->isEnabled());
}

TEST_F(SetCore, RefusesWhatIsNotAnIntegerInRange) {
    // Letters, signs and sizes beyond 256 cannot be typed at all.
    Type(dialog.WidthSpin(), "x-.");
    EXPECT_TRUE(dialog.WidthSpin()->text().isEmpty());
    Type(dialog.WidthSpin(), "300");
    EXPECT_EQ(dialog.WidthSpin()->text(), QStringLiteral("30"));
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 15);

    // A width of 0 or none at all reaches OK only to be refused, with the dialog left open.
    Type(dialog.WidthSpin(), "0");
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    Type(dialog.WidthSpin(), "");
    QTest::keyClick(dialog.WidthSpin(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(recorder.Texts(), (std::vector<std::wstring>{L"Please enter an integer between 1 and 256.",
                                                           L"Please enter an integer."}));
    EXPECT_TRUE(Focused(dialog.WidthSpin()));

    // Leaving a box puts its last value back.
    Type(dialog.HeightSpin(), "5");
    EXPECT_EQ(dialog.WidthSpin()->text(), QStringLiteral("30"));
    QTest::keyClick(dialog.HeightSpin(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(recorder.boxes.size(), 2u);
    ExpectValues(dialog.Values(), 30, 5, 15, 2, true);
}

TEST_F(SetCore, OkKeepsTheChoiceAndCancelForgetsIt) {
    Uncenter();
    Type(dialog.WidthSpin(), "5");
    Type(dialog.AnchorXSpin(), "0");
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ExpectValues(dialog.Values(), 5, 3, 0, 1, false);

    // The next showing starts from the choice.
    Open();
    EXPECT_EQ(dialog.WidthSpin()->value(), 5);
    EXPECT_EQ(dialog.AnchorXSpin()->value(), 0);
    EXPECT_FALSE(dialog.CenterBox()->isChecked());
    EXPECT_TRUE(dialog.AnchorXSpin()->isEnabled());
    EXPECT_EQ(dialog.AnchorXSpin()->maximum(), 4);

    Type(dialog.WidthSpin(), "9");
    Type(dialog.HeightSpin(), "9");
    QTest::mouseClick(dialog.CenterBox(), Qt::LeftButton);
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    ExpectValues(dialog.Values(), 5, 3, 0, 1, false);
    Open();
    EXPECT_EQ(dialog.WidthSpin()->value(), 5);
    EXPECT_EQ(dialog.HeightSpin()->value(), 3);
    EXPECT_FALSE(dialog.CenterBox()->isChecked());
}

TEST(SetCorePrompt, CustomCommandsOfADocumentApplyOnlyWhenConfirmed) {
    doc::CVantriDoc document;
    doc::CSetCorePrompt prompt;
    doc::IKernelPrompt* previous = doc::SetKernelPrompt(&prompt);

    // Cancelled: neither the filter nor the dialog's memory changes.
    int shown = 0;
    prompt.onShown = [&](CSetCore& d) {
        ++shown;
        EXPECT_TRUE(d.isVisible());
        d.WidthSpin()->setValue(9);
        QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    };
    EXPECT_TRUE(document.OnCommand(doc::ID_FILTER_MEAN_CUSTOM));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(document.m_filter.type, doc::FilterType::None);
    EXPECT_EQ(document.m_filter.dialog.width, 3);
    EXPECT_FALSE(document.IsModified());

    // Confirmed: a 5 x 3 median anchored in its middle.
    prompt.onShown = [&](CSetCore& d) {
        ++shown;
        EXPECT_EQ(d.WidthSpin()->value(), 3);
        d.WidthSpin()->setValue(5);
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
    };
    EXPECT_TRUE(document.OnCommand(doc::ID_FILTER_MEDIAN_CUSTOM));
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(document.m_filter.type, doc::FilterType::MedianCustom);
    EXPECT_EQ(document.m_filter.kernel.width, 5);
    EXPECT_EQ(document.m_filter.kernel.height, 3);
    EXPECT_EQ(document.m_filter.kernel.anchorX, 2);
    EXPECT_EQ(document.m_filter.kernel.anchorY, 1);
    EXPECT_EQ(document.m_filter.dialog.width, 5);
    EXPECT_TRUE(document.IsModified());

    doc::SetKernelPrompt(previous);
}
