#pragma once
// A picture read back from OpenGL, addressed as OpenGL counts: y upwards from the bottom row. For
// finding tick pixels and label ink.
#include <QImage>
#include <set>
#include <utility>
#include <vector>

namespace gltest {

using Columns = std::set<int>;

class CPixels {
public:
    explicit CPixels(QImage image) : m_image(std::move(image)) {}
    const QImage& Image() const { return m_image; }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }

    QRgb At(double x, double y) const {
        return m_image.pixel(static_cast<int>(x), m_image.height() - 1 - static_cast<int>(y));
    }
    bool Dark(int x, int y) const {
        return x >= 0 && y >= 0 && x < Width() && y < Height() && qGray(At(x, y)) < 128;
    }
    // The dark columns of row y between x0 and x1.
    Columns Row(int y, int x0, int x1) const {
        return Along(x0, x1, [&](int x) { return Dark(x, y); });
    }
    // The dark rows of column x between y0 and y1.
    Columns Column(int x, int y0, int y1) const {
        return Along(y0, y1, [&](int y) { return Dark(x, y); });
    }
    // Runs of dark columns anywhere in rows y0..y1, split where at least `gap` columns are clear.
    std::vector<std::pair<int, int>> Clusters(int y0, int y1, int gap = 4) const {
        std::vector<std::pair<int, int>> runs;
        int clear = gap;
        for (int x = 0; x < Width(); ++x) {
            bool ink = false;
            for (int y = y0; y <= y1 && !ink; ++y)
                ink = Dark(x, y);
            if (!ink) {
                ++clear;
                continue;
            }
            if (clear >= gap || runs.empty())
                runs.push_back({x, x});
            runs.back().second = x;
            clear = 0;
        }
        return runs;
    }

private:
    template <class Test> static Columns Along(int first, int last, Test dark) {
        Columns found;
        for (int i = first; i <= last; ++i)
            if (dark(i))
                found.insert(i);
        return found;
    }
    QImage m_image;
};

} // namespace gltest
