// Modules: HMODULE is the dlopen handle. A bare file name is looked for
// beside the running executable first, as the platform's loader searches
// the application directory first.
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "platform/linux/internal.h"
#include "platform/linux/win_resources.h"
#include "platform/platform.h"

namespace {

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return std::string();
    }
    path[length] = '\0';
    std::string directory(path);
    return directory.substr(0, directory.rfind('/'));
}

}  // namespace

extern "C" HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
    if (lpLibFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string name = kxplat::Utf16ToUtf8(lpLibFileName);
    void* handle = nullptr;
    if (name.find('/') == std::string::npos) {
        const std::string beside = ExecutableDirectory() + "/" + name;
        if (access(beside.c_str(), F_OK) == 0) {
            handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
        }
    }
    if (handle == nullptr) {
        handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
    }
    return handle;
}

extern "C" FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (hModule == nullptr || lpProcName == nullptr || IS_INTRESOURCE(lpProcName)) {
        SetLastError(hModule == nullptr ? ERROR_INVALID_HANDLE : ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = dlsym(hModule, lpProcName);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

extern "C" BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    if (hLibModule == nullptr || dlclose(hLibModule) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

namespace {

// The module's resource record, or null. dlsym also searches a module's
// dependencies, so the record found must lie in the module itself.
const KxModuleResourceDirectory* ResourcesOf(HINSTANCE instance) {
    static void* const program = dlopen(nullptr, RTLD_NOW);
    void* handle = instance != nullptr ? instance : program;
    void* symbol = dlsym(handle, KX_MODULE_RESOURCES_SYMBOL);
    if (symbol == nullptr) {
        return nullptr;
    }
    struct link_map* module = nullptr;
    Dl_info where;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &module) != 0 || dladdr(symbol, &where) == 0 ||
        reinterpret_cast<ElfW(Addr)>(where.dli_fbase) != module->l_addr) {
        // The main program is mapped at its link address (l_addr 0) when not
        // position independent; its own symbols still belong to it.
        if (instance != nullptr || module == nullptr || module->l_addr != 0) {
            return nullptr;
        }
    }
    return static_cast<const KxModuleResourceDirectory*>(symbol);
}

bool BlockHasLanguage(const KxModuleResourceDirectory& resources, UINT block, LANGID language) {
    for (UINT i = 0; i < resources.stringCount; ++i) {
        if (resources.strings[i].language == language && resources.strings[i].id / 16 == block) {
            return true;
        }
    }
    return false;
}

// The language a block of 16 strings is read in, as Wine chooses it: the
// neutral table, the UI language, its primary language's neutral table,
// English (United States, then neutral), and else the lowest language the
// block has.
bool ChooseLanguage(const KxModuleResourceDirectory& resources, UINT block, LANGID* chosen) {
    const LANGID ui = GetUserDefaultUILanguage();
    const LANGID candidates[] = {0x0000, ui, static_cast<LANGID>(MAKELANGID(PRIMARYLANGID(ui), 0)), 0x0409, 0x0009};
    for (LANGID language : candidates) {
        if (BlockHasLanguage(resources, block, language)) {
            *chosen = language;
            return true;
        }
    }
    bool found = false;
    for (UINT i = 0; i < resources.stringCount; ++i) {
        const KxStringResource& s = resources.strings[i];
        if (s.id / 16 == block && (!found || s.language < *chosen)) {
            *chosen = s.language;
            found = true;
        }
    }
    return found;
}

}  // namespace

// cchBufferMax 0 asks for a read-only pointer to the text (not terminated)
// in *lpBuffer and its length. Otherwise at most cchBufferMax - 1 units are
// copied and terminated; a buffer of one unit is left untouched.
extern "C" int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    static const WCHAR kEmpty[] = {0};
    if (lpBuffer == nullptr || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const KxModuleResourceDirectory* resources = ResourcesOf(hInstance);
    LANGID language = 0;
    if (resources == nullptr) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    if (!ChooseLanguage(*resources, uID / 16, &language)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    // A block without the ID reads as an empty string.
    const WCHAR* text = kEmpty;
    UINT length = 0;
    for (UINT i = 0; i < resources->stringCount; ++i) {
        const KxStringResource& s = resources->strings[i];
        if (s.language == language && s.id == uID) {
            text = s.text;
            length = s.length;
            break;
        }
    }
    if (cchBufferMax == 0) {
        *reinterpret_cast<const WCHAR**>(lpBuffer) = text;
        return static_cast<int>(length);
    }
    const int copied = static_cast<int>(length) < cchBufferMax - 1 ? static_cast<int>(length) : cchBufferMax - 1;
    if (copied > 0) {
        memcpy(lpBuffer, text, static_cast<size_t>(copied) * sizeof(WCHAR));
        lpBuffer[copied] = 0;
        return copied;
    }
    if (cchBufferMax > 1) {
        lpBuffer[0] = 0;
    }
    return 0;
}
