#include "view2d/Profile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

#include "framework/fwText.h"
#include "view3d/glEval.h"

namespace prof {

namespace {

// The cell a coordinate falls in, a boundary k > 0 counting to cell k - 1 so that the far edges read
// the last row and column. (Subtracting 2^-23 before truncating says the same only below 2, where a
// float still holds the difference.)
int CellOf(float coordinate, int cells) {
    return std::clamp(static_cast<int>(std::ceil(coordinate)) - 1, 0, cells - 1);
}

// The shortest text that reads back as the same float, in the C format.
void AppendNumber(std::string& out, float value) {
    char text[32];
    const auto end = std::to_chars(std::begin(text), std::end(text), value);
    out.append(text, end.ptr);
}

std::wstring Text(ph::Size size) {
    return size.str(4);
}

} // namespace

void ProfileModel::SetClient(int width, int height) {
    clientWidth = width;
    clientHeight = height;
    plot = {kLeft, kBottom, width - (kLeft + kRight), height - (kBottom + kTop)};
}

void ProfileModel::SetStart(float x, float y) {
    points.assign(1, {x, y});
}

double ProfileModel::Spacing() const {
    return length / std::max(1, plot.width);
}

float ProfileModel::HeightAt(CPointF point, const doc::CDataDoc& surface) const {
    const int nx = surface.columns, ny = surface.rows;
    if (nx <= 0 || ny <= 0 || surface.heights.size() != std::size_t(nx) * std::size_t(ny))
        return 0.0f;
    // Both ends of a line lie on the grid; the steps between them may stray past an edge by a rounding.
    const float c = std::clamp(point.x + nx * 0.5f, 0.0f, static_cast<float>(nx));
    const float r = std::clamp(ny * 0.5f - point.y, 0.0f, static_cast<float>(ny));
    if (interpolation)
        return gl::e::TGridView<float>(surface.heights.data(), std::size_t(nx), std::size_t(ny)).interp(c, r);
    const int column = CellOf(c, nx), row = CellOf(r, ny);
    return surface.heights[std::size_t(column) + std::size_t(row) * std::size_t(nx)];
}

void ProfileModel::Resample(float x1, float y1, const doc::CDataDoc& surface) {
    if (points.empty())
        return;
    const CPointF start = points.front();
    // At least the two ends, whatever the plot's width.
    const int steps = std::max(1, plot.width);
    points.resize(1);
    points.reserve(std::size_t(steps) + 1);
    for (int o = 1; o <= steps; ++o)
        points.push_back({start.x + o * (x1 - start.x) / steps, start.y + o * (y1 - start.y) / steps});
    const double dx = double(x1) - start.x, dy = double(y1) - start.y;
    length = std::sqrt(dx * dx + dy * dy);
    const double spacing = Spacing();

    samples.resize(points.size());
    minimum = FLT_MAX;
    minimumAt = 0.0;
    maximum = 0.0;
    maximumAt = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const float distance = static_cast<float>(i * spacing);
        const float height = HeightAt(points[i], surface);
        samples[i] = {distance, height};
        if (height < minimum) {
            minimum = height;
            minimumAt = distance;
        }
        if (height > maximum) {
            maximum = height;
            maximumAt = distance;
        }
    }
    if (cut && marker1 == 0.0f && marker2 == 0.0f) {
        marker1 = static_cast<float>((steps / 3) * spacing);
        marker2 = static_cast<float>(((2 * steps) / 3) * spacing);
    }

    // Each step keeps the lower of its two heights.
    polyline.clear();
    polyline.reserve(samples.size() * 4);
    if (!samples.empty()) {
        polyline.push_back(samples[0].distance);
        polyline.push_back(samples[0].height);
    }
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const CSample& a = samples[i - 1];
        const CSample& b = samples[i];
        if (a.height < b.height)
            polyline.insert(polyline.end(), {b.distance, a.height, b.distance, b.height});
        else if (a.height > b.height)
            polyline.insert(polyline.end(), {a.distance, b.height, b.distance, b.height});
        else
            polyline.insert(polyline.end(), {b.distance, b.height});
    }

    const double free = clientHeight > 48 ? 0.375 / (clientHeight - 48) : 0.0;
    xMin = 0.0f;
    xMax = static_cast<float>(length);
    if (normalize && !samples.empty()) {
        yMin = static_cast<float>(minimum);
        yMax = static_cast<float>(maximum + (maximum - minimum) * free);
    } else {
        yMin = 0.0f;
        yMax = static_cast<float>(1.0 + free);
    }
}

void ProfileModel::ReSample(const doc::CDataDoc& surface) {
    if (points.size() < 3)
        return;
    const CPointF end = points.back();
    points.resize(1);
    Resample(end.x, end.y, surface);
}

void ProfileModel::Layout(int width, int height, const doc::CDataDoc& surface) {
    SetClient(width, height);
    ReSample(surface);
}

CPointF ProfileModel::PointAt(double distance) const {
    if (points.empty())
        return {};
    const CPointF a = points.front(), b = points.back();
    const double t = length > 0.0 ? distance / length : 0.0;
    return {static_cast<float>(a.x + t * (b.x - a.x)), static_cast<float>(a.y + t * (b.y - a.y))};
}

float ProfileModel::MarkerLimit() const {
    return static_cast<float>(length - Spacing());
}

void ProfileModel::SetMarker(int marker, double distance) {
    const float at = std::max(0.0f, std::min(static_cast<float>(distance), MarkerLimit()));
    (marker == 1 ? marker1 : marker2) = at;
}

double ProfileModel::DistanceAtPixel(double x) const {
    if (plot.width <= 0)
        return 0.0;
    return xMin + (x - plot.left) / plot.width * (double(xMax) - xMin);
}

int ProfileModel::Pick(double x, double y) const {
    if (!cut || plot.width <= 0 || samples.empty())
        return 0;
    const double top = clientHeight - (plot.bottom + plot.height);
    if (y < top - 2.0 || y > top + plot.height + 2.0)
        return 0;
    const double span = xMax > xMin ? double(xMax) - xMin : 1.0;
    int hit = 0, hits = 0;
    for (int marker : {1, 2}) {
        const double at = plot.left + ((marker == 1 ? marker1 : marker2) - xMin) / span * plot.width;
        if (std::fabs(at - x) <= 2.0) {
            hit = marker;
            ++hits;
        }
    }
    return hits == 1 ? hit : 0;
}

ph::Size ProfileModel::PhysicalLength(const doc::CDataDoc& surface) const {
    if (points.size() < 2 || surface.columns <= 0)
        return surface.width;
    return surface.width / static_cast<double>(surface.columns) * length;
}

ph::Size ProfileModel::Distance(double distance, const doc::CDataDoc& surface) const {
    // A line of no length has every sample at distance 0.
    return PhysicalLength(surface) * (length > 0.0 ? distance / length : 0.0);
}

ph::Size ProfileModel::Height(double height, const doc::CDataDoc& surface) const {
    if (normalize && !samples.empty())
        height -= minimum;
    return surface.range * height;
}

const std::vector<std::wstring>& ProfileModel::SectorLabels() {
    static const std::vector<std::wstring> labels = {L" X1:", L" Y1:",      L" X2:",
                                                     L" Y2:", L" \u0394X:", L" \u0394Y:"};
    return labels;
}

const std::vector<std::wstring>& ProfileModel::ExtremaLabels() {
    static const std::vector<std::wstring> labels = {L"MIN:", L" x", L" y",       L"MAX:",
                                                     L" x",   L" y", L" \u0394x", L" \u0394y"};
    return labels;
}

std::vector<std::wstring> ProfileModel::Panes(const doc::CDataDoc& surface) const {
    if (cut) {
        const float h1 = HeightAt(PointAt(marker1), surface), h2 = HeightAt(PointAt(marker2), surface);
        const std::vector<std::wstring>& l = SectorLabels();
        return {l[0], Text(Distance(marker1, surface)),
                l[1], Text(Height(h1, surface)),
                l[2], Text(Distance(marker2, surface)),
                l[3], Text(Height(h2, surface)),
                l[4], Text(Distance(double(marker2) - marker1, surface)),
                l[5], Text(surface.range * (double(h2) - h1))};
    }
    const std::vector<std::wstring>& l = ExtremaLabels();
    const double low = samples.empty() ? 0.0 : minimum;
    return {l[0],
            l[1],
            Text(Distance(minimumAt, surface)),
            l[2],
            Text(Height(low, surface)),
            l[3],
            l[4],
            Text(Distance(maximumAt, surface)),
            l[5],
            Text(Height(maximum, surface)),
            l[6],
            Text(Distance(maximumAt - minimumAt, surface)),
            l[7],
            Text(surface.range * (maximum - low))};
}

ph::Size ProfileModel::HorizontalSpan(const doc::CDataDoc& surface) const {
    return PhysicalLength(surface);
}

ph::Size ProfileModel::VerticalSpan(const doc::CDataDoc& surface) const {
    return surface.range * (double(yMax) - yMin);
}

std::string ProfileModel::Table(const doc::CDataDoc& surface, char separator) const {
    ph::Size along = PhysicalLength(surface);
    along.normalize();
    ph::Size up = surface.range;
    up.normalize();
    std::string out = "distance (" + fw::ToUtf8(along.unit()) + ")" + separator + "height (" +
                      fw::ToUtf8(up.unit()) + ")\n";
    for (const CSample& s : samples) {
        ph::Size d = Distance(s.distance, surface);
        ph::Size h = Height(s.height, surface);
        AppendNumber(out, static_cast<float>(d.convert(along.prefix()).value()));
        out += separator;
        AppendNumber(out, static_cast<float>(h.convert(up.prefix()).value()));
        out += '\n';
    }
    return out;
}

} // namespace prof
