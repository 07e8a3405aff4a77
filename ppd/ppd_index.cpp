#include "ppd/ppd_index.h"

#include <algorithm>

#include "ppd/ppd_alloc.h"

namespace {

bool SameUnits(const WCHAR* a, const WCHAR* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

bool KeyedBefore(const PpdKeyedRecord& a, const PpdKeyedRecord& b) {
    return a.key != b.key ? a.key < b.key : a.index < b.index;
}

template <typename TextOf>
PpdKeyedRecord* NewSortedRecords(int32_t count, TextOf textOf) {
    PpdKeyedRecord* records =
        static_cast<PpdKeyedRecord*>(PpdAllocBlock(sizeof(PpdKeyedRecord) * static_cast<size_t>(count)));
    if (records == nullptr) {
        return nullptr;
    }
    for (int32_t i = 0; i < count; ++i) {
        records[i] = PpdKeyedRecord{PpdTextKey(textOf(i)), i};
    }
    std::sort(records, records + count, KeyedBefore);
    return records;
}

}  // namespace

uint32_t PpdTextKey(const WCHAR* units) {
    uint32_t key = 2166136261u;
    for (; *units != 0; ++units) {
        key = (key ^ static_cast<uint16_t>(*units)) * 16777619u;
    }
    return key;
}

int32_t PpdFirstKeyed(const PpdKeyedRecord* records, int32_t count, uint32_t key) {
    const PpdKeyedRecord* first =
        std::lower_bound(records, records + count, key, [](const PpdKeyedRecord& r, uint32_t k) { return r.key < k; });
    return static_cast<int32_t>(first - records);
}

PpdTextIndex* BuildTextIndex(const PpdDocument* document) {
    if (document == nullptr || document->featureCount < 0 || document->installableCount < 0) {
        return nullptr;
    }
    PpdTextIndex* index = PpdNewRecord<PpdTextIndex>();
    if (index == nullptr) {
        return nullptr;
    }
    index->featureCount = document->featureCount;
    index->installableCount = document->installableCount;
    index->featuresByTranslation = NewSortedRecords(
        document->featureCount, [document](int32_t f) { return document->features[f]->translation.chars; });
    index->featuresByKeyword = index->featuresByTranslation == nullptr
                                   ? nullptr
                                   : NewSortedRecords(document->featureCount, [document](int32_t f) {
                                         return document->features[f]->keyword.chars;
                                     });
    index->installablesByKeyword = index->featuresByKeyword == nullptr
                                       ? nullptr
                                       : NewSortedRecords(document->installableCount, [document](int32_t s) {
                                             return document->installables[s]->keyword.chars;
                                         });
    if (index->installablesByKeyword == nullptr) {
        ReleaseTextIndex(index);
        return nullptr;
    }
    return index;
}

void ReleaseTextIndex(PpdTextIndex* index) {
    if (index == nullptr) {
        return;
    }
    PpdFreeBlock(index->featuresByTranslation);
    PpdFreeBlock(index->featuresByKeyword);
    PpdFreeBlock(index->installablesByKeyword);
    PpdDeleteRecord(index);
}

const PpdTextIndex* UsableTextIndex(const PpdDocument* document) {
    const PpdTextIndex* index = document->textIndex;
    if (index == nullptr || index->featureCount != document->featureCount ||
        index->installableCount != document->installableCount) {
        return nullptr;
    }
    return index;
}

const PpdFeature* FindFeatureByTranslation(const PpdDocument* document, const WCHAR* name) {
    const PpdTextIndex* index = UsableTextIndex(document);
    if (index == nullptr) {
        for (int32_t f = 0; f < document->featureCount; ++f) {
            if (SameUnits(document->features[f]->translation.chars, name)) {
                return document->features[f];
            }
        }
        return nullptr;
    }
    const uint32_t key = PpdTextKey(name);
    const PpdKeyedRecord* records = index->featuresByTranslation;
    for (int32_t r = PpdFirstKeyed(records, index->featureCount, key); r < index->featureCount && records[r].key == key;
         ++r) {
        const PpdFeature* feature = document->features[records[r].index];
        if (SameUnits(feature->translation.chars, name)) {
            return feature;
        }
    }
    return nullptr;
}

int32_t FindFirstInstallable(const PpdDocument* document, const WCHAR* keyword) {
    const PpdTextIndex* index = UsableTextIndex(document);
    if (index == nullptr) {
        for (int32_t s = 0; s < document->installableCount; ++s) {
            if (document->installables[s]->keyword.Equals(keyword)) {
                return s;
            }
        }
        return -1;
    }
    const uint32_t key = PpdTextKey(keyword);
    const PpdKeyedRecord* records = index->installablesByKeyword;
    for (int32_t r = PpdFirstKeyed(records, index->installableCount, key);
         r < index->installableCount && records[r].key == key; ++r) {
        if (document->installables[records[r].index]->keyword.Equals(keyword)) {
            return records[r].index;
        }
    }
    return -1;
}

int32_t FindLastInstallable(const PpdDocument* document, const PpdText& keyword) {
    const PpdTextIndex* index = UsableTextIndex(document);
    if (index == nullptr) {
        for (int32_t s = document->installableCount - 1; s >= 0; --s) {
            if (document->installables[s]->keyword.Equals(keyword)) {
                return s;
            }
        }
        return -1;
    }
    const uint32_t key = PpdTextKey(keyword.chars);
    const PpdKeyedRecord* records = index->installablesByKeyword;
    int32_t last = -1;
    for (int32_t r = PpdFirstKeyed(records, index->installableCount, key);
         r < index->installableCount && records[r].key == key; ++r) {
        if (document->installables[records[r].index]->keyword.Equals(keyword)) {
            last = records[r].index;
        }
    }
    return last;
}
