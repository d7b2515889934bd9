#pragma once
// The document types of the scan formats, registered in the order files are matched against them.
#include <string>

namespace fw {
class CWinApp;
}

namespace doc {

// The seven-field document strings of the three types.
std::wstring NanoScopeDocString();
std::wstring NanotopDocString();
std::wstring NtMdtDocString();

// Registers one opening template per scan format with the application's document manager, in the
// order NanoScope III, NANOTOP-205, NT-MDT.
void RegisterDocTypes(fw::CWinApp& app);

} // namespace doc
