#pragma once
// Builds NanoScope III scan files byte for byte, for reader tests and benchmarks.
// Output depends only on the arguments: no clocks, no locale, no library random engines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/ScanBytes.h"

namespace testdata {

// One "\*Ciao image list" section and its data block.
struct NsImage {
    std::string type = "Height"; // between the quotes of the "Image Data: S" line
    int columns = 16, rows = 16;
    int bytesPerPixel = 2; // each sample is written sign-extended (or cut) to this many bytes
    std::string scanSize = "5000 2500 nm";
    std::string sensName = "Sens. Zscan"; // bracketed name on the Z scale line
    std::string zScale = "440.0000";      // volts text on the Z scale line
    std::string zUnit = "V";              // the unit after the volts
    // columns*rows values in file order; empty means PatternSamples(columns, rows, seed).
    std::vector<std::int16_t> samples;
    std::uint32_t seed = 1;
    // When given (columns*rows values), written instead of samples as 32-bit values; bytesPerPixel
    // must then be 4.
    std::vector<std::int32_t> wideSamples;
    // -1: placed automatically, right after the previous written image (the first at the header size).
    // Any other value is written to the header as is; the data goes there only if it lies at or
    // beyond the header size, otherwise the header points at whatever bytes are there.
    long long dataOffset = -1;
    // Generated lines containing any of these texts are left out of this section.
    std::vector<std::string> omit;
    // Raw lines (without CR LF) appended to the section; never subject to omit.
    std::vector<std::string> extraLines;
};

struct NsFile {
    std::string version = "0x04300000"; // empty: no "\Version:" line
    std::vector<NsImage> images{NsImage{}};
    bool scannerList = true; // "\@<scannerSensName>: V <scannerSens> nm/V"
    std::string scannerSensName = "Sens. Zscan";
    double scannerSens = 13.2283;
    std::vector<std::string> scannerLines; // raw lines appended to the scanner list
    bool scanList = true; // "\@<phaseSensName>: V <phaseSens> deg/V", plus decoy scan size lines
    std::string phaseSensName = "Sens. Zscan";
    double phaseSens = 18.0;
    std::vector<std::string> scanLines; // raw lines appended to the scan list
    // Header text, 0x1A and padding fill this; grown to a multiple of 4096 if the text does not fit.
    std::size_t headerSize = 8192;
    bool endMark = true;
    bool fileListEnd = true;
    unsigned char padding = 0; // fills every byte not covered by header text or image data
    std::string trailer;       // appended after the last image's data
    long long truncateTo = -1; // cut the file to this many bytes if it is longer
};

// The whole file. Throws std::invalid_argument if an image's samples do not number columns*rows, or
// if wide samples are given for an image of other than 4 bytes per pixel.
std::string MakeNanoScope(const NsFile& file);

} // namespace testdata
