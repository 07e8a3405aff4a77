#include "plugin/module.h"

#include <new>

#include "plugin/oem_ui_plugin.h"

LONG volatile ObjectCount = 0;
LONG volatile ServerLockCount = 0;

OemUiClassFactory::OemUiClassFactory() : refCount(1) {
    InterlockedIncrement(&ObjectCount);
}

OemUiClassFactory::~OemUiClassFactory() {
    InterlockedDecrement(&ObjectCount);
}

HRESULT STDMETHODCALLTYPE OemUiClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OemUiClassFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refCount));
}

ULONG STDMETHODCALLTYPE OemUiClassFactory::Release() {
    const LONG count = InterlockedDecrement(&refCount);
    if (count != 0) {
        return static_cast<ULONG>(count);
    }
    delete this;
    return 0;
}

HRESULT STDMETHODCALLTYPE OemUiClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) {
    if (pUnkOuter != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    if (ppv == nullptr) {
        return E_POINTER;
    }
    OemUiPlugin* plugin = new (std::nothrow) OemUiPlugin();
    if (plugin == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = plugin->QueryInterface(riid, ppv);
    plugin->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE OemUiClassFactory::LockServer(BOOL fLock) {
    if (fLock) {
        InterlockedIncrement(&ServerLockCount);
    } else {
        InterlockedDecrement(&ServerLockCount);
    }
    return S_OK;
}

extern "C" HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (!IsEqualCLSID(rclsid, CLSID_OEMUI)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    if (ppv == nullptr) {
        return E_POINTER;
    }
    OemUiClassFactory* factory = new (std::nothrow) OemUiClassFactory();
    if (factory == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = factory->QueryInterface(riid, ppv);
    factory->Release();
    return result;
}

namespace {

// Other threads change the counters with interlocked operations, so they are
// read with one too: a plain read racing with them is undefined.
LONG ReadCounter(LONG volatile* counter) {
    return InterlockedCompareExchange(counter, 0, 0);
}

}  // namespace

extern "C" HRESULT STDMETHODCALLTYPE DllCanUnloadNow(void) {
    return (ReadCounter(&ObjectCount) == 0 && ReadCounter(&ServerLockCount) == 0) ? S_OK : S_FALSE;
}
