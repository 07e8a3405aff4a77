// A small IPrintOemDriverUI of the tests' own: answers DrvGetDriverSetting
// from a table of installed values, records DrvUpdateUISetting calls, and
// counts references so that tests can see what the plug-in holds.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "plugin/oem_abi.h"

class FakeDriverUi : public IPrintOemDriverUI {
  public:
    struct SettingCall {
        PVOID pci;
        std::string feature;
    };
    struct UpdateCall {
        PVOID pci;
        PVOID item;
        DWORD previousSelection;
        DWORD mode;
        LONG selAtCall;     // the item's Sel when the host was told
        DWORD flagsAtCall;  // the item's Flags when the host was told
    };

    // Feature name (without '*', ANSI bytes) -> the answer's bytes, copied
    // into the 256-byte output as they stand (so a test can omit the NUL).
    std::vector<std::pair<std::string, std::string>> settings;
    HRESULT settingResult = S_OK;  // returned when a feature is known
    bool offersDriverUi = true;

    int queriedDriverUi = 0;
    std::vector<SettingCall> settingCalls;
    std::vector<UpdateCall> updateCalls;

    void Set(const std::string& feature, const std::string& value) {
        settings.emplace_back(feature, std::string(value).append(1, '\0'));
    }
    LONG References() const { return refCount; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refCount); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refCount); }
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, PCSTR feature, PVOID output, DWORD size, PDWORD needed,
                                                  PDWORD optionsReturned) override;
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID item, DWORD previousSelection, DWORD mode) override;

  private:
    LONG refCount = 1;  // the test's own reference; the object lives on the stack
};
