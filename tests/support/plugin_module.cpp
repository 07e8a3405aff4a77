#include "tests/support/plugin_module.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

const PluginBinary& LoadedPlugin() {
    static PluginBinary plugin = [] {
        PluginBinary loaded;
        std::string error;
        if (!LoadPluginBinary(Utf8ToUtf16(KX_PLUGIN_FILE_NAME), &loaded, &error)) {
            ADD_FAILURE() << error;
        }
        return loaded;
    }();
    return plugin;
}

IPrintOemUI2* CreatePluginObject() {
    const PluginBinary& plugin = LoadedPlugin();
    if (plugin.getClassObject == nullptr) {
        ADD_FAILURE() << "plug-in " << KX_PLUGIN_FILE_NAME << " not loaded";
        return nullptr;
    }
    std::string error;
    IPrintOemUI2* object = CreatePluginObject(plugin, &error);
    if (object == nullptr) {
        ADD_FAILURE() << error;
    }
    return object;
}

const char* TestLocale() {
    const char* locale = getenv("LC_ALL");
    return (locale != nullptr && *locale != '\0') ? locale : "C";
}

std::string Narrow(const WCHAR* text) {
    std::string narrow;
    if (text == nullptr) {
        return "(null)";
    }
    for (; *text != 0; ++text) {
        const unsigned unit = static_cast<unsigned>(*text);
        if (unit >= 0x20 && unit < 0x7F) {
            narrow.push_back(static_cast<char>(unit));
        } else {
            char escape[12];
            snprintf(escape, sizeof(escape), "\\u%04X", unit);
            narrow += escape;
        }
    }
    return narrow;
}
