#pragma once
// MPRI NANOTOP-205 scan files: a 512-byte header and one image of 16-bit counts. The document holds
// the whole file and writes it back whole; the outermost cells of the scan are cropped away.
#include <cstdint>
#include <string>

#include "model/VantriDoc.h"

namespace doc {

class CSPMDoc : public CVantriDoc {
public:
    static constexpr std::size_t kHeaderSize = 512;

    CSPMDoc();

    // The header as read, every byte the format carries unchanged included; the fields below are
    // decoded from it and written back into it on saving.
    unsigned char m_header[kHeaderSize] = {};
    int m_nColumns = 0;
    int m_nRows = 0;
    float m_xStep = 0.0f;        // width of one sample, in the lateral unit
    float m_yStep = 0.0f;        // height of one line, in the lateral unit
    float m_zStep = 0.0f;        // height of one count, in the height unit
    std::string m_strHeightUnit; // at most four 8-bit characters
    std::string m_strLateralUnit;

    void Reprocess() override;
    std::wstring FormatName() const override { return L"NANOTOP-205"; }

protected:
    void Load(fw::CArchive& ar) override;
    void Store(fw::CArchive& ar) override;
};

} // namespace doc
