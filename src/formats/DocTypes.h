#pragma once
// The document types of the scan formats, registered in the order files are matched against them.
#include <functional>
#include <memory>
#include <string>

#include "framework/fwDocTemplate.h"

namespace fw {
class CWinApp;
}

namespace doc {

// The seven-field document strings of the three types.
std::wstring NanoScopeDocString();
std::wstring NanotopDocString();
std::wstring NtMdtDocString();

class CVantriDocTemplate;

// Makes the template of a type from its document string and document factory; the window layer's
// makes templates with windows.
using CTemplateMaker =
    std::function<std::unique_ptr<CVantriDocTemplate>(const std::wstring&, fw::CDocTemplate::Factory)>;

// Registers one opening template per scan format with the application's document manager, in the
// order NanoScope III, NANOTOP-205, NT-MDT; plain templates when no maker is given.
void RegisterDocTypes(fw::CWinApp& app, const CTemplateMaker& maker = CTemplateMaker());

} // namespace doc
