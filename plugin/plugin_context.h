// The state the plug-in object hands to the property-sheet customization and
// registers as the item callback's user data.
#pragma once

#include "plugin/oem_abi.h"

class PpdDocument;

struct PluginContext {
    PpdDocument* document;        // owned; read once per plug-in object, destroyed with it
    IPrintOemDriverUI* driverUi;  // one reference held from PublishDriverInterface until destruction
};
