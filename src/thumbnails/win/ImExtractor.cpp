#include "ImExtractor.h"

#include <cstdio>
#include <new>

#include "Module.h"

namespace thumbs {
namespace win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the shell's paths are UTF-16");

CImExtractor::CImExtractor(Format format) : m_core(format) {
    ObjectCreated();
}

CImExtractor::~CImExtractor() {
    ObjectDestroyed();
}

STDMETHODIMP CImExtractor::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IExtractImage))
        *ppv = static_cast<IExtractImage*>(this);
    else if (IsEqualIID(riid, IID_IPersistFile))
        *ppv = static_cast<IPersistFile*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CImExtractor::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) CImExtractor::Release() {
    const LONG left = InterlockedDecrement(&m_refs);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP CImExtractor::GetClassID(CLSID*) {
    return E_NOTIMPL;
}

STDMETHODIMP CImExtractor::IsDirty() {
    return E_NOTIMPL;
}

STDMETHODIMP CImExtractor::Load(LPCOLESTR pszFileName, DWORD) {
    if (!pszFileName)
        return E_INVALIDARG;
    return static_cast<HRESULT>(m_core.Load(reinterpret_cast<const char16_t*>(pszFileName)));
}

STDMETHODIMP CImExtractor::Save(LPCOLESTR, BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CImExtractor::SaveCompleted(LPCOLESTR) {
    return E_NOTIMPL;
}

STDMETHODIMP CImExtractor::GetCurFile(LPOLESTR*) {
    return E_NOTIMPL;
}

STDMETHODIMP CImExtractor::GetLocation(LPWSTR pszPathBuffer, DWORD cch, DWORD*, const SIZE* prgSize, DWORD,
                                       DWORD* pdwFlags) {
    if (!pszPathBuffer || !prgSize)
        return E_INVALIDARG;
    const DWORD flags = pdwFlags ? *pdwFlags : 0;
    return static_cast<HRESULT>(
        m_core.GetLocation(reinterpret_cast<char16_t*>(pszPathBuffer), cch, prgSize->cx, prgSize->cy, flags));
}

STDMETHODIMP CImExtractor::Extract(HBITMAP* phBmpThumbnail) {
    if (!phBmpThumbnail)
        return E_POINTER;
    *phBmpThumbnail = nullptr;
    // Without a size from GetLocation there is nothing to draw.
    if (m_core.Width() < 1 || m_core.Height() < 1)
        return E_FAIL;
    std::FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(m_core.Path()), L"rb");
    if (!file)
        return E_FAIL;
    CPicture picture;
    Result result;
    // No exception may leave a COM method: it would unwind into the shell.
    try {
        result = m_core.Extract(file, picture);
    } catch (const std::bad_alloc&) {
        result = kOutOfMemory;
    } catch (...) {
        result = kFail;
    }
    std::fclose(file);
    if (result != kOk)
        return static_cast<HRESULT>(result);
    // CreateBitmap reads width x height x 4 bytes, whatever the buffer holds.
    if (picture.width < 1 || picture.height < 1 ||
        picture.bgra.size() != static_cast<std::size_t>(picture.width) * picture.height * 4)
        return E_FAIL;
    HBITMAP bitmap = CreateBitmap(picture.width, picture.height, 1, 32, picture.bgra.data());
    if (!bitmap)
        return E_OUTOFMEMORY;
    *phBmpThumbnail = bitmap;
    return S_OK;
}

} // namespace win
} // namespace thumbs
