#include "model/VantriDocTemplate.h"

#include <algorithm>
#include <cwctype>

#include "framework/fwDocument.h"
#include "framework/fwText.h"

namespace doc {

namespace {

bool StartsWithThreeDigits(const std::wstring& ext) {
    return ext.size() >= 4 && std::iswdigit(static_cast<wint_t>(ext[1])) &&
           std::iswdigit(static_cast<wint_t>(ext[2])) && std::iswdigit(static_cast<wint_t>(ext[3]));
}
} // namespace

bool HasNumberedExtension(const std::wstring& path) {
    return StartsWithThreeDigits(fw::PathExtension(path));
}

fw::CDocTemplate::Confidence CVantriDocTemplate::MatchDocType(const std::wstring& path,
                                                              fw::CDocument*& match) {
    match = FindOpenDocument(path);
    if (match)
        return yesAlreadyOpen;
    std::wstring filter;
    GetDocString(filter, filterExt);
    const std::wstring ext = fw::PathExtension(path);
    if (!ext.empty() && fw::SameTextNoCase(ext, filter))
        return yesAttemptNative;
    // Instruments number their files: every extension of a dot and three digits is the numbered type's.
    const std::wstring firstFilterExt = filter.substr(0, filter.find(L';'));
    if (StartsWithThreeDigits(ext) && StartsWithThreeDigits(firstFilterExt))
        return yesAttemptNative;
    return yesAttemptForeign;
}

} // namespace doc
