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

// ClassifyKeyword takes the rows that share a second unit as one run, which
// holds while the rows ascend; the codes must stay their rows' indices.
static_assert(sizeof(PpdKeywordTable) / sizeof(PpdKeywordTable[0]) == 22, "22 keyword rows");
static_assert(RowsAscendWithTheirCodes(), "keyword rows ascend and each code is its row's index");

namespace {

// Rows by the unit after the leading '*': every keyword but the empty one
// starts with '*', so most tokens (values, option keywords) are told apart
// by their first unit alone and the rest by a row or two.
struct KeywordRange {
    int32_t first;
    int32_t end;
};

constexpr int32_t kSecondUnitCount = 128;

struct SecondUnitRanges {
    KeywordRange ranges[kSecondUnitCount];
};

constexpr SecondUnitRanges MakeSecondUnitRanges() {
    SecondUnitRanges table = {};
    for (int32_t i = kPpdNoStatement + 1; i < kPpdKeywordCount; ++i) {
        const uint16_t second = static_cast<uint16_t>(PpdKeywordTable[i].keyword[1]);
        KeywordRange& range = table.ranges[second];
        if (range.end == 0) {
            range.first = i;
        }
        range.end = i + 1;
    }
    return table;
}

constexpr SecondUnitRanges kRangesBySecondUnit = MakeSecondUnitRanges();

constexpr bool KeywordsFitTheRanges() {
    for (int32_t i = kPpdNoStatement + 1; i < kPpdKeywordCount; ++i) {
        const WCHAR* keyword = PpdKeywordTable[i].keyword;
        if (keyword[0] != u'*' || static_cast<uint16_t>(keyword[1]) >= kSecondUnitCount) {
            return false;
        }
    }
    return true;
}

}  // namespace

// The rows sharing a second unit lie together because the table ascends.
static_assert(KeywordsFitTheRanges(), "every statement keyword is '*' and an ASCII unit, then the rest");

int32_t ClassifyKeyword(const WCHAR* token) {
    if (token == nullptr || token[0] != u'*') {
        return kPpdNoStatement;  // the empty row's code, too
    }
    const uint16_t second = static_cast<uint16_t>(token[1]);
    if (second >= kSecondUnitCount) {
        return kPpdNoStatement;
    }
    const KeywordRange range = kRangesBySecondUnit.ranges[second];
    for (int32_t i = range.first; i < range.end; ++i) {
        if (PpdCompareUnits(PpdKeywordTable[i].keyword + 2, token + 2) == 0) {
            return PpdKeywordTable[i].code;
        }
    }
    return kPpdNoStatement;
}
