// The work done when the host builds its property sheets: CommonUIProp's
// handler.
#pragma once

#include "plugin/oem_abi.h"
#include "plugin/plugin_context.h"

// String IDs of the host's printer-sheet items that the handler acts on.
constexpr ULONG_PTR kInitialPrinterItemId = 400;   // becomes the tree's initial item
constexpr ULONG_PTR kHiddenPrinterItemId = 64798;  // hidden with its whole subtree

// Always S_OK; every failure inside is absorbed by skipping a step or an item.
// First call of either sheet (pOEMOptItems null): reports no items of its own
// and reads the PPD once per plug-in object; on the document sheet it then
// refreshes the installed options and the constraint marks. Second call:
// document sheet, registers the colour callback and tags the driver items;
// printer sheet, marks the initial item and hides one subtree. A null
// parameter block or context does nothing.
HRESULT HandleCommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam, PluginContext* context);
