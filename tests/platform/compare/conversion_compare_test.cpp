// The stand-ins' conversions against the platform's, written under Wine by
// the Windows build's platform_conversion_dump test into
// KX_WINDOWS_CONVERSION_DUMP (<Windows build>/tests/kx_conversion_dump.txt).
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "tests/platform/dump/conversion_dump.h"
#include "tests/support/test_text.h"

namespace {

// Each line is "case : results"; the case is the key.
std::vector<std::pair<std::string, std::string>> Cases(const std::string& dump) {
    std::vector<std::pair<std::string, std::string>> cases;
    size_t at = 0;
    while (at < dump.size()) {
        size_t end = dump.find('\n', at);
        if (end == std::string::npos) {
            end = dump.size();
        }
        const std::string line = dump.substr(at, end - at);
        const size_t split = line.find(" : ");
        if (split != std::string::npos) {
            cases.emplace_back(line.substr(0, split), line.substr(split + 3));
        }
        at = end + 1;
    }
    return cases;
}

// "W 1252 0 0100" -> "W 1252 400 0100": the same case with WC_NO_BEST_FIT_CHARS.
bool NoBestFitKey(const std::string& key, std::string* other) {
    if (key.compare(0, 7, "W 1252 ") != 0 && key.compare(0, 6, "W 932 ") != 0) {
        return false;
    }
    const size_t flags = key.find(' ', 2) + 1;
    if (key.compare(flags, 2, "0 ") != 0) {
        return false;
    }
    *other = key.substr(0, flags) + "400" + key.substr(flags + 1);
    return true;
}

}  // namespace

// Every case must match, with one known exception: where the platform
// substitutes a look-alike character ("best fit", tables glibc does not
// publish), the stand-in must give the platform's own answer without best
// fit, the default character.
TEST(Conversions, MatchThePlatformCaseForCase) {
    struct stat info;
    if (stat(KX_WINDOWS_BUILD_DIR, &info) != 0 || !S_ISDIR(info.st_mode)) {
        GTEST_SKIP() << "no Windows build tree at " << KX_WINDOWS_BUILD_DIR;
    }
    const std::string windowsDump = ReadFileBytes(KX_WINDOWS_CONVERSION_DUMP);
    ASSERT_FALSE(windowsDump.empty()) << KX_WINDOWS_CONVERSION_DUMP
                                      << " is missing: build and test the Windows tree first";
    const auto platformCases = Cases(windowsDump);
    const auto standInCases = Cases(ConversionDump());
    std::unordered_map<std::string, std::string> platform(platformCases.begin(), platformCases.end());

    int differences = 0;
    int bestFit = 0;
    for (const auto& standIn : standInCases) {
        const auto found = platform.find(standIn.first);
        if (found != platform.end() && found->second == standIn.second) {
            continue;
        }
        std::string noBestFit;
        if (found != platform.end() && NoBestFitKey(standIn.first, &noBestFit)) {
            const auto strict = platform.find(noBestFit);
            if (strict != platform.end() && strict->second != found->second && strict->second == standIn.second) {
                ++bestFit;
                continue;
            }
        }
        if (++differences <= 40) {
            ADD_FAILURE() << standIn.first << "\n  platform: " << (found == platform.end() ? "<none>" : found->second)
                          << "\n  stand-in: " << standIn.second;
        }
    }
    EXPECT_EQ(0, differences) << "of " << standInCases.size() << " cases";
    EXPECT_EQ(platformCases.size(), standInCases.size());
    EXPECT_GT(standInCases.size(), 400000u);
    printf("%zu cases; %d where the platform substitutes a look-alike\n", standInCases.size(), bestFit);
}
