#include "formats/NTMDTDoc.h"

#include <cmath>
#include <cstring>

#include "formats/Bytes.h"
#include "formats/Numbers.h"
#include "framework/fwArchive.h"
#include "framework/fwMessage.h"
#include "model/DocException.h"
#include "model/phSize.h"

namespace doc {

namespace {

constexpr std::uint32_t kSignature = 0xFF93B001u;
constexpr int kTypeImage = 0;
constexpr int kTypeRefused = 1;
constexpr int kTypeText = 3;
constexpr std::size_t kFixedVariableBlock = CNTMDTDoc::kAxesSize + CNTMDTDoc::kScanSize; // 107
constexpr double kCountSpan = 65535.0;
constexpr std::uint64_t kDotsHeaderSize = 14;
constexpr std::uint64_t kDotSize = 16;

struct CUnit {
    int code;
    const wchar_t* text;
};
// In the order saving looks a text up: the first code with the text wins.
const CUnit kUnits[] = {
    {-10, L"1/cm"},
    {-5, L"m"},
    {-4, L"cm"},
    {-3, L"mm"},
    {-2, L"\u00B5m"},
    {-1, L"nm"},
    {0, L"\u00C5"},
    {1, L"nA"},
    {2, L"V"},
    {3, L""},
    {4, L"kHz"},
    {5, L"deg"},
    {6, L"%"},
    {7, L"\u00B0C"},
    {9, L"sec"},
    {10, L"ms"},
    {11, L"\u00B5s"},
    {12, L"ns"},
    {13, L"Counts"},
    {14, L"Pixels"},
    {20, L"A"},
    {21, L"mA"},
    {22, L"\u00B5A"},
    {24, L"pA"},
    {26, L"mV"},
    {27, L"\u00B5V"},
    {28, L"nV"},
    {29, L"pV"},
    {30, L"N"},
    {31, L"mN"},
    {32, L"\u00B5N"},
    {33, L"nN"},
    {34, L"pN"},
    // Codes that repeat a text above; reading knows them, saving never writes them.
    {8, L"V"},
    {23, L"nA"},
    {25, L"V"},
};

const wchar_t* const kAxisNames[3] = {L"X-coordinates", L"Y-coordinates", L"Z-coordinates"};

[[noreturn]] void Fail(const std::wstring& reason, fw::CDocument* doc) {
    throw CDocException(reason, doc);
}

std::wstring Ordinal(int k) {
    return std::to_wstring(static_cast<long long>(k) + 1);
}

} // namespace

const wchar_t* NtMdtUnitText(int code) {
    for (const CUnit& u : kUnits)
        if (u.code == code)
            return u.text;
    return nullptr;
}

bool NtMdtUnitCode(const std::wstring& text, int& code) {
    for (const CUnit& u : kUnits) {
        if (text == u.text) {
            code = u.code;
            return true;
        }
    }
    return false;
}

std::vector<CMdtFrame> WalkMdtFrames(std::uint64_t length, int lastFrame,
                                     const std::function<bool(std::uint64_t, unsigned char*)>& readHeader) {
    std::vector<CMdtFrame> frames;
    std::uint64_t offset = CNTMDTDoc::kFileHeaderSize;
    for (int k = 0; k <= lastFrame; ++k) {
        unsigned char header[CNTMDTDoc::kFrameHeaderSize];
        if (offset > length || length - offset < sizeof header || !readHeader(offset, header))
            break;
        CMdtFrame frame;
        frame.offset = offset;
        const std::int32_t size = le::GetI32(header);
        frame.type = le::GetI16(header + 4);
        frame.size = size < 0 ? 0 : static_cast<std::uint64_t>(size);
        frame.fits = frame.size >= sizeof header && frame.size <= length - offset;
        frames.push_back(frame);
        if (!frame.fits)
            break;
        offset += frame.size;
    }
    return frames;
}

const CMdtFrame* CNTMDTDoc::Frame(int k) const {
    if (!m_index || k < 0 || static_cast<std::size_t>(k) >= m_index->frames.size())
        return nullptr;
    return &m_index->frames[static_cast<std::size_t>(k)];
}

long long CNTMDTDoc::FindImage(int k) {
    const CMdtFrame* f = Frame(k);
    return f ? static_cast<long long>(f->offset) : -1;
}

int CNTMDTDoc::NextImage(int k) {
    const int last = m_index ? m_index->lastFrame : -1;
    for (int j = k + 1; j > k && j <= last; ++j) {
        const CMdtFrame* f = Frame(j);
        // A frame that cannot be read is still the next one: its open tells the user why it fails.
        if (!f || !f->fits || f->type != kTypeText)
            return j;
    }
    return -1;
}

void CNTMDTDoc::SetTitle(const std::wstring& title) {
    CVantriDoc::SetTitle(m_bSingleFrame ? title : title + L" -" + Ordinal(image) + L"- ");
}

void CNTMDTDoc::Load(fw::CArchive& ar) {
    BeginLoad();
    const std::uint64_t length = ar.GetLength();

    ar.Seek(0);
    if (ar.Read(m_fileHeader, kFileHeaderSize) != kFileHeaderSize || le::GetU32(m_fileHeader) != kSignature)
        Fail(L"it is not NT-MDT file.", this);
    const int lastFrame = le::GetI16(m_fileHeader + 12);
    if (lastFrame < 0)
        Fail(L"it holds no frames.", this);

    // The frame chain is walked once for all the images of one open.
    m_index = std::static_pointer_cast<const CMdtIndex>(TakeGroupIndex(length));
    if (!m_index || m_index->lastFrame != lastFrame) {
        auto index = std::make_shared<CMdtIndex>();
        index->length = length;
        index->lastFrame = lastFrame;
        index->frames = WalkMdtFrames(length, lastFrame, [&ar](std::uint64_t offset, unsigned char* header) {
            ar.Seek(offset);
            return ar.Read(header, kFrameHeaderSize) == kFrameHeaderSize;
        });
        m_index = std::move(index);
    }

    // A text frame where the open starts is passed over like the ones between images.
    const CMdtFrame* frame = Frame(image);
    while (frame && frame->fits && frame->type == kTypeText) {
        const int next = NextImage(image);
        if (next < 0)
            Fail(L"it holds no frame of a scanned image.", this);
        image = next;
        frame = Frame(image);
    }
    if (!frame || !frame->fits)
        Fail(L"frame " + Ordinal(image) + L" does not fit in the file.", this);
    if (frame->type == kTypeRefused)
        Fail(L"this type of frame is not supported as yet.", this);
    if (frame->type != kTypeImage)
        Fail(L"have unknown type of Frame.", this);

    // Every block is checked against the frame's size (which lies inside the file) before it is read.
    const std::uint64_t frameSize = frame->size;
    ar.Seek(frame->offset);
    if (ar.Read(m_frameHeader, kFrameHeaderSize) != kFrameHeaderSize)
        Fail(L"frame " + Ordinal(image) + L" does not fit in the file.", this);
    const std::uint64_t variable = le::GetU16(m_frameHeader + 20);
    if (variable < kFixedVariableBlock || kFrameHeaderSize + variable + kImageHeaderSize > frameSize)
        Fail(L"the size of the frame's parameter block is incorrect.", this);
    std::string extra(static_cast<std::size_t>(variable - kFixedVariableBlock), '\0');
    if (ar.Read(m_axes, kAxesSize) != kAxesSize || ar.Read(m_scan, kScanSize) != kScanSize ||
        ar.Read(extra.data(), extra.size()) != extra.size() ||
        ar.Read(m_imageHeader, kImageHeaderSize) != kImageHeaderSize)
        Fail(L"frame " + Ordinal(image) + L" does not fit in the file.", this);
    m_extra = std::move(extra);

    const int columns = le::GetU16(m_imageHeader + 2);
    const int rows = le::GetU16(m_imageHeader + 4);
    if (columns == 0 || rows == 0)
        Fail(L"size of the image is incorrect.", this);
    const std::uint64_t points = le::GetU16(m_imageHeader + 6);
    const std::uint64_t dots = points ? kDotsHeaderSize + kDotSize * points : 0;
    const std::uint64_t bytes = static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rows) * 2;
    if (dots + bytes > frameSize - (kFrameHeaderSize + variable + kImageHeaderSize))
        Fail(L"the image does not fit in its frame.", this);
    std::string dotBlock(static_cast<std::size_t>(dots), '\0');
    if (ar.Read(dotBlock.data(), dotBlock.size()) != dotBlock.size())
        Fail(L"frame " + Ordinal(image) + L" does not fit in the file.", this);
    m_dots = std::move(dotBlock);

    if (!ReadRaw(ar, columns, rows))
        Fail(L"frame " + Ordinal(image) + L" does not fit in the file.", this);

    for (int axis = 0; axis < 3; ++axis) {
        m_step[axis] = le::GetF32(m_axes + 10 * axis + 4);
        m_unitCode[axis] = le::GetI16(m_axes + 10 * axis + 8);
    }
    if (const std::wstring problem = StepsProblem(m_step); !problem.empty())
        Fail(problem, this);
    VetUnits();
    m_bSingleFrame = lastFrame == 0;

    Reprocess();
    PrepareNextImage();
}

void CNTMDTDoc::VetUnits() {
    for (int axis = 0; axis < 3; ++axis) {
        const wchar_t* text = NtMdtUnitText(m_unitCode[axis]);
        if (text && ph::Size::is_unit(text)) {
            m_unit[axis] = text;
            continue;
        }
        fw::MessageBox(std::wstring(L" Unsupported unit of measurement\n on ") + kAxisNames[axis] +
                           L".\n Avoid of incorrect working of the application,\n"
                           L" it will be replaced with \"nm\".",
                       fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
        m_unit[axis] = L"nm";
    }
}

void CNTMDTDoc::Reprocess() {
    m_preprocessor.range = static_cast<float>(kCountSpan);
    const double f = RunChain();
    width = ph::Size(static_cast<double>(m_step[0]) * columns, m_unit[0].c_str());
    height = ph::Size(static_cast<double>(m_step[1]) * rows, m_unit[1].c_str());
    range = ph::Size(static_cast<double>(m_step[2]) * f, m_unit[2].c_str());
}

void CNTMDTDoc::Store(fw::CArchive& ar) {
    // The whole source is read first, so that saving onto the file the document came from works and
    // a source that cannot be read fails before anything is written.
    std::string source;
    if (!fw::ReadWholeFile(GetPathName(), source) || source.size() < kFileHeaderSize)
        Fail(L"I//O error occurred.", this);
    std::memcpy(m_fileHeader, source.data(), kFileHeaderSize);

    // The new height of one count keeps the physical heights of the re-quantised surface.
    ph::Size step = range / kCountSpan;
    step.normalize();
    if (step.dimension() == ph::Size(1.0, L"Hz").dimension())
        step.cast(L"kHz");
    int zCode = 0;
    if (!NtMdtUnitCode(step.unit(), zCode))
        Fail(L"internal error.", nullptr);

    // The frame's place in the source, walked the same way as when it was read.
    const std::vector<CMdtFrame> frames = WalkMdtFrames(
        source.size(), le::GetI16(m_fileHeader + 12), [&source](std::uint64_t offset, unsigned char* header) {
            std::memcpy(header, source.data() + offset, kFrameHeaderSize);
            return true;
        });
    const CMdtFrame* frame =
        image >= 0 && static_cast<std::size_t>(image) < frames.size() ? &frames[image] : nullptr;
    if (!frame || !frame->fits)
        Fail(L"frame " + Ordinal(image) + L" does not fit in the file.", this);
    if (le::GetI16(m_frameHeader + 4) != kTypeImage || frame->type != kTypeImage)
        Fail(L"this type of frame is not supported as yet.", this);

    unsigned char axes[kAxesSize];
    std::memcpy(axes, m_axes, kAxesSize);
    le::PutF32(axes + 24, static_cast<float>(step.value()));
    le::PutI16(axes + 28, static_cast<std::int16_t>(zCode));

    std::string body;
    body.append(reinterpret_cast<const char*>(m_frameHeader), kFrameHeaderSize);
    body.append(reinterpret_cast<const char*>(axes), kAxesSize);
    body.append(reinterpret_cast<const char*>(m_scan), kScanSize);
    body.append(m_extra);
    body.append(reinterpret_cast<const char*>(m_imageHeader), kImageHeaderSize);
    body.append(m_dots);
    // Re-quantised into a separate buffer: the document keeps the raw grid it read.
    body.append(le::Little16Bytes(CentredCounts()));
    if (body.size() > frame->size)
        Fail(L"the image does not fit in its frame.", this);

    // The frame keeps its stored size: whatever it holds after the image is carried over.
    const std::size_t offset = static_cast<std::size_t>(frame->offset);
    ar.Write(m_fileHeader, kFileHeaderSize);
    ar.Write(source.data() + kFileHeaderSize, offset - kFileHeaderSize);
    ar.Write(body);
    ar.Write(source.data() + offset + body.size(), source.size() - offset - body.size());
}

} // namespace doc
