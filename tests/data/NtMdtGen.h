#pragma once
// Builds NT-MDT .mdt files byte for byte, for reader tests and benchmarks.
// Output depends only on the arguments: no clocks, no locale, no library random engines.
//
// Layout, all little-endian: a 33-byte file header (signature, uint32 length of the rest of the file
// at 4, int16 index of the last frame at 12), then the frames back to back. A frame is a 22-byte
// header (uint32 size including the header at 0, int16 type at 4, date and version, uint16 size of
// the variable block at 20) and its body. A scanned image (type 0) has as its variable block the
// axis block (X, Y, Z records of float offset, float step, int16 unit code), the 77-byte scan block
// and an extra block, then an 8-byte image header (int16, uint16 columns, uint16 rows, int16 count
// of spectroscopy points) and columns*rows int16 samples line after line.
//
// Bytes a reader only has to carry (reserved header bytes, scan and extra blocks, the image
// header's first field) are filled with cycling letters, so that a round trip can check them.
// Gwyddion's nt-mdt module accepts the default files and any number of type 0 and type 3 frames;
// it parses types 1 and 201 as it parses scans, so it refuses files with filler frames of those types.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testdata {

constexpr std::size_t kMdtFileHeader = 33;
constexpr std::size_t kMdtFrameHeader = 22;
constexpr std::size_t kMdtAxisBlock = 30;
constexpr std::size_t kMdtScanBlock = 77;
constexpr std::size_t kMdtImageHeader = 8;

struct MdtFrame {
    int type = 0; // 0 scanned image; anything else is written as header plus body
    int columns = 16, rows = 16;
    // Physical size of one sample (X, Y) or of one raw count (Z), in the axis's unit.
    float xStep = 0.01f, yStep = 0.01f, zStep = 0.1f;
    // Unit codes: -5 m, -4 cm, -3 mm, -2 µm, -1 nm, 0 Å, 1 nA, 2 V, 3 none, 5 deg, ...
    int xUnit = -2, yUnit = -2, zUnit = -1;
    // Carried; Gwyddion adds zOffset (in the Z unit) to every sample.
    float xOffset = 0.5f, yOffset = -0.25f, zOffset = 2.0f;
    int extraBytes = 0; // length of the extra block; the variable block is 107 + extraBytes
    // Points of a point-spectroscopy series: the image header's last field, and a block of
    // 14 + 16 * dots filler bytes between the image header and the samples.
    int dots = 0;
    // columns*rows values in file order; empty means PatternSamples(columns, rows, seed).
    std::vector<std::int16_t> samples;
    std::uint32_t seed = 1;
    // -1: the frame's real size (or variable block size). Anything else is written as is while the
    // frame's bytes stay the same, so the next frame still follows the real end of this one.
    long long frameSize = -1;
    long long varSize = -1;
    // -1: columns (rows). Anything else goes to the image header as is; the samples stay columns*rows.
    int imageColumnsField = -1, imageRowsField = -1;
    // For type != 0: the bytes after the 22-byte header, all of them the variable block unless varSize
    // says otherwise. Empty means 48 filler bytes.
    std::string body;
};

struct MdtFile {
    std::vector<MdtFrame> frames{MdtFrame{}};
    int lastFrameIndex = -1;               // -1: frames.size() - 1
    std::uint32_t signature = 0xFF93B001u; // bytes 01 B0 93 FF
    long long sizeField = -1;              // uint32 at 4; -1: length of the file with its trailer, minus 33
    std::string trailer;                   // appended after the last frame
    long long truncateTo = -1;             // cut the file to this many bytes if it is longer
};

// The whole file. Throws std::invalid_argument if a frame's samples do not number columns*rows or
// its extraBytes is negative.
std::string MakeNtMdt(const MdtFile& file);

// Bytes frame occupies in the file, header included (its real size, whatever frameSize says).
std::size_t MdtFrameBytes(const MdtFrame& frame);

// Where frame k's header starts: 33 plus the real sizes of the frames before it.
std::size_t MdtFrameOffset(const MdtFile& file, std::size_t k);

} // namespace testdata
