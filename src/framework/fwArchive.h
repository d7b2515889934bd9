#pragma once
// A binary file and the archive that loads from it or stores into it.
#include <cstdint>
#include <cstdio>
#include <string>

namespace fw {

class CFile {
public:
    enum Mode { modeRead, modeWrite };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens a file by its path; modeWrite creates or truncates. Throws CFileException.
    void Open(const std::wstring& path, Mode mode);
    // Takes over an already open stream (used for temporary files).
    void Attach(std::FILE* stream, const std::wstring& path);
    bool IsOpen() const { return m_stream != nullptr; }
    // Flushes to the disk and closes; throws CFileException when the data could not be written.
    void Close();

    std::size_t Read(void* buffer, std::size_t count);
    void Write(const void* buffer, std::size_t count);
    void Seek(std::uint64_t offset);
    std::uint64_t GetPosition() const;
    std::uint64_t GetLength() const;
    const std::wstring& GetFilePath() const { return m_path; }

private:
    std::FILE* m_stream = nullptr;
    std::wstring m_path;
};

// Reads a whole file into bytes; false when it cannot be opened or read to its end.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

class CArchive {
public:
    enum Mode { load, store };

    CArchive(CFile& file, Mode mode) : m_file(file), m_mode(mode) {}

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }

    // Reads up to count bytes and returns how many were read (fewer only at the end of the file).
    std::size_t Read(void* buffer, std::size_t count) { return m_file.Read(buffer, count); }
    void Write(const void* buffer, std::size_t count) { m_file.Write(buffer, count); }
    void Write(const std::string& bytes) { m_file.Write(bytes.data(), bytes.size()); }
    void Seek(std::uint64_t offset) { m_file.Seek(offset); }
    std::uint64_t GetPosition() const { return m_file.GetPosition(); }
    std::uint64_t GetLength() const { return m_file.GetLength(); }
    CFile& GetFile() { return m_file; }

private:
    CFile& m_file;
    Mode m_mode;
};

} // namespace fw
