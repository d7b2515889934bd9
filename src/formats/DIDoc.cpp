#include "formats/DIDoc.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
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

constexpr char kImageList[] = "\\*Ciao image list";
constexpr int kBits = 16;
constexpr double kCounts = 65536.0; // 2 to the power of the sample bits
constexpr std::size_t kUnitChars = 16;

[[noreturn]] void Fail(const std::wstring& reason, fw::CDocument* doc) {
    throw CDocException(reason, doc);
}

std::string RestOfLine(const std::string& text, std::size_t from) {
    const std::size_t end = text.find_first_of("\r\n", from);
    return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

// Splits like the C library's strtok: skips leading delimiters, then takes the text up to the next
// delimiter, which is consumed. The delimiters may change from call to call.
class CTokens {
public:
    explicit CTokens(std::string text) : m_text(std::move(text)) {}
    bool Next(const char* delimiters, std::string& token) {
        std::size_t start = m_text.find_first_not_of(delimiters, m_pos);
        if (start == std::string::npos) {
            m_pos = m_text.size();
            return false;
        }
        m_start = start;
        std::size_t end = m_text.find_first_of(delimiters, start);
        if (end == std::string::npos) {
            token = m_text.substr(start);
            m_pos = m_text.size();
        } else {
            token = m_text.substr(start, end - start);
            m_pos = end + 1;
        }
        return true;
    }
    // Where the token Next gave last starts in the text.
    std::size_t Start() const { return m_start; }

private:
    std::string m_text;
    std::size_t m_pos = 0;
    std::size_t m_start = 0;
};

// A whole decimal number at the start of text (leading blanks skipped), as atoi reads it, but never
// outside what a long long holds.
long long DecimalValue(const std::string& text) {
    errno = 0;
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    return errno == ERANGE ? -1 : value;
}

// The text of the section that starts at a marker such as "\*Scanner list": from the character after
// the backslash up to the next "\*". Returns false when the marker or the end is missing.
enum class SectionError { None, Missing, Unterminated };
SectionError FindSection(const std::string& header, const char* marker, std::string& section) {
    const std::size_t at = header.find(marker);
    if (at == std::string::npos)
        return SectionError::Missing;
    const std::size_t start = at + 1;
    const std::size_t end = header.find("\\*", start + 1);
    if (end == std::string::npos)
        return SectionError::Unterminated;
    section = header.substr(start, end - start);
    return SectionError::None;
}

// Reads the header: every byte before the first 0x1A. Returns false when the file has none within
// its first kMaxHeader bytes.
bool ReadHeader(fw::CArchive& ar, std::string& header) {
    header.clear();
    char chunk[65536];
    while (header.size() < CDIDoc::kMaxHeader) {
        const std::size_t got = ar.Read(chunk, std::min(sizeof chunk, CDIDoc::kMaxHeader - header.size()));
        if (got == 0)
            return false;
        const void* mark = std::memchr(chunk, 0x1A, got);
        if (mark) {
            header.append(chunk, static_cast<const char*>(mark) - chunk);
            return true;
        }
        header.append(chunk, got);
    }
    return false;
}

const wchar_t kNoHeaderEnd[] = L"the end of the header (byte 0x1A) is not found in its first 1 MiB.";

// The "Z scale: V" line of a section: "... [sensitivity name] ... (...) volts ...". The volts' place
// in the line is kept, so that a save can put new volts there.
struct CScaleLine {
    std::string sensName;
    std::string volts;
    std::size_t voltsAt = 0;
    std::string unit; // the token after the volts, if any
};
bool ParseScaleLine(const std::string& line, CScaleLine& scale) {
    CTokens tokens(line);
    std::string skip;
    if (!tokens.Next("[]", skip) || !tokens.Next("[]", scale.sensName) || !tokens.Next("()", skip) ||
        !tokens.Next("()", skip) || !tokens.Next(" \r\n", scale.volts) ||
        !std::isfinite(ParseDouble(scale.volts)))
        return false;
    scale.voltsAt = tokens.Start();
    tokens.Next(" \r\n", scale.unit);
    return true;
}

// The image types of newer files, whose sensitivity may be in either list and whose units come from
// the header.
bool IsNewerType(const std::string& type) {
    return type == "Height Sensor" || type == "Amplitude Error" || type == "Peak Force Error" ||
           type == "Deflection";
}

// A unit text as the unit table spells it: "~" is the micro sign, and the degree and masculine
// ordinal signs (in Latin-1 or UTF-8) stand for degrees.
std::string TableUnit(std::string unit) {
    if (unit == "\xBA" || unit == "\xB0" || unit == "\xC2\xBA" || unit == "\xC2\xB0")
        return "deg";
    std::replace(unit.begin(), unit.end(), '~', '\xB5');
    return unit;
}

// A unit that can carry a full scale: in the table, not empty, and not a force (the newer files'
// force channels are scaled by calibrations this reader does not read).
bool IsHeightUnit(const std::string& unit) {
    return !unit.empty() && unit.size() <= kUnitChars && ph::Size::is_unit(unit.c_str()) &&
           ph::Size(1.0, unit.c_str()).dimension() != ph::Size(1.0, "N").dimension();
}

// The factor of unit over base when unit is base itself or base with a decimal prefix; 0 otherwise.
double PrefixFactor(const std::string& unit, const std::string& base) {
    if (base.empty() || unit.size() < base.size() ||
        unit.compare(unit.size() - base.size(), base.size(), base))
        return 0.0;
    const std::string prefix = unit.substr(0, unit.size() - base.size());
    static const struct {
        const char* prefix;
        double factor;
    } kPrefixes[] = {{"", 1.0},   {"G", 1e9},     {"M", 1e6},  {"k", 1e3},
                     {"m", 1e-3}, {"\xB5", 1e-6}, {"n", 1e-9}, {"p", 1e-12}};
    for (const auto& p : kPrefixes)
        if (prefix == p.prefix)
            return p.factor;
    return 0.0;
}

// F and its unit for the newer types, from the sensitivity s with its unit (empty when none) and the
// Z scale's volts with theirs. Without a sensitivity unit F is s x volts in the volts' unit; with
// "A/B" the volts' unit must be B or a prefixed B, and F is s x volts x the prefix's factor in A.
bool NewerFullScale(double s, const std::string& sensUnit, double volts, const std::string& voltsUnit,
                    double& full, std::string& unit) {
    const std::string v = TableUnit(voltsUnit);
    if (sensUnit.empty()) {
        full = s * volts;
        unit = v;
        return IsHeightUnit(unit);
    }
    const std::size_t slash = sensUnit.find('/');
    if (slash == std::string::npos)
        return false;
    const double factor = PrefixFactor(v, TableUnit(sensUnit.substr(slash + 1)));
    unit = TableUnit(sensUnit.substr(0, slash));
    full = s * volts * factor;
    return factor != 0.0 && IsHeightUnit(unit);
}

std::wstring W(const std::string& text) {
    return fw::Widen(text);
}

// The decimal value after a key of an image section; a missing key fails the load or save.
long long SectionDecimal(const std::string& section, const char* key, fw::CDocument* doc) {
    const std::size_t at = section.find(key);
    if (at == std::string::npos)
        Fail(L"parameter \"" + W(key) + L"\" is not found in the image list.", doc);
    return DecimalValue(RestOfLine(section, at + std::strlen(key)));
}

} // namespace

// Every image section of a header, in order.
std::vector<std::size_t> ImageSections(const std::string& header) {
    std::vector<std::size_t> sections;
    for (std::size_t hit = header.find(kImageList); hit != std::string::npos;
         hit = header.find(kImageList, hit + 1))
        sections.push_back(hit + 1);
    return sections;
}

int NarrowCounts(const std::int32_t* counts, std::size_t count, std::int16_t* out) {
    if (count == 0)
        return 0;
    // Offset by 2^31 the counts are unsigned and shift without regard to sign.
    auto biased = [](std::int32_t v) { return static_cast<std::uint32_t>(v) ^ 0x80000000u; };
    const auto [lo, hi] = std::minmax_element(counts, counts + count);
    const std::uint32_t low = biased(*lo), high = biased(*hi);
    int s = 0;
    while ((high >> s) - (low >> s) > 0xFFFFu)
        ++s;
    // The middle rounded up, so that a span of exactly 65535 runs from -32768 to 32767.
    const std::uint32_t middle = (low >> s) + ((high >> s) - (low >> s) + 1) / 2;
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::int16_t>(static_cast<std::int32_t>(biased(counts[i]) >> s) -
                                           static_cast<std::int32_t>(middle));
    return s;
}

long long FindImageSection(const std::string& header, int k) {
    const std::vector<std::size_t> sections = ImageSections(header);
    return k >= 0 && static_cast<std::size_t>(k) < sections.size() ? static_cast<long long>(sections[k]) : -1;
}

long long CDIDoc::FindImage(int k) {
    if (!m_index || k < 0 || static_cast<std::size_t>(k) >= m_index->sections.size())
        return -1;
    return static_cast<long long>(m_index->sections[static_cast<std::size_t>(k)]);
}

const std::string& CDIDoc::Header() const {
    static const std::string none;
    return m_index ? m_index->header : none;
}

std::wstring CDIDoc::ImageType() const {
    return W(m_strType);
}

void CDIDoc::SetTitle(const std::wstring& title) {
    CVantriDoc::SetTitle(title + L" -" + W(m_strType) + L"- ");
}

// The header is read and indexed once for all the images of one open.
void CDIDoc::ReadIndex(fw::CArchive& ar, std::uint64_t fileLength) {
    m_index = std::static_pointer_cast<const CDIIndex>(TakeGroupIndex(fileLength));
    if (m_index)
        return;
    auto index = std::make_shared<CDIIndex>();
    index->length = fileLength;
    if (!ReadHeader(ar, index->header))
        Fail(fileLength > kMaxHeader ? kNoHeaderEnd : L"the end of the header (byte 0x1A) is not found.",
             this);
    index->sections = ImageSections(index->header);
    m_index = std::move(index);
}

void CDIDoc::CheckVersion() {
    const std::string& header = m_index->header;
    const std::size_t versionAt = header.find("\\Version:");
    if (versionAt == std::string::npos)
        Fail(L"version number is inaccessible.", this);
    const unsigned long version =
        std::strtoul(RestOfLine(header, versionAt + std::strlen("\\Version:")).c_str(), nullptr, 0);
    if (version < 0x04300000UL)
        Fail(L"file format versions lower as 4.30 is not support, as yet.", this);
    m_ulVersion = version;
}

void CDIDoc::ReadSection() {
    const std::string& header = m_index->header;
    const long long sectionAt = FindImage(image);
    if (sectionAt < 0)
        Fail(L"parameter \"Ciao image list\" is inaccessible.", this);
    const std::size_t sectionEnd = header.find("\\*", static_cast<std::size_t>(sectionAt) + 1);
    if (sectionEnd == std::string::npos)
        Fail(L"occured error reading of \"Ciao image list\".", this);
    m_section = header.substr(static_cast<std::size_t>(sectionAt), sectionEnd - sectionAt);
}

// Scan size: Y extent, X extent and the lateral unit. Newer files spell the key "\Scan Size:"; where
// both are written the usual spelling is taken.
void CDIDoc::ReadScanSize() {
    std::size_t at = m_section.find("\\Scan size:");
    if (at == std::string::npos)
        at = m_section.find("\\Scan Size:");
    CTokens tokens(at == std::string::npos ? std::string()
                                           : RestOfLine(m_section, at + std::strlen("\\Scan size:")));
    std::string first, second, unit;
    if (at == std::string::npos || !tokens.Next(" \r\n", first) || !tokens.Next(" \r\n", second))
        Fail(L"parameter \"Scan size:\" is inaccessible.", this);
    tokens.Next(" \r\n", unit);
    m_dYExtent = ParseDouble(first);
    m_dXExtent = ParseDouble(second);
    if (!std::isfinite(m_dYExtent) || !std::isfinite(m_dXExtent))
        Fail(L"parameter \"Scan size:\" is inaccessible.", this);
    unit = unit.substr(0, kUnitChars);
    if (unit == "~m" || unit.empty()) {
        unit = "\xB5m";
    } else if (!ph::Size::is_unit(unit.c_str())) {
        fw::MessageBox(W(unit) + L" - is unsupported unit of measurement\n        on XY-coordinate.\n"
                                 L"        Avoid of incorrect working of the application,\n"
                                 L"        it will be replaced with \"\u00B5m\".",
                       fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
        unit = "\xB5m";
    }
    m_strLateralUnit = unit;
}

void CDIDoc::ReadImageType() {
    const std::size_t at = m_section.find("Image Data: S");
    const std::string line = at == std::string::npos ? std::string() : RestOfLine(m_section, at);
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos)
        Fail(L"parameter \"Image Data: S\" is inaccessible.", this);
    m_strType = line.substr(open + 1, close - open - 1);
}

// The height that the whole span of the file's samples (16 or 32 bits) stands for: the Z scale's
// volts, times the sensitivity that the Z scale names in brackets for heights, phases and the newer
// types.
void CDIDoc::ReadFullScale() {
    CScaleLine scale;
    {
        const std::size_t at = m_section.find("Z scale: V");
        if (at == std::string::npos || !ParseScaleLine(RestOfLine(m_section, at), scale))
            Fail(L"parameter \"Z scale: V\" is inaccessible.", this);
        m_strScaleValue = scale.volts;
    }
    const double volts = ParseDouble(m_strScaleValue);
    const std::string key = "\\@" + scale.sensName + ": V";
    const std::wstring noSensitivity = L"parameter \"" + W(key) + L"\" is inaccessible.";

    // The sensitivity line of a list section: its number and the unit token after it (empty when
    // none). False when the section has no such line.
    auto findSensitivity = [&](const std::string& section, double& s, std::string& unit) {
        const std::size_t at = section.find(key);
        if (at == std::string::npos)
            return false;
        const std::string rest = RestOfLine(section, at + key.size());
        s = ParseDouble(rest);
        if (!std::isfinite(s))
            Fail(noSensitivity, this);
        CTokens tokens(rest);
        std::string number;
        unit.clear();
        if (tokens.Next(" ", number))
            tokens.Next(" ", unit);
        return true;
    };
    auto sensitivity = [&](const char* marker) {
        std::string section;
        const std::wstring name = W(marker);
        switch (FindSection(m_index->header, marker, section)) {
        case SectionError::Missing:
            Fail(L"parameter \"" + name + L"\" is inaccessible.", this);
        case SectionError::Unterminated:
            Fail(L"occured error reading of \"" + name + L"\".", this);
        case SectionError::None:
            break;
        }
        double s = 0.0;
        std::string unit;
        if (!findSensitivity(section, s, unit))
            Fail(noSensitivity, this);
        return s;
    };
    if (m_strType == "Height") {
        m_dFullScale = sensitivity("\\*Scanner list") * volts;
        m_strHeightUnit = "nm";
    } else if (m_strType == "Phase") {
        m_dFullScale = sensitivity("\\*Ciao scan list") * volts;
        m_strHeightUnit = "deg";
    } else if (m_strType == "Amplitude") {
        m_dFullScale = volts;
        m_strHeightUnit = "V";
    } else if (IsNewerType(m_strType)) {
        // The scanner list first: a Height Sensor's "Sens. ZsensSens" is only in the scan list, and
        // the scanner list's "Sens. Zsens" must not be taken for it.
        double s = 0.0;
        std::string unit;
        bool found = false;
        for (const char* marker : {"\\*Scanner list", "\\*Ciao scan list"}) {
            std::string section;
            if (FindSection(m_index->header, marker, section) == SectionError::None &&
                findSensitivity(section, s, unit)) {
                found = true;
                break;
            }
        }
        if (!found)
            Fail(noSensitivity, this);
        if (!NewerFullScale(s, unit, volts, scale.unit, m_dFullScale, m_strHeightUnit))
            Fail(W(m_strType) + L" is unsupported format of \"Image Data\".", this);
    } else {
        Fail(W(m_strType) + L" is unsupported format of \"Image Data\".", this);
    }
}

void CDIDoc::Load(fw::CArchive& ar) {
    BeginLoad();
    const std::uint64_t fileLength = ar.GetLength();
    ReadIndex(ar, fileLength);
    CheckVersion();
    ReadSection();
    const long long dataOffset = SectionDecimal(m_section, "\\Data offset:", this);
    const long long bytesPerPixel = SectionDecimal(m_section, "\\Bytes/pixel:", this);
    const long long samples = SectionDecimal(m_section, "\\Samps/line:", this);
    const long long lines = SectionDecimal(m_section, "\\Number of lines:", this);
    ReadScanSize();
    ReadImageType();
    ReadFullScale();
    const bool newer = m_ulVersion >= kWideVersion;
    if (bytesPerPixel != 2 && !(newer && bytesPerPixel == 4))
        Fail(L"this file format is not supported, as yet", this);

    // Sizes are checked against the file before anything is allocated or read.
    if (samples <= 0 || lines <= 0 || samples > INT32_MAX || lines > INT32_MAX)
        Fail(L"size of the image is incorrect.", this);
    // At most (2^31 - 1)^2 x 4 bytes: within 64 bits.
    const std::uint64_t bytes = static_cast<std::uint64_t>(samples) * static_cast<std::uint64_t>(lines) *
                                static_cast<std::uint64_t>(bytesPerPixel);
    // Newer files state each image's length; one that disagrees with the size is laid out in a way
    // this reader does not know.
    if (newer) {
        const std::size_t at = m_section.find("\\Data length:");
        if (at == std::string::npos ||
            DecimalValue(RestOfLine(m_section, at + std::strlen("\\Data length:"))) !=
                static_cast<long long>(bytes))
            Fail(L"this file format is not supported, as yet", this);
    }
    if (dataOffset < 0 || static_cast<std::uint64_t>(dataOffset) > fileLength ||
        bytes > fileLength - static_cast<std::uint64_t>(dataOffset))
        Fail(L"image data reach beyond the end of the file.", this);

    m_nBytesPerPixel = static_cast<int>(bytesPerPixel);
    m_nColumns = static_cast<int>(samples);
    m_nRows = static_cast<int>(lines);
    m_llDataOffset = dataOffset;

    ar.Seek(static_cast<std::uint64_t>(dataOffset));
    if (m_nBytesPerPixel == 4) {
        m_dHeightStep = m_dFullScale * std::pow(2.0, ReadWideRaw(ar)) / std::pow(2.0, 32);
    } else {
        if (!ReadRaw(ar, m_nColumns, m_nRows))
            Fail(L"image data reach beyond the end of the file.", this);
        m_dHeightStep = m_dFullScale / std::pow(2.0, kBits);
    }

    Reprocess();
    PrepareNextImage();
}

// 32-bit samples, narrowed into the 16-bit raw grid. Returns the bits s shifted out: one count of the
// grid stands for 2^s of the file's.
int CDIDoc::ReadWideRaw(fw::CArchive& ar) {
    const std::size_t count = static_cast<std::size_t>(m_nColumns) * static_cast<std::size_t>(m_nRows);
    std::vector<std::int32_t> counts(count);
    if (ar.Read(counts.data(), count * 4) != count * 4)
        Fail(L"image data reach beyond the end of the file.", this);
    for (std::int32_t& v : counts)
        v = le::GetI32(reinterpret_cast<const unsigned char*>(&v));
    TGrid<std::int16_t> raw(count);
    const int s = NarrowCounts(counts.data(), count, raw.data());
    m_raw = std::move(raw);
    m_rawColumns = m_nColumns;
    m_rawRows = m_nRows;
    RawChanged();
    return s;
}

void CDIDoc::Reprocess() {
    m_preprocessor.range = static_cast<float>(kCounts);
    const double f = RunChain();
    width = ph::Size(m_dXExtent, m_strLateralUnit.c_str());
    height = ph::Size(m_dYExtent, m_strLateralUnit.c_str());
    range = ph::Size(f * m_dHeightStep, m_strHeightUnit.c_str());
}

void CDIDoc::Store(fw::CArchive& ar) {
    // The surface is written as 16-bit counts: in a 32-bit image's place they would corrupt the file.
    if (m_nBytesPerPixel != 2)
        Fail(L"this file format is not supported, as yet", this);
    // The whole source is read before anything is written, so that saving onto the file the document
    // came from works, and a source that cannot be read fails the save before the target is touched.
    std::string source;
    if (!fw::ReadWholeFile(GetPathName(), source))
        Fail(L"I//O error occurred.", this);
    const std::size_t mark = source.find('\x1A');
    if (mark == std::string::npos || mark > kMaxHeader)
        Fail(mark == std::string::npos ? L"the end of the header (byte 0x1A) is not found." : kNoHeaderEnd,
             this);
    std::string header = source.substr(0, mark);

    // Patch the Z scale of this image so that the rewritten counts keep their physical heights. The
    // volts are found by the structure of this image's own section in the file as it is now: another
    // image may carry the same text, and an earlier save has changed this one's.
    const long long sectionAt = FindImageSection(header, image);
    if (sectionAt < 0)
        Fail(L"parameter \"Ciao image list\" is inaccessible.", this);
    const std::size_t sectionEnd = header.find("\\*", static_cast<std::size_t>(sectionAt) + 1);
    // The image's place in the file, from the same section.
    const long long dataOffset = SectionDecimal(
        header.substr(static_cast<std::size_t>(sectionAt),
                      sectionEnd == std::string::npos ? std::string::npos : sectionEnd - sectionAt),
        "\\Data offset:", this);
    const std::size_t scaleAt = header.find("Z scale: V", static_cast<std::size_t>(sectionAt));
    CScaleLine scale;
    if (scaleAt == std::string::npos || scaleAt >= sectionEnd ||
        !ParseScaleLine(RestOfLine(header, scaleAt), scale))
        Fail(L"parameter \"Z scale: V\" is inaccessible.", this);
    const double q = (ph::Size(m_dFullScale, m_strHeightUnit.c_str()) / range).value();
    // A surface without a height scale (F or the range 0) keeps the volts it had.
    if (std::isfinite(q) && q != 0.0)
        header.replace(scaleAt + scale.voltsAt, scale.volts.size(),
                       FormatDouble(ParseDouble(m_strScaleValue) / q, 7));

    const std::size_t imageBytes = m_raw.size() * 2;
    if (dataOffset < 0 || static_cast<std::uint64_t>(dataOffset) > source.size() ||
        imageBytes > source.size() - static_cast<std::size_t>(dataOffset))
        Fail(L"image data reach beyond the end of the file.", this);
    const std::size_t offset = static_cast<std::size_t>(dataOffset);
    if (header.size() + 1 > offset)
        Fail(L"the changed header does not fit before the image data.", this);

    // Re-quantised into a separate buffer: the document keeps the raw grid it read.
    const std::string image = le::Little16Bytes(CentredCounts());

    ar.Write(header);
    const char end = 0x1A;
    ar.Write(&end, 1);
    const std::size_t written = header.size() + 1;
    ar.Write(source.data() + written, offset - written);
    ar.Write(image);
    ar.Write(source.data() + offset + imageBytes, source.size() - offset - imageBytes);
}

} // namespace doc
