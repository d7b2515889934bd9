#pragma once
// Small builders of the three scan formats for the extractor tests: just the fields the extractors
// read, laid out as the instruments write them, with the samples given by a function of (column, row).
// The byte writers are the generators' in tests/data.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "data/ScanBytes.h"

namespace thumbtest {

using SampleFn = std::function<std::int32_t(int column, int row)>;

using testdata::bytes::Put;

struct NanoScopeShape {
    int columns = 16, rows = 16, bytesPerPixel = 2;
    std::string version = "0x04300000"; // empty: no version line
    std::size_t headerSize = 4096;      // the data follows the header unless dataOffset says otherwise
    long long dataOffset = -1;
    std::string extraImageLines; // appended to the first image section
    bool secondSection = true;   // a second image list (which must not be read) after the first
    bool endMark = true;         // 0x1A after the text
};

inline std::string NanoScope(const NanoScopeShape& shape, const SampleFn& sample) {
    const long long offset =
        shape.dataOffset < 0 ? static_cast<long long>(shape.headerSize) : shape.dataOffset;
    std::string text = "\\*File list\r\n";
    if (!shape.version.empty())
        text += "\\Version: " + shape.version + "\r\n";
    text += "\\Data length: " + std::to_string(shape.headerSize) + "\r\n";
    // The scan list repeats line sizes that the image list overrides.
    text += "\\*Ciao scan list\r\n\\Samps/line: 8\r\n\\Lines: 8\r\n";
    text += "\\*Ciao image list\r\n\\Data offset: " + std::to_string(offset) + "\r\n";
    text += "\\Data length: " + std::to_string(shape.columns * shape.rows * shape.bytesPerPixel) + "\r\n";
    text += "\\Bytes/pixel: " + std::to_string(shape.bytesPerPixel) + "\r\n";
    text += "\\Samps/line: " + std::to_string(shape.columns) + "\r\n";
    text += "\\Number of lines: " + std::to_string(shape.rows) + "\r\n";
    text += "\\@2:Image Data: S [Height] \"Height\"\r\n" + shape.extraImageLines;
    if (shape.secondSection)
        text += "\\*Ciao image list\r\n\\Data offset: 1\r\n\\Bytes/pixel: 2\r\n\\Samps/line: 1\r\n"
                "\\Number of lines: 1\r\n";
    text += "\\*File list end\r\n";
    if (shape.endMark)
        text += '\x1A';
    std::string file = text;
    file.resize(std::max(file.size(), shape.headerSize), '\0');
    std::string data;
    testdata::bytes::AppendSamples(data, shape.columns, shape.rows, shape.bytesPerPixel, sample);
    if (offset >= static_cast<long long>(file.size())) {
        file.resize(static_cast<std::size_t>(offset), '\0');
        file += data;
    }
    return file;
}

struct NtMdtShape {
    int columns = 16, rows = 16;
    int frameType = 0;
    int varSize = 107; // the variable block of a scanned frame: axes, scan block, no extras
};

inline std::string NtMdt(const NtMdtShape& shape, const SampleFn& sample) {
    const std::size_t samples = static_cast<std::size_t>(shape.columns) * shape.rows * 2;
    std::string file(33 + 22, '\0');
    Put(file, 0, 0xFF93B001u, 4);
    const std::size_t frameSize = 22 + shape.varSize + 8 + samples;
    Put(file, 4, frameSize, 4); // the rest of the file
    Put(file, 33, frameSize, 4);
    Put(file, 33 + 4, static_cast<std::uint16_t>(shape.frameType), 2);
    Put(file, 33 + 20, static_cast<std::uint16_t>(shape.varSize), 2);
    file.append(static_cast<std::size_t>(shape.varSize), 'v');
    std::string image(8, '\0');
    Put(image, 2, static_cast<std::uint16_t>(shape.columns), 2);
    Put(image, 4, static_cast<std::uint16_t>(shape.rows), 2);
    file += image;
    testdata::bytes::AppendSamples(file, shape.columns, shape.rows, 2, sample);
    return file;
}

// A NANOTOP-205 file; columnsField/rowsField, when not -1, go into the header in place of the sizes.
inline std::string Nanotop(int columns, int rows, const SampleFn& sample, int columnsField = -1,
                           int rowsField = -1) {
    std::string file(512, 'h');
    Put(file, 2, static_cast<std::uint16_t>(columnsField < 0 ? columns : columnsField), 2);
    Put(file, 6, static_cast<std::uint16_t>(rowsField < 0 ? rows : rowsField), 2);
    testdata::bytes::AppendSamples(file, columns, rows, 2, sample);
    return file;
}

// The bytes as an open temporary file at its start; closed by the caller.
inline std::FILE* AsFile(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::rewind(file);
    }
    return file;
}

} // namespace thumbtest
