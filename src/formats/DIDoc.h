#pragma once
// NanoScope III scan files: a text header ending at the first byte 0x1A, and 16-bit images at the
// offsets the header names. One document shows one image; a file of several images opens as a group.
#include <memory>
#include <string>
#include <vector>

#include "model/VantriDoc.h"

namespace doc {

// A NanoScope file's header and where each of its image sections starts, read once per open.
class CDIIndex : public CFileIndex {
public:
    std::string header;                // every byte before the first 0x1A
    std::vector<std::size_t> sections; // just after the backslash of each "\*Ciao image list"
};

class CDIDoc : public CVantriDoc {
public:
    // The longest header read: real ones are a few tens of KiB.
    static constexpr std::size_t kMaxHeader = std::size_t{1} << 20;

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
    std::shared_ptr<const CFileIndex> GroupIndex() const override { return m_index; }
    // Every byte before the first 0x1A of the file as it was opened.
    const std::string& Header() const;
    void Reprocess() override;
    void SetTitle(const std::wstring& title) override;
    std::wstring FormatName() const override { return L"NanoScope III"; }
    std::wstring ImageType() const override;

protected:
    void Load(fw::CArchive& ar) override;
    void Store(fw::CArchive& ar) override;

private:
    // The steps of a load, in the order their failures are reported.
    void ReadIndex(fw::CArchive& ar, std::uint64_t fileLength);
    void CheckVersion();
    void ReadSection();
    void ReadScanSize();
    void ReadImageType();
    void ReadFullScale();

    std::shared_ptr<const CDIIndex> m_index;
};

// Position just after the backslash of the (k+1)-th "\*Ciao image list" of a header, or -1.
long long FindImageSection(const std::string& header, int k);

} // namespace doc
