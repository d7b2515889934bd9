#pragma once
// Builds NANOTOP-205 .spm files byte for byte, for reader tests and benchmarks.
// Output depends only on the arguments: no clocks, no locale, no library random engines.
//
// Layout, all little-endian: a 512-byte header, then columns*rows int16 samples line after line.
// Header: uint16 columns at 2, uint16 rows at 6, float X, Y and Z steps at 8, 12 and 16 (width of
// one sample in the lateral unit, height of one count in the height unit), the height unit at 20
// and the lateral unit at 24 (four 8-bit characters each, NUL-padded). Every other header byte is
// one a reader only carries; they are filled with cycling letters so that a round trip can check
// them.
//
// Gwyddion's nanotop module takes a file only if it is exactly 512 + 2*columns*rows bytes long with
// both sizes in 1..32768. It ignores the lateral unit (always nm) and reads the height as nm
// unless the height unit is "deg".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testdata {

constexpr std::size_t kSpmHeader = 512;

struct SpmFile {
    int columns = 256, rows = 256;
    float xStep = 10.f, yStep = 10.f, zStep = 0.1f;
    // At most 4 bytes each, 8-bit text ("\xB5m" for µm).
    std::string heightUnit = "nm", lateralUnit = "nm";
    // columns*rows values in file order; empty means PatternSamples(columns, rows, seed).
    std::vector<std::int16_t> samples;
    std::uint32_t seed = 1;
    // -1: columns (rows). Anything else goes to the header as is; the samples stay columns*rows.
    int columnsField = -1, rowsField = -1;
    std::string trailer;       // appended after the samples
    long long truncateTo = -1; // cut the file to this many bytes if it is longer
};

// The whole file. Throws std::invalid_argument if the samples do not number columns*rows or a unit
// is longer than 4 bytes.
std::string MakeSpm(const SpmFile& file);

} // namespace testdata
