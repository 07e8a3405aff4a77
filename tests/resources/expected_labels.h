// The feature labels as the module must carry them, typed apart from the
// module's own resource scripts so that a slip in either shows, and the
// language the resource loader should choose for the test's locale.
#pragma once

#include <string>

#include "platform/platform.h"

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

typedef std::basic_string<WCHAR> WideText;
