// The plug-in binary built with the tests (it sits next to the test
// executables), loaded once per process as the driver loads it.
#pragma once

#include <string>

#include "host/common/text.h"
#include "host/driver/plugin_binary.h"
#include "tests/support/test_text.h"

const PluginBinary& LoadedPlugin();

// A plug-in object from a fresh factory (IUnknown first, then IPrintOemUI2).
IPrintOemUI2* CreatePluginObject();
