// The statement keywords the parser acts on, and their lookup.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

// Statement codes: each equals its row's index in PpdKeywordTable.
enum PpdStatementCode : int32_t {
    kPpdNoStatement = 0,
    kPpdQuery = 1,
    kPpdCloseGroup = 2,
    kPpdCloseUI = 3,
    kPpdDefault = 4,
    kPpdEnd = 5,
    kPpdFileVersion = 6,
    kPpdFormatVersion = 7,
    kPpdLanguageEncoding = 8,
    kPpdLanguageVersion = 9,
    kPpdManufacturer = 10,
    kPpdModelName = 11,
    kPpdNickName = 12,
    kPpdOpenGroup = 13,
    kPpdOpenUI = 14,
    kPpdOrderDependency = 15,
    kPpdPCFileName = 16,
    kPpdPPDAdobe = 17,
    kPpdPSVersion = 18,
    kPpdProduct = 19,
    kPpdShortNickName = 20,
    kPpdUIConstraints = 21,
};

struct PpdKeywordRow {
    int32_t code;
    const WCHAR* keyword;
};

constexpr int32_t kPpdKeywordCount = 22;

// In ascending order by unsigned comparison of UTF-16 units.
inline constexpr PpdKeywordRow PpdKeywordTable[kPpdKeywordCount] = {
    {kPpdNoStatement, TEXT("")},
    {kPpdQuery, TEXT("*?")},
    {kPpdCloseGroup, TEXT("*CloseGroup")},
    {kPpdCloseUI, TEXT("*CloseUI")},
    {kPpdDefault, TEXT("*Default")},
    {kPpdEnd, TEXT("*End")},
    {kPpdFileVersion, TEXT("*FileVersion")},
    {kPpdFormatVersion, TEXT("*FormatVersion")},
    {kPpdLanguageEncoding, TEXT("*LanguageEncoding")},
    {kPpdLanguageVersion, TEXT("*LanguageVersion")},
    {kPpdManufacturer, TEXT("*Manufacturer")},
    {kPpdModelName, TEXT("*ModelName")},
    {kPpdNickName, TEXT("*NickName")},
    {kPpdOpenGroup, TEXT("*OpenGroup")},
    {kPpdOpenUI, TEXT("*OpenUI")},
    {kPpdOrderDependency, TEXT("*OrderDependency")},
    {kPpdPCFileName, TEXT("*PCFileName")},
    {kPpdPPDAdobe, TEXT("*PPD-Adobe")},
    {kPpdPSVersion, TEXT("*PSVersion")},
    {kPpdProduct, TEXT("*Product")},
    {kPpdShortNickName, TEXT("*ShortNickName")},
    {kPpdUIConstraints, TEXT("*UIConstraints")},
};

// Unit-by-unit comparison as unsigned 16-bit values: <0, 0 or >0.
constexpr int PpdCompareUnits(const WCHAR* a, const WCHAR* b) {
    for (;; ++a, ++b) {
        const uint16_t x = static_cast<uint16_t>(*a);
        const uint16_t y = static_cast<uint16_t>(*b);
        if (x != y) {
            return x < y ? -1 : 1;
        }
        if (x == 0) {
            return 0;
        }
    }
}

// The code of the row whose keyword equals the token exactly, else 0.
int32_t ClassifyKeyword(const WCHAR* token);
