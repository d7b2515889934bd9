#pragma once
// NanoScope III scan files: a text header ending at the first byte 0x1A, and 16-bit images at the
// offsets the header names (32-bit ones from version 9.2 on). One document shows one image; a file of
// several images opens as a group.
#include <cstddef>
#include <cstdint>
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

    // Versions from 9.2 on may store 4 bytes a sample and state each image's data length.
    static constexpr unsigned long kWideVersion = 0x09200000UL;

    std::string m_section; // the text of this document's "\*Ciao image list" section
    unsigned long m_ulVersion = 0;
    int m_nBytesPerPixel = 0;
    int m_nColumns = 0;
    int m_nRows = 0;
    long long m_llDataOffset = 0;
    double m_dYExtent = 0.0;
    double m_dXExtent = 0.0;
    double m_dFullScale = 0.0;    // F: the height that the whole span of the file's samples stands for
    std::string m_strLateralUnit; // 8-bit text; 0xB5 is the micro sign
    std::string m_strHeightUnit;
    // The height of one raw count: F / 65536, or F x 2^s / 2^32 for 32-bit samples narrowed by s bits.
    double m_dHeightStep = 0.0;
    std::string m_strType;       // "Height", "Phase", "Amplitude" or one of the newer files' types
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
    int ReadWideRaw(fw::CArchive& ar);

    std::shared_ptr<const CDIIndex> m_index;
};

// Position just after the backslash of the (k+1)-th "\*Ciao image list" of a header, or -1.
long long FindImageSection(const std::string& header, int k);

// 32-bit counts into 16 bits: shifted right by the smallest s that brings their span within 65535,
// then centred on 0. Returns s.
int NarrowCounts(const std::int32_t* counts, std::size_t count, std::int16_t* out);

} // namespace doc
