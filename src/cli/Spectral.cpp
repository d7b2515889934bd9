#include "cli/Spectral.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <iterator>

#include "cli/Json.h"

namespace cli {

std::string ParseSpectralOptions(const std::vector<std::string>& args, CSpectralOptions& options) {
    return ParseFileArguments(args, options.settings, options.file, options.image,
                              [&](std::size_t& i) -> std::optional<std::string> {
                                  const std::string& a = args[i];
                                  const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
                                  if (a == "--max-texture") {
                                      int n = 0;
                                      if (!ParseInt(value, 2, INT_MAX, n) || (n & (n - 1)) != 0)
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
                                  } else {
                                      return std::nullopt;
                                  }
                                  return std::string();
                              });
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
        .Add("s_max", static_cast<double>(texture.uMax))
        .Add("t_max", static_cast<double>(texture.vMax))
        .Add("resampled", texture.resampled)
        .Add("factor", static_cast<double>(texture.factor));
    if (!options.correlation) {
        object.Add("log", !options.linear).Add("max_amplitude", static_cast<double>(texture.maxAmplitude));
        if (texture.maxColumn < 0)
            object.AddNull("max_at");
        else
            object.Add("max_at", CJsonObject()
                                     .Add("column", static_cast<long long>(texture.maxColumn))
                                     .Add("row", static_cast<long long>(texture.maxRow)));
    }
    return object.Text();
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
