// The module machinery of the thumbnail server: DllMain, the class factories, DllGetClassObject and
// DllCanUnloadNow.
#include "Module.h"

#include <new>

#include "Guids.h"
#include "ImExtractor.h"

namespace thumbs {
namespace win {
namespace {

HINSTANCE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

template <class T> IUnknown* Create() {
    return static_cast<IExtractImage*>(new (std::nothrow) T);
}

// One static factory per class. A reference to a factory holds the module, so that the code behind
// its vtable stays loaded for as long as a client holds it.
class CClassFactory final : public IClassFactory {
public:
    explicit constexpr CClassFactory(const CServerClass& serverClass) : m_class(serverClass) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        LockModule();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        UnlockModule();
        return 1;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IUnknown* object = m_class.create();
        if (!object)
            return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    const CServerClass& m_class;
};

CClassFactory g_factories[] = {CClassFactory(kServerClasses[0]), CClassFactory(kServerClasses[1]),
                               CClassFactory(kServerClasses[2])};

} // namespace

const CServerClass kServerClasses[3] = {
    {&kClsidDiImExtractor, L"CdiImExtractor Object", L"VantriThumbnails.diImExtractor.1",
     L"VantriThumbnails.diImExtractor", &Create<CdiImExtractor>},
    {&kClsidMdtImExtractor, L"CmdtImExtractor Object", L"VantriThumbnails.mdtImExtractor.1",
     L"VantriThumbnails.mdtImExtractor", &Create<CmdtImExtractor>},
    {&kClsidSpmImExtractor, L"CspmImExtractor Object", L"VantriThumbnails.spmImExtractor.1",
     L"VantriThumbnails.spmImExtractor", &Create<CspmImExtractor>},
};

HINSTANCE ModuleHandle() {
    return g_module;
}

void ObjectCreated() {
    InterlockedIncrement(&g_objects);
}

void ObjectDestroyed() {
    InterlockedDecrement(&g_objects);
}

void LockModule() {
    InterlockedIncrement(&g_locks);
}

void UnlockModule() {
    InterlockedDecrement(&g_locks);
}

bool ModuleInUse() {
    return InterlockedCompareExchange(&g_objects, 0, 0) != 0 ||
           InterlockedCompareExchange(&g_locks, 0, 0) != 0;
}

} // namespace win
} // namespace thumbs

using namespace thumbs::win;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return ModuleInUse() ? S_FALSE : S_OK;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (std::size_t i = 0; i < sizeof kServerClasses / sizeof kServerClasses[0]; ++i)
        if (IsEqualCLSID(*kServerClasses[i].clsid, rclsid))
            return g_factories[i].QueryInterface(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}
