#include "host/plugin_binary.h"

#include <stdio.h>

namespace {

std::string Hex(HRESULT result) {
    char text[16];
    snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(result));
    return text;
}

}  // namespace

bool LoadPluginBinary(const std::u16string& path, PluginBinary* binary, std::string* error) {
    binary->module = LoadLibraryW(reinterpret_cast<LPCWSTR>(path.c_str()));
    if (binary->module == nullptr) {
        *error = "cannot load plug-in " + Utf16ToUtf8(reinterpret_cast<const WCHAR*>(path.c_str())) + " (error " +
                 std::to_string(GetLastError()) + ")";
        return false;
    }
    binary->getClassObject = reinterpret_cast<DllGetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(binary->module, "DllGetClassObject")));
    binary->canUnloadNow =
        reinterpret_cast<DllCanUnloadNowFn>(reinterpret_cast<void*>(GetProcAddress(binary->module, "DllCanUnloadNow")));
    if (binary->getClassObject == nullptr || binary->canUnloadNow == nullptr) {
        *error = "plug-in " + Utf16ToUtf8(reinterpret_cast<const WCHAR*>(path.c_str())) +
                 " lacks DllGetClassObject or DllCanUnloadNow";
        FreeLibrary(binary->module);
        *binary = PluginBinary();
        return false;
    }
    return true;
}

IPrintOemUI2* CreatePluginObject(const PluginBinary& binary, std::string* error) {
    IClassFactory* factory = nullptr;
    HRESULT result = binary.getClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(result) || factory == nullptr) {
        *error = "DllGetClassObject: " + ResultName(result);
        return nullptr;
    }
    IUnknown* unknown = nullptr;
    result = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&unknown));
    factory->Release();
    if (FAILED(result) || unknown == nullptr) {
        *error = "CreateInstance: " + ResultName(result);
        return nullptr;
    }
    IPrintOemUI2* object = nullptr;
    result = unknown->QueryInterface(IID_IPrintOemUI2, reinterpret_cast<void**>(&object));
    unknown->Release();
    if (FAILED(result) || object == nullptr) {
        *error = "QueryInterface(IPrintOemUI2): " + ResultName(result);
        return nullptr;
    }
    return object;
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string wide;
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        unsigned codePoint = 0xFFFD;
        size_t length = 1;
        if (lead < 0x80) {
            codePoint = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
        }
        if (length > 1) {
            if (i + length > text.size()) {
                length = 1;
            } else {
                codePoint = lead & (0x7F >> length);
                for (size_t k = 1; k < length; ++k) {
                    const unsigned char trail = static_cast<unsigned char>(text[i + k]);
                    if ((trail & 0xC0) != 0x80) {
                        codePoint = 0xFFFD;
                        length = 1;
                        break;
                    }
                    codePoint = (codePoint << 6) | (trail & 0x3F);
                }
            }
        }
        i += length;
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            wide.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        } else {
            wide.push_back(static_cast<char16_t>(codePoint));
        }
    }
    return wide;
}

std::string Utf16ToUtf8(const WCHAR* text) {
    std::string narrow;
    if (text == nullptr) {
        return narrow;
    }
    for (size_t i = 0; text[i] != 0; ++i) {
        unsigned codePoint = static_cast<unsigned>(text[i]);
        if (codePoint >= 0xD800 && codePoint < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<unsigned>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (codePoint >= 0xD800 && codePoint < 0xE000) {
            codePoint = 0xFFFD;
        }
        if (codePoint < 0x80) {
            narrow.push_back(static_cast<char>(codePoint));
        } else if (codePoint < 0x800) {
            narrow.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
            narrow.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        } else if (codePoint < 0x10000) {
            narrow.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
            narrow.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        } else {
            narrow.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
            narrow.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        }
    }
    return narrow;
}

std::string ResultName(HRESULT result) {
    struct Name {
        HRESULT result;
        const char* name;
    } names[] = {
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
    for (const Name& name : names) {
        if (name.result == result) {
            return name.name;
        }
    }
    return Hex(result);
}
