#include "formats/DocTypes.h"

#include <cstdio>
#include <memory>

#include "formats/DIDoc.h"
#include "framework/fwApp.h"
#include "model/VantriDocTemplate.h"

namespace doc {

std::wstring NanoScopeDocString() {
    std::wstring extensions;
    for (int n = 0; n < 100; ++n) {
        wchar_t ext[8];
        std::swprintf(ext, 8, L".%03d", n);
        if (n)
            extensions += L';';
        extensions += ext;
    }
    return L"\nNew\n000 DI file\nVeeco NanoScope III Files (*.000 - *.099)\n" + extensions +
           L"\nVantri.Document\nVantri Document";
}

void RegisterDocTypes(fw::CWinApp& app) {
    app.GetDocManager().AddDocTemplate(
        std::make_unique<CVantriDocTemplate>(NanoScopeDocString(), [] { return std::make_unique<CDIDoc>(); }));
}

} // namespace doc
