#include "view2d/Readout.h"

#include <algorithm>
#include <cmath>

#include "view2d/RulerLayout.h"

namespace readout {

namespace {

// The cell of `count` that fraction f of them falls in.
int CellOf(double f, int count) {
    if (!(f > 0))
        return 0;
    return static_cast<int>(std::min<double>(std::floor(f * count), count - 1));
}

} // namespace

ph::Size AlongX(double fx, const ph::Size& width, int placement) {
    return width * (placement == rulers::kZeroCentre ? fx - 0.5 : fx);
}

ph::Size AlongY(double fy, const ph::Size& height, int placement) {
    switch (placement) {
    case rulers::kZeroCentre:
        return height * (0.5 - fy);
    case rulers::kZeroLower:
        return height * (1.0 - fy);
    default:
        return height * fy;
    }
}

std::wstring Text(ph::Size x, ph::Size y, const std::wstring& label, ph::Size value) {
    std::wstring text = L"x ";
    text += x.str(4);
    text += L"  y ";
    text += y.str(4);
    if (!label.empty()) {
        text += L"  ";
        text += label;
        text += L' ';
        text += value.str(4);
    }
    return text;
}

bool HeightAt(const doc::CDataDoc& surface, double u, double v, int barPlacement, ph::Size& height) {
    if (surface.columns <= 0 || surface.rows <= 0 ||
        surface.heights.size() < std::size_t(surface.columns) * std::size_t(surface.rows))
        return false;
    const std::size_t cell = std::size_t(CellOf(v, surface.rows)) * std::size_t(surface.columns) +
                             std::size_t(CellOf(u, surface.columns));
    // The bar's top is the highest height, level 1: its rulers run as the image's vertical ones.
    height = AlongY(1.0 - static_cast<double>(surface.heights[cell]), surface.range, barPlacement);
    return true;
}

bool LevelAt(const surface::CTextureImage& texture, double u, double v, float& level) {
    if (texture.grid) {
        if (texture.columns <= 0 || texture.rows <= 0)
            return false;
        level = texture.grid[std::size_t(CellOf(v, texture.rows)) * std::size_t(texture.columns) +
                             std::size_t(CellOf(u, texture.columns))];
        return true;
    }
    if (texture.width <= 0 || texture.height <= 0 ||
        texture.texels.size() < std::size_t(texture.width) * std::size_t(texture.height))
        return false;
    // The surface covers the texture's first uMax x vMax of it.
    const int x = CellOf(u * texture.uMax, texture.width), y = CellOf(v * texture.vMax, texture.height);
    level = texture.texels[std::size_t(y) * std::size_t(texture.width) + std::size_t(x)];
    return true;
}

} // namespace readout
