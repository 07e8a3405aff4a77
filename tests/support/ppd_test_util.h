// Helpers of the tests of the PPD reader's model, usable on both builds:
// documents from bytes, fixtures and corpus files, and checks of a model.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ppd/ppd_document.h"
#include "ppd/ppd_tokenizer.h"
#include "tests/support/test_text.h"

inline std::string Printable(const PpdText& text) {
    return Printable(text.chars);
}

// The ANSI code page's reading of bytes, as the tests expect Assign to give
// it: computed independently, byte by byte for the two code pages the tests
// run under.
bool IsDoubleByteCodePage();

// A binary stream holding exactly these bytes, positioned at its start.
FILE* StreamOf(const std::string& bytes);

struct DocumentDeleter {
    void operator()(PpdDocument* document) const { delete document; }
};
typedef std::unique_ptr<PpdDocument, DocumentDeleter> DocumentPtr;

// A document read from these bytes (binary stream).
DocumentPtr ReadDocument(const std::string& bytes);
// A document read from a file the way the plug-in opens it (text mode);
// null when the file does not open.
DocumentPtr ReadDocumentFile(const std::string& path);

std::string FixturePath(const std::string& name);
std::string CorpusPath(const std::string& name);
// The names of the corpus files, sorted.
std::vector<std::string> CorpusFiles();

const PpdFeature* FindFeature(const PpdDocument& document, const char* keyword);
const PpdOption* FindOption(const PpdFeature& feature, const char* keyword);
// The marked options of one feature, in order, as "[A][B]".
std::string Marked(const PpdDocument& document, const char* keyword);

// The whole document as lines of text, for comparing two documents or
// printing one.
std::string Describe(const PpdDocument& document);

// Reads tokens from memory through a PpdTokenReader, counting callback calls.
class MemoryReader {
  public:
    explicit MemoryReader(const std::string& bytes);
    PpdTokenReader reader;
    int64_t calls = 0;
    // Next token (capacity kPpdTokenCapacity unless given); false at end.
    bool Next(WideString* token, bool allowBlanks = false, int32_t capacity = kPpdTokenCapacity);
    std::vector<std::string> All(bool allowBlanks = false);

  private:
    static int32_t Read(void* userData);
    std::string bytes_;
    size_t position_ = 0;
    std::vector<WCHAR> buffer_;
};

// Every count matches the slots in use, every slot holds a record, every
// text is zero-terminated at a length of 0 to 259. Empty string when so,
// else what is wrong.
std::string CheckConsistent(const PpdDocument& document);

// The options' constrained flags in document order.
std::vector<bool> Marks(const PpdDocument& document);
void SetMarks(PpdDocument* document, const std::vector<bool>& marks);
// From the same starting flags, one pass through EvaluateConstraints and one
// by the plain walk: empty when every flag agrees, else the first difference.
std::string CompareWithWalk(PpdDocument* document, const std::vector<bool>& start);
