// The module's outer boundary: its exports, its class factory and the two
// counters that decide whether the module may be unloaded.
#pragma once

#include "plugin/oem_abi.h"

// Live factories and plug-in objects, and net LockServer calls.
extern LONG volatile ObjectCount;
extern LONG volatile ServerLockCount;

extern "C" HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
extern "C" HRESULT STDMETHODCALLTYPE DllCanUnloadNow(void);

class OemUiClassFactory final : public IClassFactory {
  public:
    OemUiClassFactory();
    ~OemUiClassFactory();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

  private:
    LONG volatile refCount;
};
