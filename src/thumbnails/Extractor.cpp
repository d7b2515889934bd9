#include "thumbnails/Extractor.h"

#include <algorithm>

namespace thumbs {

Result CExtractor::Load(const char16_t* path) {
    if (!path)
        return kInvalidArg;
    const char16_t* end = std::find(path, path + kMaxPath, u'\0');
    if (end == path + kMaxPath)
        return kInvalidArg; // no terminator within the buffer: never keep a cut path
    std::copy(path, end + 1, m_path);
    return kOk;
}

Result CExtractor::GetLocation(char16_t* buffer, std::uint32_t cch, int width, int height,
                               std::uint32_t flags) {
    const char16_t* end = std::find(m_path, m_path + kMaxPath, u'\0');
    const std::uint32_t units = static_cast<std::uint32_t>(end - m_path) + 1;
    if (!buffer || cch < units)
        return kInvalidArg;
    std::copy(m_path, m_path + units, buffer);
    m_width = width;
    m_height = height;
    return (flags & 1u) ? kPending : kOk;
}

Result CExtractor::Extract(std::FILE* file, CPicture& out) const {
    return Render(m_format, file, m_width, m_height, out);
}

} // namespace thumbs
