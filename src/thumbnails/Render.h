#pragma once
// The pieces of the drawing that the thumbnailer and the tests use on their own: where the samples of
// a picture come from, the two grey mappings, and telling the formats apart by name or first bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "thumbnails/Extractor.h"

namespace thumbs {

// The largest picture drawn, in pixels; a larger request is answered with kOutOfMemory.
constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 26;

// For `count` outputs over `sourceCount` samples (both at least 1): the integer parts of the running
// sum 0, s, s + s, ... of the single-precision step s = sourceCount / count, each kept below
// sourceCount (the float sum may creep past the end when the picture is larger than the scan).
std::vector<std::uint64_t> SourceIndices(std::uint64_t sourceCount, int count);

// Grey levels from the smallest to the largest value: (v - lo) * 255 / (hi - lo), truncated; all
// black when the values are all equal.
void MapMinMax(const std::int32_t* values, std::size_t count, std::uint8_t* grey);

// Grey levels over the range with the lowest and highest 1/256 of the values left out and widened by
// 1/32 of itself on both sides; values beyond it are black or white. Throws std::bad_alloc.
void MapRobust(const std::int32_t* values, std::size_t count, std::uint8_t* grey);

// A scan's first image as the file holds it: columns x rows samples, row by row, the file's first
// line first.
struct CSamples {
    std::uint64_t columns = 0, rows = 0;
    std::vector<std::int32_t> values;
};

// Reads every sample of the first image that Render draws from, with Render's checks: kOk, kFail,
// kInvalidArg without a file, kOutOfMemory past kMaxPicturePixels samples. The 32-bit samples of a
// NanoScope file of version 9.2 or later come narrowed to 16 bits as the application holds them
// (Render maps them unnarrowed: the picture is the same but for rounding).
Result FirstImage(Format format, std::FILE* file, CSamples& out);

// The format of a file name's extension: .000 to .099 NanoScope III, .mdt NT-MDT, .spm NANOTOP-205,
// without regard to case. False for any other name.
bool FormatFromName(const char* name, Format& format);

// The format told by a file's first bytes, for the two formats that have a mark: NT-MDT's signature
// 01 B0 93 FF and NanoScope III's "\*File list".
bool FormatFromMagic(const std::uint8_t* bytes, std::size_t count, Format& format);

} // namespace thumbs
