// Feature and option translations, converted by the ANSI code page, against
// CUPS's UTF-8 texts, for the files whose *LanguageEncoding that code page
// reads: ISOLatin1 under 1252, JIS83-RKSJ under 932. Other files (such as
// one that says None and holds bytes of another encoding) are not compared.
#include <gtest/gtest.h>

#include "tests/cups/corpus_util.h"
#include "tests/cups/cups_compare.h"

namespace {

// The encoding whose texts the current ANSI code page reads, or null.
const char* EncodingOfThisCodePage() {
    switch (GetACP()) {
        case 1252:
            return "ISOLatin1";
        case 932:
            return "JIS83-RKSJ";
        default:
            return nullptr;
    }
}

TEST(CupsTranslations, TextsOfTheFilesThisCodePageReadsEqualCups) {
    const char* encoding = EncodingOfThisCodePage();
    ASSERT_NE(nullptr, encoding) << "run under en_US.UTF-8 or ja_JP.UTF-8, not code page " << GetACP();
    int files = 0;
    int texts = 0;
    int choiceTextsInvented = 0;
    int featureTextsInvented = 0;
    for (const std::string& file : CorpusFiles()) {
        SCOPED_TRACE(file);
        const CupsComparison comparison = CompareWithCups(file, true);
        ASSERT_EQ("", comparison.failure);
        if (comparison.languageEncoding != encoding) {
            continue;
        }
        ++files;
        std::string found;
        for (const std::string& line : comparison.texts) {
            found += "  " + line + "\n";
        }
        EXPECT_TRUE(comparison.texts.empty()) << "texts that differ:\n" << found;
        EXPECT_GT(comparison.textsCompared, 0);
        texts += comparison.textsCompared;
        choiceTextsInvented += comparison.choiceTextsInventedByCups;
        featureTextsInvented += comparison.featureTextsInventedByCups;
    }
    EXPECT_GT(files, 0) << "no file says " << encoding;
    RecordProperty("files", files);
    RecordProperty("texts", texts);
    // The made-up texts are left out by rule; say how often, so that a rule
    // that no longer applies shows in the log.
    printf("code page %u: %d %s files, %d texts equal; left out as made up by CUPS: %d Yes/No, %d feature names\n",
           GetACP(), files, encoding, texts, choiceTextsInvented, featureTextsInvented);
}

}  // namespace
