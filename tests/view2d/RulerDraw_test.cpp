#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "view2d/Ruler2D.h"
#include "view2d/RulerHorz.h"
#include "view2d/RulerVR.h"
#include "view2d/RulerVert.h"

using ph::Size;
using rulers::CArea;

namespace {

// Keeps what a ruler draws; every character is 6 pixels wide.
struct Recorder : rulers::IPainter {
    struct Segment {
        float x0, y0, x1, y1;
    };
    struct Label {
        float x, y;
    };
    void Line(float x0, float y0, float x1, float y1) override { lines.push_back({x0, y0, x1, y1}); }
    void Text(float x, float y, const char* text) override { labels.emplace_back(text, Label{x, y}); }
    float TextWidth(const char* text) override { return 6.0f * static_cast<float>(std::strlen(text)); }
    void UnitText(float x, float y, const wchar_t* text) override {
        units.push_back(text);
        unitAt = {x, y};
    }
    Label At(const std::string& text) const {
        for (const auto& label : labels)
            if (label.first == text)
                return label.second;
        ADD_FAILURE() << "no label " << text;
        return {};
    }
    std::vector<Segment> lines;
    std::vector<std::pair<std::string, Label>> labels;
    std::vector<std::wstring> units;
    rulers::CPoint unitAt;
};

template <class R> Recorder Drawn(const R& r, bool print = false) {
    Recorder p;
    r.draw(print, p);
    return p;
}

const CArea kArea = {36.0f, 12.0f, 400.0f, 300.0f}; // image area of a 448 x 336 view, top at 312

} // namespace

TEST(RulerDraw, HorizontalTicksLeaveTheImageEdgeWithCentredLabels) {
    rulers::CHorz r;
    r.set_area(kArea);
    ASSERT_TRUE(r.set_range(Size(0.0, "V"), Size(10.0, "V"), 400.0f));
    const Recorder above = Drawn(r);
    ASSERT_EQ(above.lines.size(), 51u);          // the tick that ends the axis too
    EXPECT_FLOAT_EQ(above.lines[10].x0, 116.0f); // "2", 80 pixels in
    EXPECT_FLOAT_EQ(above.lines[10].y0, 314.0f);
    EXPECT_FLOAT_EQ(above.lines[10].y1, 320.0f);
    EXPECT_FLOAT_EQ(above.lines[5].y1, 319.0f);
    EXPECT_FLOAT_EQ(above.At("10").x, 436.0f - 6.0f);
    EXPECT_FLOAT_EQ(above.At("10").y, 322.0f);

    r.set_kind(rulers::kLowerLeft);
    const Recorder printed = Drawn(r, true); // below the image, distances tripled
    EXPECT_FLOAT_EQ(printed.lines[10].y0, 6.0f);
    EXPECT_FLOAT_EQ(printed.lines[10].y1, -12.0f);
    EXPECT_FLOAT_EQ(printed.At("2").y, 12.0f - 54.0f);
}

TEST(RulerDraw, OnlyTicksInsideTheAreaAreDrawn) {
    rulers::CHorz r;
    r.set_area({36.0f, 12.0f, 200.0f, 300.0f}); // half the image shows
    ASSERT_TRUE(r.set_range(Size(0.0, "V"), Size(10.0, "V"), 400.0f));
    EXPECT_EQ(Drawn(r).lines.size(), 26u);
    r.set_offset(-100.0f); // scrolled: 2.5 to 7.5 V, a tenth every 8 pixels
    const Recorder scrolled = Drawn(r);
    EXPECT_EQ(scrolled.lines.size(), 25u);
    EXPECT_FLOAT_EQ(scrolled.lines.front().x0, 36.0f + 13 * 8.0f - 100.0f);

    r.set_kind(rulers::kCentreAbove); // zero in the middle of the axis
    r.set_offset(0.0f);
    const Recorder centred = Drawn(r);
    EXPECT_FLOAT_EQ(centred.At("0").x, 36.0f + 200.0f - 3.0f);
    EXPECT_FLOAT_EQ(centred.At("-4").x, 36.0f + 200.0f - 160.0f - 6.0f);
    EXPECT_EQ(centred.labels.size(), 3u); // the positive side lies beyond the area
}

TEST(RulerDraw, VerticalLabelsEndLeftOfTheTicksAndHangBelowThem) {
    rulers::CVert r;
    r.set_area(kArea);
    ASSERT_TRUE(r.set_range(Size(0.0, "V"), Size(6.0, "V"), 300.0f)); // step 1, 50 pixels
    const Recorder down = Drawn(r);
    EXPECT_FLOAT_EQ(down.lines[10].y0, 312.0f - 50.0f);
    EXPECT_FLOAT_EQ(down.lines[10].x1, 28.0f);
    EXPECT_FLOAT_EQ(down.At("1").x, 36.0f - 10.0f - 6.0f);
    EXPECT_FLOAT_EQ(down.At("1").y, 312.0f - 50.0f - 9.0f);
    r.set_kind(rulers::kLowerLeft);
    EXPECT_FLOAT_EQ(Drawn(r).lines[10].y0, 12.0f + 50.0f);
    r.set_kind(rulers::kCentreAbove); // positive values above the middle
    EXPECT_FLOAT_EQ(Drawn(r).At("-1").y, 12.0f + 150.0f - 50.0f - 9.0f);
}

TEST(RulerDraw, HeightBarRulerSitsInTheBarViewWithItsUnit) {
    rulers::CVR r;
    const CArea bar = r.layout(Size(250.0, "nm"), 76.0f, 400.0f, false);
    EXPECT_EQ((std::vector<float>{bar.left, bar.bottom, bar.width, bar.height}),
              (std::vector<float>{36.0f, 12.0f, 28.0f, 364.0f}));
    const Recorder centred = Drawn(r);
    EXPECT_EQ(centred.units, std::vector<std::wstring>{L"nm"});
    EXPECT_FLOAT_EQ(centred.unitAt.x, 16.0f);
    EXPECT_FLOAT_EQ(centred.unitAt.y, 12.0f + 182.0f);
    r.set_placement(rulers::kZeroUpper);
    r.layout(Size(250.0, "nm"), 228.0f, 1200.0f, true);
    const Recorder printed = Drawn(r, true);
    EXPECT_FLOAT_EQ(printed.unitAt.x, 108.0f - 60.0f);
    EXPECT_FLOAT_EQ(printed.unitAt.y, 1200.0f - 72.0f + 36.0f);
}

namespace {
struct CModel {};
} // namespace

TEST(RulerDraw, PairPlacesMarginsOffsetsAndTheCornerUnit) {
    CModel model;
    rulers::T2D<CModel> pair(&model);
    auto margins = [&](bool print) {
        const rulers::CMargins m = pair.margins(print);
        return std::vector<int>{m.left, m.top, m.right, m.bottom};
    };
    EXPECT_EQ(margins(false), (std::vector<int>{36, 24, 12, 12}));
    EXPECT_EQ(margins(true), (std::vector<int>{108, 72, 36, 36}));
    pair.set_placement(rulers::kZeroLower);
    EXPECT_EQ(margins(false), (std::vector<int>{36, 12, 12, 24}));
    EXPECT_EQ(pair.vert().kind(), rulers::kLowerLeft);
    pair.show(false);
    EXPECT_EQ(margins(false), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_TRUE(Drawn(pair).lines.empty());
    pair.show(true);

    pair.reset(Size(10.0, L"\u00B5m"), Size(5.0, L"\u00B5m"), 800.0f, 400.0f, false);
    pair.set_view(448.0f, 336.0f, 200.0f, 50.0f, false);
    EXPECT_EQ(pair.horz().offset(), -200.0f);
    // Counting up from the image's lower edge, which lies 50 pixels under the area.
    EXPECT_EQ(pair.vert().offset(), 300.0f + 50.0f - 400.0f);
    EXPECT_FLOAT_EQ(Drawn(pair).unitAt.y, 24.0f - 18.0f);
    pair.set_placement(rulers::kZeroUpper);
    pair.set_view(448.0f, 336.0f, 200.0f, 50.0f, false);
    EXPECT_EQ(pair.vert().offset(), -50.0f);
    const Recorder upper = Drawn(pair);
    EXPECT_EQ(upper.units, std::vector<std::wstring>{L"\u00B5m"});
    EXPECT_FLOAT_EQ(upper.unitAt.x, 8.0f);
    EXPECT_FLOAT_EQ(upper.unitAt.y, 312.0f + 12.0f);

    // A ruler that no step fits, or too short an axis, stays empty without its unit.
    pair.reset(Size(10.0, "V"), Size(0.0, "V"), 400.0f, 300.0f, false);
    EXPECT_TRUE(pair.vert().ticks().empty());
    EXPECT_TRUE(Drawn(pair).units.empty());
    pair.reset(Size(10.0, "V"), Size(5.0, "V"), 400.0f, 30.0f, false);
    EXPECT_TRUE(pair.vert().ticks().empty());
    EXPECT_FALSE(pair.horz().ticks().empty());
}
