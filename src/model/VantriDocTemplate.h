#pragma once
// The template of a surface document type: matching by extension and the counters that number the
// documents opened from one file.
#include "framework/fwDocTemplate.h"

namespace doc {

class CVantriDocTemplate : public fw::CDocTemplate {
public:
    using fw::CDocTemplate::CDocTemplate;

    Confidence MatchDocType(const std::wstring& path, fw::CDocument*& match) override;

    // The number of the file-open in progress, and the image of that file to read next.
    int m_nGroup = 0;
    int m_nImage = 0;
};

// True when the extension (the text after the last dot of the file name) has at least three
// characters of which the first three are digits.
bool HasNumberedExtension(const std::wstring& path);

} // namespace doc
