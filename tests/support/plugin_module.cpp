#include "tests/support/plugin_module.h"

#include <gtest/gtest.h>

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
