#include "host/common/result_names.h"

#include <stdio.h>

std::string ResultName(HRESULT result) {
    static const struct {
        HRESULT result;
        const char* name;
    } kNames[] = {
        {S_OK, "S_OK"},
        {S_FALSE, "S_FALSE"},
        {E_NOTIMPL, "E_NOTIMPL"},
        {E_NOINTERFACE, "E_NOINTERFACE"},
        {E_POINTER, "E_POINTER"},
        {E_FAIL, "E_FAIL"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
        {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
    };
    for (const auto& name : kNames) {
        if (name.result == result) {
            return name.name;
        }
    }
    char text[16];
    snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(result));
    return text;
}
