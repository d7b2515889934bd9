#pragma once
// "vantri-cli profile": what a profile window of a chosen size shows of a line drawn on an image, as
// one JSON line or its samples as CSV in physical units.
#include <string>
#include <vector>

#include "cli/Settings.h"
#include "view2d/Profile.h"

namespace cli {

struct CProfileOptions {
    std::string file;
    int image = 0;
    std::vector<CSetting> settings;
    prof::CPointF from, to;
    bool hasFrom = false, hasTo = false;
    int width = 0; // the window's client size
    int height = 365;
    bool interpolation = true;
    bool normalize = true;
    bool cut = true;
    bool hasMarkers = false;
    double marker1 = 0.0, marker2 = 0.0;
    bool csv = false;
};

// Reads the arguments after "profile"; an empty text, or what is wrong.
std::string ParseProfileOptions(const std::vector<std::string>& args, CProfileOptions& options);

// The profile of the surface as the window would make it: its line, its client size, its settings and
// the markers where they were put.
prof::ProfileModel MakeProfile(const doc::CDataDoc& surface, const CProfileOptions& options);

// The line: length, spacing, physical_length, samples ([distance, height] as the model holds them),
// minimum and maximum ({"height", "distance"}), markers and panes (the shown status bar's texts).
std::string ProfileJson(const prof::ProfileModel& profile, const doc::CDataDoc& surface);

} // namespace cli
