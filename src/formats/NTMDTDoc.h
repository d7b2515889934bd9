#pragma once
// NT-MDT scan files: a 33-byte header and a chain of frames. Every scanned-image frame of a file
// opens as one document of the file's group; text frames (type 3) are passed over.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/VantriDoc.h"

namespace doc {

// The text of an axis unit code, or null for a code the format does not define.
const wchar_t* NtMdtUnitText(int code);
// The first code whose text is this unit; false when no code has it.
bool NtMdtUnitCode(const std::wstring& text, int& code);

// One frame of the chain: where it starts, its stored size and its type.
struct CMdtFrame {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    int type = 0;
    bool fits = false; // the frame's size is at least its header and it ends inside the file
};

// The frames of a file, walked once per open: frames 0, 1, ... up to the last the file header
// names, as far as their headers lie inside the file. A frame whose size is broken is the last listed:
// it hides every frame after it.
class CMdtIndex : public CFileIndex {
public:
    int lastFrame = -1;
    std::vector<CMdtFrame> frames;
};

// Walks the frame chain of a file of this length; readHeader(offset, bytes) fills the 22 bytes of a
// frame header and returns false when it cannot.
std::vector<CMdtFrame> WalkMdtFrames(std::uint64_t length, int lastFrame,
                                     const std::function<bool(std::uint64_t, unsigned char*)>& readHeader);

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
    std::shared_ptr<const CFileIndex> GroupIndex() const override { return m_index; }
    void Reprocess() override;
    void SetTitle(const std::wstring& title) override;
    std::wstring FormatName() const override { return L"NT-MDT"; }

protected:
    void Load(fw::CArchive& ar) override;
    void Store(fw::CArchive& ar) override;

private:
    // Frame k of the file as opened; null when k is outside the file's frame count or its header
    // lies beyond the end of the file.
    const CMdtFrame* Frame(int k) const;
    void VetUnits();

    std::shared_ptr<const CMdtIndex> m_index;
};

} // namespace doc
