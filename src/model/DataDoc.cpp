#include "model/DataDoc.h"

namespace doc {

CDataDoc::CDataDoc() : width(0.0, L"nm"), height(0.0, L"nm"), range(0.0, L"nm") {}

} // namespace doc
