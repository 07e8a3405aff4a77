// Linux stand-in for a module's resource section. A module built for Linux
// carries its string tables as one exported record, KxModuleResources, which
// LoadStringW finds through the module handle it is given (as the Windows
// loader finds the .rsrc section of the module whose handle it is given).
#pragma once

#include "platform/linux/win_types.h"

struct KxStringResource {
    LANGID language;    // platform language identifier, e.g. 1024 (neutral), 1031
    UINT id;            // string ID
    const WCHAR* text;  // not NUL-terminated in general; length units
    UINT length;
};

struct KxModuleResourceDirectory {
    UINT stringCount;
    const KxStringResource* strings;  // sorted by language, then id
};

#define KX_MODULE_RESOURCES_SYMBOL "KxModuleResources"
