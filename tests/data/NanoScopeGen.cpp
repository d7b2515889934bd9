#include "data/NanoScopeGen.h"

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <locale>
#include <sstream>
#include <stdexcept>

namespace testdata {
namespace {

// splitmix64: tiny, well mixed and the same everywhere.
std::uint64_t Mix(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ull;
        return Mix(state_);
    }
    // Uniform in [lo, hi]; the modulo bias is irrelevant here.
    std::int64_t Range(std::int64_t lo, std::int64_t hi) {
        return lo + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }

private:
    std::uint64_t state_;
};

constexpr std::int64_t kOne = 65536; // fixed-point 1.0

// Cubic ease 3t^2 - 2t^3 in fixed point, so octave seams are invisible.
std::int64_t Smooth(std::int64_t t) {
    return t * t * (3 * kOne - 2 * t) / (kOne * kOne);
}

std::int64_t Lerp(std::int64_t a, std::int64_t b, std::int64_t s) {
    return a + (b - a) * s / kOne;
}

// Integer arithmetic only: floating point results could differ with FMA contraction or libm.
void AddOctave(std::vector<std::int64_t>& raw, int columns, int rows, std::uint32_t seed, int octave,
               int cell, int weight) {
    const int gx = columns / cell + 2, gy = rows / cell + 2;
    std::vector<std::int64_t> lattice(static_cast<std::size_t>(gx) * gy);
    for (int iy = 0; iy < gy; ++iy)
        for (int ix = 0; ix < gx; ++ix) {
            const std::uint64_t h = Mix(Mix(Mix((std::uint64_t{seed} << 8) + octave) + ix) + iy);
            lattice[static_cast<std::size_t>(iy) * gx + ix] = static_cast<std::int64_t>(h % 65536) - 32768;
        }
    std::vector<int> cellX(columns);
    std::vector<std::int64_t> easeX(columns);
    for (int x = 0; x < columns; ++x) {
        cellX[x] = x / cell;
        easeX[x] = Smooth((x % cell) * kOne / cell);
    }
    for (int y = 0; y < rows; ++y) {
        const std::int64_t* top = &lattice[static_cast<std::size_t>(y / cell) * gx];
        const std::int64_t* bottom = top + gx;
        const std::int64_t sy = Smooth((y % cell) * kOne / cell);
        std::int64_t* out = &raw[static_cast<std::size_t>(y) * columns];
        for (int x = 0; x < columns; ++x) {
            const int i = cellX[x];
            const std::int64_t upper = Lerp(top[i], top[i + 1], easeX[x]);
            const std::int64_t lower = Lerp(bottom[i], bottom[i + 1], easeX[x]);
            out[x] += weight * Lerp(upper, lower, sy);
        }
    }
}

std::string Number(double value) {
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os << std::setprecision(10) << value;
    return os.str();
}

long long BlockBytes(const NsImage& image) {
    if (image.columns <= 0 || image.rows <= 0 || image.bytesPerPixel <= 0)
        return 0;
    return static_cast<long long>(image.columns) * image.rows * image.bytesPerPixel;
}

struct Placement {
    long long offset = 0;
    long long bytes = 0;
    bool written = false;
};

std::vector<Placement> Place(const NsFile& file, std::size_t headerSize) {
    std::vector<Placement> placed;
    const long long header = static_cast<long long>(headerSize);
    long long cursor = header;
    for (const NsImage& image : file.images) {
        Placement p;
        p.offset = image.dataOffset == -1 ? cursor : image.dataOffset;
        p.bytes = BlockBytes(image);
        p.written = p.bytes > 0 && p.offset >= header;
        if (p.written)
            cursor = p.offset + p.bytes;
        placed.push_back(p);
    }
    return placed;
}

void Line(std::string& text, const std::string& line) {
    text += line;
    text += "\r\n";
}

void ImageSection(std::string& text, const NsImage& image, const Placement& place) {
    const std::string columns = std::to_string(image.columns);
    const std::string scale = " [" + image.sensName + "] (0.006713867 V/LSB) ";
    const std::string lines[] = {
        "\\Data offset: " + std::to_string(place.offset),
        "\\Data length: " + std::to_string(place.bytes),
        "\\Bytes/pixel: " + std::to_string(image.bytesPerPixel),
        "\\Start context: OL",
        "\\Data type: AFM",
        "\\Frame direction: Down",
        "\\Samps/line: " + columns,
        "\\Number of lines: " + std::to_string(image.rows),
        "\\Aspect ratio: 1:1",
        "\\Scan size: " + image.scanSize,
        "\\Line direction: Retrace",
        "\\Valid data len X: " + columns,
        "\\@2:Image Data: S [" + image.type + "] \"" + image.type + "\"",
        "\\@Z magnify: C [2:Z scale] 1.0 ",
        "\\@2:Z scale: V" + scale + image.zScale + " V",
        "\\@2:Z offset: V" + scale + "      0 V",
    };
    Line(text, "\\*Ciao image list");
    for (const std::string& line : lines) {
        const bool dropped = std::any_of(image.omit.begin(), image.omit.end(), [&](const std::string& key) {
            return !key.empty() && line.find(key) != std::string::npos;
        });
        if (!dropped)
            Line(text, line);
    }
    for (const std::string& line : image.extraLines)
        Line(text, line);
}

std::string HeaderText(const NsFile& file, const std::vector<Placement>& placed, std::size_t headerSize) {
    std::string text;
    Line(text, "\\*File list");
    if (!file.version.empty())
        Line(text, "\\Version: " + file.version);
    Line(text, "\\Date: 12:00:00 PM Mon Jan 01 2024");
    Line(text, "\\Start context: OL2");
    Line(text, "\\Data length: " + std::to_string(headerSize));
    Line(text, "\\Text: ");
    Line(text, "\\*Equipment list");
    Line(text, "\\Description: D3100");
    Line(text, "\\Controller: IIIA");
    Line(text, "\\Microscope: D3100");
    Line(text, "\\Scanner file: synthetic.scn");
    if (file.scannerList) {
        Line(text, "\\*Scanner list");
        Line(text, "\\Scanner type: Dimension");
        Line(text, "\\Piezo size: G");
        Line(text, "\\X sensitivity: 117.001");
        Line(text, "\\@" + file.scannerSensName + ": V " + Number(file.scannerSens) + " nm/V");
        Line(text, "\\@Sens. Current: V 10.00000 nA/V");
    }
    if (file.scanList) {
        // Real files repeat scan size and line length here; readers must not take them.
        Line(text, "\\*Ciao scan list");
        Line(text, "\\Operating mode: Image");
        Line(text, "\\Scan size: 2000 nm");
        Line(text, "\\Samps/line: 256");
        Line(text, "\\Lines: 256");
        Line(text, "\\@" + file.phaseSensName + ": V " + Number(file.phaseSens) + " deg/V");
        Line(text, "\\@Sens. Amplitude: V 1.000000 ");
        Line(text, "\\@1:Z limit: V [Sens. Zscan] (0.006713867 V/LSB) 440.0000 V");
    }
    for (std::size_t k = 0; k < file.images.size(); ++k)
        ImageSection(text, file.images[k], placed[k]);
    if (file.fileListEnd)
        Line(text, "\\*File list end");
    return text;
}

std::size_t SampleCount(const NsImage& image) {
    if (image.columns <= 0 || image.rows <= 0)
        return 0;
    return static_cast<std::size_t>(image.columns) * static_cast<std::size_t>(image.rows);
}

void PutSamples(std::string& out, std::size_t at, const NsImage& image) {
    const std::size_t count = SampleCount(image);
    std::vector<std::int16_t> generated;
    const std::vector<std::int16_t>* samples = &image.samples;
    if (samples->empty()) {
        generated = PatternSamples(image.columns, image.rows, image.seed);
        samples = &generated;
    }
    const int width = image.bytesPerPixel;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int16_t v = (*samples)[i];
        const auto bits = static_cast<std::uint16_t>(v);
        const char sign = v < 0 ? '\xFF' : '\0';
        char* p = &out[at + i * width];
        for (int b = 0; b < width; ++b)
            p[b] = b < 2 ? static_cast<char>((bits >> (8 * b)) & 0xFF) : sign;
    }
}

} // namespace

std::vector<std::int16_t> PatternSamples(int columns, int rows, std::uint32_t seed) {
    if (columns <= 0 || rows <= 0)
        return {};
    const std::size_t n = static_cast<std::size_t>(columns) * rows;
    std::vector<std::int64_t> raw(n, 0);
    const int extent = std::max(columns, rows);
    for (int octave = 0; octave < 3; ++octave)
        AddOctave(raw, columns, rows, seed, octave, std::max(1, extent / (3 << octave)), 4 >> octave);

    Rng rng(Mix(seed ^ 0x5EEDull));
    const std::int64_t tiltX = rng.Range(-98304, 98304), tiltY = rng.Range(-98304, 98304);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            std::int64_t& v = raw[static_cast<std::size_t>(y) * columns + x];
            v += tiltX * (2 * x - columns) / columns + tiltY * (2 * y - rows) / rows;
            v += rng.Range(-6000, 6000);
        }

    const auto [lo, hi] = std::minmax_element(raw.begin(), raw.end());
    const std::int64_t min = *lo, span = *hi - *lo;
    std::vector<std::int16_t> out(n, 0);
    if (span > 0)
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<std::int16_t>(-30000 + (raw[i] - min) * 60000 / span);
    return out;
}

std::string MakeNanoScope(const NsFile& file) {
    for (const NsImage& image : file.images)
        if (!image.samples.empty() && image.samples.size() != SampleCount(image))
            throw std::invalid_argument("NsImage: " + std::to_string(image.samples.size()) +
                                        " samples given, " + std::to_string(SampleCount(image)) +
                                        " expected");
    std::size_t headerSize = file.headerSize;
    std::vector<Placement> placed;
    std::string text;
    // Offsets and the header size are both written into the header, so settle them together.
    for (;;) {
        placed = Place(file, headerSize);
        text = HeaderText(file, placed, headerSize);
        const std::size_t needed = text.size() + (file.endMark ? 1 : 0);
        if (needed <= headerSize)
            break;
        headerSize = (needed + 4095) / 4096 * 4096;
    }

    long long total = static_cast<long long>(headerSize);
    for (const Placement& p : placed)
        if (p.written)
            total = std::max(total, p.offset + p.bytes);
    std::string out(static_cast<std::size_t>(total), static_cast<char>(file.padding));
    out.replace(0, text.size(), text);
    if (file.endMark)
        out[text.size()] = '\x1A';
    for (std::size_t k = 0; k < placed.size(); ++k)
        if (placed[k].written)
            PutSamples(out, static_cast<std::size_t>(placed[k].offset), file.images[k]);
    out += file.trailer;
    if (file.truncateTo >= 0 && static_cast<std::size_t>(file.truncateTo) < out.size())
        out.resize(static_cast<std::size_t>(file.truncateTo));
    return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    if (!stream)
        throw std::runtime_error("cannot create " + path);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream)
        throw std::runtime_error("cannot write " + path);
}

} // namespace testdata
