#include "model/VantriDocTemplate.h"

#include <algorithm>
#include <cwctype>

#include "framework/fwDocument.h"

namespace doc {

namespace {
bool SameTextNoCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
           });
}

// The text after the last dot of the file name, with the dot; empty when the name has none.
std::wstring Extension(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"/\\");
    const std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return std::wstring();
    return path.substr(dot);
}

bool StartsWithThreeDigits(const std::wstring& ext) {
    return ext.size() >= 4 && std::iswdigit(static_cast<wint_t>(ext[1])) &&
           std::iswdigit(static_cast<wint_t>(ext[2])) && std::iswdigit(static_cast<wint_t>(ext[3]));
}
} // namespace

bool HasNumberedExtension(const std::wstring& path) { return StartsWithThreeDigits(Extension(path)); }

fw::CDocTemplate::Confidence CVantriDocTemplate::MatchDocType(const std::wstring& path, fw::CDocument*& match) {
    match = nullptr;
    for (fw::CDocument* doc : GetDocuments()) {
        if (!doc->GetPathName().empty() && SameTextNoCase(doc->GetPathName(), path)) {
            match = doc;
            return yesAlreadyOpen;
        }
    }
    std::wstring filter;
    GetDocString(filter, filterExt);
    const std::wstring ext = Extension(path);
    if (!ext.empty() && SameTextNoCase(ext, filter))
        return yesAttemptNative;
    // Instruments number their files: every extension of a dot and three digits is the numbered type's.
    const std::wstring firstFilterExt = filter.substr(0, filter.find(L';'));
    if (StartsWithThreeDigits(ext) && StartsWithThreeDigits(firstFilterExt))
        return yesAttemptNative;
    return yesAttemptForeign;
}

} // namespace doc
