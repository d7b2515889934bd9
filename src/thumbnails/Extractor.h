#pragma once
// The thumbnail extractors of the three scan formats, apart from any desktop: the state an extractor
// keeps between the shell's calls (the path and the requested size), and the drawing of a file's first
// image as a small grey picture. Plain C++; the Windows COM server and the freedesktop thumbnailer are
// thin layers over it. Nothing here is shared with the application.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace thumbs {

// The results, as the shell's HRESULT values.
enum Result : std::uint32_t {
    kOk = 0x00000000u,            // S_OK
    kPending = 0x8000000Au,       // E_PENDING
    kInvalidArg = 0x80070057u,    // E_INVALIDARG
    kFail = 0x80004005u,          // E_FAIL
    kOutOfMemory = 0x8007000Eu,   // E_OUTOFMEMORY
    kNotImplemented = 0x80004001u // E_NOTIMPL
};

enum class Format { kNanoScope, kNtMdt, kNanotop };

// A picture of width x height pixels, 4 bytes each (blue, green, red, 255), the first row the top row.
struct CPicture {
    std::vector<std::uint8_t> bgra;
    int width = 0;
    int height = 0;
};

// Room for a path: 259 characters and the terminator.
constexpr int kMaxPath = 260;

// One extractor's state between the shell's calls. Paths are UTF-16 code units, as the shell gives them.
class CExtractor {
public:
    explicit CExtractor(Format format) : m_format(format) {}

    Format GetFormat() const { return m_format; }
    // Stores the path; a path that does not fit with its terminator is refused (kInvalidArg) and the
    // stored one is kept.
    Result Load(const char16_t* path);
    // Copies the stored path into a buffer of cch units and takes the requested size; kInvalidArg when
    // the path and its terminator do not fit (nothing is stored then), kPending when flags has bit 0.
    Result GetLocation(char16_t* buffer, std::uint32_t cch, int width, int height, std::uint32_t flags);
    const char16_t* Path() const { return m_path; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Draws the opened file at the requested size.
    Result Extract(std::FILE* file, CPicture& out) const;

private:
    Format m_format;
    char16_t m_path[kMaxPath] = {};
    int m_width = 0;
    int m_height = 0;
};

// Draws the first image of an open scan file of the format at width x height (both at least 1): kOk,
// kFail when the file is not of the expected form (or a size or offset reaches past its end),
// kOutOfMemory when a buffer cannot be had. The file is read from its start.
Result Render(Format format, std::FILE* file, int width, int height, CPicture& out);

} // namespace thumbs
