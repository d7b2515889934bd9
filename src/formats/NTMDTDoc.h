#pragma once
// NT-MDT scan files: a 33-byte header and a chain of frames. Every scanned-image frame of a file
// opens as one document of the file's group; text frames (type 3) are passed over.
#include <cstdint>
#include <string>
#include <vector>

#include "model/VantriDoc.h"

namespace doc {

// The text of an axis unit code, or null for a code the format does not define.
const wchar_t* NtMdtUnitText(int code);
// The first code whose text is this unit; false when no code has it.
bool NtMdtUnitCode(const std::wstring& text, int& code);

class CNTMDTDoc : public CVantriDoc {
public:
    static constexpr std::size_t kFileHeaderSize = 33;
    static constexpr std::size_t kFrameHeaderSize = 22;
    static constexpr std::size_t kAxesSize = 30;
    static constexpr std::size_t kScanSize = 77;
    static constexpr std::size_t kImageHeaderSize = 8;

    unsigned char m_fileHeader[kFileHeaderSize] = {};
    unsigned char m_frameHeader[kFrameHeaderSize] = {};
    unsigned char m_axes[kAxesSize] = {};
    unsigned char m_scan[kScanSize] = {};
    std::string m_extra;
    unsigned char m_imageHeader[kImageHeaderSize] = {};
    // The point-spectroscopy block the image header's last field announces (14 + 16 bytes a point),
    // carried unchanged between the image header and the image.
    std::string m_dots;
    bool m_bSingleFrame = true;

    // Per axis X, Y, Z: the step of one sample (Z: of one raw count) and the unit used for it. A unit
    // code the application cannot measure in is taken as "nm" once, with a warning, when the frame opens.
    float m_step[3] = {};
    int m_unitCode[3] = {};
    std::wstring m_unit[3];

    long long FindImage(int k) override;
    int NextImage(int k) override;
    void Reprocess() override;
    void SetTitle(const std::wstring& title) override;
    std::wstring FormatName() const override { return L"NT-MDT"; }

protected:
    void Load(fw::CArchive& ar) override;
    void Store(fw::CArchive& ar) override;

private:
    struct CFrame {
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
        int type = 0;
        bool fits = false; // the frame's size is at least its header and it ends inside the file
    };
    // Frame k, read from the file being loaded as far as needed; null when k is outside the file's
    // frame count or its header lies beyond the end of the file.
    const CFrame* Frame(int k);
    void VetUnits();

    int m_nLastFrame = -1;
    std::vector<CFrame> m_frames; // frames 0, 1, ... as far as they were walked
    std::uint64_t m_fileLength = 0;
    fw::CArchive* m_pLoading = nullptr;     // the archive being loaded, only while Load runs
    const std::string* m_pSource = nullptr; // the source being stored, only while Store runs
};

} // namespace doc
