#include "tests/cups/cups_compare.h"

#include <stddef.h>

#include <algorithm>
#include <map>

#include "tests/cups/corpus_util.h"
#include "tests/cups/cups_oracle.h"

namespace {

// CUPS keeps keywords without their '*'.
std::string Unstarred(const std::string& keyword) {
    return !keyword.empty() && keyword[0] == '*' ? keyword.substr(1) : keyword;
}
std::string Starred(const std::string& keyword) {
    return keyword.empty() ? keyword : "*" + keyword;
}

std::string Join(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words) {
        out += (out.empty() ? "" : " ") + PrintableBytes(word);
    }
    return out;
}

std::string ConstraintLine(const OracleConstraint& c) {
    return "[" + PrintableBytes(c[0]) + "|" + PrintableBytes(c[1]) + "|" + PrintableBytes(c[2]) + "|" +
           PrintableBytes(c[3]) + "]";
}

// What the reader does not read by design, taken from CUPS's side: the
// *JCLOpenUI features, the Custom choice of a feature with a *Custom...
// statement, the *NonUIConstraints. Each removal is checked against the
// file's own lines, so that it cannot hide a real feature or constraint.
void RemoveWhatTheReaderSkips(const FileFacts& facts, OracleReading* cups, std::vector<std::string>* differences) {
    int jcl = 0;
    std::vector<OracleFeature> kept;
    for (OracleFeature& feature : cups->features) {
        if (feature.groupName == kCupsJclGroup && feature.jclSection) {
            ++jcl;
            continue;
        }
        // *CustomPageSize extends both *PageSize and *PageRegion.
        const std::string customKeyword = feature.keyword == "PageRegion" ? "PageSize" : feature.keyword;
        if (facts.customKeywords.count(customKeyword) != 0) {
            auto custom = std::find_if(feature.choices.rbegin(), feature.choices.rend(),
                                       [](const OracleChoice& choice) { return choice.keyword == "Custom"; });
            if (custom == feature.choices.rend()) {
                differences->push_back("harness: CUPS added no Custom choice to " + feature.keyword);
            } else {
                feature.choices.erase(std::next(custom).base());
            }
        }
        kept.push_back(feature);
    }
    cups->features.swap(kept);
    if (jcl != facts.jclOpenUiCount) {
        differences->push_back("harness: CUPS has " + std::to_string(jcl) + " JCL features, the file " +
                               std::to_string(facts.jclOpenUiCount) + " *JCLOpenUI lines");
    }
    if (facts.constraintIsNonUi.size() != cups->constraints.size()) {
        differences->push_back("harness: CUPS has " + std::to_string(cups->constraints.size()) +
                               " constraints, the file " + std::to_string(facts.constraintIsNonUi.size()) +
                               " constraint lines");
        return;
    }
    std::vector<OracleConstraint> ui;
    for (size_t i = 0; i < cups->constraints.size(); ++i) {
        if (!facts.constraintIsNonUi[i]) {
            ui.push_back(cups->constraints[i]);
        }
    }
    cups->constraints.swap(ui);
}

void CompareConstraints(const std::vector<OracleConstraint>& ours, const std::vector<OracleConstraint>& cups,
                        CupsComparison* result) {
    // Common ends first; the middle is aligned by a longest common
    // subsequence, so that each line that differs is named once.
    size_t head = 0;
    while (head < ours.size() && head < cups.size() && ours[head] == cups[head]) {
        ++head;
    }
    size_t tail = 0;
    while (tail < ours.size() - head && tail < cups.size() - head &&
           ours[ours.size() - 1 - tail] == cups[cups.size() - 1 - tail]) {
        ++tail;
    }
    result->constraintsCompared = static_cast<int>(std::max(ours.size(), cups.size()));
    const size_t n = ours.size() - head - tail;
    const size_t m = cups.size() - head - tail;
    if (n == 0 && m == 0) {
        return;
    }
    if (n * m > 4000000) {
        result->structure.push_back("constraints differ from " + std::to_string(head) + " to " +
                                    std::to_string(head + std::max(n, m)));
        return;
    }
    std::vector<std::vector<uint32_t>> lcs(n + 1, std::vector<uint32_t>(m + 1, 0));
    for (size_t i = n; i-- > 0;) {
        for (size_t j = m; j-- > 0;) {
            lcs[i][j] =
                ours[head + i] == cups[head + j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
        }
    }
    size_t i = 0;
    size_t j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && ours[head + i] == cups[head + j]) {
            ++i;
            ++j;
        } else if (j == m || (i < n && lcs[i + 1][j] >= lcs[i][j + 1])) {
            result->structure.push_back("constraint " + std::to_string(head + i) +
                                        " only in this reader: " + ConstraintLine(ours[head + i]));
            ++i;
        } else {
            result->structure.push_back("constraint " + std::to_string(head + j) +
                                        " only in CUPS: " + ConstraintLine(cups[head + j]));
            ++j;
        }
    }
}

// Texts that CUPS makes up where the file has none: an untranslated True or
// False choice shows as Yes or No, and three untranslated standard features
// get names of CUPS's own.
bool CupsInventedChoiceText(const std::string& keyword, const std::string& ours, const std::string& cups) {
    return (keyword == "True" && ours == "True" && cups == "Yes") ||
           (keyword == "False" && ours == "False" && cups == "No");
}

bool CupsInventedFeatureText(const std::string& keyword, const std::string& ours, const std::string& cups) {
    static const std::map<std::string, std::string> names = {
        {"PageSize", "Media Size"}, {"InputSlot", "Media Source"}, {"MediaType", "Media Type"}};
    auto name = names.find(keyword);
    return name != names.end() && ours == keyword && cups == name->second;
}

void CompareText(const std::string& where, const std::string& ours, const std::string& cups, CupsComparison* result) {
    ++result->textsCompared;
    if (ours != cups) {
        result->texts.push_back(where + ": \"" + PrintableBytes(ours) + "\", CUPS \"" + PrintableBytes(cups) + "\"");
    }
}

}  // namespace

CupsComparison CompareWithCups(const std::string& fileName, bool compareTexts) {
    CupsComparison result;
    const std::string path = CorpusPath(fileName);
    DocumentPtr document = ReadDocumentFile(path);
    OracleReading cups = ReadWithCups(path);
    if (document == nullptr || !cups.opened) {
        result.failure = document == nullptr ? "the reader could not open the file" : "CUPS: " + cups.error;
        return result;
    }
    result.languageEncoding = Utf8(document->languageEncoding);
    RemoveWhatTheReaderSkips(ScanFile(path), &cups, &result.structure);

    std::map<std::string, size_t> cupsIndex;
    for (size_t i = 0; i < cups.features.size(); ++i) {
        cupsIndex.emplace(cups.features[i].keyword, i);
    }
    std::vector<bool> cupsSeen(cups.features.size(), false);
    for (int32_t f = 0; f < document->featureCount; ++f) {
        const PpdFeature& feature = *document->features[f];
        const std::string keyword = Utf8(feature.keyword);
        const std::string name = "feature " + PrintableBytes(keyword);
        if (keyword.empty() || keyword[0] != '*') {
            result.structure.push_back(name + ": keyword without '*'");
        }
        auto found = cupsIndex.find(Unstarred(keyword));
        if (found == cupsIndex.end()) {
            result.structure.push_back(name + ": only in this reader");
            continue;
        }
        if (cupsSeen[found->second]) {
            result.structure.push_back(name + ": read twice by this reader, once by CUPS");
            continue;
        }
        cupsSeen[found->second] = true;
        const OracleFeature& theirs = cups.features[found->second];
        ++result.featuresCompared;
        const std::string defaultOption = Utf8(feature.defaultOption);
        if (defaultOption != theirs.defaultChoice) {
            result.structure.push_back(name + ": default \"" + PrintableBytes(defaultOption) + "\", CUPS \"" +
                                       PrintableBytes(theirs.defaultChoice) + "\"");
        }
        std::vector<std::string> ourOptions;
        for (int32_t o = 0; o < feature.optionCount; ++o) {
            ourOptions.push_back(Utf8(feature.options[o]->keyword));
        }
        std::vector<std::string> theirOptions;
        for (const OracleChoice& choice : theirs.choices) {
            theirOptions.push_back(choice.keyword);
        }
        if (ourOptions != theirOptions) {
            result.structure.push_back(name + ": options [" + Join(ourOptions) + "], CUPS [" + Join(theirOptions) +
                                       "]");
        }
        result.optionsCompared += feature.optionCount;
        if (!compareTexts) {
            continue;
        }
        const std::string translation = Utf8(feature.translation);
        if (CupsInventedFeatureText(Unstarred(keyword), translation, theirs.text)) {
            ++result.featureTextsInventedByCups;
        } else {
            CompareText(name + " translation", translation, theirs.text, &result);
        }
        const size_t common = std::min(ourOptions.size(), theirOptions.size());
        for (size_t o = 0; o < common; ++o) {
            if (ourOptions[o] != theirOptions[o]) {
                continue;  // already a structural difference
            }
            const std::string ours = Utf8(feature.options[o]->translation);
            if (CupsInventedChoiceText(ourOptions[o], ours, theirs.choices[o].text)) {
                ++result.choiceTextsInventedByCups;
                continue;
            }
            CompareText(name + " option " + PrintableBytes(ourOptions[o]) + " translation", ours,
                        theirs.choices[o].text, &result);
        }
    }
    for (size_t i = 0; i < cups.features.size(); ++i) {
        if (!cupsSeen[i]) {
            result.structure.push_back("feature " + PrintableBytes(cups.features[i].keyword) +
                                       ": only in CUPS (group " + PrintableBytes(cups.features[i].groupName) + ")");
        }
    }

    std::vector<OracleConstraint> ours;
    for (int32_t c = 0; c < document->constraintCount; ++c) {
        const PpdConstraint& constraint = *document->constraints[c];
        ours.push_back(OracleConstraint{Utf8(constraint.keyword1), Utf8(constraint.option1), Utf8(constraint.keyword2),
                                        Utf8(constraint.option2)});
    }
    std::vector<OracleConstraint> theirs;
    for (const OracleConstraint& c : cups.constraints) {
        theirs.push_back(OracleConstraint{Starred(c[0]), c[1], Starred(c[2]), c[3]});
    }
    CompareConstraints(ours, theirs, &result);
    return result;
}
