#include "formats/DocTypes.h"

#include <cstdio>
#include <memory>

#include "formats/DIDoc.h"
#include "formats/NTMDTDoc.h"
#include "formats/SPMDoc.h"
#include "framework/fwApp.h"
#include "framework/fwDocManager.h"
#include "model/VantriDocTemplate.h"

namespace doc {

namespace {
std::wstring DocString(const std::wstring& name, const std::wstring& filter, const std::wstring& extensions) {
    return L"\nNew\n" + name + L"\n" + filter + L"\n" + extensions + L"\nVantri.Document\nVantri Document";
}
} // namespace

std::wstring NanoScopeDocString() {
    std::wstring extensions;
    for (int n = 0; n < 100; ++n) {
        wchar_t ext[8];
        std::swprintf(ext, 8, L".%03d", n);
        if (n)
            extensions += L';';
        extensions += ext;
    }
    return DocString(L"000 DI file", L"Veeco NanoScope III Files (*.000 - *.099)", extensions);
}

std::wstring NanotopDocString() {
    return DocString(L"SPM file", L"MPRI NANOTOP-205 Files (*.spm)", L".spm");
}

std::wstring NtMdtDocString() {
    return DocString(L"MDT file", L"NT-MDT Files (*.mdt)", L".mdt");
}

void RegisterDocTypes(fw::CWinApp& app, const CTemplateMaker& maker) {
    fw::CDocManager& manager = app.GetDocManager();
    auto add = [&](const std::wstring& docString, fw::CDocTemplate::Factory factory) {
        if (maker)
            manager.AddDocTemplate(maker(docString, std::move(factory)));
        else
            manager.AddDocTemplate(std::make_unique<CVantriDocTemplate>(docString, std::move(factory)));
    };
    add(NanoScopeDocString(), [] { return std::make_unique<CDIDoc>(); });
    add(NanotopDocString(), [] { return std::make_unique<CSPMDoc>(); });
    add(NtMdtDocString(), [] { return std::make_unique<CNTMDTDoc>(); });
}

} // namespace doc
