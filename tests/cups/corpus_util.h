// Helpers of the corpus tests: the corpus files, the reader's document of
// one, its texts as UTF-8, and facts read straight from a file's lines.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "host/common/text.h"
#include "ppd/ppd_document.h"
#include "tests/support/ppd_test_util.h"

// The corpus files, their paths and the reader's documents of them come from
// the reader's own test helpers (CorpusFiles, CorpusPath, ReadDocumentFile).

// UTF-16 to UTF-8 by the host's own converter, not the platform's, so that
// the platform's code pages are not their own judge.
inline std::string Utf8(const WCHAR* text) {
    return Utf16ToUtf8(text);
}
inline std::string Utf8(const PpdText& text) {
    return Utf8(text.chars);
}

// What a file's lines say, independently of both readers: a statement is a
// line that begins with its keyword.
struct FileFacts {
    int jclOpenUiCount = 0;
    // Main keywords of the *Custom... statements (without '*').
    std::set<std::string> customKeywords;
    // Per *UIConstraints or *NonUIConstraints line, in file order: true for
    // *NonUIConstraints.
    std::vector<bool> constraintIsNonUi;
};
FileFacts ScanFile(const std::string& path);
