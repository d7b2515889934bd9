#pragma once
// The server module: its handle, the count of live objects and locks that keeps it loaded, and the
// table of the classes it serves.
// windows.h comes before the other system headers, which build on it.
#include <windows.h>

#include <unknwn.h>

namespace thumbs {
namespace win {

// The DLL's own handle, set by DllMain.
HINSTANCE ModuleHandle();

// Live extractor objects and held class factories or LockServer locks. The module may unload only
// when both are zero.
void ObjectCreated();
void ObjectDestroyed();
void LockModule();
void UnlockModule();
bool ModuleInUse();

// One class the server serves. Create returns a new object holding one reference, or nullptr when
// memory runs out.
struct CServerClass {
    const GUID* clsid;
    const wchar_t* friendlyName;
    const wchar_t* progId;
    const wchar_t* versionIndependentProgId;
    IUnknown* (*create)();
};

extern const CServerClass kServerClasses[3];

} // namespace win
} // namespace thumbs
