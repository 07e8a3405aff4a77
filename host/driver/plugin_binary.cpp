#include "host/driver/plugin_binary.h"

#include "host/common/files.h"
#include "host/common/result_names.h"
#include "host/common/sha256.h"
#include "host/common/text.h"

bool LoadPluginBinary(const std::u16string& path, PluginBinary* binary, std::string* error) {
    binary->module = LoadLibraryW(AsWide(path));
    if (binary->module == nullptr) {
        *error = "cannot load plug-in " + Utf16ToUtf8(path) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    binary->getClassObject = reinterpret_cast<DllGetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(binary->module, "DllGetClassObject")));
    binary->canUnloadNow =
        reinterpret_cast<DllCanUnloadNowFn>(reinterpret_cast<void*>(GetProcAddress(binary->module, "DllCanUnloadNow")));
    if (binary->getClassObject == nullptr || binary->canUnloadNow == nullptr) {
        *error = "plug-in " + Utf16ToUtf8(path) + " lacks DllGetClassObject or DllCanUnloadNow";
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

bool HasIdentity(const PluginBinary& binary, const PluginIdentity& identity, std::string* reason) {
    const std::u16string path = ModuleFileName(binary.module);
    std::string bytes;
    if (path.empty() || !ReadFileBytes(path, &bytes)) {
        *reason = "the plug-in's file cannot be read to tell which plug-in it is";
        return false;
    }
    if (bytes.size() != identity.size) {
        *reason = "not the plug-in built with this kxpsui-host (" + std::to_string(bytes.size()) + " bytes, not " +
                  std::to_string(identity.size) + ")";
        return false;
    }
    if (Sha256Hex(bytes.data(), bytes.size()) != identity.sha256) {
        *reason = "not the plug-in built with this kxpsui-host (its SHA-256 differs)";
        return false;
    }
    return true;
}
