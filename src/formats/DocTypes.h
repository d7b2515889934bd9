#pragma once
// The document types of the scan formats, registered in the order files are matched against them.
#include <string>

namespace fw {
class CWinApp;
}

namespace doc {

// The seven-field document string of the NanoScope III type.
std::wstring NanoScopeDocString();

// Registers one opening template per scan format with the application's document manager.
void RegisterDocTypes(fw::CWinApp& app);

} // namespace doc
