#include "customize/common_ui_prop.h"

#include <stdio.h>

#include <new>

#include "customize/color_mode_callback.h"
#include "customize/constraints.h"
#include "customize/installed_options.h"
#include "customize/ppd_path.h"
#include "ppd/ppd_document.h"
#include "ppd/ppd_index.h"
#include "resources/feature_labels.h"

namespace {

// One buffer serves in turn for the PPD path, each installed value and the
// looked-up label.
union WorkBuffer {
    WCHAR text[kPpdPathCapacity];
    FeatureLabel label;
};
static_assert(sizeof(FeatureLabel) <= sizeof(WCHAR) * kPpdPathCapacity, "the label record fits the buffer");

bool IsResourceId(const WCHAR* name) {
    return reinterpret_cast<ULONG_PTR>(name) < 0x10000;
}

bool SameText(const WCHAR* a, const WCHAR* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

void ReadDocument(POEMCUIPPARAM param, PluginContext* context, WorkBuffer* work) {
    if (!GetPpdFilePath(param->hOEMHeap, param->hPrinter, work->text)) {
        return;
    }
    // Text mode: CR LF reads as one line end and a 0x1A byte ends the file,
    // alike on every build. A file that cannot be opened leaves no document,
    // so the next first call tries again.
    FILE* stream = _wfopen(work->text, TEXT("r"));
    if (stream == nullptr) {
        return;
    }
    context->document = new (std::nothrow) PpdDocument(stream);
    fclose(stream);
}

void RefreshInstalledOptions(POEMCUIPPARAM param, PluginContext* context, WorkBuffer* work) {
    PpdDocument* document = context->document;
    for (int i = 0; i < document->featureCount; ++i) {
        const PpdFeature* feature = document->features[i];
        if (!SameText(feature->groupKeyword.chars, kPpdInstallableGroup)) {
            continue;
        }
        if (QueryInstalledValue(param->poemuiobj, context, feature->keyword.chars, work->text) == S_OK) {
            StoreInstalledValue(document, feature->keyword.chars, work->text);
        }
    }
    EvaluateConstraints(document);
}

void TagDocumentItems(POEMCUIPPARAM param, PluginContext* context, WorkBuffer* work) {
    param->pOEMUserData = context;
    param->OEMCUIPCallback = ColorModeItemCallback;

    OPTITEM* items = param->pDrvOptItems;  // borrowed; changed in place
    const DWORD count = items != nullptr ? param->cDrvOptItems : 0;
    const PpdDocument* document = context->document;
    const HINSTANCE module = static_cast<HINSTANCE>(param->hModule);
    LONG colorSelection = 1;  // until a colour item is passed, colour counts as on
    for (DWORD i = 0; i < count; ++i) {
        OPTITEM* item = &items[i];
        if (item->DMPubID == DMPUB_COLOR) {
            colorSelection = item->Sel;
            continue;
        }
        if (IsResourceId(item->pName) || document == nullptr) {
            continue;
        }
        const PpdFeature* feature = FindFeatureByTranslation(document, item->pName);
        if (module == nullptr ||
            LookupFeatureLabel(module, &work->label, feature != nullptr ? feature->keyword.chars : nullptr) != S_OK) {
            continue;
        }
        item->UserItemID = static_cast<BYTE>(work->label.itemCode & 0xFF);
        if (work->label.itemCode == kColorRenderingItemCode && colorSelection == 0) {
            item->Flags |= OPTIF_DISABLED;
        }
    }
}

void HideParameters(OPTITEM* item) {
    OPTTYPE* type = item->pOptType;  // borrowed
    if (type == nullptr || type->pOptParam == nullptr) {
        return;
    }
    for (WORD i = 0; i < type->Count; ++i) {
        type->pOptParam[i].Flags |= OPTPF_HIDE;
    }
}

// The item named kHiddenPrinterItemId is hidden together with the items
// after it, up to the next item of exactly its Level, which stays visible.
// Items at other levels, shallower ones included, do not end the run, and
// another such item inside a run starts it again at its own Level.
void CustomizePrinterItems(POEMCUIPPARAM param) {
    OPTITEM* items = param->pDrvOptItems;  // borrowed; changed in place
    const DWORD count = items != nullptr ? param->cDrvOptItems : 0;
    bool hiding = false;
    BYTE hiddenLevel = 0;
    for (DWORD i = 0; i < count; ++i) {
        OPTITEM* item = &items[i];
        if (hiding) {
            if (item->Level == hiddenLevel) {
                hiding = false;
            } else {
                HideParameters(item);
                item->Flags |= OPTIF_HIDE;
            }
        }
        if (!IsResourceId(item->pName)) {
            continue;
        }
        const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(item->pName);
        if (id == kInitialPrinterItemId) {
            item->Flags |= OPTIF_INITIAL_TVITEM;
        } else if (id == kHiddenPrinterItemId) {
            // Its own parameters are left as they are.
            item->Flags |= OPTIF_HIDE;
            hiding = true;
            hiddenLevel = item->Level;
        }
    }
}

}  // namespace

HRESULT HandleCommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam, PluginContext* context) {
    if (pOemCUIPParam == nullptr) {
        return S_OK;
    }
    WorkBuffer work;
    if (pOemCUIPParam->pOEMOptItems == nullptr) {
        pOemCUIPParam->cOEMOptItems = 0;
        if (context == nullptr) {
            return S_OK;
        }
        if (context->document == nullptr) {
            ReadDocument(pOemCUIPParam, context, &work);
        }
        if (dwMode == OEMCUIP_DOCPROP && context->document != nullptr) {
            RefreshInstalledOptions(pOemCUIPParam, context, &work);
        }
        return S_OK;
    }
    if (dwMode == OEMCUIP_DOCPROP && context != nullptr) {
        TagDocumentItems(pOemCUIPParam, context, &work);
    } else if (dwMode == OEMCUIP_PRNPROP) {
        CustomizePrinterItems(pOemCUIPParam);
    }
    return S_OK;
}
