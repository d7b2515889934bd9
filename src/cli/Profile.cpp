#include "cli/Profile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

#include "cli/Json.h"

namespace cli {

namespace {

// "X,Y" of two finite numbers.
bool ParsePair(const std::string* text, double& a, double& b) {
    if (!text)
        return false;
    const std::size_t comma = text->find(',');
    if (comma == std::string::npos)
        return false;
    const char* begin = text->data();
    const char* end = begin + text->size();
    const auto first = std::from_chars(begin, begin + comma, a);
    const auto second = std::from_chars(begin + comma + 1, end, b);
    return first.ptr == begin + comma && first.ec == std::errc() && second.ptr == end &&
           second.ec == std::errc() && comma > 0 && comma + 1 < text->size() && std::isfinite(a) &&
           std::isfinite(b);
}

// A float as the shortest text that reads back as the same float.
std::string FloatNumber(float value) {
    if (!std::isfinite(value))
        return "null";
    char text[32];
    const auto end = std::to_chars(std::begin(text), std::end(text), value);
    return std::string(text, end.ptr);
}

// A height and its distance, each a float of the samples.
std::string Extreme(double height, double distance) {
    return "{\"height\": " + FloatNumber(static_cast<float>(height)) +
           ", \"distance\": " + FloatNumber(static_cast<float>(distance)) + "}";
}

} // namespace

std::string ParseProfileOptions(const std::vector<std::string>& args, CProfileOptions& options) {
    const std::string problem = ParseFileArguments(
        args, options.settings, options.file, options.image,
        [&](std::size_t& i) -> std::optional<std::string> {
            const std::string& a = args[i];
            const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
            if (a == "--from" || a == "--to") {
                double x = 0.0, y = 0.0;
                if (!ParsePair(value, x, y))
                    return a + " needs X,Y";
                (a == "--from" ? options.from : options.to) = {static_cast<float>(x), static_cast<float>(y)};
                (a == "--from" ? options.hasFrom : options.hasTo) = true;
                ++i;
            } else if (a == "--width" || a == "--height") {
                // The plot is the client less 60 pixels across and 48 up: at least one pixel of each.
                if (!ParseInt(value, a == "--width" ? 61 : 49, 16384,
                              a == "--width" ? options.width : options.height))
                    return a + (a == "--width" ? " needs a width of 61 to 16384"
                                               : " needs a height of 49 to 16384");
                ++i;
            } else if (a == "--markers") {
                if (!ParsePair(value, options.marker1, options.marker2))
                    return "--markers needs M1,M2";
                options.hasMarkers = true;
                ++i;
            } else if (a == "--no-interpolation") {
                options.interpolation = false;
            } else if (a == "--no-normalize") {
                options.normalize = false;
            } else if (a == "--no-cut") {
                options.cut = false;
            } else if (a == "--csv") {
                options.csv = true;
            } else {
                return std::nullopt;
            }
            return std::string();
        });
    if (!problem.empty())
        return problem;
    if (!options.hasFrom || !options.hasTo)
        return "--from and --to are needed";
    return options.width > 0 ? std::string() : "--width is needed";
}

prof::ProfileModel MakeProfile(const doc::CDataDoc& surface, const CProfileOptions& options) {
    prof::ProfileModel profile;
    profile.interpolation = options.interpolation;
    profile.normalize = options.normalize;
    profile.cut = options.cut;
    profile.SetClient(options.width, options.height);
    // The window's line ends lie on the grid.
    const float hx = surface.columns * 0.5f, hy = surface.rows * 0.5f;
    auto onGrid = [&](prof::CPointF p) {
        return prof::CPointF{std::clamp(p.x, -hx, hx), std::clamp(p.y, -hy, hy)};
    };
    const prof::CPointF from = onGrid(options.from), to = onGrid(options.to);
    profile.SetStart(from.x, from.y);
    profile.Resample(to.x, to.y, surface);
    if (options.hasMarkers) {
        // Where a drag would leave them.
        profile.SetMarker(1, options.marker1);
        profile.SetMarker(2, options.marker2);
    }
    return profile;
}

std::string ProfileJson(const prof::ProfileModel& profile, const doc::CDataDoc& surface) {
    std::string samples = "[";
    for (std::size_t i = 0; i < profile.samples.size(); ++i)
        samples += std::string(i ? ", [" : "[") + FloatNumber(profile.samples[i].distance) + ", " +
                   FloatNumber(profile.samples[i].height) + "]";
    samples += "]";
    std::string panes = "[";
    const std::vector<std::wstring> texts = profile.Panes(surface);
    for (std::size_t i = 0; i < texts.size(); ++i)
        panes += (i ? ", " : "") + JsonString(texts[i]);
    panes += "]";
    // Before the first sample the minimum has no height of its own.
    const double lowest = profile.samples.empty() ? 0.0 : profile.minimum;
    CJsonObject object;
    object.Add("length", profile.length)
        .Add("spacing", profile.Spacing())
        .Add("physical_length", QuantityJson(profile.PhysicalLength(surface)))
        .AddJson("samples", samples)
        .AddJson("minimum", Extreme(lowest, profile.minimumAt))
        .AddJson("maximum", Extreme(profile.maximum, profile.maximumAt))
        .AddJson("markers", "[" + FloatNumber(profile.marker1) + ", " + FloatNumber(profile.marker2) + "]")
        .AddJson("panes", panes);
    return object.Text();
}

} // namespace cli
