// The feature label table and the labels as the module must carry them,
// typed apart from the module's own table and resource scripts so that a
// slip in either shows, and the language the resource loader should choose
// for the test's locale.
#pragma once

#include <stddef.h>

#include "platform/platform.h"

// One row of the feature label table, in the table's order.
struct ExpectedLabelRow {
    const char* keyword;
    DWORD publicItemId;  // nonzero: the host shows the feature itself, and it is never tagged
    DWORD itemCode;
    UINT labelId;
};
constexpr size_t kExpectedLabelRowCount = 28;
extern const ExpectedLabelRow kExpectedLabelRows[kExpectedLabelRowCount];

enum LabelColumn {
    kNeutralColumn,
    kGermanColumn,
    kFrenchColumn,
    kItalianColumn,
    kJapaneseColumn,
    kDutchColumn,
    kPortugueseColumn,
    kSpanishColumn,
    kLabelColumnCount
};

constexpr UINT kFirstLabelId = 10001;
constexpr UINT kLabelCount = 28;

// Platform language identifier of each column (1024 for the neutral one).
extern const LANGID kColumnLanguage[kLabelColumnCount];

// The expected text of label id in a column; null when id is not a label.
const WCHAR* ExpectedLabel(UINT id, LabelColumn column);

// The column whose texts the loader picks under a locale such as
// "de_DE.UTF-8": its own language when carried, the neutral one otherwise.
LabelColumn ColumnForLocale(const char* locale);
