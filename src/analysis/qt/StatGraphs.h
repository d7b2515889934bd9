#pragma once
// The two graphs of the statistics window, side by side: the height histogram and the bearing curve.
// Each has a plot rectangle inside margins of the view (left 36, bottom 24, right 24, top 24), a
// horizontal and a vertical ruler, the data bounds its lines are drawn in, and a caption above it.
#include <string>
#include <vector>

#include "analysis/HeightDistribution.h"
#include "model/phSize.h"
#include "view2d/RulerHorz.h"
#include "view2d/RulerVert.h"

namespace statist {

class CStatView;

// A rectangle of the view in pixels, origin at the lower left as OpenGL counts.
struct CPlot {
    int left = 0, bottom = 0, width = 0, height = 0;
};

class CGraph {
public:
    static constexpr int kLeft = 36, kBottom = 24, kRight = 24, kTop = 24;

    explicit CGraph(CStatView* view) : m_pView(view) {}
    virtual ~CGraph() = default;

    // The plot rectangle of a graph in a view of viewWidth x viewHeight pixels: the whole view less
    // the margins, or its left or right half when both graphs are shown. Printing multiplies the
    // margins by `scale`.
    static CPlot PlotOf(int viewWidth, int viewHeight, bool half, bool right, int scale = 1);

    // The plot rectangle on the screen.
    int left = 0, bottom = 0, width = 0, height = 0;
    // The data space the plot rectangle shows.
    float xMin = 0.0f, xMax = 1.0f, yMin = 0.0f, yMax = 1.0f;
    // Histogram: the largest bin's share; bearing curve: the range of heights.
    double largest = 0.0;
    // One line per bin or level: x0, y0, x1, y1.
    std::vector<float> lines;
    std::wstring caption;
    rulers::CHorz horz;
    rulers::CVert vert;

    // The number of bins or levels the lines were made for; 0 before the first.
    int Count() const { return m_nCount; }
    // The count the plot rectangle asks for: its width in pixels (histogram) or its height (bearing).
    virtual int WantedCount() const = 0;
    void Place(const CPlot& plot);
    CPlot Plot() const { return {left, bottom, width, height}; }
    // The rulers along a plot's sides with the spacing of the screen or, printing, of paper.
    virtual void SetRulers(const ph::Size& range, const CPlot& plot, bool print) = 0;
    // Draws the grey plot area, the lines in blue, the caption above it (at the top of a view
    // viewHeight pixels high) and the rulers in black, with the rulers as last set.
    void Draw(const CPlot& plot, int viewHeight, bool print);
    // Lines and caption made for a count.
    void SetCount(int count) { m_nCount = count; }

protected:
    // The quad of the plot area in data space.
    virtual void AreaQuad(float (&quad)[8]) const = 0;
    CStatView* m_pView;
    int m_nCount = 0;
};

class CHistogram : public CGraph {
public:
    using CGraph::CGraph;
    float halfRange = 0.0f;

    int WantedCount() const override { return width; }
    void Set(const CHistogramBins& bins, const ph::Size& range);
    void SetRulers(const ph::Size& range, const CPlot& plot, bool print) override;
    // The bins as text: each one's lower edge in the units of the range and its share in percent,
    // tab-separated, a header line first.
    std::string Table(const ph::Size& range) const;

protected:
    void AreaQuad(float (&quad)[8]) const override;
};

class CBearingCurve : public CGraph {
public:
    using CGraph::CGraph;

    int WantedCount() const override { return height; }
    void Set(const CBearingLevels& levels, const ph::Size& range);
    void SetRulers(const ph::Size& range, const CPlot& plot, bool print) override;
    // The levels as text: each one's share of heights above it in percent and its height in the units
    // of the range, tab-separated, a header line first.
    std::string Table(const ph::Size& range) const;

protected:
    void AreaQuad(float (&quad)[8]) const override;
};

} // namespace statist
