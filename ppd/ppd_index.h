// Lookups of the model's features and installable settings by their texts.
// The sheets match driver items to features by translation and the
// constraint pass matches keywords; walked one by one, both grow with the
// square of the PPD. The index is built once at the end of the parse, since
// the texts it is keyed by never change afterwards. Every lookup answers
// exactly what the walk in file order answers, and walks when the document
// has no index (it could not be allocated) or has changed shape since.
#pragma once

#include <stdint.h>

#include "platform/platform.h"
#include "ppd/ppd_document.h"

// A text's key and the position of its record; kept sorted by key, then
// position, so that equal keys run in file order.
struct PpdKeyedRecord {
    uint32_t key;
    int32_t index;
};

struct PpdTextIndex {
    // The document's shape when the index was built.
    int32_t featureCount = 0;
    int32_t installableCount = 0;
    PpdKeyedRecord* featuresByTranslation = nullptr;  // featureCount records
    PpdKeyedRecord* featuresByKeyword = nullptr;      // featureCount records
    PpdKeyedRecord* installablesByKeyword = nullptr;  // installableCount records
};

// The key of the units up to the terminator (FNV-1a over the units).
uint32_t PpdTextKey(const WCHAR* units);

// Null when it cannot be allocated.
PpdTextIndex* BuildTextIndex(const PpdDocument* document);
void ReleaseTextIndex(PpdTextIndex* index);

// The first record of the run of `key` in records[0..count), or count.
int32_t PpdFirstKeyed(const PpdKeyedRecord* records, int32_t count, uint32_t key);

// The index when it still fits the document, else null.
const PpdTextIndex* UsableTextIndex(const PpdDocument* document);

// The first feature in file order whose translation equals name, or null.
const PpdFeature* FindFeatureByTranslation(const PpdDocument* document, const WCHAR* name);

// The first installable setting in list order whose keyword equals keyword,
// and the last one; -1 when none does.
int32_t FindFirstInstallable(const PpdDocument* document, const WCHAR* keyword);
int32_t FindLastInstallable(const PpdDocument* document, const PpdText& keyword);

// Calls visit(f) for every feature f whose keyword equals keyword, in file
// order.
template <typename Visit>
void ForEachFeatureNamed(const PpdDocument* document, const PpdText& keyword, Visit visit) {
    const PpdTextIndex* index = UsableTextIndex(document);
    if (index == nullptr) {
        for (int32_t f = 0; f < document->featureCount; ++f) {
            if (document->features[f]->keyword.Equals(keyword)) {
                visit(f);
            }
        }
        return;
    }
    const uint32_t key = PpdTextKey(keyword.chars);
    const PpdKeyedRecord* records = index->featuresByKeyword;
    for (int32_t r = PpdFirstKeyed(records, index->featureCount, key); r < index->featureCount && records[r].key == key;
         ++r) {
        if (document->features[records[r].index]->keyword.Equals(keyword)) {
            visit(records[r].index);
        }
    }
}
