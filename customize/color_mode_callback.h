// The item callback registered on the document sheet: keeps the
// colour-rendering item in step with the driver's colour item.
#pragma once

#include "plugin/oem_abi.h"

// OEMCUIPCALLBACK. A selection change of the colour item (DMPUB_COLOR) gives
// its Sel to the first item tagged with the colour-rendering code, disables
// that item while the selection is 0 (monochrome) and enables it otherwise,
// and tells the host through DrvUpdateUISetting. APPLYNOW answers
// CPSUICB_ACTION_ITEMS_APPLIED; everything else CPSUICB_ACTION_OPTIF_CHANGED.
LONG APIENTRY ColorModeItemCallback(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pOemCUIPParam);
