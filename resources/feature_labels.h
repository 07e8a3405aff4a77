// The PPD feature keywords the plug-in knows, each with the one-byte item code
// that tags the driver item standing for it and the string ID of its label.
#pragma once

#include <stddef.h>

#include "platform/platform.h"
#include "plugin/oem_abi.h"

struct FeatureLabelRow {
    DWORD publicItemId;    // DMPUB_* under which the host shows the feature itself; DMPUB_NONE otherwise
    DWORD itemCode;        // never 0 in a real row; 0 ends the table
    DWORD labelStringId;   // the label in the module's string tables
    const WCHAR* keyword;  // PPD main keyword with its leading '*'
};

// Rows in their fixed order, then a terminator row of zeros and "".
constexpr size_t kFeatureLabelRowCount = 28;
extern const FeatureLabelRow FeatureLabelTable[];

// The colour-rendering feature "*KXRendering", which follows the colour item.
constexpr DWORD kColorRenderingItemCode = 0x45;

// LoadStringW's capacity: at most 255 units of text and the NUL.
constexpr int kFeatureLabelCapacity = 256;

struct FeatureLabel {
    DWORD itemCode;
    WCHAR label[kFeatureLabelCapacity];
};

// Finds keyword (exact, case-sensitive) among the rows that carry no public
// item and loads its label from module's string tables in the thread's
// user-interface language.
//   S_OK          out->itemCode and out->label written.
//   E_INVALIDARG  out or keyword null; nothing written.
//   E_FAIL        no such row: nothing written; or the label is missing or
//                 empty: out->itemCode written, out->label undefined.
HRESULT LookupFeatureLabel(HINSTANCE module, FeatureLabel* out, const WCHAR* keyword);
