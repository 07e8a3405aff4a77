#include "host/check/check_scan.h"

#include <utility>

#include "host/check/check_input.h"

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool Starred(const std::string& text) {
    return !text.empty() && text[0] == '*';
}

class PpdScan {
  public:
    explicit PpdScan(const std::string& bytes) : tokenizer_(bytes) {}

    void Parse();
    ScannedPpd Take() { return std::move(scanned_); }

  private:
    bool NextToken(CheckToken* token, bool allowBlanks = false) { return tokenizer_.Next(token, allowBlanks); }
    void Add(int line, PpdSeverity severity, PpdFindingCode code, const std::string& message) {
        scanned_.findings.push_back(PpdFinding{line, severity, code, message});
    }
    bool ReadHeader(const CheckToken& statement, std::string* store);
    bool ReadKeywordTranslation(const CheckToken& statement, KeywordTranslation* texts);
    void NoteTexts(const KeywordTranslation& texts, int line, const std::string& keywordWhat,
                   const std::string& translationWhat);
    void NoteText(const std::string& bytes, int line, const std::string& what);
    void CheckSameLine(const CheckToken& statement, const CheckToken& word);
    bool ParseFeature(const CheckToken& statement);
    bool ParseFeatureBlock(const CheckToken& statement, FeatureRecord* feature);
    bool ParseOptionLine(const CheckToken& statement, FeatureRecord* feature);
    bool ParseConstraint(const CheckToken& statement);

    CheckTokenizer tokenizer_;
    ScannedPpd scanned_;
    bool reached_ = true;  // false once the reader has stopped; the rest is read only for hints
    int lastRunOnLine_ = 0;
    std::string group_;
    CheckToken pending_;  // a token that ended a *UIConstraints statement, for the statement loop
    bool havePending_ = false;
};

void PpdScan::Parse() {
    CheckToken token;
    bool jclOpen = false;  // the token before was *JCLOpenUI, which the reader drops
    for (;;) {
        if (havePending_) {
            token = pending_;
            havePending_ = false;
        } else if (!NextToken(&token)) {
            break;
        }
        if (scanned_.firstTokenLine == 0) {
            scanned_.firstToken = token.text;
            scanned_.firstTokenLine = token.line;
        }
        if (jclOpen) {
            scanned_.jclFeatures.emplace(token.text.substr(0, token.text.find('/')), token.line);
        }
        jclOpen = token.text == "*JCLOpenUI";
        bool result = true;
        switch (StatementCode(token.text)) {
            case kPpdCloseGroup:
                group_.clear();  // its name is dropped as an ordinary token
                break;
            case kPpdLanguageEncoding:
                result = ReadHeader(token, &scanned_.encoding);
                break;
            case kPpdLanguageVersion:
            case kPpdManufacturer:
            case kPpdModelName:
            case kPpdProduct:
                result = ReadHeader(token, nullptr);
                break;
            case kPpdOpenGroup: {
                group_.clear();
                KeywordTranslation texts;
                result = ReadKeywordTranslation(token, &texts);
                if (result) {
                    group_ = texts.keyword;
                    NoteTexts(texts, token.line, "group keyword", "translation of group " + Shown(texts.keyword));
                }
                break;
            }
            case kPpdOpenUI:
                result = ParseFeature(token);
                break;
            case kPpdUIConstraints:
                result = ParseConstraint(token);
                break;
            default:
                break;
        }
        // A false result ends the reader's parse. Short of the end of the
        // input, only a second query line gives one; the rest is still read
        // for the hints it gives.
        if (!result) {
            reached_ = false;
        }
    }
}

bool PpdScan::ReadHeader(const CheckToken& statement, std::string* store) {
    CheckToken value;
    if (!NextToken(&value)) {
        return false;
    }
    CheckSameLine(statement, value);
    if (reached_ && store != nullptr) {
        *store = value.text;
    }
    NoteText(value.text, statement.line, statement.text + " value");
    return true;
}

bool PpdScan::ReadKeywordTranslation(const CheckToken& statement, KeywordTranslation* texts) {
    CheckToken token;
    if (!NextToken(&token, true)) {
        return false;
    }
    CheckSameLine(statement, token);
    *texts = SplitKeywordTranslation(token.text);
    return true;
}

void PpdScan::NoteTexts(const KeywordTranslation& texts, int line, const std::string& keywordWhat,
                        const std::string& translationWhat) {
    if (!reached_) {
        return;
    }
    auto noteSegment = [&](const std::string& stored, size_t units, const std::string& what) {
        if (units <= kCheckSegmentCapacity) {
            return false;
        }
        scanned_.segments.push_back(PendingSegment{stored, units, line, what});
        return true;
    };
    if (!noteSegment(texts.keywordSegment, texts.keywordUnits, keywordWhat)) {
        NoteText(texts.keyword, line, keywordWhat);
    }
    if (texts.oneSegment) {
        return;  // the keyword's findings cover the translation too
    }
    if (!noteSegment(texts.translationSegment, texts.translationUnits, translationWhat)) {
        NoteText(texts.translation, line, translationWhat);
    }
}

void PpdScan::NoteText(const std::string& bytes, int line, const std::string& what) {
    // Without a multi-byte encoding no text of this size fits.
    if (reached_ && bytes.size() > kCheckTextCapacity) {
        scanned_.texts.push_back(PendingText{bytes, line, what});
    }
}

// A statement whose words run out before its line does takes the next
// line's first words; when one of them starts a statement, that statement is
// lost.
void PpdScan::CheckSameLine(const CheckToken& statement, const CheckToken& word) {
    if (!reached_ || word.line == statement.line || !Starred(word.text) || lastRunOnLine_ == statement.line) {
        return;
    }
    lastRunOnLine_ = statement.line;
    const int32_t code = StatementCode(word.text);
    const bool structural = code == kPpdOpenUI || code == kPpdCloseUI;
    Add(statement.line, structural ? PpdSeverity::kError : PpdSeverity::kWarning, PpdFindingCode::kMissingWord,
        Shown(statement.text) + " is missing a word: the reader takes " + Shown(word.text) + " from line " +
            std::to_string(word.line) + " in its place, and the statement there is lost");
}

bool PpdScan::ParseFeature(const CheckToken& statement) {
    FeatureRecord feature;
    feature.line = statement.line;
    feature.group = group_;
    feature.reached = reached_;
    const bool result = ParseFeatureBlock(statement, &feature);
    feature.complete = result;
    if (feature.defaultLine != 0) {
        NoteText(feature.defaultOption, feature.defaultLine, "default option of " + Shown(feature.keyword));
    }
    scanned_.features.push_back(std::move(feature));
    return result;
}

bool PpdScan::ParseFeatureBlock(const CheckToken& statement, FeatureRecord* feature) {
    static const std::string kDefault = KeywordBytes(PpdKeywordTable[kPpdDefault].keyword);
    static const std::string kQuery = KeywordBytes(PpdKeywordTable[kPpdQuery].keyword);
    KeywordTranslation texts;
    if (!ReadKeywordTranslation(statement, &texts)) {
        return false;
    }
    feature->keyword = texts.keyword;
    feature->translation = texts.translation;
    NoteTexts(texts, statement.line, "keyword of *OpenUI " + Shown(texts.keyword),
              "translation of " + Shown(texts.keyword));
    CheckToken token;
    if (!NextToken(&token)) {
        return false;  // the type word
    }
    CheckSameLine(statement, token);
    for (;;) {
        if (!NextToken(&token)) {
            return false;  // never closed: the block runs to the end of the file
        }
        const int32_t code = StatementCode(token.text);
        if (code == kPpdCloseUI) {
            feature->closeLine = token.line;
            CheckToken keyword;
            if (!NextToken(&keyword)) {
                feature->closeKeyword = false;
                return false;
            }
            CheckSameLine(token, keyword);
            return true;
        }
        if (StartsWith(token.text, kDefault)) {
            CheckToken value;
            if (NextToken(&value)) {
                CheckSameLine(token, value);
                feature->defaultOption = value.text;
                feature->defaultLine = token.line;
            }
            continue;
        }
        if (code == kPpdOrderDependency) {
            // The number, the section and the keyword; the keyword must not
            // start an option line.
            CheckToken word;
            for (int i = 0; i < 3; ++i) {
                if (!NextToken(&word)) {
                    return false;
                }
                CheckSameLine(token, word);
            }
            continue;
        }
        if (StartsWith(token.text, kQuery)) {
            if (feature->firstQueryLine != 0) {
                feature->secondQueryLine = token.line;
                return false;
            }
            feature->firstQueryLine = token.line;
            CheckToken value;
            if (!NextToken(&value)) {
                return false;
            }
            CheckSameLine(token, value);
            continue;
        }
        if (token.text == feature->keyword) {
            if (!ParseOptionLine(token, feature)) {
                return false;
            }
            continue;
        }
        if (code == kPpdOpenUI && feature->nestedOpenLine == 0) {
            feature->nestedOpenLine = token.line;
        }
    }
}

bool PpdScan::ParseOptionLine(const CheckToken& statement, FeatureRecord* feature) {
    feature->options.push_back(OptionRecord());
    OptionRecord& option = feature->options.back();
    option.line = statement.line;
    KeywordTranslation texts;
    if (!ReadKeywordTranslation(statement, &texts)) {
        return false;
    }
    option.keyword = texts.keyword;
    option.translation = texts.translation;
    NoteTexts(texts, statement.line, "option keyword of " + Shown(feature->keyword),
              "translation of option " + Shown(texts.keyword) + " of " + Shown(feature->keyword));
    CheckToken value;
    if (!NextToken(&value)) {
        return false;
    }
    CheckSameLine(statement, value);
    return true;
}

bool PpdScan::ParseConstraint(const CheckToken& statement) {
    scanned_.constraints.push_back(ConstraintRecord());
    ConstraintRecord& constraint = scanned_.constraints.back();
    constraint.line = statement.line;
    constraint.reached = reached_;
    // An option word may be left out: a '*' word where option1 stands fills
    // keyword2. A statement keyword anywhere, or a '*' word where option2
    // stands, belongs to the next statement.
    int slot = 0;
    while (slot < 4) {
        CheckToken word;
        if (!NextToken(&word)) {
            return false;
        }
        const bool starred = Starred(word.text);
        if (StatementCode(word.text) != kPpdNoStatement || (slot == 3 && starred)) {
            pending_ = word;
            havePending_ = true;
            return true;
        }
        if (word.line != statement.line && starred) {
            constraint.runsOn = true;
            CheckSameLine(statement, word);
        }
        if (slot == 1 && starred) {
            slot = 2;
        }
        NoteText(word.text, statement.line, "word " + std::to_string(slot + 1) + " of *UIConstraints");
        constraint.words[slot++] = word.text;
    }
    return true;
}

}  // namespace

bool FeatureRecord::installable() const {
    static const std::string kInstallableGroup = KeywordBytes(kPpdInstallableGroup);
    return group == kInstallableGroup;
}

ScannedPpd ScanPpd(const std::string& bytes) {
    PpdScan scan(bytes);
    scan.Parse();
    return scan.Take();
}
