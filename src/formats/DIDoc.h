#pragma once
// NanoScope III scan files: a text header ending at the first byte 0x1A, and 16-bit images at the
// offsets the header names. One document shows one image; a file of several images opens as a group.
#include <string>

#include "model/VantriDoc.h"

namespace doc {

class CDIDoc : public CVantriDoc {
public:
    std::string m_header;  // every byte before the first 0x1A
    std::string m_section; // the text of this document's "\*Ciao image list" section
    int m_nBytesPerPixel = 0;
    int m_nColumns = 0;
    int m_nRows = 0;
    long long m_llDataOffset = 0;
    double m_dYExtent = 0.0;
    double m_dXExtent = 0.0;
    double m_dFullScale = 0.0;    // F: the height that the whole 16-bit span stands for
    std::string m_strLateralUnit; // 8-bit text; 0xB5 is the micro sign
    std::string m_strHeightUnit;
    double m_dHeightStep = 0.0;  // the height of one raw count, F / 65536
    std::string m_strType;       // "Height", "Phase" or "Amplitude"
    std::string m_strScaleValue; // the Z scale volts as the header writes them

    long long FindImage(int k) override;
    void Reprocess() override;
    void SetTitle(const std::wstring& title) override;
    std::wstring FormatName() const override { return L"NanoScope III"; }
    std::wstring ImageType() const override;

protected:
    void Load(fw::CArchive& ar) override;
    void Store(fw::CArchive& ar) override;
};

// Position just after the backslash of the (k+1)-th "\*Ciao image list" of a header, or -1.
long long FindImageSection(const std::string& header, int k);

} // namespace doc
