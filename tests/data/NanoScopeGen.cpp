#include "data/NanoScopeGen.h"

#include <algorithm>
#include <iomanip>
#include <locale>
#include <sstream>

namespace testdata {
namespace {

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
        "\\@2:Z scale: V" + scale + image.zScale + " " + image.zUnit,
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
        for (const std::string& line : file.scannerLines)
            Line(text, line);
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
        for (const std::string& line : file.scanLines)
            Line(text, line);
    }
    for (std::size_t k = 0; k < file.images.size(); ++k)
        ImageSection(text, file.images[k], placed[k]);
    if (file.fileListEnd)
        Line(text, "\\*File list end");
    return text;
}

} // namespace

std::string MakeNanoScope(const NsFile& file) {
    for (const NsImage& image : file.images) {
        bytes::CheckCount(image.samples, image.columns, image.rows, "NsImage");
        if (!image.wideSamples.empty() &&
            (image.bytesPerPixel != 4 || image.wideSamples.size() != bytes::Count(image.columns, image.rows)))
            throw std::invalid_argument(
                "NsImage: wide samples need 4 bytes per pixel and columns*rows values");
    }
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
    for (std::size_t k = 0; k < placed.size(); ++k) {
        if (!placed[k].written)
            continue;
        const std::vector<std::int32_t>& wide = file.images[k].wideSamples;
        if (!wide.empty()) {
            for (std::size_t i = 0; i < wide.size(); ++i)
                bytes::Put(out, static_cast<std::size_t>(placed[k].offset) + 4 * i, wide[i], 4);
            continue;
        }
        bytes::PutSamples(out, static_cast<std::size_t>(placed[k].offset),
                          bytes::Samples(file.images[k].samples, file.images[k].columns, file.images[k].rows,
                                         file.images[k].seed, "NsImage"),
                          file.images[k].bytesPerPixel);
    }
    out += file.trailer;
    bytes::Truncate(out, file.truncateTo);
    return out;
}

} // namespace testdata
