// Loads a plug-in binary the way the driver's UI core does: LoadLibraryW,
// GetProcAddress for the two exports, DllGetClassObject for a factory,
// CreateInstance for IUnknown, then QueryInterface for IPrintOemUI2.
#pragma once

#include <stdint.h>

#include <string>

#include "plugin/oem_abi.h"

typedef HRESULT(STDMETHODCALLTYPE* DllGetClassObjectFn)(REFCLSID rclsid, REFIID riid, void** ppv);
typedef HRESULT(STDMETHODCALLTYPE* DllCanUnloadNowFn)(void);

struct PluginBinary {
    HMODULE module = nullptr;
    DllGetClassObjectFn getClassObject = nullptr;
    DllCanUnloadNowFn canUnloadNow = nullptr;
};

// False with a one-line reason when the file does not load or lacks an export.
bool LoadPluginBinary(const std::u16string& path, PluginBinary* binary, std::string* error);

// A new plug-in object with one reference, or null with the failing step and
// its result in *error.
IPrintOemUI2* CreatePluginObject(const PluginBinary& binary, std::string* error);

// A plug-in binary told by its bytes: the size and SHA-256 of its file.
struct PluginIdentity {
    uint64_t size;
    const char* sha256;  // lower-case hexadecimal
};

// Whether the file the binary was loaded from has that identity. False with
// the reason, one line, when it differs or cannot be read.
bool HasIdentity(const PluginBinary& binary, const PluginIdentity& identity, std::string* reason);
