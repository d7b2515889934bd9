#pragma once
// Exceptions of the document layer. A failing load or save throws one of these; the framework's open
// and save catch them, so the document and the files on disk stay as they were.
#include <exception>
#include <string>

namespace fw {

class CException : public std::exception {
public:
    explicit CException(std::wstring text) : m_text(std::move(text)) {}
    const std::wstring& GetErrorMessage() const { return m_text; }
    const char* what() const noexcept override { return "fw::CException"; }
    // Set once the text has been shown to the user, so that no second box repeats it.
    bool reported = false;

private:
    std::wstring m_text;
};

// A file could not be opened, read, written or renamed.
class CFileException : public CException {
public:
    using CException::CException;
};

} // namespace fw
