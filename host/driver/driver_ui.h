// The driver's own IPrintOemDriverUI, as the host hands it to a plug-in:
// DrvGetDriverSetting answers from a table of installed values, and every
// call is recorded. kxpsui-host, the tests and the fuzz target share it.
#pragma once

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "plugin/oem_abi.h"

// Installed values, ANSI bytes: feature name without '*', option keyword.
typedef std::vector<std::pair<std::string, std::string>> InstalledValues;

// Not final: a test may watch the plug-in's calls by overriding one of them.
class HostDriverUi : public IPrintOemDriverUI {
  public:
    struct SettingQuery {
        PVOID pci;
        std::string feature;  // "(null)" for a null name
        DWORD size;           // of the output buffer
        bool output;          // an output buffer was given
        HRESULT result;
    };
    struct Update {
        PVOID pci;
        const OPTITEM* item;
        DWORD previousSelection;
        DWORD mode;
        LONG sel;     // the item's Sel when the driver was told
        DWORD flags;  // the item's Flags when the driver was told
    };

    // The driver answers only for its own UI object.
    explicit HostDriverUi(PVOID pci = nullptr) : pci(pci) {}

    // Sets or replaces the option installed for a feature; Forget makes the
    // driver refuse the feature.
    void SetInstalled(const std::string& feature, const std::string& option);
    void ForgetInstalled(const std::string& feature);
    // The installed options, in the order first set.
    InstalledValues Installed() const;
    // For tests of how a plug-in takes answers: the driver answers the
    // feature with result and these bytes, copied as they stand and cut at
    // the caller's buffer size.
    void SetRawAnswer(const std::string& feature, HRESULT result, const std::string& bytes);

    bool offersDriverUi = true;  // QueryInterface gives IPrintOemDriverUI
    int driverUiQueries = 0;     // QueryInterface calls for IPrintOemDriverUI
    std::vector<SettingQuery> queries;
    std::vector<Update> updates;
    LONG References() const { return refCount; }
    PVOID UiObject() const { return pci; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // S_OK with "option\0\0" for an installed feature; E_OUTOFMEMORY (and
    // the size needed) when the buffer is too small; E_INVALIDARG for any
    // other feature or another UI object.
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, PCSTR feature, PVOID output, DWORD size, PDWORD needed,
                                                  PDWORD optionsReturned) override;
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE printer, PCSTR feature, PCSTR option) override;
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID item, DWORD previousSelection, DWORD mode) override;

  private:
    struct Answer {
        std::string feature;
        std::string bytes;
        HRESULT result;
        bool raw;  // set by SetRawAnswer
    };
    Answer* Find(const std::string& feature);

    PVOID pci;
    std::vector<Answer> answers;  // in the order they were set
    // Each answer's place in answers: a PPD may have thousands of installable
    // features, each set and queried once.
    std::unordered_map<std::string, size_t> answerAt;
    LONG refCount = 1;  // the driver's own reference; the object lives with its owner
};
