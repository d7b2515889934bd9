// The OpenGL ruler painter: tick pixels and label ink of rulers drawn into a real window, on screen
// and at print size, and the GL state it gives back.
#include "view2d/qt/RulerGL.h"

#include <QImage>
#include <QOpenGLWidget>
#include <functional>
#include <gtest/gtest.h>
#include <qopengl.h>
#include <vector>

#include "RulerGLPixels.h"
#include "view2d/RulerHorz.h"
#include "view2d/RulerVert.h"
#include "view3d/qt/ViewKit.h"
#include "view3d/qt/glContext.h"
#include "view3d/qt/glFont.h"

namespace {

using gltest::Columns;
using gltest::CPixels;

// Clears to white and runs paint with a painter over the whole client.
class CRulerView : public gl::CglView {
public:
    doc::CDataDoc surface;
    bool print = false;
    std::function<void(rulers::IPainter&)> paint;

    doc::CDataDoc* GetSurface() override { return &surface; }
    void InitGL() override {
        gl::CglView::InitGL();
        CreateTextFont();
        CreateSymbolFont();
    }
    void DrawScene() override {
        if (print)
            CreatePrinterTextFont();
        glClearColor(1, 1, 1, 1);
        gl::CglView::DrawScene();
        rulers::CGLPainter painter(0, 0, GetClientWidth(), GetClientHeight(), print);
        if (paint)
            paint(painter);
    }
};

Columns Every(int first, int step, int count) {
    Columns c;
    for (int k = 0; k < count; ++k)
        c.insert(first + k * step);
    return c;
}

// Ticks every `step` pixels from `origin`, every tenth labelled and long, the fifth between longer:
// `across(d)` gives the dark pixels d pixels into the band, counting from the first tick pixel.
void ExpectTicks(const std::function<Columns(int)>& across, int origin, int step, int count) {
    Columns all, longer, labelled;
    for (int k = 0; k < count; ++k) {
        all.insert(origin + k * step);
        if (k % 5 == 0)
            longer.insert(origin + k * step);
        if (k % 10 == 0)
            labelled.insert(origin + k * step);
    }
    EXPECT_EQ(across(0), all);
    EXPECT_EQ(across(2), all) << "3 pixels long";
    EXPECT_EQ(across(3), longer) << "5 pixels long";
    EXPECT_EQ(across(4), longer);
    EXPECT_EQ(across(5), labelled) << "6 pixels long";
    for (int depth : {-2, -1, 6})
        EXPECT_TRUE(across(depth).empty()) << depth;
}

class RulerGL : public ::testing::Test {
protected:
    CPixels Draw() { return CPixels(viewtest::Screen(view)); }
    CRulerView view;
};

// 0..5 µm over 400 pixels: a tick every 8 pixels, labels 0..5 every 80; 0..2.5 µm over 250 pixels down
// the left edge: a tick every 10 pixels, labels 0, 1, 2.
TEST_F(RulerGL, TicksFillTheirPixelsAndLabelsSitOnTheirTicks) {
    viewtest::Show(view, 500, 300);
    const rulers::CArea area{36, 12, 400, 250}; // top edge at 262
    rulers::CHorz horz;
    rulers::CVert vert;
    horz.set_area(area);
    vert.set_area(area);
    ASSERT_TRUE(horz.reset(ph::Size(5, "\xb5m"), 400, false));
    ASSERT_TRUE(vert.reset(ph::Size(2.5, "\xb5m"), 250, false));
    view.paint = [&](rulers::IPainter& p) {
        horz.draw(false, p);
        vert.draw(false, p);
    };
    const CPixels px = Draw();

    // Above the image: ticks from 2 pixels off the edge, 3, 5 or 6 pixels long.
    ExpectTicks([&](int depth) { return px.Row(264 + depth, 36, 499); }, 36, 8, 51);
    // One label a labelled tick, centred on it, as wide as the font says.
    const auto labels = px.Clusters(271, 290);
    ASSERT_EQ(labels.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const char text[2] = {char('0' + i), 0};
        const float centre = (labels[i].first + labels[i].second + 1) * 0.5f;
        EXPECT_NEAR(centre, 36 + 80 * i, 2.0f) << text;
        EXPECT_LE(labels[i].second - labels[i].first + 1, gl::CharWidth(text[0], false)) << text;
    }

    // Left of the image, from the top edge down: ticks leftwards from 2 pixels off the edge.
    ExpectTicks([&](int depth) { return px.Column(33 - depth, 0, 270); }, 262, -10, 26);
    // Labels end 10 pixels left of the edge and hang below their tick.
    for (int tick : {262, 162, 62}) {
        SCOPED_TRACE(tick);
        int ink = 0, right = -1;
        for (int y = tick - 12; y <= tick + 2; ++y)
            for (int x = 0; x < 28; ++x)
                if (px.Dark(x, y)) {
                    ++ink;
                    right = std::max(right, x);
                }
        EXPECT_GT(ink, 3);
        EXPECT_LE(right, 26);
        EXPECT_GE(right, 20);
    }
}

// Printing triples everything: distances, tick lengths, line widths and the font.
TEST_F(RulerGL, PrintingDrawsThreeTimesAsLarge) {
    viewtest::Show(view, 1400, 300);
    view.print = true;
    const rulers::CArea area{108, 36, 1200, 150}; // top edge at 186
    rulers::CHorz horz;
    horz.set_area(area);
    ASSERT_TRUE(horz.reset(ph::Size(5, "\xb5m"), 1200, true));
    ASSERT_FLOAT_EQ(horz.step(), 1.0f) << "labels 240 pixels apart";
    view.paint = [&](rulers::IPainter& p) { horz.draw(true, p); };
    const CPixels px = Draw();

    Columns ticks;
    for (int x : Every(108, 24, 51))
        ticks.insert({x - 1, x, x + 1});
    EXPECT_EQ(px.Row(192, 0, 1399), ticks) << "3 pixels wide, from 6 pixels off the edge";
    Columns majors;
    for (int x : Every(108, 240, 6))
        majors.insert({x - 1, x, x + 1});
    EXPECT_EQ(px.Row(209, 0, 1399), majors) << "18 pixels long";
    EXPECT_TRUE(px.Row(210, 112, 1399).empty());
    EXPECT_TRUE(px.Row(191, 112, 1399).empty());

    const auto labels = px.Clusters(212, 299, 8);
    ASSERT_EQ(labels.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const float centre = (labels[i].first + labels[i].second + 1) * 0.5f;
        EXPECT_NEAR(centre, 108 + 240 * i, 4.0f);
        const int width = labels[i].second - labels[i].first + 1;
        EXPECT_GE(width, 2 * gl::CharWidth('0' + i, false)) << "printer glyphs";
        EXPECT_LE(width, gl::CharWidth('0' + i, true));
    }
}

// A text whose start lies left of the window shows the part that is in it; unit texts reach beyond
// 8 bits.
TEST_F(RulerGL, TextsThatStickOutAreCutNotDroppedAndUnitsReachBeyond8Bits) {
    viewtest::Show(view, 200, 100);
    const int width = 3 * gl::CharWidth('8', false), shift = width / 2;
    view.paint = [&](rulers::IPainter& p) {
        EXPECT_EQ(p.TextWidth("888"), static_cast<float>(width));
        p.Text(40.0f, 70.0f, "888");
        p.Text(static_cast<float>(-shift), 45.0f, "888");
        p.UnitText(60.0f, 15.0f, L"\u00b5m");
        p.UnitText(120.0f, 15.0f, L"\u2126");
    };
    const CPixels px = Draw();
    Columns whole, cut;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 20; ++y) {
            if (px.Dark(x, 65 + y))
                whole.insert(x - 40);
            if (px.Dark(x, 40 + y))
                cut.insert(x + shift);
        }
    Columns expected;
    for (int x : whole)
        if (x >= shift)
            expected.insert(x);
    EXPECT_FALSE(cut.empty());
    EXPECT_EQ(cut, expected);
    const auto units = px.Clusters(10, 30, 6);
    ASSERT_EQ(units.size(), 2u);
    EXPECT_NEAR(units[0].first, 60, 2);
    EXPECT_NEAR(units[1].first, 120, 2);
}

TEST_F(RulerGL, ThePainterGivesTheStateBack) {
    viewtest::Show(view, 200, 100);
    gl::CCurrentContext current(view.GetGLWidget());
    ASSERT_TRUE(current);
    glViewport(3, 4, 50, 60);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(7, 0, 0);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 0, 0);
    glLineWidth(2);
    GLint viewport[4];
    GLfloat projection[16], modelview[16], colour[4], width;
    auto read = [&] {
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        glGetFloatv(GL_CURRENT_COLOR, colour);
        glGetFloatv(GL_LINE_WIDTH, &width);
        return std::vector<float>{
            float(viewport[0]), float(viewport[1]), float(viewport[2]), float(viewport[3]), projection[0],
            projection[5],      modelview[12],      colour[0],          colour[1],          width};
    };
    const std::vector<float> before = read();
    {
        rulers::CGLPainter painter(0, 0, 200, 100, true);
        painter.Line(0, 0, 10, 10);
        painter.Text(5, 5, "1");
    }
    EXPECT_EQ(read(), before);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDisable(GL_TEXTURE_2D);
}

} // namespace
