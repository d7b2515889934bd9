#pragma once
// The failure of a reader or writer: the reason, worded for the user.
#include <string>

#include "framework/fwException.h"

namespace fw {
class CDocument;
}

namespace doc {

class CDocException : public fw::CException {
public:
    CDocException(const std::wstring& reason, fw::CDocument* document)
        : fw::CException(L"This file can not be open, because \n" + reason), m_pDocument(document) {}

    fw::CDocument* GetDocument() const { return m_pDocument; }

private:
    fw::CDocument* m_pDocument;
};

} // namespace doc
