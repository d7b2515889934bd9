#include "formats/SPMDoc.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/Bytes.h"
#include "formats/Numbers.h"
#include "framework/fwArchive.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/DocException.h"
#include "model/phSize.h"

namespace doc {

namespace {

constexpr std::size_t kColumnsAt = 2;
constexpr std::size_t kRowsAt = 6;
constexpr std::size_t kXStepAt = 8;
constexpr std::size_t kYStepAt = 12;
constexpr std::size_t kZStepAt = 16;
constexpr std::size_t kHeightUnitAt = 20;
constexpr std::size_t kLateralUnitAt = 24;
constexpr std::size_t kUnitChars = 4;
constexpr double kCountSpan = 32767.0;

[[noreturn]] void Fail(const std::wstring& reason, fw::CDocument* doc) {
    throw CDocException(reason, doc);
}

std::string UnitField(const unsigned char* field) {
    const auto* text = reinterpret_cast<const char*>(field);
    return std::string(text, std::find(text, text + kUnitChars, '\0'));
}

void PutUnitField(unsigned char* field, const std::string& unit) {
    std::memset(field, 0, kUnitChars);
    std::memcpy(field, unit.data(), std::min(unit.size(), kUnitChars));
}

void WarnUnit(const std::string& unit, const wchar_t* axis) {
    fw::MessageBox(fw::Widen(unit) + L" - is unsupported unit of measurement\n        on " + axis +
                       L".\n        Avoid of incorrect working of the application,\n"
                       L"        it will be replaced with \"nm\".",
                   fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
}

// A unit symbol in the file's 8-bit characters. The ohm sign has none, so ohms take the spelling
// the unit table also reads ("kOhm").
std::string NarrowUnit(const std::wstring& unit) {
    std::string text;
    for (wchar_t c : unit) {
        if (c == L'\u2126')
            text += "Ohm";
        else
            text += static_cast<char>(static_cast<unsigned char>(c <= 0xFF ? c : L'?'));
    }
    return text.substr(0, kUnitChars);
}

bool SameRow(const ph::Size& size, const wchar_t* unit) {
    return size.dimension() == ph::Size(1.0, unit).dimension();
}

} // namespace

CSPMDoc::CSPMDoc() {
    m_preprocessor.SetMargins(1, 1, 1, 1);
}

void CSPMDoc::Load(fw::CArchive& ar) {
    BeginLoad();
    const std::uint64_t length = ar.GetLength();
    ar.Seek(0);
    if (length < kHeaderSize || ar.Read(m_header, kHeaderSize) != kHeaderSize)
        Fail(L"it is shorter than the header of NANOTOP-205 file.", this);
    m_nColumns = le::GetU16(m_header + kColumnsAt);
    m_nRows = le::GetU16(m_header + kRowsAt);
    m_xStep = le::GetF32(m_header + kXStepAt);
    m_yStep = le::GetF32(m_header + kYStepAt);
    m_zStep = le::GetF32(m_header + kZStepAt);

    // The height unit may be any the application measures in; the lateral one only nanometres.
    m_strHeightUnit = UnitField(m_header + kHeightUnitAt);
    if (m_strHeightUnit.empty()) {
        m_strHeightUnit = "nm";
    } else if (!ph::Size::is_unit(m_strHeightUnit.c_str())) {
        WarnUnit(m_strHeightUnit, L"Z-coordinate");
        m_strHeightUnit = "nm";
    }
    m_strLateralUnit = UnitField(m_header + kLateralUnitAt);
    if (!m_strLateralUnit.empty() && m_strLateralUnit != "nm")
        WarnUnit(m_strLateralUnit, L"XY-coordinates");
    m_strLateralUnit = "nm";

    if (m_nColumns == 0 || m_nRows == 0)
        Fail(L"size of the image is incorrect.", this);
    // The border of one sample is cut away: a scan of two samples or fewer across has no surface.
    if (m_nColumns <= m_preprocessor.left + m_preprocessor.right ||
        m_nRows <= m_preprocessor.top + m_preprocessor.bottom)
        Fail(L"the image of " + std::to_wstring(m_nColumns) + L" x " + std::to_wstring(m_nRows) +
                 L" samples holds nothing inside its border.",
             this);
    if (const std::wstring problem = StepsProblem({m_xStep, m_yStep, m_zStep}); !problem.empty())
        Fail(problem, this);
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(m_nColumns) * static_cast<std::uint64_t>(m_nRows) * 2;
    if (bytes > length - kHeaderSize)
        Fail(L"image data reach beyond the end of the file.", this);
    if (!ReadRaw(ar, m_nColumns, m_nRows))
        Fail(L"image data reach beyond the end of the file.", this);

    Reprocess();
    // One image per file: this closes the group, so that the next file opened gets its own.
    PrepareNextImage();
}

void CSPMDoc::Reprocess() {
    const double f = RunChain();
    width = ph::Size(static_cast<double>(m_xStep) * columns, m_strLateralUnit.c_str());
    height = ph::Size(static_cast<double>(rows) * m_yStep, m_strLateralUnit.c_str());
    range = ph::Size(static_cast<double>(m_zStep) * f, m_strHeightUnit.c_str());
}

void CSPMDoc::Store(fw::CArchive& ar) {
    // Counts 0..32767 for heights 0..1, written into a copy of the raw grid: the document keeps what
    // it read. The cropped margins repeat the nearest written cell.
    TGrid<std::int16_t> counts = m_raw;
    const int left = m_preprocessor.left, top = m_preprocessor.top;
    const int lastColumn = std::min(m_rawColumns, left + columns) - 1;
    const int lastRow = std::min(m_rawRows, top + rows) - 1;
    const auto at = [&](int j, int r) -> std::int16_t& {
        return counts[static_cast<std::size_t>(r) * static_cast<std::size_t>(m_rawColumns) +
                      static_cast<std::size_t>(j)];
    };
    if (columns > 0 && rows > 0 && left >= 0 && top >= 0 && lastColumn >= left && lastRow >= top) {
        for (int r = top; r <= lastRow; ++r) {
            const float* line =
                heights.data() + static_cast<std::size_t>(r - top) * static_cast<std::size_t>(columns);
            for (int j = left; j <= lastColumn; ++j) {
                double v = static_cast<double>(line[j - left]) * kCountSpan;
                v = std::isnan(v) ? 0.0 : std::clamp(v, -32768.0, 32767.0);
                at(j, r) = static_cast<std::int16_t>(std::trunc(v));
            }
        }
        for (int r = 0; r < m_rawRows; ++r) {
            const int from = std::clamp(r, top, lastRow);
            for (int j = 0; j < m_rawColumns; ++j)
                if (r != from || j < left || j > lastColumn)
                    at(j, r) = at(std::clamp(j, left, lastColumn), from);
        }
    }

    unsigned char header[kHeaderSize];
    std::memcpy(header, m_header, kHeaderSize);
    PutUnitField(header + kLateralUnitAt, "nm");
    // A surface cropped to nothing keeps the steps it had.
    if (columns > 0)
        le::PutF32(header + kXStepAt,
                   static_cast<float>((width / static_cast<double>(columns)).cast(L"nm").value()));
    if (rows > 0)
        le::PutF32(header + kYStepAt,
                   static_cast<float>((height / static_cast<double>(rows)).cast(L"nm").value()));
    ph::Size step = range / kCountSpan;
    step.normalize();
    if (SameRow(step, L"nm"))
        step.cast(L"nm");
    else if (SameRow(step, L"Hz"))
        step.cast(L"Hz");
    else if (SameRow(step, L"mA"))
        step.cast(L"mA");
    else if (SameRow(step, L"nN"))
        step.cast(L"nN");
    le::PutF32(header + kZStepAt, static_cast<float>(step.value()));
    PutUnitField(header + kHeightUnitAt, NarrowUnit(step.unit()));

    ar.Write(header, kHeaderSize);
    ar.Write(le::Little16Bytes(counts));
}

} // namespace doc
