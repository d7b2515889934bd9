#pragma once
// "vantri-cli mesh": the processed surface as the 3D view models it, written as a closed solid to an STL
// file for 3D printing: the surface, its four walls down to height 0 and a flat bottom.
#include <string>
#include <vector>

#include "cli/Settings.h"

namespace doc {
class CDataDoc;
}

namespace cli {

struct CMeshOptions {
    std::string file;
    int image = 0;
    std::vector<CSetting> settings;
    std::string stl; // where the solid goes
    bool ascii = false;
};

// Reads the arguments after "mesh"; an empty text, or what is wrong.
std::string ParseMeshOptions(const std::vector<std::string>& args, CMeshOptions& options);

// Builds the model of the processed surface and writes its solid to options.stl; false with the reason in
// problem (no file is then left behind).
bool WriteSurfaceStl(const doc::CDataDoc& processed, const CMeshOptions& options, std::string& problem);

} // namespace cli
