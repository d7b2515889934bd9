// Drawing the first image of a scan file as a grey picture. Each format gives a grid of K x L signed
// little-endian samples at some offset; only the rows and columns the picture shows are read, so the
// cost follows the picture's size, not the scan's. Every size and offset is checked against the file's
// length before anything is allocated or read.
#include "thumbnails/Render.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numeric>
#include <string>

namespace thumbs {
namespace {

constexpr std::uint32_t kNtMdtSignature = 0xFF93B001u;
constexpr std::size_t kNtMdtFileHeader = 33;
constexpr std::size_t kNtMdtFrameHeader = 22;
constexpr std::size_t kNtMdtImageHeader = 8;
constexpr std::size_t kNanotopHeader = 512;
constexpr std::uint64_t kNanotopMaxSamples = 0x100000;
constexpr unsigned long long kNanoScopeMinVersion = 0x04300000ull;
// From this version on the application opens 32-bit images, narrowed to 16 bits.
constexpr unsigned long long kNanoScopeWideVersion = 0x09200000ull;
// NanoScope headers are a few tens of KiB; a file without the end mark this far in is not one.
constexpr std::size_t kNanoScopeMaxHeader = std::size_t{1} << 20;
// Rows wider than this are read a piece at a time.
constexpr std::uint64_t kReadPiece = 64 * 1024;

bool SeekTo(std::FILE* file, std::uint64_t position) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(position), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

bool FileLength(std::FILE* file, std::uint64_t& length) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0)
        return false;
    const long long end = _ftelli64(file);
#else
    if (fseeko(file, 0, SEEK_END) != 0)
        return false;
    const long long end = ftello(file);
#endif
    if (end < 0)
        return false;
    length = static_cast<std::uint64_t>(end);
    return SeekTo(file, 0);
}

bool ReadAt(std::FILE* file, std::uint64_t position, void* buffer, std::size_t bytes) {
    return SeekTo(file, position) && std::fread(buffer, 1, bytes, file) == bytes;
}

unsigned U16(const std::uint8_t* p) {
    return p[0] | unsigned{p[1]} << 8;
}
std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// Where a grid of signed little-endian samples lies in the file.
struct CGrid {
    std::uint64_t offset = 0;
    std::uint64_t columns = 0; // K
    std::uint64_t rows = 0;    // L
    unsigned bytesPerSample = 2;
    bool narrowed = false; // 32-bit samples that the application narrows to 16 bits
};

std::int32_t Sample(const std::uint8_t* p, unsigned bytes) {
    switch (bytes) {
    case 1:
        return static_cast<std::int8_t>(p[0]);
    case 2:
        return static_cast<std::int16_t>(U16(p));
    default:
        return static_cast<std::int32_t>(U32(p));
    }
}

// Whether the grid has samples and lies within the file's length.
bool Fits(const CGrid& grid, std::uint64_t length) {
    if (grid.columns == 0 || grid.rows == 0 || grid.offset > length)
        return false;
    const std::uint64_t room = length - grid.offset;
    return grid.columns <= room / grid.bytesPerSample &&
           grid.rows <= room / (grid.columns * grid.bytesPerSample);
}

// The samples of a grid that fits at the given source rows and columns, row by row. kFail when a read
// comes up short.
Result SampleGrid(std::FILE* file, const CGrid& grid, const std::vector<std::uint64_t>& rows,
                  const std::vector<std::uint64_t>& columns, std::vector<std::int32_t>& values) {
    const unsigned bytes = grid.bytesPerSample;
    const std::uint64_t rowBytes = grid.columns * bytes;

    const std::size_t w = columns.size(), height = rows.size();
    values.assign(w * height, 0);
    std::vector<std::uint8_t> piece(static_cast<std::size_t>(std::min(rowBytes, kReadPiece)));
    const std::uint64_t pieceSamples = piece.size() / bytes;

    for (std::size_t i = 0; i < height; ++i) {
        std::int32_t* out = &values[i * w];
        if (i > 0 && rows[i] == rows[i - 1]) {
            std::copy(out - w, out, out);
            continue;
        }
        const std::uint64_t rowStart = grid.offset + rows[i] * rowBytes;
        for (std::size_t j = 0; j < w;) {
            const std::uint64_t first = columns[j];
            const std::uint64_t last = std::min(grid.columns - 1, first + pieceSamples - 1);
            const std::size_t count = static_cast<std::size_t>((last - first + 1) * bytes);
            if (!ReadAt(file, rowStart + first * bytes, piece.data(), count))
                return kFail;
            for (; j < w && columns[j] <= last; ++j)
                out[j] = Sample(&piece[static_cast<std::size_t>((columns[j] - first) * bytes)], bytes);
        }
    }
    return kOk;
}

// --- NanoScope III -------------------------------------------------------------------------------

// The header text: the bytes before the first 0x1A (or the whole file if it has none).
bool ReadNanoScopeHeader(std::FILE* file, std::string& text) {
    char chunk[4096];
    while (text.size() < kNanoScopeMaxHeader) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (const void* end = std::memchr(chunk, 0x1A, got)) {
            text.append(chunk, static_cast<std::size_t>(static_cast<const char*>(end) - chunk));
            return true;
        }
        text.append(chunk, got);
        if (got < sizeof chunk)
            return !std::ferror(file);
    }
    return false;
}

// The rest of the line after `key`, or false when the key is not in the text.
bool ValueAfter(const std::string& text, const char* key, std::string& value) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return false;
    const std::size_t begin = at + std::strlen(key);
    const std::size_t end = text.find_first_of("\r\n", begin);
    value = text.substr(
        begin, std::min<std::size_t>(end == std::string::npos ? text.size() : end, begin + 64) - begin);
    return true;
}

// A decimal count after `key`; 0 when the key is missing or no digits follow it. Saturates rather than
// wrapping, so that an absurd count is refused by the size checks.
std::uint64_t DecimalAfter(const std::string& section, const char* key) {
    std::string value;
    if (!ValueAfter(section, key, value))
        return 0;
    std::size_t k = value.find_first_not_of(" \t");
    if (k != std::string::npos && value[k] == '+')
        ++k;
    std::uint64_t number = 0;
    for (; k < value.size() && value[k] >= '0' && value[k] <= '9'; ++k) {
        const unsigned digit = static_cast<unsigned>(value[k] - '0');
        if (number > (UINT64_MAX - digit) / 10)
            return UINT64_MAX;
        number = number * 10 + digit;
    }
    return number;
}

Result NanoScopeGrid(std::FILE* file, CGrid& grid) {
    std::string text;
    if (!ReadNanoScopeHeader(file, text))
        return kFail;

    std::string version;
    if (!ValueAfter(text, "\\Version:", version))
        return kFail;
    // Base from the prefix: 0x hexadecimal, a leading 0 octal, else decimal.
    const unsigned long long number = std::strtoull(version.c_str(), nullptr, 0);
    if (number < kNanoScopeMinVersion)
        return kFail;

    static const char kImageList[] = "\\*Ciao image list";
    const std::size_t list = text.find(kImageList);
    if (list == std::string::npos)
        return kFail;
    const std::size_t begin = list + sizeof kImageList - 1;
    const std::size_t end = text.find("\\*", begin);
    if (end == std::string::npos)
        return kFail;
    const std::string section = text.substr(begin, end - begin);

    grid.offset = DecimalAfter(section, "\\Data offset:");
    const std::uint64_t bytes = DecimalAfter(section, "\\Bytes/pixel:");
    grid.columns = DecimalAfter(section, "\\Samps/line:");
    grid.rows = DecimalAfter(section, "\\Number of lines:");
    if (grid.offset == 0 || grid.columns == 0 || grid.rows == 0)
        return kFail;
    if (bytes != 1 && bytes != 2 && bytes != 4)
        return kFail;
    grid.bytesPerSample = static_cast<unsigned>(bytes);
    grid.narrowed = bytes == 4 && number >= kNanoScopeWideVersion;
    return kOk;
}

// 32-bit samples as the application holds them: shifted right by the smallest s that brings their
// span within 16 bits, then centred on 0.
void Narrow(std::vector<std::int32_t>& values) {
    if (values.empty())
        return;
    // Offset by 2^31 the samples are unsigned and shift without regard to sign.
    auto biased = [](std::int32_t v) { return static_cast<std::uint32_t>(v) ^ 0x80000000u; };
    const auto range = std::minmax_element(values.begin(), values.end());
    const std::uint32_t low = biased(*range.first), high = biased(*range.second);
    int s = 0;
    while ((high >> s) - (low >> s) > 0xFFFFu)
        ++s;
    const std::uint32_t middle = (low >> s) + ((high >> s) - (low >> s) + 1) / 2;
    for (std::int32_t& v : values)
        v = static_cast<std::int32_t>(biased(v) >> s) - static_cast<std::int32_t>(middle);
}

// --- NT-MDT --------------------------------------------------------------------------------------

Result NtMdtGrid(std::FILE* file, CGrid& grid) {
    std::uint8_t header[kNtMdtFileHeader];
    if (std::fread(header, 1, sizeof header, file) != sizeof header || U32(header) != kNtMdtSignature)
        return kFail;
    // The first frame, whatever its type: its header, its variable block, then an image header.
    std::uint8_t frame[kNtMdtFrameHeader];
    if (std::fread(frame, 1, sizeof frame, file) != sizeof frame)
        return kFail;
    const std::uint64_t imageHeaderAt = kNtMdtFileHeader + kNtMdtFrameHeader + U16(frame + 20);
    std::uint8_t image[kNtMdtImageHeader];
    if (!ReadAt(file, imageHeaderAt, image, sizeof image))
        return kFail;
    grid.columns = U16(image + 2);
    grid.rows = U16(image + 4);
    grid.offset = imageHeaderAt + kNtMdtImageHeader;
    grid.bytesPerSample = 2;
    return kOk;
}

// --- NANOTOP-205 ---------------------------------------------------------------------------------

Result NanotopGrid(std::FILE* file, CGrid& grid) {
    std::uint8_t header[kNanotopHeader];
    if (std::fread(header, 1, sizeof header, file) != sizeof header)
        return kFail;
    grid.columns = U16(header + 2);
    grid.rows = U16(header + 6);
    if (grid.columns * grid.rows > kNanotopMaxSamples)
        return kFail;
    grid.offset = kNanotopHeader;
    grid.bytesPerSample = 2;
    return kOk;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::vector<std::uint64_t> SourceIndices(std::uint64_t sourceCount, int count) {
    std::vector<std::uint64_t> indices(static_cast<std::size_t>(count));
    const float step = static_cast<float>(sourceCount) / static_cast<float>(count);
    float sum = 0.f;
    for (std::uint64_t& index : indices) {
        index = std::min(static_cast<std::uint64_t>(sum), sourceCount - 1);
        sum += step;
    }
    return indices;
}

void MapMinMax(const std::int32_t* values, std::size_t count, std::uint8_t* grey) {
    if (count == 0)
        return;
    const auto range = std::minmax_element(values, values + count);
    const std::int64_t lo = *range.first, span = std::int64_t{*range.second} - lo;
    for (std::size_t k = 0; k < count; ++k)
        grey[k] = span == 0 ? 0 : static_cast<std::uint8_t>((values[k] - lo) * 255 / span);
}

void MapRobust(const std::int32_t* values, std::size_t count, std::uint8_t* grey) {
    if (count == 0)
        return;
    std::vector<std::int32_t> order(values, values + count);
    const std::size_t cut = count / 256, top = count - cut - 1;
    std::nth_element(order.begin(), order.begin() + cut, order.end());
    const std::int64_t lo = order[cut];
    if (top > cut)
        std::nth_element(order.begin() + cut + 1, order.begin() + top, order.end());
    const std::int64_t hi = order[top];
    const std::int64_t margin = (hi - lo) / 32; // hi >= lo: never negative
    const std::int64_t low = lo - margin, span = (hi - lo) + 2 * margin;
    for (std::size_t k = 0; k < count; ++k) {
        const std::int64_t d = values[k] - low;
        if (d < 0)
            grey[k] = 0;
        else if (d > span)
            grey[k] = 255; // also every value above the rest when the range is a single value
        else
            grey[k] = span == 0 ? 0 : static_cast<std::uint8_t>(d * 255 / span);
    }
}

bool FormatFromName(const char* name, Format& format) {
    const char* dot = std::strrchr(name, '.');
    if (!dot || std::strchr(dot, '/') || std::strchr(dot, '\\'))
        return false;
    const std::string ext(dot + 1);
    if (ext.size() != 3)
        return false;
    if (ext[0] == '0' && IsDigit(ext[1]) && IsDigit(ext[2])) {
        format = Format::kNanoScope;
        return true;
    }
    const std::string lower{Lower(ext[0]), Lower(ext[1]), Lower(ext[2])};
    if (lower == "mdt") {
        format = Format::kNtMdt;
        return true;
    }
    if (lower == "spm") {
        format = Format::kNanotop;
        return true;
    }
    return false;
}

bool FormatFromMagic(const std::uint8_t* bytes, std::size_t count, Format& format) {
    static const char kFileList[] = "\\*File list";
    if (count >= 4 && U32(bytes) == kNtMdtSignature) {
        format = Format::kNtMdt;
        return true;
    }
    if (count >= sizeof kFileList - 1 && std::memcmp(bytes, kFileList, sizeof kFileList - 1) == 0) {
        format = Format::kNanoScope;
        return true;
    }
    return false;
}

namespace {

// Where the first image of the format lies in the file; kFail unless it has samples and lies within
// the file.
Result FindGrid(Format format, std::FILE* file, CGrid& grid) {
    std::uint64_t length = 0;
    if (!FileLength(file, length))
        return kFail;
    Result result = kFail;
    switch (format) {
    case Format::kNanoScope:
        result = NanoScopeGrid(file, grid);
        break;
    case Format::kNtMdt:
        result = NtMdtGrid(file, grid);
        break;
    case Format::kNanotop:
        result = NanotopGrid(file, grid);
        break;
    }
    return result == kOk && !Fits(grid, length) ? kFail : result;
}

} // namespace

Result FirstImage(Format format, std::FILE* file, CSamples& out) {
    out = CSamples{};
    if (!file)
        return kInvalidArg;
    try {
        CGrid grid;
        Result result = FindGrid(format, file, grid);
        if (result != kOk)
            return result;
        if (grid.columns > kMaxPicturePixels || grid.rows > kMaxPicturePixels / grid.columns)
            return kOutOfMemory;
        std::vector<std::uint64_t> rows(grid.rows), columns(grid.columns);
        std::iota(rows.begin(), rows.end(), std::uint64_t{0});
        std::iota(columns.begin(), columns.end(), std::uint64_t{0});
        CSamples samples;
        result = SampleGrid(file, grid, rows, columns, samples.values);
        if (result != kOk)
            return result;
        if (grid.narrowed)
            Narrow(samples.values);
        samples.columns = grid.columns;
        samples.rows = grid.rows;
        out = std::move(samples);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

Result Render(Format format, std::FILE* file, int width, int height, CPicture& out) {
    out = CPicture{};
    if (!file || width < 1 || height < 1)
        return kInvalidArg;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPicturePixels)
        return kOutOfMemory;
    try {
        CGrid grid;
        Result result = FindGrid(format, file, grid);
        if (result != kOk)
            return result;
        std::vector<std::int32_t> values;
        result = SampleGrid(file, grid, SourceIndices(grid.rows, height), SourceIndices(grid.columns, width),
                            values);
        if (result != kOk)
            return result;

        std::vector<std::uint8_t> grey(values.size());
        if (format == Format::kNanotop)
            MapRobust(values.data(), values.size(), grey.data());
        else
            MapMinMax(values.data(), values.size(), grey.data());

        CPicture picture;
        picture.bgra.resize(grey.size() * 4);
        for (std::size_t k = 0; k < grey.size(); ++k) {
            std::uint8_t* pixel = &picture.bgra[k * 4];
            pixel[0] = pixel[1] = pixel[2] = grey[k];
            pixel[3] = 255;
        }
        picture.width = width;
        picture.height = height;
        out = std::move(picture);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

} // namespace thumbs
