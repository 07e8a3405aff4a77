// Driver items of both property sheets, made from the input, through
// HandleCommonUIProp and the colour callback, with a context that holds a
// document of a small fixed PPD and a driver interface whose answers also
// come from the input. What the handler may change is checked against a
// model: on the document sheet only UserItemID and OPTIF_DISABLED, on the
// printer sheet exactly the hidden run and the initial item.
#include <dlfcn.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "customize/color_mode_callback.h"
#include "customize/common_ui_prop.h"
#include "fuzz/fuzz_support.h"
#include "host/driver/driver_ui.h"
#include "plugin/plugin_context.h"
#include "ppd/ppd_alloc.h"
#include "ppd/ppd_document.h"
#include "resources/feature_labels.h"
#include "tests/support/ppd_test_util.h"

namespace {

// Installable options tied to two features by constraints, the colour and
// colour-rendering features, a public feature the label table passes over
// and a translation written in hex.
const char kFixedPpd[] =
    "*PPD-Adobe: \"4.3\"\n"
    "*OpenGroup: InstallableOptions/Installed Options\n"
    "*OpenUI *KXDuplexOption/Duplex Unit: Boolean\n"
    "*DefaultKXDuplexOption: False\n"
    "*KXDuplexOption True/Installed: \"\"\n"
    "*KXDuplexOption False/Not Installed: \"\"\n"
    "*CloseUI: *KXDuplexOption\n"
    "*OpenUI *KXTrayUnit/Lower Cassette Unit: PickOne\n"
    "*DefaultKXTrayUnit: None\n"
    "*KXTrayUnit None/Not Installed: \"\"\n"
    "*KXTrayUnit Tray2/Tray 2: \"\"\n"
    "*CloseUI: *KXTrayUnit\n"
    "*CloseGroup: InstallableOptions\n"
    "*OpenUI *Duplex/Two-Sided: PickOne\n"
    "*DefaultDuplex: None\n"
    "*Duplex None/Off: \"\"\n"
    "*Duplex DuplexNoTumble/Long Edge: \"\"\n"
    "*Duplex DuplexTumble/Short Edge: \"\"\n"
    "*CloseUI: *Duplex\n"
    "*OpenUI *InputSlot/Paper Source: PickOne\n"
    "*DefaultInputSlot: Tray1\n"
    "*InputSlot Tray1/Tray 1: \"\"\n"
    "*InputSlot Tray2/Tray 2: \"\"\n"
    "*CloseUI: *InputSlot\n"
    "*OpenUI *KXRendering/Color Mode: PickOne\n"
    "*DefaultKXRendering: Color\n"
    "*KXRendering Gray/Grayscale: \"\"\n"
    "*KXRendering Color/Color: \"\"\n"
    "*CloseUI: *KXRendering\n"
    "*OpenUI *KXToner/<54>oner <E9>co: Boolean\n"
    "*DefaultKXToner: False\n"
    "*KXToner True/On: \"\"\n"
    "*KXToner False/Off: \"\"\n"
    "*CloseUI: *KXToner\n"
    "*OpenUI *OutputBin/Output Bin: PickOne\n"
    "*DefaultOutputBin: Upper\n"
    "*OutputBin Upper/Face Down: \"\"\n"
    "*CloseUI: *OutputBin\n"
    "*OpenUI *KXUnknown/Color Mode: PickOne\n"
    "*CloseUI: *KXUnknown\n"
    "*UIConstraints: *KXDuplexOption False *Duplex DuplexNoTumble\n"
    "*UIConstraints: *KXDuplexOption False *Duplex DuplexTumble\n"
    "*UIConstraints: *KXTrayUnit None *InputSlot Tray2\n";

HINSTANCE ProgramModule() {
    static HINSTANCE const module = static_cast<HINSTANCE>(dlopen(nullptr, RTLD_NOW));
    return module;
}

DocumentPtr FixedDocument() {
    const std::string bytes(kFixedPpd);
    FILE* stream = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    KX_FUZZ_CHECK(stream != nullptr, "fmemopen");
    DocumentPtr document(new PpdDocument(stream));
    fclose(stream);
    return document;
}

// The driver's answers for the fixed PPD's installable features: each
// result, and the bytes written (up to the size given, with or without a
// NUL), come from the input.
void SetAnswers(FuzzedDataProvider* input, HostDriverUi* driverUi) {
    static const HRESULT results[] = {S_OK, S_OK, S_OK, E_FAIL, E_INVALIDARG, E_OUTOFMEMORY, S_FALSE};
    for (const char* feature : {"KXDuplexOption", "KXTrayUnit"}) {
        const HRESULT result = results[input->ConsumeIntegralInRange<size_t>(0, 6)];
        driverUi->SetRawAnswer(feature, result,
                               input->ConsumeBytesAsString(input->ConsumeIntegralInRange<size_t>(0, 300)));
    }
}

// What the handler asked the driver for: each installable feature by its
// name without '*', into a buffer of 256 bytes, for the driver's UI object.
void CheckQueries(const HostDriverUi& driverUi, PVOID pci) {
    for (const HostDriverUi::SettingQuery& query : driverUi.queries) {
        KX_FUZZ_CHECK(query.pci == pci, "pci handed back");
        KX_FUZZ_CHECK(query.feature == "KXDuplexOption" || query.feature == "KXTrayUnit", "feature " + query.feature);
        KX_FUZZ_CHECK(query.output && query.size == 256, "output buffer of 256 bytes");
    }
}

// The items of one sheet and everything they point to.
struct Sheet {
    std::vector<OPTITEM> items;
    std::vector<std::unique_ptr<OPTTYPE>> types;
    std::vector<std::unique_ptr<OPTPARAM[]>> params;
    std::vector<WideString> names;
};

void MakeItems(const PpdDocument& document, FuzzedDataProvider* input, Sheet* sheet) {
    const size_t count = input->ConsumeIntegralInRange<size_t>(0, 40);
    sheet->items.resize(count);
    sheet->names.reserve(count);  // the items point into these strings
    for (OPTITEM& item : sheet->items) {
        memset(&item, 0, sizeof(item));
        item.cbSize = sizeof(OPTITEM);
        item.Level = input->ConsumeIntegralInRange<uint8_t>(0, 4);
        item.Flags = input->ConsumeBool() ? input->ConsumeIntegral<uint32_t>() : 0;
        item.Sel = input->ConsumeBool() ? input->ConsumeIntegralInRange<LONG>(-1, 2) : input->ConsumeIntegral<LONG>();
        item.UserItemID = input->ConsumeBool() ? 0 : input->ConsumeIntegral<uint8_t>();
        const uint8_t pub = input->ConsumeIntegral<uint8_t>();
        item.DMPubID = pub < 64 ? DMPUB_COLOR : (pub < 192 ? 0 : pub);
        switch (input->ConsumeIntegralInRange<int>(0, 4)) {
            case 0: {  // a string resource of the host
                static const ULONG_PTR ids[] = {kInitialPrinterItemId, kHiddenPrinterItemId, 0, 0xFFFF};
                const uint8_t pick = input->ConsumeIntegral<uint8_t>();
                item.pName = reinterpret_cast<LPTSTR>(pick < 4 ? ids[pick] : input->ConsumeIntegral<uint16_t>());
                break;
            }
            case 1:
            case 2:
            case 3:
                if (document.featureCount > 0) {
                    const PpdFeature& feature =
                        *document.features[input->ConsumeIntegralInRange<int32_t>(0, document.featureCount - 1)];
                    sheet->names.push_back(WideString(feature.translation.chars));
                    item.pName = &sheet->names.back()[0];
                    break;
                }
                [[fallthrough]];
            default: {
                WideString name;
                const size_t length = input->ConsumeIntegralInRange<size_t>(0, 300);
                for (size_t i = 0; i < length && input->remaining_bytes() > 0; ++i) {
                    const WCHAR unit = input->ConsumeIntegral<uint8_t>();
                    if (unit == 0) {
                        break;
                    }
                    name += unit;
                }
                sheet->names.push_back(name);
                item.pName = &sheet->names.back()[0];
                break;
            }
        }
        if (input->ConsumeBool()) {
            sheet->types.emplace_back(new OPTTYPE());
            OPTTYPE* type = sheet->types.back().get();
            type->cbSize = sizeof(OPTTYPE);
            type->Count = input->ConsumeIntegralInRange<WORD>(0, 5);
            if (type->Count > 0 && input->ConsumeBool()) {
                sheet->params.emplace_back(new OPTPARAM[type->Count]());
                type->pOptParam = sheet->params.back().get();
                for (WORD p = 0; p < type->Count; ++p) {
                    type->pOptParam[p].cbSize = sizeof(OPTPARAM);
                    type->pOptParam[p].Flags = input->ConsumeIntegral<uint8_t>();
                }
            }
            item.pOptType = type;
        }
    }
}

struct ItemState {
    OPTITEM item;
    std::vector<BYTE> paramFlags;
};

std::vector<ItemState> Snapshot(const Sheet& sheet) {
    std::vector<ItemState> states;
    for (const OPTITEM& item : sheet.items) {
        ItemState state{item, {}};
        if (item.pOptType != nullptr && item.pOptType->pOptParam != nullptr) {
            for (WORD p = 0; p < item.pOptType->Count; ++p) {
                state.paramFlags.push_back(item.pOptType->pOptParam[p].Flags);
            }
        }
        states.push_back(state);
    }
    return states;
}

bool IsResourceName(const OPTITEM& item) {
    return reinterpret_cast<ULONG_PTR>(item.pName) < 0x10000;
}

bool SameExcept(const OPTITEM& a, const OPTITEM& b) {
    return a.Level == b.Level && a.pName == b.pName && a.Sel == b.Sel && a.pOptType == b.pOptType &&
           a.DMPubID == b.DMPubID && a.UserData == b.UserData && a.HelpIndex == b.HelpIndex;
}

bool IsTableCode(BYTE code) {
    for (size_t row = 0; row < kFeatureLabelRowCount; ++row) {
        if (FeatureLabelTable[row].publicItemId == 0 && FeatureLabelTable[row].itemCode == code) {
            return true;
        }
    }
    return false;
}

// The code an item named `name` must get: that of the first feature with
// this translation, when its keyword has a row without a public item.
BYTE ExpectedCode(const PpdDocument& document, const WCHAR* name) {
    for (int32_t f = 0; f < document.featureCount; ++f) {
        if (!document.features[f]->translation.Equals(name)) {
            continue;
        }
        for (size_t row = 0; row < kFeatureLabelRowCount; ++row) {
            if (FeatureLabelTable[row].publicItemId == 0 &&
                document.features[f]->keyword.Equals(FeatureLabelTable[row].keyword)) {
                return static_cast<BYTE>(FeatureLabelTable[row].itemCode);
            }
        }
        return 0;
    }
    return 0;
}

// document: null when the handler cannot tag (no document, or no module to
// load labels from).
void CheckDocumentSheet(const std::vector<ItemState>& before, const Sheet& sheet, const PpdDocument* document) {
    const bool haveDocument = document != nullptr;
    LONG colour = 1;
    for (size_t i = 0; i < before.size(); ++i) {
        const OPTITEM& was = before[i].item;
        const OPTITEM& now = sheet.items[i];
        const std::string where = "document item " + std::to_string(i);
        KX_FUZZ_CHECK(SameExcept(was, now), where + ": a field other than the tag or the flags changed");
        KX_FUZZ_CHECK(
            (now.Flags & ~static_cast<DWORD>(OPTIF_DISABLED)) == (was.Flags & ~static_cast<DWORD>(OPTIF_DISABLED)) &&
                (was.Flags & ~now.Flags) == 0,
            where + ": flags other than OPTIF_DISABLED set, or a flag cleared");
        if (was.DMPubID == DMPUB_COLOR) {
            colour = was.Sel;
            KX_FUZZ_CHECK(now.UserItemID == was.UserItemID && now.Flags == was.Flags, where + ": colour item changed");
            continue;
        }
        const BYTE code = haveDocument && !IsResourceName(was) ? ExpectedCode(*document, was.pName) : 0;
        if (code != 0) {
            KX_FUZZ_CHECK(now.UserItemID == code,
                          where + ": tag " + std::to_string(now.UserItemID) + ", expected " + std::to_string(code));
        } else {
            KX_FUZZ_CHECK(now.UserItemID == was.UserItemID, where + ": tagged although no known feature has its name");
        }
        const bool tagged = code != 0;
        if (tagged) {
            KX_FUZZ_CHECK(IsTableCode(now.UserItemID), where + ": code not in the table");
        }
        const bool disable = tagged && code == kColorRenderingItemCode && colour == 0;
        KX_FUZZ_CHECK(now.Flags == (disable ? (was.Flags | OPTIF_DISABLED) : was.Flags),
                      where + ": flags " + std::to_string(now.Flags));
    }
}

// The printer sheet, modelled independently: the expected state of every
// item after the walk.
std::vector<ItemState> ExpectedPrinterSheet(std::vector<ItemState> states) {
    bool hiding = false;
    BYTE level = 0;
    for (ItemState& state : states) {
        OPTITEM& item = state.item;
        if (hiding && item.Level == level) {
            hiding = false;
        } else if (hiding) {
            item.Flags |= OPTIF_HIDE;
            for (BYTE& flags : state.paramFlags) {
                flags |= OPTPF_HIDE;
            }
        }
        if (item.pName == reinterpret_cast<LPTSTR>(kInitialPrinterItemId)) {
            item.Flags |= OPTIF_INITIAL_TVITEM;
        } else if (item.pName == reinterpret_cast<LPTSTR>(kHiddenPrinterItemId)) {
            item.Flags |= OPTIF_HIDE;
            hiding = true;
            level = item.Level;
        }
    }
    return states;
}

void CheckPrinterSheet(const std::vector<ItemState>& before, const Sheet& sheet) {
    const std::vector<ItemState> expected = ExpectedPrinterSheet(before);
    const std::vector<ItemState> now = Snapshot(sheet);
    for (size_t i = 0; i < before.size(); ++i) {
        const std::string where = "printer item " + std::to_string(i);
        KX_FUZZ_CHECK(
            SameExcept(expected[i].item, now[i].item) && expected[i].item.UserItemID == now[i].item.UserItemID,
            where + ": a field other than the flags changed");
        KX_FUZZ_CHECK(expected[i].item.Flags == now[i].item.Flags,
                      where + ": flags " + std::to_string(now[i].item.Flags) + ", expected " +
                          std::to_string(expected[i].item.Flags));
        KX_FUZZ_CHECK(expected[i].paramFlags == now[i].paramFlags, where + ": parameter flags");
    }
}

void RunCallback(FuzzedDataProvider* input, OEMCUIPPARAM* param, Sheet* sheet, HostDriverUi* driverUi,
                 bool contextRegistered) {
    OPTITEM outside;
    memset(&outside, 0, sizeof(outside));
    outside.DMPubID = DMPUB_COLOR;
    outside.Sel = input->ConsumeIntegralInRange<LONG>(-1, 3);
    CPSUICBPARAM callback;
    memset(&callback, 0, sizeof(callback));
    callback.cbSize = sizeof(callback);
    callback.Reason = input->ConsumeBool() ? 0 : input->ConsumeIntegralInRange<WORD>(0, 8);
    const uint8_t which = input->ConsumeIntegral<uint8_t>();
    if (which < 16) {
        callback.pCurItem = nullptr;
    } else if (which < 64 || sheet->items.empty()) {
        callback.pCurItem = &outside;
    } else {
        callback.pCurItem = &sheet->items[which % sheet->items.size()];
    }
    const std::vector<ItemState> before = Snapshot(*sheet);
    const size_t updatesBefore = driverUi->updates.size();
    const LONG result = ColorModeItemCallback(&callback, param);

    // Model: only a selection change of a colour item touches the first
    // item tagged 0x45.
    OPTITEM* rendering = nullptr;
    const bool selectionChange = callback.Reason == CPSUICB_REASON_SEL_CHANGED && callback.pCurItem != nullptr &&
                                 callback.pCurItem->DMPubID == DMPUB_COLOR;
    if (selectionChange) {
        for (OPTITEM& item : sheet->items) {
            if (item.UserItemID == kColorRenderingItemCode) {
                rendering = &item;
                break;
            }
        }
    }
    const LONG expectedResult =
        callback.Reason == CPSUICB_REASON_APPLYNOW ? CPSUICB_ACTION_ITEMS_APPLIED : CPSUICB_ACTION_OPTIF_CHANGED;
    KX_FUZZ_CHECK(result == expectedResult, "callback result " + std::to_string(result));
    for (size_t i = 0; i < before.size(); ++i) {
        const OPTITEM& was = before[i].item;
        const OPTITEM& now = sheet->items[i];
        if (&sheet->items[i] != rendering) {
            KX_FUZZ_CHECK(memcmp(&was, &now, sizeof(OPTITEM)) == 0, "callback changed an item it should not");
            continue;
        }
        const LONG sel = callback.pCurItem->Sel;
        const DWORD flags = sel == 0 ? (was.Flags | OPTIF_DISABLED) : (was.Flags & ~static_cast<DWORD>(OPTIF_DISABLED));
        KX_FUZZ_CHECK(now.Sel == sel && now.Flags == flags, "rendering item after the callback");
    }
    const bool told = rendering != nullptr && contextRegistered;
    KX_FUZZ_CHECK(driverUi->updates.size() == updatesBefore + (told ? 1 : 0), "host told of the change");
    if (told) {
        const HostDriverUi::Update& update = driverUi->updates.back();
        KX_FUZZ_CHECK(update.item == rendering, "host told of another item");
        KX_FUZZ_CHECK(update.pci == param->poemuiobj && update.previousSelection == 0 && update.mode == OEMCUIP_DOCPROP,
                      "update arguments");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FeatureLabel label;
    KX_FUZZ_CHECK(LookupFeatureLabel(ProgramModule(), &label, TEXT("*KXRendering")) == S_OK,
                  "the string tables are not reachable through the program's handle");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    PpdFailAllocation(-1);
    OEMUIOBJ uiObject;
    memset(&uiObject, 0, sizeof(uiObject));
    uiObject.cbSize = sizeof(uiObject);
    HostDriverUi driverUi(&uiObject);
    SetAnswers(&input, &driverUi);

    PluginContext context{nullptr, nullptr};
    DocumentPtr document;
    const uint8_t setup = input.ConsumeIntegral<uint8_t>();
    if ((setup & 3) != 0) {
        document = FixedDocument();
        context.document = document.get();
    }
    if ((setup & 4) == 0) {
        context.driverUi = &driverUi;
    }
    const DWORD mode = (setup & 0x18) == 0x18 ? input.ConsumeIntegral<DWORD>() : ((setup >> 3) & 1) + 1;

    OEMCUIPPARAM param;
    memset(&param, 0, sizeof(param));
    param.cbSize = sizeof(param);
    param.poemuiobj = &uiObject;
    param.hModule = (setup & 0x20) != 0 ? nullptr : ProgramModule();
    param.cOEMOptItems = 0xDEADBEEF;
    // No heap: the path cannot be had, so a missing document stays missing.
    param.hOEMHeap = nullptr;

    KX_FUZZ_CHECK(HandleCommonUIProp(mode, &param, &context) == S_OK, "first call");
    KX_FUZZ_CHECK(param.cOEMOptItems == 0, "first call reports no items");
    KX_FUZZ_CHECK(context.document == document.get(), "document replaced");
    CheckQueries(driverUi, &uiObject);
    if (document) {
        const std::string problems = CheckConsistent(*document);
        KX_FUZZ_CHECK(problems.empty(), problems);
        const std::string difference = CompareWithWalk(document.get(), Marks(*document));
        KX_FUZZ_CHECK(difference.empty(), difference);
    }

    Sheet sheet;
    DocumentPtr namesOnly;
    if (!document) {
        namesOnly = FixedDocument();  // item names from the PPD even when the context has no document
    }
    const PpdDocument& names = document ? *document : *namesOnly;
    MakeItems(names, &input, &sheet);
    OPTITEM pluginItems[1];
    param.pOEMOptItems = pluginItems;
    param.pDrvOptItems = sheet.items.empty() && input.ConsumeBool() ? nullptr : sheet.items.data();
    param.cDrvOptItems = static_cast<DWORD>(sheet.items.size());
    const std::vector<ItemState> before = Snapshot(sheet);
    KX_FUZZ_CHECK(HandleCommonUIProp(mode, &param, &context) == S_OK, "second call");
    if (mode == OEMCUIP_DOCPROP) {
        KX_FUZZ_CHECK(param.pOEMUserData == &context && param.OEMCUIPCallback == ColorModeItemCallback,
                      "callback registered");
        CheckDocumentSheet(before, sheet, param.hModule != nullptr ? document.get() : nullptr);
        for (int i = 0; i < 4 && input.remaining_bytes() > 0; ++i) {
            RunCallback(&input, &param, &sheet, &driverUi, context.driverUi != nullptr);
        }
    } else if (mode == OEMCUIP_PRNPROP) {
        KX_FUZZ_CHECK(param.pOEMUserData == nullptr && param.OEMCUIPCallback == nullptr,
                      "no callback on the printer sheet");
        CheckPrinterSheet(before, sheet);
    } else {
        const std::vector<ItemState> after = Snapshot(sheet);
        for (size_t i = 0; i < before.size(); ++i) {
            KX_FUZZ_CHECK(memcmp(&before[i].item, &after[i].item, sizeof(OPTITEM)) == 0 &&
                              before[i].paramFlags == after[i].paramFlags,
                          "another mode changed an item");
        }
    }
    return 0;
}
