// The surface viewer's picture: the wedge's colours under the fills, Negative, brightness and
// contrast, and the ruler pair round the image, read off the framebuffer.
#include <QPointF>
#include <algorithm>
#include <cmath>

#include "ViewerKit.h"
#include "view2d/qt/FillCommands.h"

namespace guitest {
namespace {

using namespace color;

TEST_F(Viewer, EveryFillPositiveAndNegativeColoursTheKnownLevelsAsTheTransferDoes) {
    const std::pair<int, const char*> fills[] = {{ID_FILL_GRAY, "gray"},
                                                 {ID_FILL_AMBER, "amber"},
                                                 {ID_FILL_MARINE, "marine"},
                                                 {ID_FILL_FOREST, "forest"}};
    for (const auto& [id, name] : fills)
        for (int negative : {ID_FILL_POSITIVE, ID_FILL_NEGATIVE}) {
            SCOPED_TRACE(name);
            SCOPED_TRACE(negative == ID_FILL_NEGATIVE ? "negative" : "positive");
            ASSERT_TRUE(Run(id));
            ASSERT_TRUE(Run(negative));
            const CPicture screen = Screen();
            EXPECT_EQ(WrongSteps(screen), std::vector<int>());
            Keep(screen.Image(),
                 QStringLiteral("fill-%1%2")
                     .arg(QLatin1String(name))
                     .arg(negative == ID_FILL_NEGATIVE ? QStringLiteral("-negative") : QString()));
        }
    // Gray's ends, as numbers: positive black to white, negative the other way.
    const QPointF first = WedgeCentre(View(), 0), last = WedgeCentre(View(), kWedgeSteps - 1);
    ASSERT_TRUE(Run(ID_FILL_GRAY));
    CPicture screen = Screen();
    EXPECT_EQ(screen.At(first.x(), first.y()) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(screen.At(last.x(), last.y()) & 0xFFFFFF, 0x000000u);
    ASSERT_TRUE(Run(ID_FILL_POSITIVE));
    screen = Screen();
    EXPECT_EQ(screen.At(first.x(), first.y()) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(screen.At(last.x(), last.y()) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(Viewer, ContrastAndBrightnessStepsRecolourTheImage) {
    ASSERT_TRUE(Run(ID_FILL_AMBER));
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(Run(ID_CONTRAST_UP));
    ASSERT_EQ(View().Attenuator().Contrast(), 30);
    CPicture screen = Screen();
    EXPECT_EQ(WrongSteps(screen), std::vector<int>());
    Keep(screen.Image(), QStringLiteral("contrast-plus-30-amber"));
    // Raised contrast sends the wedge's ends to the ends of the table.
    const QPointF low = WedgeCentre(View(), 2), high = WedgeCentre(View(), kWedgeSteps - 3);
    EXPECT_EQ(screen.At(low.x(), low.y()) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(screen.At(high.x(), high.y()) & 0xFFFFFF, 0xFFFFFFu);

    for (int i = 0; i < 15; ++i)
        ASSERT_TRUE(Run(ID_BRIGHTNESS_DOWN));
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(Run(ID_CONTRAST_DOWN));
    screen = Screen();
    EXPECT_EQ(WrongSteps(screen), std::vector<int>());
    Keep(screen.Image(), QStringLiteral("contrast-minus-20-brightness-minus-15-amber"));
}

std::vector<std::string> Labels(const rulers::ruler& r) {
    std::vector<std::string> labels;
    for (const rulers::CTick& tick : r.ticks())
        if (tick.text[0])
            labels.push_back(tick.text);
    return labels;
}

// The 5 um x 2.5 um surface, between 500 and 1000 pixels wide: a label every 0.5 um along both edges,
// a tick every 0.05 um.
TEST_F(Viewer, TheRulersLabelTheSurfacesSizeWithTicksOnTheirPixels) {
    const CPicture screen = Screen();
    Keep(screen.Image(), QStringLiteral("rulers-upper-left"));
    const QRectF image = View().ImageRect();
    ASSERT_GT(image.width(), 500);
    ASSERT_LE(image.width(), 1000);
    const auto& horz = View().Rulers().horz();
    const auto& vert = View().Rulers().vert();
    EXPECT_EQ(Labels(horz), (std::vector<std::string>{"0", "0.5", "1.0", "1.5", "2.0", "2.5", "3.0", "3.5",
                                                      "4.0", "4.5", "5.0"}));
    EXPECT_EQ(Labels(vert), (std::vector<std::string>{"0", "0.5", "1.0", "1.5", "2.0", "2.5"}));

    // The first pixel of every tick, 2 pixels off the image: above it, and left of it from the top.
    const int top = static_cast<int>(std::lround(image.y() + image.height()));
    const int left = static_cast<int>(std::lround(image.x()));
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

TEST_F(Viewer, CentredAndLowerZeroesMoveTheRulers) {
    ASSERT_TRUE(Run(ID_RULERS_CENTRE));
    CPicture screen = Screen();
    Keep(screen.Image(), QStringLiteral("rulers-by-centre"));
    const auto labels = Labels(View().Rulers().horz());
    EXPECT_EQ(labels.front(), "0");
    EXPECT_TRUE(std::find(labels.begin(), labels.end(), "-2.5") != labels.end());
    EXPECT_TRUE(std::find(labels.begin(), labels.end(), "2.5") != labels.end());

    ASSERT_TRUE(Run(ID_RULERS_LOWER));
    screen = Screen();
    Keep(screen.Image(), QStringLiteral("rulers-lower-left"));
    // The horizontal ruler now hangs below the image, with the first tick pixel 2 below its edge.
    const QRectF image = View().ImageRect();
    const int bottom = static_cast<int>(std::lround(image.y()));
    EXPECT_EQ(screen.Row(bottom - 3, static_cast<int>(image.x()), screen.Width() - 1).size(), 101u);
    EXPECT_TRUE(screen.Row(static_cast<int>(image.y() + image.height()) + 2, 40, screen.Width() - 1).empty());
}

// A span that no step fits, or an axis too short for a step, leaves that ruler empty and the paint
// goes on.
TEST_F(Viewer, ARulerThatCannotBeBuiltIsLeftEmptyAndThePaintGoesOn) {
    doc::CDataDoc flat = MakeSurface();
    flat.width = ph::Size(0.0, "\xb5m");
    View().SetSurface(flat);
    const CPicture screen = Screen();
    EXPECT_TRUE(View().Rulers().horz().ticks().empty());
    EXPECT_FALSE(View().Rulers().vert().ticks().empty());
    const QRectF image = View().ImageRect();
    const int top = static_cast<int>(std::lround(image.y() + image.height()));
    EXPECT_TRUE(screen.Row(top + 2, 40, screen.Width() - 1).empty());
    EXPECT_FALSE(screen.Column(static_cast<int>(image.x()) - 3, 0, top).empty());

    // A strip a hundred times as wide as high: its height is below 40 pixels.
    doc::CDataDoc strip = MakeSurface();
    strip.height = ph::Size(50.0, "nm");
    View().SetSurface(strip);
    Keep(Screen().Image(), QStringLiteral("rulers-axis-too-short"));
    EXPECT_LT(View().ImageRect().height(), 40);
    EXPECT_TRUE(View().Rulers().vert().ticks().empty());
    EXPECT_FALSE(View().Rulers().horz().ticks().empty());
}

} // namespace
} // namespace guitest
