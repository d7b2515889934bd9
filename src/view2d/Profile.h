#pragma once
// The numbers of a profile window: the heights of a surface along a straight line drawn on an image,
// sampled once per pixel of the plot, their lowest and highest points, the two markers of the cut
// sector, the staircase the plot draws, the data bounds it is projected onto and the status panes'
// readings in physical units.
//
// Line points are in the image's model space: for a grid of nx columns and ny rows, x runs from -nx/2
// to nx/2 left to right and y from ny/2 (row 0) down to -ny/2, one unit a cell.
#include <cfloat>
#include <string>
#include <vector>

#include "model/DataDoc.h"
#include "model/phSize.h"

namespace prof {

struct CPointF {
    float x = 0.0f;
    float y = 0.0f;
};

// A sample: its distance along the line (grid units) and its height (0..1).
struct CSample {
    float distance = 0.0f;
    float height = 0.0f;
};

// The plot's rectangle in the view, origin lower left.
struct CPlotRect {
    int left = 0, bottom = 0, width = 0, height = 0;
};

class ProfileModel {
public:
    static constexpr int kLeft = 36, kRight = 24, kBottom = 24, kTop = 24;

    bool cut = true;
    bool normalize = true;
    bool interpolation = true;

    // The start, then one point a plot pixel up to the end.
    std::vector<CPointF> points;
    std::vector<CSample> samples;
    // The staircase: x, y pairs.
    std::vector<float> polyline;
    double minimum = FLT_MAX, minimumAt = 0.0;
    double maximum = 0.0, maximumAt = 0.0;
    float marker1 = 0.0f, marker2 = 0.0f;
    double length = 0.0;
    CPlotRect plot;
    int clientWidth = 0, clientHeight = 0;
    float xMin = 0.0f, xMax = 1.0f, yMin = 0.0f, yMax = 1.0f;

    // The plot for a client of width x height pixels.
    void SetClient(int width, int height);
    // The line's start as its only point.
    void SetStart(float x, float y);
    // Samples the line from its start to (x1, y1) on the surface: points, samples, minimum and maximum,
    // markers at the thirds while both are 0, the staircase and the data bounds.
    void Resample(float x1, float y1, const doc::CDataDoc& surface);
    // Samples the same line again (a changed surface, plot or setting); nothing with fewer than 3 points.
    void ReSample(const doc::CDataDoc& surface);
    // The client's new size, then the line sampled again for it.
    void Layout(int width, int height, const doc::CDataDoc& surface);

    // The spacing of the samples in grid units.
    double Spacing() const;
    // The height of the surface at a point of model space, interpolated or from its cell.
    float HeightAt(CPointF point, const doc::CDataDoc& surface) const;
    // The point of the line a distance along it.
    CPointF PointAt(double distance) const;
    // The furthest a marker goes: one sample short of the end.
    float MarkerLimit() const;
    // Puts a marker (1 or 2) at a distance, kept between 0 and the limit.
    void SetMarker(int marker, double distance);
    // The distance along the line under a point x pixels from the client's left edge.
    double DistanceAtPixel(double x) const;
    // The marker (1 or 2) whose line passes within 2 pixels of a client point (x from the left, y from
    // the top; the plot's equal top and bottom margins make either way up the same); 0 for none, or
    // when both do.
    int Pick(double x, double y) const;

    // The line's physical length, and a distance and a height as the panes show them.
    ph::Size PhysicalLength(const doc::CDataDoc& surface) const;
    ph::Size Distance(double distance, const doc::CDataDoc& surface) const;
    ph::Size Height(double height, const doc::CDataDoc& surface) const;
    // The texts of the status bar shown: the 12 panes of the cut sector's bar when it is on, else the
    // 14 of the minimum and maximum's, labels included.
    std::vector<std::wstring> Panes(const doc::CDataDoc& surface) const;
    // The spans of the rulers: the physical length along the plot's width, and the height the plot's
    // height stands for.
    ph::Size HorizontalSpan(const doc::CDataDoc& surface) const;
    ph::Size VerticalSpan(const doc::CDataDoc& surface) const;
    // The samples as a table in physical units, a header line first, `separator` between the columns.
    std::string Table(const doc::CDataDoc& surface, char separator) const;

    // The labels of the two bars.
    static const std::vector<std::wstring>& SectorLabels();
    static const std::vector<std::wstring>& ExtremaLabels();
};

} // namespace prof
