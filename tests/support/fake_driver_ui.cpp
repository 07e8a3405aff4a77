#include "tests/support/fake_driver_ui.h"

#include <string.h>

HRESULT STDMETHODCALLTYPE FakeDriverUi::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IPrintOemDriverUI)) {
        ++queriedDriverUi;
    }
    if (IsEqualIID(riid, IID_IUnknown) || (offersDriverUi && IsEqualIID(riid, IID_IPrintOemDriverUI))) {
        *ppv = static_cast<IPrintOemDriverUI*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FakeDriverUi::DrvGetDriverSetting(PVOID pci, PCSTR feature, PVOID output, DWORD size,
                                                            PDWORD needed, PDWORD optionsReturned) {
    settingCalls.push_back({pci, feature != nullptr ? feature : "(null)"});
    for (const auto& setting : settings) {
        if (feature != nullptr && setting.first == feature) {
            if (settingResult != S_OK) {
                return settingResult;
            }
            const size_t count = setting.second.size() < size ? setting.second.size() : size;
            if (output != nullptr) {
                memcpy(output, setting.second.data(), count);
            }
            if (needed != nullptr) {
                *needed = static_cast<DWORD>(setting.second.size());
            }
            if (optionsReturned != nullptr) {
                *optionsReturned = 1;
            }
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE FakeDriverUi::DrvUpdateUISetting(PVOID pci, PVOID item, DWORD previousSelection, DWORD mode) {
    const auto* optItem = static_cast<const OPTITEM*>(item);
    updateCalls.push_back({pci, item, previousSelection, mode, optItem != nullptr ? optItem->Sel : -1,
                           optItem != nullptr ? optItem->Flags : 0});
    return S_OK;
}
