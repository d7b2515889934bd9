// The profile's numbers: sampling along a line, the extremes, the markers and the panes' readings.
#include <gtest/gtest.h>

#include <vector>

#include "view2d/Profile.h"

namespace {

using prof::ProfileModel;

// A surface of nx x ny cells whose height is column / nx + row / (8 ny), 10 µm wide and 1 µm high.
doc::CDataDoc Ramp(int nx, int ny) {
    doc::CDataDoc s;
    s.columns = nx;
    s.rows = ny;
    s.heights.resize(std::size_t(nx) * ny);
    for (int i = 0; i < ny; ++i)
        for (int j = 0; j < nx; ++j)
            s.heights[std::size_t(j + i * nx)] = float(j) / nx + float(i) / (8.0f * ny);
    s.width = ph::Size(10.0, L"\u00B5m");
    s.height = ph::Size(10.0, L"\u00B5m");
    s.range = ph::Size(1.0, L"\u00B5m");
    return s;
}

ProfileModel Profile(const doc::CDataDoc& s, float x0, float y0, float x1, float y1, int width = 565,
                     int height = 365) {
    ProfileModel m;
    m.SetClient(width, height);
    m.SetStart(x0, y0);
    m.Resample(x1, y1, s);
    return m;
}

TEST(Profile, SamplesOnePointAPlotPixelWithMarkersAtTheThirds) {
    const doc::CDataDoc s = Ramp(100, 50);
    const ProfileModel m = Profile(s, -50, 0, 50, 0, 260);
    ASSERT_EQ(m.samples.size(), 201u);
    EXPECT_DOUBLE_EQ(m.length, 100.0);
    EXPECT_DOUBLE_EQ(m.Spacing(), 0.5);
    EXPECT_FLOAT_EQ(m.samples.back().distance, 100.0f);
    EXPECT_FLOAT_EQ(m.marker1, 66 * 0.5f);
    EXPECT_FLOAT_EQ(m.marker2, 133 * 0.5f);
    // The ramp rises left to right: the lowest is the first sample, the highest the first that reaches
    // the last column.
    EXPECT_DOUBLE_EQ(m.minimumAt, 0.0);
    EXPECT_DOUBLE_EQ(m.maximumAt, 99.0);
    // Normalised, the plot spans the lowest to the highest sample and a margin above.
    EXPECT_FLOAT_EQ(m.yMin, float(m.minimum));
    EXPECT_GT(m.yMax, float(m.maximum));
    EXPECT_LT(m.yMax, float(m.maximum) + 0.01f);

    // A wider window samples more points of the same line; the markers stay where they were.
    ProfileModel wider = m;
    wider.Layout(360, 365, s);
    EXPECT_EQ(wider.samples.size(), 301u);
    EXPECT_FLOAT_EQ(wider.marker1, m.marker1);
}

TEST(Profile, StaircaseKeepsTheLowerHeightOfEachStep) {
    doc::CDataDoc s = Ramp(4, 1);
    s.heights = {0.2f, 0.6f, 0.6f, 0.1f};
    ProfileModel m;
    m.interpolation = false;
    m.SetClient(64, 100); // a plot 4 pixels wide: one sample a cell
    m.SetStart(-2, 0);
    m.Resample(2, 0, s);
    ASSERT_EQ(m.samples.size(), 5u);
    const std::vector<float> stairs = {0, 0.2f, 1, 0.2f, 2, 0.2f, 2, 0.6f, 3, 0.6f, 3, 0.1f, 4, 0.1f};
    EXPECT_EQ(m.polyline, stairs);
}

TEST(Profile, ZeroLengthLine) {
    const doc::CDataDoc s = Ramp(20, 20);
    ProfileModel m = Profile(s, 3, 2, 3, 2);
    EXPECT_EQ(m.length, 0.0);
    EXPECT_EQ(m.Spacing(), 0.0);
    for (const prof::CSample& sample : m.samples) {
        EXPECT_EQ(sample.distance, 0.0f);
        EXPECT_EQ(sample.height, m.samples.front().height);
    }
    // Every reading is a number: nothing divides by the length.
    for (const std::wstring& pane : m.Panes(s))
        EXPECT_EQ(pane.find(L"nan"), std::wstring::npos) << pane;
    m.cut = false;
    for (const std::wstring& pane : m.Panes(s))
        EXPECT_EQ(pane.find(L"nan"), std::wstring::npos) << pane;
}

TEST(Profile, TheRightEdgeReadsTheLastColumn) {
    const doc::CDataDoc s = Ramp(16, 8);
    for (bool interpolation : {true, false}) {
        ProfileModel m;
        m.interpolation = interpolation;
        m.SetClient(565, 365);
        m.SetStart(8, 4);
        m.Resample(8, -4, s);
        for (const prof::CSample& sample : m.samples)
            EXPECT_NEAR(sample.height, 15.0f / 16, 0.13f) << interpolation;
        // The top row at the right edge is the last column's first cell, in both modes.
        EXPECT_FLOAT_EQ(m.samples.front().height, s.heights[15]) << interpolation;
        EXPECT_FLOAT_EQ(m.samples.back().height, s.heights[15 + 7 * 16]) << interpolation;
    }
}

TEST(Profile, PanesInPhysicalUnits) {
    const doc::CDataDoc s = Ramp(100, 50);
    ProfileModel m = Profile(s, -50, 0, 50, 0, 260);
    std::vector<std::wstring> panes = m.Panes(s);
    ASSERT_EQ(panes.size(), 12u);
    EXPECT_EQ(panes[0], L" X1:");
    EXPECT_EQ(panes[1], L"3.300 \u00B5m"); // 33 cells of 0.1 µm
    EXPECT_EQ(panes[5], L"6.650 \u00B5m");
    EXPECT_EQ(panes[9], L"3.350 \u00B5m");

    m.cut = false;
    panes = m.Panes(s);
    ASSERT_EQ(panes.size(), 14u);
    // Normalised, the minimum reads 0 and the maximum the whole rise.
    EXPECT_EQ(panes[4].rfind(L"0", 0), 0u) << panes[4];
    EXPECT_DOUBLE_EQ(m.Height(m.minimum, s).value(), 0.0);
    ph::Size rise = s.range * (m.maximum - m.minimum);
    EXPECT_EQ(panes[13], std::wstring(rise.str(4)));
    EXPECT_EQ(panes[11], L"9.900 \u00B5m");
    m.normalize = false;
    EXPECT_NE(m.Height(m.minimum, s).value(), 0.0);

    // A flat zero surface leaves the maximum at 0, at distance 0.
    doc::CDataDoc zero = s;
    std::fill(zero.heights.begin(), zero.heights.end(), 0.0f);
    const ProfileModel flat = Profile(zero, -50, 10, 50, -10);
    EXPECT_EQ(flat.maximum, 0.0);
    EXPECT_EQ(flat.maximumAt, 0.0);
}

TEST(Profile, MarkersStopOneSpacingShortOfTheEnd) {
    const doc::CDataDoc s = Ramp(100, 50);
    ProfileModel m = Profile(s, -50, 0, 50, 0, 260);
    m.SetMarker(2, 1e6);
    EXPECT_FLOAT_EQ(m.marker2, 99.5f);
    m.SetMarker(1, -3);
    EXPECT_EQ(m.marker1, 0.0f);
    // Picking: within two pixels of one marker's line, none between them, none where both lie.
    m.SetMarker(1, 25.0); // 50 pixels into the plot of 200
    EXPECT_EQ(m.Pick(36 + 50 + 2, 100), 1);
    EXPECT_EQ(m.Pick(36 + 199, 30), 2);
    EXPECT_EQ(m.Pick(36 + 50 + 3, 100), 0);
    EXPECT_DOUBLE_EQ(m.DistanceAtPixel(36 + 50), 25.0);
    m.SetMarker(2, 25.2);
    EXPECT_EQ(m.Pick(36 + 50, 100), 0);
    m.SetMarker(2, 1e6);
    m.SetMarker(1, -3);
    // Re-sampling keeps markers that are set.
    m.ReSample(s);
    EXPECT_FLOAT_EQ(m.marker2, 99.5f);
    EXPECT_EQ(m.marker1, 0.0f);
}

TEST(Profile, TableInPhysicalUnits) {
    const doc::CDataDoc s = Ramp(4, 1);
    ProfileModel m;
    m.interpolation = false;
    m.normalize = false;
    m.SetClient(62, 100); // two samples a line of 2 cells
    m.SetStart(-2, 0);
    m.Resample(0, 0, s);
    EXPECT_EQ(m.Table(s, '\t'), "distance (\u00B5m)\theight (\u00B5m)\n0\t0\n2.5\t0\n5\t0.25\n");
}

} // namespace
