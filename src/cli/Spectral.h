#pragma once
// "vantri-cli spectrum" and "vantri-cli acf": what the spectrum and auto-correlation windows show of a
// surface, as one JSON line of the texture's numbers or as the texture's display levels.
#include <string>
#include <vector>

#include "analysis/Spectrum.h"
#include "cli/Settings.h"

namespace cli {

struct CSpectralOptions {
    bool correlation = false; // acf
    std::string file;
    int image = 0;
    std::vector<CSetting> settings;
    bool linear = false;   // spectrum only
    int maxTexture = 8192; // a power of two from 2
    std::string dump;      // "", "csv" or "f32le"
};

// Reads the arguments after "spectrum" or "acf" (options.correlation set beforehand); an empty text,
// or what is wrong.
std::string ParseSpectralOptions(const std::vector<std::string>& args, CSpectralOptions& options);

// The line: file, image, columns, rows, texture_width, texture_height, s_max, t_max, resampled, factor,
// and for the spectrum log, max_amplitude and max_at ({"column", "row"}, null without a cell off the
// centre).
std::string SpectralJson(const std::wstring& file, int image, const fourier::CSpectralTexture& texture,
                         const CSpectralOptions& options);

// The region as the texture holds it, row 0 first: csv lines of the shortest text that reads back as
// the same float, or little-endian floats.
std::string RegionBytes(const fourier::CSpectralTexture& texture, const std::string& format);

} // namespace cli
