#include "customize/installed_options.h"

#include <string.h>

#include "ppd/ppd_document.h"

HRESULT QueryInstalledValue(PVOID pci, PluginContext* context, const WCHAR* keyword, WCHAR* value) {
    if (context == nullptr || context->driverUi == nullptr || keyword == nullptr || keyword[0] == 0 ||
        value == nullptr) {
        return E_FAIL;
    }
    // The host knows features by their names without the '*'.
    char name[kInstalledNameBytes];
    if (WideCharToMultiByte(CP_ACP, 0, keyword + 1, -1, name, kInstalledNameBytes, nullptr, nullptr) == 0) {
        return E_FAIL;
    }
    char answer[kInstalledAnswerBytes];
    memset(answer, 0, sizeof(answer));
    DWORD needed = 0;
    DWORD optionsReturned = 0;
    const HRESULT result =
        context->driverUi->DrvGetDriverSetting(pci, name, answer, kInstalledAnswerBytes, &needed, &optionsReturned);
    if (result != S_OK) {
        return result;
    }
    // Only the first of several NUL-separated options counts, and an answer
    // that fills all 256 bytes is cut at its last.
    answer[kInstalledAnswerBytes - 1] = '\0';
    const int answerLength = static_cast<int>(strlen(answer));
    if (answerLength == 0) {
        value[0] = 0;
        return S_OK;
    }
    const int written = MultiByteToWideChar(CP_ACP, 0, answer, answerLength, value, kPpdTextCapacity - 1);
    if (written <= 0) {
        value[0] = 0;
        return E_FAIL;
    }
    value[written] = 0;
    return S_OK;
}
