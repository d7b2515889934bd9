// DllRegisterServer and DllUnregisterServer: the module's keys and the extension handlers, then each
// class's entries, then the type library; unregistration undoes them in the opposite order.
//
// Keys under HKEY_CLASSES_ROOT:
//   AppID\{AppID}                        (default) "VantriThumbnails"
//   AppID\VantriThumbnails.DLL           AppID = "{AppID}"
//   <ext>\ShellEx\{BB2E617C-...}         (default) "{class CLSID}"  for .spm, .mdt, .000 ... .099
//   CLSID\{clsid}                        (default) friendly name, AppID = "{AppID}", and the subkeys
//                                        ProgID, VersionIndependentProgID, Programmable,
//                                        InprocServer32 (module path, ThreadingModel Apartment), TypeLib
//   <ProgID>                             (default) friendly name, CLSID
//   <version-independent ProgID>         (default) friendly name, CLSID, CurVer
// windows.h comes before the other system headers, which build on it.
#include <windows.h>

#include <oleauto.h>

#include <string>
#include <vector>

#include "Guids.h"
#include "Module.h"

namespace thumbs {
namespace win {
namespace {

// The shell looks for an image extractor of a file type under this key: the IID of IExtractImage.
const wchar_t kImageHandlerKey[] = L"{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}";
const wchar_t kModuleName[] = L"VantriThumbnails";
const wchar_t kModuleFile[] = L"VantriThumbnails.DLL";

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

HRESULT FromWin32(LONG error) {
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error);
}

// Sets a string value (name nullptr: the default value) of HKCR\key, creating the key as needed.
HRESULT SetString(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle;
    LONG error = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (error != ERROR_SUCCESS)
        return FromWin32(error);
    error = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return FromWin32(error);
}

HRESULT CreateKey(const std::wstring& key) {
    HKEY handle;
    const LONG error = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_READ, nullptr, &handle, nullptr);
    if (error == ERROR_SUCCESS)
        RegCloseKey(handle);
    return FromWin32(error);
}

// Removes HKCR\key with everything below it; a key that is not there is no failure.
HRESULT DeleteTree(const std::wstring& key) {
    const LONG error = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return error == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(error);
}

bool ReadDefault(const std::wstring& key, std::wstring& value) {
    wchar_t text[64];
    DWORD bytes = sizeof text;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS)
        return false;
    value = text;
    return true;
}

bool IsEmptyKey(const std::wstring& key) {
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    DWORD subkeys = 0, values = 0;
    const LONG error = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                        &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    return error == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

struct CExtensionHandler {
    std::wstring extension;
    const GUID* clsid;
};

// .spm, .mdt, then the NanoScope numbers .000 to .099.
std::vector<CExtensionHandler> ExtensionHandlers() {
    std::vector<CExtensionHandler> handlers{{L".spm", &kClsidSpmImExtractor},
                                            {L".mdt", &kClsidMdtImExtractor}};
    for (int n = 0; n < 100; ++n) {
        wchar_t extension[8] = L".0";
        extension[2] = static_cast<wchar_t>(L'0' + n / 10);
        extension[3] = static_cast<wchar_t>(L'0' + n % 10);
        extension[4] = 0;
        handlers.push_back({extension, &kClsidDiImExtractor});
    }
    return handlers;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(ModuleHandle(), &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT RegisterModule() {
    const std::wstring appId = GuidText(kAppId);
    HRESULT hr = SetString(L"AppID\\" + appId, nullptr, kModuleName);
    if (SUCCEEDED(hr))
        hr = SetString(std::wstring(L"AppID\\") + kModuleFile, L"AppID", appId);
    // Only our handler key is written: other handlers under an extension's ShellEx are not ours to touch.
    for (const CExtensionHandler& handler : ExtensionHandlers())
        if (SUCCEEDED(hr))
            hr = SetString(handler.extension + L"\\ShellEx\\" + kImageHandlerKey, nullptr,
                           GuidText(*handler.clsid));
    return hr;
}

HRESULT UnregisterModule() {
    HRESULT result = S_OK;
    const auto keep = [&result](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    };
    // The extension keys stay. Our handler goes only while it still names our class, and ShellEx with it
    // when nothing else is left in it.
    for (const CExtensionHandler& handler : ExtensionHandlers()) {
        const std::wstring shellEx = handler.extension + L"\\ShellEx";
        const std::wstring handlerKey = shellEx + L"\\" + kImageHandlerKey;
        std::wstring clsid;
        if (ReadDefault(handlerKey, clsid) &&
            CompareStringOrdinal(clsid.c_str(), -1, GuidText(*handler.clsid).c_str(), -1, TRUE) == CSTR_EQUAL)
            keep(DeleteTree(handlerKey));
        if (IsEmptyKey(shellEx))
            keep(DeleteTree(shellEx));
    }
    keep(DeleteTree(std::wstring(L"AppID\\") + kModuleFile));
    keep(DeleteTree(L"AppID\\" + GuidText(kAppId)));
    return result;
}

HRESULT RegisterServerClass(const CServerClass& c, const std::wstring& modulePath) {
    const std::wstring clsid = GuidText(*c.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    HRESULT hr = SetString(key, nullptr, c.friendlyName);
    if (SUCCEEDED(hr))
        hr = SetString(key + L"\\ProgID", nullptr, c.progId);
    if (SUCCEEDED(hr))
        hr = SetString(key + L"\\VersionIndependentProgID", nullptr, c.versionIndependentProgId);
    if (SUCCEEDED(hr))
        hr = CreateKey(key + L"\\Programmable");
    if (SUCCEEDED(hr))
        hr = SetString(key + L"\\InprocServer32", nullptr, modulePath);
    if (SUCCEEDED(hr))
        hr = SetString(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    if (SUCCEEDED(hr))
        hr = SetString(key + L"\\TypeLib", nullptr, GuidText(kLibId));
    if (SUCCEEDED(hr))
        hr = SetString(key, L"AppID", GuidText(kAppId));

    if (SUCCEEDED(hr))
        hr = SetString(c.progId, nullptr, c.friendlyName);
    if (SUCCEEDED(hr))
        hr = SetString(std::wstring(c.progId) + L"\\CLSID", nullptr, clsid);

    if (SUCCEEDED(hr))
        hr = SetString(c.versionIndependentProgId, nullptr, c.friendlyName);
    if (SUCCEEDED(hr))
        hr = SetString(std::wstring(c.versionIndependentProgId) + L"\\CLSID", nullptr, clsid);
    if (SUCCEEDED(hr))
        hr = SetString(std::wstring(c.versionIndependentProgId) + L"\\CurVer", nullptr, c.progId);
    return hr;
}

HRESULT UnregisterServerClass(const CServerClass& c) {
    HRESULT result = DeleteTree(c.versionIndependentProgId);
    const HRESULT progId = DeleteTree(c.progId);
    const HRESULT clsid = DeleteTree(L"CLSID\\" + GuidText(*c.clsid));
    return FAILED(result) ? result : FAILED(progId) ? progId : clsid;
}

HRESULT RegisterTypeLibrary(const std::wstring& modulePath) {
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &library);
    if (FAILED(hr))
        return hr;
    std::wstring path = modulePath; // RegisterTypeLib takes a non-const path
    hr = RegisterTypeLib(library, &path[0], nullptr);
    library->Release();
    return hr;
}

HRESULT UnregisterTypeLibrary() {
    const HRESULT hr = UnRegisterTypeLib(kLibId, 1, 0, LANG_NEUTRAL, SYS_WIN64);
    // Not registered (or already gone) is what we want.
    return hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_CANTLOADLIBRARY || hr == TYPE_E_LIBNOTREGISTERED ? S_OK
                                                                                                        : hr;
}

HRESULT Unregister() {
    HRESULT result = UnregisterTypeLibrary();
    for (int i = 2; i >= 0; --i) {
        const HRESULT hr = UnregisterServerClass(kServerClasses[i]);
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    const HRESULT hr = UnregisterModule();
    return FAILED(result) ? result : hr;
}

} // namespace
} // namespace win
} // namespace thumbs

using namespace thumbs::win;

STDAPI DllRegisterServer() {
    const std::wstring modulePath = ModulePath();
    if (modulePath.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    HRESULT hr = RegisterModule();
    for (const CServerClass& c : kServerClasses)
        if (SUCCEEDED(hr))
            hr = RegisterServerClass(c, modulePath);
    if (SUCCEEDED(hr))
        hr = RegisterTypeLibrary(modulePath);
    // A half-made registration would send the shell to a server that is not fully there.
    if (FAILED(hr))
        Unregister();
    return hr;
}

STDAPI DllUnregisterServer() {
    return Unregister();
}
