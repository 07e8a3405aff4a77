// The reader's document of one corpus file against CUPS's reading of it,
// after taking from CUPS's side what the reader leaves out by design.
#pragma once

#include <string>
#include <vector>

struct CupsComparison {
    std::string failure;           // non-empty when either side could not read the file
    std::string languageEncoding;  // the reader's, as UTF-8
    // One line per difference, in file order of the reader's features, then
    // CUPS's extra features, then the constraints.
    std::vector<std::string> structure;
    std::vector<std::string> texts;  // filled only when texts are compared
    int featuresCompared = 0;
    int optionsCompared = 0;
    int constraintsCompared = 0;
    int textsCompared = 0;
    // Texts left out of the comparison because CUPS made them up: untranslated
    // True/False choices it shows as Yes/No, and untranslated PageSize,
    // InputSlot and MediaType features it names itself.
    int choiceTextsInventedByCups = 0;
    int featureTextsInventedByCups = 0;
};

CupsComparison CompareWithCups(const std::string& fileName, bool compareTexts);
