// The bitmap fonts: which lists exist, the width tables, and the text they draw.
#include <QOpenGLContext>
#include <gtest/gtest.h>

#include "ViewKit.h"
#include "view3d/qt/glFont.h"

namespace {

using viewtest::CTextView;

class glFont : public ::testing::Test {
protected:
    void SetUp() override { viewtest::Show(view, 200, 60); }
    CTextView view;
};

TEST_F(glFont, ListsExistForTheFontsCharactersAndNoOthers) {
    view.GetGLWidget()->makeCurrent();
    std::vector<unsigned> expected;
    for (unsigned c = 32; c <= 122; ++c)
        expected.push_back(c);
    for (unsigned c : {176u, 181u, 197u, 8486u, 8710u})
        expected.push_back(c);
    for (unsigned c : expected)
        EXPECT_TRUE(glIsList(1000 + c)) << c;
    for (unsigned c : {31u, 123u, 175u, 177u, 180u, 182u, 196u, 198u, 8485u, 8487u, 8709u, 8711u})
        EXPECT_FALSE(glIsList(1000 + c)) << c;
    view.GetGLWidget()->doneCurrent();
}

TEST_F(glFont, TextWidthIsTheSumOfTheTableOfTheTarget) {
    const std::wstring text = L"\u00c55 \u00b5m \u2126\u2206\u00b0";
    int sum = 0;
    for (wchar_t c : text) {
        EXPECT_GT(gl::CharWidth(c, false), 0) << int(c);
        sum += gl::CharWidth(c, false);
    }
    EXPECT_EQ(view.TextWidth(text), sum);
    EXPECT_EQ(gl::CharWidth(U'{', false), 0) << "no font has it";
    EXPECT_EQ(view.TextWidth(L"a{b"), gl::CharWidth(U'a', false) + gl::CharWidth(U'b', false));

    // The printer fonts are three times the size.
    view.GetGLWidget()->doneCurrent();
    ASSERT_TRUE(view.CreatePrinterTextFont());
    ASSERT_TRUE(view.CreatePrinterSymbolFont());
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);
    for (char32_t c : {U'M', U'i', U'\u2126'}) {
        const double ratio = double(gl::CharWidth(c, true)) / gl::CharWidth(c, false);
        EXPECT_GT(ratio, 2.4) << int(c);
        EXPECT_LT(ratio, 3.6) << int(c);
    }
    ASSERT_TRUE(view.CreateTextFont());
    ASSERT_TRUE(view.CreateSymbolFont());
}

TEST_F(glFont, DrawnTextAdvancesByTheTableAndStandsOnTheRasterPosition) {
    const QImage screen = viewtest::Screen(view);
    const QRect ink = viewtest::Ink(screen);
    const int width = view.TextWidth(view.text);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.left(), 10, 2);
    EXPECT_GE(ink.width(), width - gl::CharWidth(U'H', false));
    EXPECT_LE(ink.width(), width);
    // A cap height of 8 points at 96 dpi, on the baseline 10 pixels up.
    EXPECT_GE(ink.height(), 6);
    EXPECT_LE(ink.height(), 10);
    EXPECT_NEAR(ink.bottom(), screen.height() - 1 - 10, 1);
}

} // namespace
