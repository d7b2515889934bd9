#pragma once
// The shell's image extractors over the portable core: IPersistFile takes the file's path, and
// IExtractImage takes the wanted size and draws the file into a 32-bit bitmap. Apartment-threaded:
// each object is used by one thread at a time, and objects share nothing.
// windows.h comes before the other system headers, which build on it.
#include <windows.h>

#include <shobjidl.h>

#include "thumbnails/Extractor.h"

namespace thumbs {
namespace win {

class CImExtractor : public IExtractImage, public IPersistFile {
public:
    CImExtractor(const CImExtractor&) = delete;
    CImExtractor& operator=(const CImExtractor&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist, IPersistFile: only Load does anything.
    STDMETHODIMP GetClassID(CLSID* pClassID) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPCOLESTR pszFileName, DWORD dwMode) override;
    STDMETHODIMP Save(LPCOLESTR pszFileName, BOOL fRemember) override;
    STDMETHODIMP SaveCompleted(LPCOLESTR pszFileName) override;
    STDMETHODIMP GetCurFile(LPOLESTR* ppszFileName) override;

    // IExtractImage
    STDMETHODIMP GetLocation(LPWSTR pszPathBuffer, DWORD cch, DWORD* pdwPriority, const SIZE* prgSize,
                             DWORD dwRecClrDepth, DWORD* pdwFlags) override;
    STDMETHODIMP Extract(HBITMAP* phBmpThumbnail) override;

protected:
    explicit CImExtractor(Format format);
    virtual ~CImExtractor();

private:
    LONG m_refs = 1;
    CExtractor m_core;
};

// NanoScope III, .000 to .099.
class CdiImExtractor final : public CImExtractor {
public:
    CdiImExtractor() : CImExtractor(Format::kNanoScope) {}
};

// NT-MDT, .mdt.
class CmdtImExtractor final : public CImExtractor {
public:
    CmdtImExtractor() : CImExtractor(Format::kNtMdt) {}
};

// NANOTOP-205, .spm.
class CspmImExtractor final : public CImExtractor {
public:
    CspmImExtractor() : CImExtractor(Format::kNanotop) {}
};

} // namespace win
} // namespace thumbs
