// The host's side of the installed options: asking the driver for the
// current option of an installable feature. The answer goes into the model
// through StoreInstalledValue (constraints.h).
#pragma once

#include <stdint.h>

#include "plugin/oem_abi.h"
#include "plugin/plugin_context.h"

// Name buffer for the host: a feature keyword in the ANSI code page.
constexpr int32_t kInstalledNameBytes = 260;
// The host writes the current option into this many bytes.
constexpr DWORD kInstalledAnswerBytes = 256;

// Asks the host for the current option of one feature (keyword with its
// leading '*'). S_OK when value (kPpdTextCapacity units) holds it; the host's
// own result when it refuses; E_FAIL without asking when there is no host
// interface or the keyword is empty, and when a conversion fails.
HRESULT QueryInstalledValue(PVOID pci, PluginContext* context, const WCHAR* keyword, WCHAR* value);
