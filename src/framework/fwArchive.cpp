#include "framework/fwArchive.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "framework/fwException.h"
#include "framework/fwText.h"

namespace fw {

namespace {
[[noreturn]] void Fail(const char* what, const std::wstring& path) {
    std::wstring text = Widen(what);
    text += L" ";
    text += path;
    text += L": ";
    text += FromUtf8(std::strerror(errno));
    throw CFileException(text);
}
} // namespace

CFile::~CFile() {
    if (m_stream)
        std::fclose(m_stream);
}

void CFile::Open(const std::wstring& path, Mode mode) {
    if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    m_path = path;
    m_stream = std::fopen(ToUtf8(path).c_str(), mode == modeRead ? "rb" : "wb");
    if (!m_stream)
        Fail("Cannot open", path);
}

void CFile::Attach(std::FILE* stream, const std::wstring& path) {
    if (m_stream)
        std::fclose(m_stream);
    m_stream = stream;
    m_path = path;
}

void CFile::Close() {
    if (!m_stream)
        return;
    std::FILE* stream = m_stream;
    m_stream = nullptr;
    bool ok = std::fflush(stream) == 0;
    // The data must be on the disk before a temporary file is renamed over a user's file.
    ok = ok && ::fsync(fileno(stream)) == 0;
    ok = std::fclose(stream) == 0 && ok;
    if (!ok)
        Fail("Cannot write", m_path);
}

std::size_t CFile::Read(void* buffer, std::size_t count) {
    if (!m_stream || count == 0)
        return 0;
    std::size_t done = std::fread(buffer, 1, count, m_stream);
    if (done < count && std::ferror(m_stream))
        Fail("Cannot read", m_path);
    return done;
}

void CFile::Write(const void* buffer, std::size_t count) {
    if (count == 0)
        return;
    if (!m_stream || std::fwrite(buffer, 1, count, m_stream) != count)
        Fail("Cannot write", m_path);
}

void CFile::Seek(std::uint64_t offset) {
    if (!m_stream || fseeko(m_stream, static_cast<off_t>(offset), SEEK_SET) != 0)
        Fail("Cannot seek in", m_path);
}

std::uint64_t CFile::GetPosition() const {
    off_t pos = m_stream ? ftello(m_stream) : -1;
    return pos < 0 ? 0 : static_cast<std::uint64_t>(pos);
}

std::uint64_t CFile::GetLength() const {
    if (!m_stream)
        return 0;
    off_t here = ftello(m_stream);
    if (here < 0 || fseeko(m_stream, 0, SEEK_END) != 0)
        return 0;
    off_t end = ftello(m_stream);
    fseeko(m_stream, here, SEEK_SET);
    return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    try {
        CFile file;
        file.Open(path, CFile::modeRead);
        const std::uint64_t length = file.GetLength();
        if (length > bytes.max_size())
            return false;
        bytes.resize(static_cast<std::size_t>(length));
        return file.Read(bytes.data(), bytes.size()) == bytes.size();
    } catch (const CFileException&) {
        return false;
    }
}

} // namespace fw
