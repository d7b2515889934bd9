// The thumbnail server as the shell uses it, run under Wine after regsvr32 has registered it:
//
//   com_test.exe DLL CASEDIR
//
// First the module itself (class factories, aggregation, DllCanUnloadNow's counts), then for every
// case of CASEDIR\cases.txt (see WineCases.cpp) the class found through its ProgID and created by
// CoCreateInstance: Load, GetLocation with too short and long enough buffers and both flags, Extract,
// and the bitmap read back with GetDIBits and compared with the Linux core's pixels. Exit status 0
// when everything held.
// windows.h comes before the other system headers, which build on it.
#include <windows.h>

#include <shobjidl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "thumbnails/win/Guids.h"

namespace {

int g_failures = 0;

// UTF-8, as the log that collects it expects.
void Print(std::FILE* out, const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr,
                        nullptr);
    std::fputs(utf8.c_str(), out);
    std::fflush(out);
}

void Fail(const std::wstring& what) {
    ++g_failures;
    Print(stderr, L"FAIL: " + what + L"\n");
}

void ExpectHr(HRESULT got, HRESULT want, const std::wstring& what) {
    if (got != want) {
        wchar_t text[80];
        std::swprintf(text, 80, L" returned 0x%08lX, expected 0x%08lX", static_cast<unsigned long>(got),
                      static_cast<unsigned long>(want));
        Fail(what + text);
    }
}

void Expect(bool ok, const std::wstring& what) {
    if (!ok)
        Fail(what);
}

std::wstring Widen(const std::string& text) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(units, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
    return wide;
}

bool ReadFile(const std::wstring& path, std::string& bytes) {
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return false;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    std::fclose(file);
    return true;
}

struct CClassCase {
    const wchar_t* tag;
    const wchar_t* progId;
    const GUID* clsid;
};

const CClassCase kClasses[] = {
    {L"di", L"VantriThumbnails.diImExtractor", &thumbs::win::kClsidDiImExtractor},
    {L"mdt", L"VantriThumbnails.mdtImExtractor", &thumbs::win::kClsidMdtImExtractor},
    {L"spm", L"VantriThumbnails.spmImExtractor", &thumbs::win::kClsidSpmImExtractor},
};

// DllGetClassObject, the factories and the counts that DllCanUnloadNow answers from, on the module
// loaded directly, before COM has made anything of it.
void TestModule(const std::wstring& dllPath) {
    HMODULE module = LoadLibraryW(dllPath.c_str());
    if (!module) {
        Fail(L"LoadLibrary " + dllPath);
        return;
    }
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(WINAPI*)();
    const auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    const auto canUnloadNow =
        reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    if (!getClassObject || !canUnloadNow) {
        Fail(L"DllGetClassObject and DllCanUnloadNow are exported");
        FreeLibrary(module);
        return;
    }
    ExpectHr(canUnloadNow(), S_OK, L"DllCanUnloadNow with nothing alive");

    void* unknown = reinterpret_cast<void*>(1);
    ExpectHr(getClassObject(IID_IUnknown, IID_IClassFactory, &unknown), CLASS_E_CLASSNOTAVAILABLE,
             L"DllGetClassObject of a class not served");
    Expect(unknown == nullptr, L"DllGetClassObject clears *ppv on failure");

    for (const CClassCase& c : kClasses) {
        const std::wstring name = c.progId;
        IClassFactory* factory = nullptr;
        ExpectHr(getClassObject(*c.clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK,
                 L"DllGetClassObject " + name);
        if (!factory)
            continue;
        ExpectHr(canUnloadNow(), S_FALSE, L"DllCanUnloadNow while a factory is held, " + name);

        IUnknown* object = reinterpret_cast<IUnknown*>(1);
        ExpectHr(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IUnknown,
                                         reinterpret_cast<void**>(&object)),
                 CLASS_E_NOAGGREGATION, L"CreateInstance with an outer object, " + name);
        Expect(object == nullptr, L"CreateInstance clears *ppv on failure, " + name);
        ExpectHr(factory->CreateInstance(nullptr, IID_IClassFactory, reinterpret_cast<void**>(&object)),
                 E_NOINTERFACE, L"CreateInstance of an interface not implemented, " + name);
        ExpectHr(canUnloadNow(), S_FALSE, L"DllCanUnloadNow after a failed CreateInstance, " + name);

        IExtractImage* extract = nullptr;
        ExpectHr(factory->CreateInstance(nullptr, IID_IExtractImage, reinterpret_cast<void**>(&extract)),
                 S_OK, L"CreateInstance IExtractImage, " + name);
        ExpectHr(factory->LockServer(TRUE), S_OK, L"LockServer(TRUE), " + name);
        factory->Release();
        if (extract) {
            ExpectHr(canUnloadNow(), S_FALSE, L"DllCanUnloadNow while an object is alive, " + name);
            extract->Release();
        }
        ExpectHr(canUnloadNow(), S_FALSE, L"DllCanUnloadNow while the server is locked, " + name);
        if (SUCCEEDED(getClassObject(*c.clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
            factory->LockServer(FALSE);
            factory->Release();
        }
        ExpectHr(canUnloadNow(), S_OK, L"DllCanUnloadNow once everything is released, " + name);
    }
    FreeLibrary(module);
}

// The bitmap's size and its pixels as 32-bit top-down rows.
bool ReadBitmap(HBITMAP bitmap, int width, int height, std::vector<unsigned char>& pixels,
                const std::wstring& name) {
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof info, &info) != sizeof info) {
        Fail(L"GetObject of the bitmap, " + name);
        return false;
    }
    if (info.bmWidth != width || info.bmHeight != height || info.bmBitsPixel != 32 || info.bmPlanes != 1) {
        wchar_t text[120];
        std::swprintf(text, 120, L"bitmap is %ldx%ld at %u bits, expected %dx%d at 32, ", info.bmWidth,
                      info.bmHeight, info.bmBitsPixel, width, height);
        Fail(text + name);
        return false;
    }
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height; // top row first
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, height, pixels.data(), &header, DIB_RGB_COLORS);
    DeleteDC(dc);
    if (rows != height) {
        Fail(L"GetDIBits, " + name);
        return false;
    }
    return true;
}

// Blue, green and red of every pixel; the fourth byte carries nothing.
void ComparePixels(const std::vector<unsigned char>& got, const std::string& want, int width,
                   const std::wstring& name) {
    if (want.size() != got.size()) {
        Fail(L"expected pixels of another size, " + name);
        return;
    }
    std::size_t wrong = 0, first = 0;
    for (std::size_t i = 0; i < got.size(); ++i)
        if (i % 4 != 3 && got[i] != static_cast<unsigned char>(want[i]) && wrong++ == 0)
            first = i;
    if (wrong) {
        wchar_t text[160];
        const std::size_t pixel = first / 4;
        std::swprintf(text, 160,
                      L"%zu bytes differ from the Linux core's picture, the first at row %zu column %zu "
                      L"(%u, expected %u), ",
                      wrong, pixel / width, pixel % width, got[first],
                      static_cast<unsigned char>(want[first]));
        Fail(text + name);
    }
}

const CClassCase* FindClass(const std::wstring& tag) {
    for (const CClassCase& c : kClasses)
        if (tag == c.tag)
            return &c;
    return nullptr;
}

// One line of cases.txt: the whole sequence of calls the shell makes, and the calls around it.
void TestCase(const std::wstring& dir, const std::vector<std::string>& fields) {
    const CClassCase* c = FindClass(Widen(fields[0]));
    const std::wstring file = dir + L"\\" + Widen(fields[1]);
    const int width = std::stoi(fields[2]);
    const int height = std::stoi(fields[3]);
    const HRESULT want = static_cast<HRESULT>(std::stoul(fields[4], nullptr, 16));
    const std::wstring name = Widen(fields[1]);
    if (!c) {
        Fail(L"unknown class in cases.txt: " + Widen(fields[0]));
        return;
    }

    CLSID clsid{};
    ExpectHr(CLSIDFromProgID(c->progId, &clsid), S_OK, std::wstring(L"CLSIDFromProgID ") + c->progId);
    Expect(IsEqualCLSID(clsid, *c->clsid), std::wstring(L"the ProgID names the class's CLSID, ") + c->progId);

    IPersistFile* persist = nullptr;
    ExpectHr(CoCreateInstance(*c->clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                              reinterpret_cast<void**>(&persist)),
             S_OK, L"CoCreateInstance IPersistFile, " + name);
    if (!persist)
        return;
    IExtractImage* extract = nullptr;
    ExpectHr(persist->QueryInterface(IID_IExtractImage, reinterpret_cast<void**>(&extract)), S_OK,
             L"QueryInterface IExtractImage, " + name);
    if (!extract) {
        persist->Release();
        return;
    }
    ExpectHr(persist->Load(file.c_str(), STGM_READ), S_OK, L"Load, " + name);
    // A path with no room for its terminator is refused, and the stored one stays.
    const std::wstring tooLong(MAX_PATH, L'x');
    ExpectHr(persist->Load(tooLong.c_str(), STGM_READ), E_INVALIDARG,
             L"Load of a 260-character path, " + name);

    const DWORD length = static_cast<DWORD>(file.size());
    std::vector<wchar_t> buffer(length + 8, L'#');
    DWORD priority = 7, flags = 0;
    SIZE size{width, height};
    ExpectHr(extract->GetLocation(buffer.data(), length, &priority, &size, 32, &flags), E_INVALIDARG,
             L"GetLocation with no room for the terminator, " + name);
    flags = IEIFLAG_ASYNC;
    ExpectHr(extract->GetLocation(buffer.data(), length + 1, &priority, &size, 32, &flags), E_PENDING,
             L"GetLocation with IEIFLAG_ASYNC, " + name);
    Expect(file == buffer.data(), L"GetLocation gives back the loaded path, " + name);
    Expect(buffer[length + 1] == L'#', L"GetLocation writes nothing past the terminator, " + name);
    Expect(priority == 7 && flags == IEIFLAG_ASYNC, L"GetLocation leaves the priority and flags, " + name);

    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    ExpectHr(extract->Extract(&bitmap), want, L"Extract, " + name);
    if (want != S_OK) {
        Expect(bitmap == nullptr, L"a failed Extract gives no bitmap, " + name);
    } else if (bitmap) {
        std::vector<unsigned char> pixels;
        std::string expected;
        if (!ReadFile(dir + L"\\" + Widen(fields[5]), expected))
            Fail(L"cannot read the expected pixels of " + name);
        else if (ReadBitmap(bitmap, width, height, pixels, name))
            ComparePixels(pixels, expected, width, name);
        DeleteObject(bitmap);

        // Flags 0: S_OK, and the size is taken just the same.
        flags = 0;
        SIZE small{3, 2};
        ExpectHr(extract->GetLocation(buffer.data(), length + 1, &priority, &small, 32, &flags), S_OK,
                 L"GetLocation without IEIFLAG_ASYNC, " + name);
        bitmap = nullptr;
        ExpectHr(extract->Extract(&bitmap), S_OK, L"Extract at 3x2, " + name);
        if (bitmap) {
            ReadBitmap(bitmap, 3, 2, pixels, name + L" at 3x2");
            DeleteObject(bitmap);
        }
    }
    extract->Release();
    persist->Release();
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        Print(stderr, L"usage: com_test DLL CASEDIR\n");
        return 2;
    }
    const std::wstring dll = argv[1], dir = argv[2];
    TestModule(dll);

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        Fail(L"CoInitializeEx");
        return 1;
    }
    std::string list;
    if (!ReadFile(dir + L"\\cases.txt", list))
        Fail(L"cannot read " + dir + L"\\cases.txt");
    int cases = 0;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\n', start);
        if (end == std::string::npos)
            end = list.size();
        const std::vector<std::string> fields = Split(list.substr(start, end - start));
        start = end + 1;
        if (fields.size() != 6) {
            Fail(L"a line of cases.txt without six fields");
            continue;
        }
        TestCase(dir, fields);
        ++cases;
    }
    CoUninitialize();
    Expect(cases > 0, L"cases.txt lists cases");
    Print(stdout, std::to_wstring(cases) + L" cases, " + std::to_wstring(g_failures) + L" failures\n");
    return g_failures == 0 ? 0 : 1;
}
