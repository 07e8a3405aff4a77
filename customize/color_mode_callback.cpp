#include "customize/color_mode_callback.h"

#include "plugin/plugin_context.h"
#include "resources/feature_labels.h"

LONG APIENTRY ColorModeItemCallback(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pOemCUIPParam) {
    if (pCallbackParam == nullptr) {
        return CPSUICB_ACTION_OPTIF_CHANGED;
    }
    if (pCallbackParam->Reason != CPSUICB_REASON_SEL_CHANGED) {
        return pCallbackParam->Reason == CPSUICB_REASON_APPLYNOW ? CPSUICB_ACTION_ITEMS_APPLIED
                                                                 : CPSUICB_ACTION_OPTIF_CHANGED;
    }
    const OPTITEM* current = pCallbackParam->pCurItem;  // borrowed
    if (current == nullptr || current->DMPubID != DMPUB_COLOR || pOemCUIPParam == nullptr) {
        return CPSUICB_ACTION_OPTIF_CHANGED;
    }
    OPTITEM* items = pOemCUIPParam->pDrvOptItems;  // borrowed; changed in place
    const DWORD count = items != nullptr ? pOemCUIPParam->cDrvOptItems : 0;
    OPTITEM* rendering = nullptr;
    for (DWORD i = 0; i < count; ++i) {
        if (items[i].UserItemID == kColorRenderingItemCode) {
            rendering = &items[i];
            break;
        }
    }
    if (rendering == nullptr) {
        return CPSUICB_ACTION_OPTIF_CHANGED;
    }
    if (current->Sel == 0) {
        rendering->Flags |= OPTIF_DISABLED;
    } else {
        rendering->Flags &= ~static_cast<DWORD>(OPTIF_DISABLED);
    }
    rendering->Sel = current->Sel;
    // Without the host's interface the item still follows; no one is told.
    const PluginContext* context = static_cast<const PluginContext*>(pOemCUIPParam->pOEMUserData);
    if (context != nullptr && context->driverUi != nullptr) {
        context->driverUi->DrvUpdateUISetting(pOemCUIPParam->poemuiobj, rendering, 0, OEMCUIP_DOCPROP);
    }
    return CPSUICB_ACTION_OPTIF_CHANGED;
}
