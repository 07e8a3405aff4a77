#include "ppd/ppd_keywords.h"

namespace {

constexpr bool RowsAscendWithTheirCodes() {
    for (int32_t i = 0; i < kPpdKeywordCount; ++i) {
        if (PpdKeywordTable[i].code != i) {
            return false;
        }
        if (i > 0 && PpdCompareUnits(PpdKeywordTable[i - 1].keyword, PpdKeywordTable[i].keyword) >= 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

// ClassifyKeyword bisects the rows, so their order must never drift.
static_assert(sizeof(PpdKeywordTable) / sizeof(PpdKeywordTable[0]) == 22, "22 keyword rows");
static_assert(RowsAscendWithTheirCodes(), "keyword rows ascend and each code is its row's index");

int32_t ClassifyKeyword(const WCHAR* token) {
    if (token == nullptr) {
        return kPpdNoStatement;
    }
    int32_t lo = -1;
    int32_t hi = kPpdKeywordCount;
    while (hi - lo > 1) {
        const int32_t mid = (lo + hi) / 2;
        const int order = PpdCompareUnits(PpdKeywordTable[mid].keyword, token);
        if (order == 0) {
            return PpdKeywordTable[mid].code;
        }
        if (order < 0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return kPpdNoStatement;
}
