// Helpers of the corpus tests: the corpus files, the reader's document of
// one, its texts as UTF-8, and facts read straight from a file's lines.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ppd/ppd_document.h"

struct CorpusDocumentDeleter {
    void operator()(PpdDocument* document) const { delete document; }
};
typedef std::unique_ptr<PpdDocument, CorpusDocumentDeleter> CorpusDocument;

// The .ppd files of the corpus, sorted by name.
std::vector<std::string> CorpusFileNames();
std::string CorpusFilePath(const std::string& name);

// The reader's document, the stream opened as the plug-in opens it (text
// mode); null when the file does not open.
CorpusDocument ReadCorpusDocument(const std::string& path);

// UTF-16 to UTF-8, by hand so that the platform's converter is not its own
// judge; a lone surrogate becomes U+FFFD.
std::string Utf8(const WCHAR* text);
inline std::string Utf8(const PpdText& text) {
    return Utf8(text.chars);
}

// Escapes control characters and bytes above 0x7E, for messages.
std::string Visible(const std::string& text);

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
