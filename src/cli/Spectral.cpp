#include "cli/Spectral.h"

#include <charconv>
#include <cstring>
#include <iterator>

#include "cli/Json.h"

namespace cli {

std::string ParseSpectralOptions(const std::vector<std::string>& args, CSpectralOptions& options) {
    bool file = false;
    const std::string problem = ParseArguments(args, options.settings, [&](std::size_t& i) -> std::string {
        const std::string& a = args[i];
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        const char* end = value ? value->data() + value->size() : nullptr;
        if (a == "--image") {
            // No image numbers beyond a million: the readers stop far below that.
            if (!value || value->empty() || std::from_chars(value->data(), end, options.image).ptr != end ||
                options.image < 0 || options.image > 1000000)
                return "--image needs a number of 0 or more";
            ++i;
        } else if (a == "--max-texture") {
            int n = 0;
            if (!value || value->empty() || std::from_chars(value->data(), end, n).ptr != end || n < 2 ||
                (n & (n - 1)) != 0)
                return "--max-texture needs a power of two from 2";
            options.maxTexture = n;
            ++i;
        } else if (a == "--dump") {
            if (!value || (*value != "csv" && *value != "f32le"))
                return "--dump is csv or f32le";
            options.dump = *value;
            ++i;
        } else if (a == "--linear" && !options.correlation) {
            options.linear = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else if (file) {
            return "only one FILE is taken";
        } else {
            options.file = a;
            file = true;
        }
        return std::string();
    });
    if (!problem.empty())
        return problem;
    return file ? std::string() : "FILE is missing";
}

std::string SpectralJson(const std::wstring& file, int image, const fourier::CSpectralTexture& texture,
                         const CSpectralOptions& options) {
    CJsonObject object;
    object.Add("file", file)
        .Add("image", static_cast<long long>(image))
        .Add("columns", static_cast<long long>(texture.columns))
        .Add("rows", static_cast<long long>(texture.rows))
        .Add("texture_width", static_cast<long long>(texture.width))
        .Add("texture_height", static_cast<long long>(texture.height))
        .Add("s_max", static_cast<double>(texture.sMax))
        .Add("t_max", static_cast<double>(texture.tMax))
        .Add("resampled", static_cast<long long>(texture.resampled))
        .Add("factor", static_cast<double>(texture.factor));
    std::string text = object.Text();
    // The writer has no booleans and no null object: those few are spliced in as it lays keys out.
    text.pop_back();
    const std::string resampled = "\"resampled\": ";
    const std::size_t at = text.find(resampled) + resampled.size();
    text.replace(at, 1, texture.resampled ? "true" : "false");
    if (!options.correlation) {
        text += ", \"log\": ";
        text += options.linear ? "false" : "true";
        text += ", \"max_amplitude\": " + JsonNumber(texture.maxAmplitude) + ", \"max_at\": ";
        if (texture.maxColumn < 0)
            text += "null";
        else
            text += CJsonObject()
                        .Add("column", static_cast<long long>(texture.maxColumn))
                        .Add("row", static_cast<long long>(texture.maxRow))
                        .Text();
    }
    return text + "}";
}

std::string RegionBytes(const fourier::CSpectralTexture& texture, const std::string& format) {
    const int columns = texture.RegionWidth(), rows = texture.RegionHeight();
    std::string out;
    const bool csv = format == "csv";
    out.reserve(static_cast<std::size_t>(columns) * rows * (csv ? 12 : 4));
    for (int y = 0; y < rows; ++y) {
        const float* row = texture.texels.data() + static_cast<std::size_t>(y) * texture.width;
        for (int x = 0; x < columns; ++x) {
            if (csv) {
                char cell[32];
                const auto end = std::to_chars(std::begin(cell), std::end(cell), row[x]);
                if (x)
                    out += ',';
                out.append(cell, end.ptr);
                continue;
            }
            unsigned char b[4];
            std::memcpy(b, &row[x], 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
            std::swap(b[0], b[3]);
            std::swap(b[1], b[2]);
#endif
            out.append(reinterpret_cast<const char*>(b), 4);
        }
        if (csv)
            out += '\n';
    }
    return out;
}

} // namespace cli
