#include "host/driver/driver_ui.h"

#include <string.h>

HostDriverUi::Answer* HostDriverUi::Find(const std::string& feature) {
    const auto at = answerAt.find(feature);
    return at != answerAt.end() ? &answers[at->second] : nullptr;
}

void HostDriverUi::SetInstalled(const std::string& feature, const std::string& option) {
    // A list of options, each NUL-terminated, ended by one more NUL.
    const Answer answer = {feature, std::string(option).append(2, '\0'), S_OK, false};
    Answer* existing = Find(feature);
    if (existing != nullptr) {
        *existing = answer;
    } else {
        answerAt[feature] = answers.size();
        answers.push_back(answer);
    }
}

void HostDriverUi::ForgetInstalled(const std::string& feature) {
    const auto at = answerAt.find(feature);
    if (at == answerAt.end()) {
        return;
    }
    answers.erase(answers.begin() + static_cast<long>(at->second));
    answerAt.clear();
    for (size_t i = 0; i < answers.size(); ++i) {
        answerAt[answers[i].feature] = i;
    }
}

InstalledValues HostDriverUi::Installed() const {
    InstalledValues installed;
    for (const Answer& answer : answers) {
        if (!answer.raw) {
            installed.emplace_back(answer.feature, answer.bytes.c_str());
        }
    }
    return installed;
}

void HostDriverUi::SetRawAnswer(const std::string& feature, HRESULT result, const std::string& bytes) {
    ForgetInstalled(feature);
    answerAt[feature] = answers.size();
    answers.push_back({feature, bytes, result, true});
}

HRESULT STDMETHODCALLTYPE HostDriverUi::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    const bool driverUi = IsEqualIID(riid, IID_IPrintOemDriverUI);
    driverUiQueries += driverUi ? 1 : 0;
    if (IsEqualIID(riid, IID_IUnknown) || (driverUi && offersDriverUi)) {
        *ppv = static_cast<IPrintOemDriverUI*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE HostDriverUi::AddRef() {
    return static_cast<ULONG>(++refCount);
}

ULONG STDMETHODCALLTYPE HostDriverUi::Release() {
    return static_cast<ULONG>(--refCount);
}

HRESULT STDMETHODCALLTYPE HostDriverUi::DrvGetDriverSetting(PVOID callerPci, PCSTR feature, PVOID output, DWORD size,
                                                            PDWORD needed, PDWORD optionsReturned) {
    SettingQuery query = {callerPci, feature != nullptr ? feature : "(null)", size, output != nullptr, E_INVALIDARG};
    const Answer* answer = feature != nullptr && callerPci == pci ? Find(feature) : nullptr;
    if (answer != nullptr) {
        const DWORD bytes = static_cast<DWORD>(answer->bytes.size());
        if (needed != nullptr) {
            *needed = bytes;
        }
        if (!answer->raw && (output == nullptr || size < bytes)) {
            query.result = E_OUTOFMEMORY;
        } else {
            if (output != nullptr) {
                memcpy(output, answer->bytes.data(), bytes < size ? bytes : size);
            }
            if (optionsReturned != nullptr) {
                *optionsReturned = 1;
            }
            query.result = answer->result;
        }
    }
    queries.push_back(query);
    return query.result;
}

HRESULT STDMETHODCALLTYPE HostDriverUi::DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HostDriverUi::DrvUpdateUISetting(PVOID callerPci, PVOID item, DWORD previousSelection,
                                                           DWORD mode) {
    const OPTITEM* optItem = static_cast<const OPTITEM*>(item);
    updates.push_back({callerPci, optItem, previousSelection, mode, optItem != nullptr ? optItem->Sel : -1,
                       optItem != nullptr ? static_cast<DWORD>(optItem->Flags) : 0u});
    return S_OK;
}
