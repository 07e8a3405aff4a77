#include "host/ppd_check.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace {

// The capacities of the plug-in's reader.
constexpr size_t kTokenLimit = 1048575;   // bytes of one token; the buffer's last unit is its terminator
constexpr size_t kSegmentCapacity = 263;  // units of one keyword/translation segment
constexpr size_t kTextCapacity = 259;     // characters of one text

constexpr int kEndOfText = 0x1A;  // text mode ends the input at this byte
constexpr size_t kShownLimit = 48;

const char kInstallableGroup[] = "InstallableOptions";
const char kDoubleByteEncoding[] = "JIS83-RKSJ";
const char kRenderingKeyword[] = "*KXRendering";

// The keywords the plug-in tags driver items for: its feature label rows
// that carry no public item of the host's.
const char* const kTaggedKeywords[] = {
    "*InstalledMemory", "*KXTrayUnit",     "*KXDuplexOption",     "*KXStackerOption",
    "*KXCompactFlash",  "*KXScreens",      "*KXPureBlack",        "*KXLumaq",
    "*KXToner",         "*KXImageProtect", "*KXRendering",        "*KXPressSimulation",
    "*KXCMYKMethod",    "*KXRGBSource",    "*KXRGBIntent",        "*KXSeparations",
    "*OutputBin",       "*KXDensity",      "*KXRotate180Degrees", "*KXRotate90Degrees",
    "*KXStartSide",     "*KXAutoMonoMode", "*KXOUTPUTID",
};

bool IsTaggedKeyword(const std::string& keyword) {
    for (const char* tagged : kTaggedKeywords) {
        if (keyword == tagged) {
            return true;
        }
    }
    return false;
}

// The reader's statement keywords. Any of them ends a *UIConstraints
// statement early; the parser acts on a few.
const char* const kStatementKeywords[] = {
    "*?",
    "*CloseGroup",
    "*CloseUI",
    "*Default",
    "*End",
    "*FileVersion",
    "*FormatVersion",
    "*LanguageEncoding",
    "*LanguageVersion",
    "*Manufacturer",
    "*ModelName",
    "*NickName",
    "*OpenGroup",
    "*OpenUI",
    "*OrderDependency",
    "*PCFileName",
    "*PPD-Adobe",
    "*PSVersion",
    "*Product",
    "*ShortNickName",
    "*UIConstraints",
};

bool IsStatementKeyword(const std::string& token) {
    for (const char* keyword : kStatementKeywords) {
        if (token == keyword) {
            return true;
        }
    }
    return false;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, strlen(prefix), prefix) == 0;
}

bool Starred(const std::string& text) {
    return !text.empty() && text[0] == '*';
}

// NUL, TAB, LF, FF, CR and SPACE separate tokens.
bool IsBlank(int byte) {
    return byte == 0 || byte == 9 || byte == 10 || byte == 12 || byte == 13 || byte == 32;
}

// A PPD text for a message: printable ASCII as it is, other bytes as \xNN,
// long texts shortened.
std::string Shown(const std::string& text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == kShownLimit) {
            shown += "...";
            break;
        }
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte >= 32 && byte < 127) {
            shown += static_cast<char>(byte);
        } else {
            char escape[8];
            snprintf(escape, sizeof(escape), "\\x%02X", byte);
            shown += escape;
        }
    }
    return shown;
}

std::string Quoted(const std::string& text) {
    return "'" + Shown(text) + "'";
}

std::string Number(size_t value) {
    return std::to_string(value);
}

// Characters that bytes make in the file's encoding: a lead byte and its
// trail byte are one character under the double-byte encoding, every byte
// one character otherwise.
size_t CharacterCount(const std::string& bytes, bool doubleByte) {
    size_t count = 0;
    for (size_t i = 0; i < bytes.size(); ++count) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        i += doubleByte && lead && i + 1 < bytes.size() ? 2 : 1;
    }
    return count;
}

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// The plug-in disables the rendering item at selection 0, so option 0 has to
// be the monochrome one.
bool ReadsAsMonochrome(const std::string& keyword, const std::string& translation) {
    static const char* const kWords[] = {"mono", "gray", "grey", "black", "b/w", "b&w"};
    for (const std::string& text : {Lower(keyword), Lower(translation)}) {
        for (const char* word : kWords) {
            if (text.find(word) != std::string::npos) {
                return true;
            }
        }
        if (text == "bw") {
            return true;
        }
    }
    return false;
}

// The bytes as the plug-in's text-mode stream yields them.
struct TextModeInput {
    std::string bytes;
    bool cut = false;  // a 0x1A byte ended the input before more than blanks
};

TextModeInput ReadAsTextMode(const std::string& file) {
    TextModeInput input;
    input.bytes.reserve(file.size());
    for (size_t i = 0; i < file.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(file[i]);
        if (byte == kEndOfText) {
            for (size_t k = i + 1; k < file.size(); ++k) {
                const unsigned char rest = static_cast<unsigned char>(file[k]);
                if (!IsBlank(rest) && rest != kEndOfText) {
                    input.cut = true;
                    break;
                }
            }
            break;
        }
        if (byte == '\r' && i + 1 < file.size() && file[i + 1] == '\n') {
            continue;  // CR LF is LF
        }
        input.bytes.push_back(static_cast<char>(byte));
    }
    return input;
}

struct Token {
    std::string text;  // up to its first zero byte, as the reader's string routines see it
    int line = 0;      // of its first byte
};

// The reader's tokenizer, with line numbers. A line ends at LF, and at a CR
// that text mode left alone.
class Tokenizer {
  public:
    explicit Tokenizer(const std::string& bytes) : bytes_(bytes) {}

    bool Next(Token* token, bool allowBlanks);

  private:
    int Read() {
        if (position_ >= bytes_.size()) {
            return -1;
        }
        const int byte = static_cast<unsigned char>(bytes_[position_++]);
        byteLine_ = line_;
        if (byte == '\n' || byte == '\r') {
            ++line_;
        }
        return byte;
    }
    int Peek() const { return position_ < bytes_.size() ? static_cast<unsigned char>(bytes_[position_]) : -1; }

    const std::string& bytes_;
    size_t position_ = 0;
    int line_ = 1;
    int byteLine_ = 1;  // line of the byte read last
};

bool Tokenizer::Next(Token* token, bool allowBlanks) {
    std::string& text = token->text;
    text.clear();
    // Blanks and comments; a comment is "%" or "*%" where a token would begin.
    bool inComment = false;
    int byte;
    for (;;) {
        byte = Read();
        if (byte < 0) {
            return false;
        }
        if (inComment) {
            inComment = byte != '\n' && byte != '\r';
            continue;
        }
        if (byte == '*') {
            if (Peek() == '%') {
                Read();
                inComment = true;
                continue;
            }
            break;
        }
        if (byte == '%') {
            inComment = true;
            continue;
        }
        if (!IsBlank(byte)) {
            break;
        }
    }
    token->line = byteLine_;
    const bool quoted = byte == '"';
    if (!quoted) {
        text.push_back(static_cast<char>(byte));
    }
    for (;;) {
        byte = Read();
        if (byte < 0) {
            break;
        }
        if (quoted) {
            if (byte == '"') {
                break;
            }
        } else if (IsBlank(byte) || byte == '"' || byte == ':') {
            // A keyword/translation keeps its blanks, and a double quote
            // after its first byte.
            const bool kept = allowBlanks && (byte == '\t' || byte == ' ' || byte == '"');
            if (!kept) {
                break;
            }
        }
        if (text.size() == kTokenLimit) {
            break;  // the byte just read is dropped
        }
        text.push_back(static_cast<char>(byte));
    }
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        text.resize(zero);
    }
    return true;
}

// A keyword/translation token cut into its two texts as the reader cuts it:
// the keyword before the first slash, the translation after it, hexadecimal
// pairs between '<' and '>' decoded to bytes.
struct KeywordTranslation {
    std::string keyword;
    std::string translation;
    size_t keywordUnits = 0;  // length of the keyword's segment before the reader's cut
    size_t translationUnits = 0;
    bool oneSegment = false;  // both texts come from the same segment
};

// Two characters read as base-16 digits the way wcstol reads them.
char HexPair(char first, char second) {
    const char pair[3] = {first, second, 0};
    return static_cast<char>(strtol(pair, nullptr, 16) & 0xFF);
}

KeywordTranslation SplitKeywordTranslation(const std::string& token) {
    std::string segment;
    size_t units = 0;
    std::string keywordSegment;
    size_t keywordUnits = 0;
    bool slashSeen = false;
    bool hex = false;
    bool digitPending = false;
    char pendingDigit = 0;
    auto append = [&](char unit) {
        if (segment.size() < kSegmentCapacity) {
            segment.push_back(unit);
        }
        ++units;
    };
    for (char c : token) {
        if (c == '/' && !slashSeen) {
            slashSeen = true;
            keywordSegment = segment;
            keywordUnits = units;
            segment.clear();
            units = 0;
        } else if (c == '<') {
            hex = true;
            digitPending = false;
        } else if (c == '>') {
            hex = false;
        } else if (!hex) {
            append(c);
        } else if (!digitPending) {
            pendingDigit = c;
            digitPending = true;
        } else {
            append(HexPair(pendingDigit, c));
            digitPending = false;
        }
    }
    // A text ends at its first zero byte.
    auto text = [](const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); };
    KeywordTranslation result;
    result.keyword = text(keywordSegment);
    result.keywordUnits = keywordUnits;
    if (result.keyword.empty()) {
        result.keyword = text(segment);
        result.keywordUnits = units;
        result.oneSegment = true;
    }
    result.translation = text(Starred(segment) ? segment.substr(1) : segment);
    result.translationUnits = units;
    return result;
}

struct OptionRecord {
    std::string keyword;
    std::string translation;
    int line = 0;
};

struct FeatureRecord {
    std::string keyword;
    std::string translation;
    std::string group;
    std::string defaultOption;
    int line = 0;              // of its *OpenUI
    int defaultLine = 0;       // of the last *Default line in the block, 0 when none
    int firstQueryLine = 0;    // of its first *? line, 0 when none
    int secondQueryLine = 0;   // where the reader stops
    int nestedOpenLine = 0;    // first *OpenUI met inside the block
    int closeLine = 0;         // of the *CloseUI that ends the block, 0 when none does
    bool closeKeyword = true;  // the *CloseUI found its keyword before the end of the file
    bool complete = false;     // the block's result; only then does an installable feature get a setting
    bool reached = true;       // read before the reader stopped
    std::vector<OptionRecord> options;

    bool installable() const { return group == kInstallableGroup; }
    bool hasSetting() const { return complete && installable(); }
};

struct ConstraintRecord {
    std::string words[4];  // keyword1, option1, keyword2, option2
    int line = 0;
    bool runsOn = false;  // a word was taken from a later line
    bool reached = true;
};

// A text whose length is judged once the file's encoding is known.
struct PendingText {
    std::string bytes;
    int line;
    std::string what;
};

std::string PairKey(const std::string& a, const std::string& b) {
    return a + '\0' + b;
}

std::string ConstraintKey(const std::string& k1, const std::string& o1, const std::string& k2, const std::string& o2) {
    return PairKey(PairKey(k1, o1), PairKey(k2, o2));
}

// The reader's statement parser, run over the tokens, recording where each
// record came from; the findings follow from what it reads.
class PpdScan {
  public:
    explicit PpdScan(const std::string& bytes) : tokenizer_(bytes) {}

    void Parse();
    void CheckModel();
    void Fill(PpdCheckResult* result);
    void Add(int line, PpdSeverity severity, const std::string& message) {
        findings_.push_back(PpdFinding{line, severity, message});
    }

  private:
    bool NextToken(Token* token, bool allowBlanks = false) { return tokenizer_.Next(token, allowBlanks); }
    bool ReadHeader(const Token& statement, std::string* store);
    bool ReadKeywordTranslation(const Token& statement, KeywordTranslation* texts);
    void NoteTexts(const KeywordTranslation& texts, int line, const std::string& keywordWhat,
                   const std::string& translationWhat);
    void NoteText(const std::string& bytes, int line, const std::string& what);
    void CheckSameLine(const Token& statement, const Token& word);
    bool ParseFeature(const Token& statement);
    bool ParseFeatureBlock(const Token& statement, FeatureRecord* feature);
    bool ParseOptionLine(const Token& statement, FeatureRecord* feature);
    bool ParseConstraint(const Token& statement);

    void CheckBlock(const FeatureRecord& feature);
    void CheckRendering(const FeatureRecord& feature);
    void CheckTranslations();
    void CheckConstraints();
    void CheckConstraint(const ConstraintRecord& constraint);
    std::string MissingFeatureHint(const std::string& keyword) const;
    const FeatureRecord* FindFeature(const std::string& keyword) const;

    Tokenizer tokenizer_;
    bool reached_ = true;  // false once the reader has stopped; the rest is read only for hints
    int stopLine_ = 0;
    int lastRunOnLine_ = 0;
    std::string group_;
    std::string encoding_;
    Token pending_;  // a token that ended a *UIConstraints statement, for the statement loop
    bool havePending_ = false;
    std::vector<FeatureRecord> features_;
    std::vector<ConstraintRecord> constraints_;
    std::vector<PendingText> texts_;
    std::vector<PpdFinding> findings_;
    std::map<std::string, int> jclFeatures_;  // keyword -> line of its *JCLOpenUI

    // Built by CheckModel from the records read before any stop.
    std::map<std::string, const FeatureRecord*> byKeyword_;
    std::map<std::string, int> unreachedFeatures_;  // keyword -> line of its *OpenUI
    std::set<std::string> constraintKeys_;
    std::set<std::string> tiedPairs_;     // keyword1, keyword2 of every constraint
    std::set<std::string> forbidPairs_;   // the same, of constraints with both options
    std::set<std::string> reportedTies_;  // pairs already reported as tied without a forbidding constraint
};

void PpdScan::Parse() {
    Token token;
    bool jclOpen = false;  // the token before was *JCLOpenUI, which the reader drops
    for (;;) {
        if (havePending_) {
            token = pending_;
            havePending_ = false;
        } else if (!NextToken(&token)) {
            break;
        }
        if (jclOpen) {
            jclFeatures_.emplace(token.text.substr(0, token.text.find('/')), token.line);
        }
        jclOpen = token.text == "*JCLOpenUI";
        bool result = true;
        const std::string& keyword = token.text;
        if (keyword == "*CloseGroup") {
            group_.clear();  // its name is dropped as an ordinary token
        } else if (keyword == "*LanguageEncoding") {
            result = ReadHeader(token, &encoding_);
        } else if (keyword == "*LanguageVersion" || keyword == "*Manufacturer" || keyword == "*ModelName" ||
                   keyword == "*Product") {
            result = ReadHeader(token, nullptr);
        } else if (keyword == "*OpenGroup") {
            group_.clear();
            KeywordTranslation texts;
            result = ReadKeywordTranslation(token, &texts);
            if (result) {
                group_ = texts.keyword;
                NoteTexts(texts, token.line, "group keyword", "translation of group " + Shown(texts.keyword));
            }
        } else if (keyword == "*OpenUI") {
            result = ParseFeature(token);
        } else if (keyword == "*UIConstraints") {
            result = ParseConstraint(token);
        }
        // A false result ends the reader's parse. Short of the end of the
        // input, only a second query line gives one; the rest is still read
        // for the hints it gives.
        if (!result) {
            reached_ = false;
        }
    }
}

bool PpdScan::ReadHeader(const Token& statement, std::string* store) {
    Token value;
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

bool PpdScan::ReadKeywordTranslation(const Token& statement, KeywordTranslation* texts) {
    Token token;
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
    auto noteSegment = [&](size_t units, const std::string& what) {
        if (units <= kSegmentCapacity) {
            return false;
        }
        Add(line, PpdSeverity::kWarning,
            what + " is " + Number(units) + " units long: the reader keeps " + Number(kSegmentCapacity) +
                " and drops the rest");
        return true;
    };
    if (!noteSegment(texts.keywordUnits, keywordWhat)) {
        NoteText(texts.keyword, line, keywordWhat);
    }
    if (texts.oneSegment) {
        return;  // the keyword's findings cover the translation too
    }
    if (!noteSegment(texts.translationUnits, translationWhat)) {
        NoteText(texts.translation, line, translationWhat);
    }
}

void PpdScan::NoteText(const std::string& bytes, int line, const std::string& what) {
    // Without a multi-byte encoding no text of this size fits.
    if (reached_ && bytes.size() > kTextCapacity) {
        texts_.push_back(PendingText{bytes, line, what});
    }
}

// A statement whose words run out before its line does takes the next
// line's first words; when one of them starts a statement, that statement is
// lost.
void PpdScan::CheckSameLine(const Token& statement, const Token& word) {
    if (!reached_ || word.line == statement.line || !Starred(word.text) || lastRunOnLine_ == statement.line) {
        return;
    }
    lastRunOnLine_ = statement.line;
    const bool structural = word.text == "*OpenUI" || word.text == "*CloseUI";
    Add(statement.line, structural ? PpdSeverity::kError : PpdSeverity::kWarning,
        Shown(statement.text) + " is missing a word: the reader takes " + Shown(word.text) + " from line " +
            Number(word.line) + " in its place, and the statement there is lost");
}

bool PpdScan::ParseFeature(const Token& statement) {
    FeatureRecord feature;
    feature.line = statement.line;
    feature.group = group_;
    feature.reached = reached_;
    const bool result = ParseFeatureBlock(statement, &feature);
    feature.complete = result;
    if (feature.defaultLine != 0) {
        NoteText(feature.defaultOption, feature.defaultLine, "default option of " + Shown(feature.keyword));
    }
    features_.push_back(std::move(feature));
    return result;
}

bool PpdScan::ParseFeatureBlock(const Token& statement, FeatureRecord* feature) {
    KeywordTranslation texts;
    if (!ReadKeywordTranslation(statement, &texts)) {
        return false;
    }
    feature->keyword = texts.keyword;
    feature->translation = texts.translation;
    NoteTexts(texts, statement.line, "keyword of *OpenUI " + Shown(texts.keyword),
              "translation of " + Shown(texts.keyword));
    Token token;
    if (!NextToken(&token)) {
        return false;  // the type word
    }
    CheckSameLine(statement, token);
    for (;;) {
        if (!NextToken(&token)) {
            return false;  // never closed: the block runs to the end of the file
        }
        if (token.text == "*CloseUI") {
            feature->closeLine = token.line;
            Token keyword;
            if (!NextToken(&keyword)) {
                feature->closeKeyword = false;
                return false;
            }
            CheckSameLine(token, keyword);
            return true;
        }
        if (StartsWith(token.text, "*Default")) {
            Token value;
            if (NextToken(&value)) {
                CheckSameLine(token, value);
                feature->defaultOption = value.text;
                feature->defaultLine = token.line;
            }
            continue;
        }
        if (token.text == "*OrderDependency") {
            // The number, the section and the keyword; the keyword must not
            // start an option line.
            Token word;
            for (int i = 0; i < 3; ++i) {
                if (!NextToken(&word)) {
                    return false;
                }
                CheckSameLine(token, word);
            }
            continue;
        }
        if (StartsWith(token.text, "*?")) {
            if (feature->firstQueryLine != 0) {
                feature->secondQueryLine = token.line;
                return false;
            }
            feature->firstQueryLine = token.line;
            Token value;
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
        if (token.text == "*OpenUI" && feature->nestedOpenLine == 0) {
            feature->nestedOpenLine = token.line;
        }
    }
}

bool PpdScan::ParseOptionLine(const Token& statement, FeatureRecord* feature) {
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
    Token value;
    if (!NextToken(&value)) {
        return false;
    }
    CheckSameLine(statement, value);
    return true;
}

bool PpdScan::ParseConstraint(const Token& statement) {
    constraints_.push_back(ConstraintRecord());
    ConstraintRecord& constraint = constraints_.back();
    constraint.line = statement.line;
    constraint.reached = reached_;
    // An option word may be left out: a '*' word where option1 stands fills
    // keyword2. A statement keyword anywhere, or a '*' word where option2
    // stands, belongs to the next statement.
    int slot = 0;
    while (slot < 4) {
        Token word;
        if (!NextToken(&word)) {
            return false;
        }
        const bool starred = Starred(word.text);
        if (IsStatementKeyword(word.text) || (slot == 3 && starred)) {
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
        NoteText(word.text, statement.line, "word " + Number(static_cast<size_t>(slot) + 1) + " of *UIConstraints");
        constraint.words[slot++] = word.text;
    }
    return true;
}

void PpdScan::CheckModel() {
    for (const FeatureRecord& feature : features_) {
        if (!feature.reached) {
            unreachedFeatures_.emplace(feature.keyword, feature.line);
            continue;
        }
        byKeyword_.emplace(feature.keyword, &feature);
        CheckBlock(feature);
        CheckRendering(feature);
    }
    CheckTranslations();
    CheckConstraints();

    const bool doubleByte = encoding_ == kDoubleByteEncoding;
    for (const PendingText& text : texts_) {
        const size_t characters = CharacterCount(text.bytes, doubleByte);
        if (characters > kTextCapacity) {
            Add(text.line, PpdSeverity::kWarning,
                text.what + " is " + Number(characters) + " characters long: a text holds " + Number(kTextCapacity) +
                    ", the rest is cut");
        }
    }
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const PpdFinding& a, const PpdFinding& b) { return a.line < b.line; });
}

void PpdScan::CheckBlock(const FeatureRecord& feature) {
    const std::string name = feature.keyword.empty() ? "(no keyword)" : Shown(feature.keyword);
    if (feature.secondQueryLine != 0) {
        stopLine_ = feature.secondQueryLine;
        Add(feature.secondQueryLine, PpdSeverity::kError,
            "second *? line in the block of " + name + " (the first is at line " + Number(feature.firstQueryLine) +
                "): the reader stops here and the rest of the file is lost");
        return;
    }
    if (feature.closeLine == 0) {
        Add(feature.line, PpdSeverity::kError,
            "*OpenUI block of " + name + " never closes: it runs to the end of the file");
        return;
    }
    if (feature.nestedOpenLine != 0) {
        Add(feature.line, PpdSeverity::kError,
            "*OpenUI block of " + name + " is not closed before the *OpenUI at line " + Number(feature.nestedOpenLine) +
                ": it runs on to the *CloseUI at line " + Number(feature.closeLine) +
                " and the features opened in between are lost");
    }
    if (!feature.closeKeyword) {
        Add(feature.closeLine, PpdSeverity::kWarning,
            "*CloseUI of " + name + " has no keyword before the end of the file: the block counts as unfinished" +
                (feature.installable() ? " and gets no installable setting" : ""));
        return;
    }
    if (feature.installable() && feature.defaultLine == 0) {
        Add(feature.line, PpdSeverity::kWarning,
            "installable feature " + name + " has no *Default line: its setting starts empty");
    } else if (feature.installable() && feature.defaultOption.empty()) {
        Add(feature.defaultLine, PpdSeverity::kWarning,
            "installable feature " + name + " has an empty default: its setting starts empty");
    }
    if (feature.options.empty() && feature.keyword != kRenderingKeyword) {
        Add(feature.line, PpdSeverity::kWarning,
            name + " has no option lines the reader takes" +
                (Starred(feature.keyword) ? std::string()
                                          : ": its keyword has no leading '*', so its option lines never match"));
    }
}

void PpdScan::CheckRendering(const FeatureRecord& feature) {
    if (feature.keyword != kRenderingKeyword) {
        return;
    }
    const size_t count = feature.options.size();
    if (count < 2) {
        Add(feature.line, PpdSeverity::kError,
            std::string(kRenderingKeyword) + " has " + Number(count) + (count == 1 ? " option" : " options") +
                ": the colour selection 1 would point past its end");
        return;
    }
    const OptionRecord& first = feature.options[0];
    if (!ReadsAsMonochrome(first.keyword, first.translation)) {
        Add(first.line, PpdSeverity::kWarning,
            "first option of " + std::string(kRenderingKeyword) + ", " + Shown(first.keyword) + " " +
                Quoted(first.translation) +
                ", does not read as monochrome: the plug-in disables the item at selection 0");
    }
}

void PpdScan::CheckTranslations() {
    std::map<std::string, const FeatureRecord*> first;
    for (const FeatureRecord& feature : features_) {
        if (!feature.reached || feature.translation.empty()) {
            continue;
        }
        const auto inserted = first.emplace(feature.translation, &feature);
        if (!inserted.second) {
            // Only a feature the plug-in tags makes the first one's win matter.
            const FeatureRecord& earlier = *inserted.first->second;
            const bool tagged = IsTaggedKeyword(earlier.keyword) || IsTaggedKeyword(feature.keyword);
            Add(feature.line, tagged ? PpdSeverity::kWarning : PpdSeverity::kInfo,
                Shown(feature.keyword) + " has the same translation as " + Shown(earlier.keyword) + " (line " +
                    Number(earlier.line) + "), " + Quoted(feature.translation) + ": the first wins the item" +
                    (tagged ? "" : ", though the plug-in tags neither"));
        }
    }
}

const FeatureRecord* PpdScan::FindFeature(const std::string& keyword) const {
    const auto found = byKeyword_.find(keyword);
    return found == byKeyword_.end() ? nullptr : found->second;
}

std::string PpdScan::MissingFeatureHint(const std::string& keyword) const {
    const auto later = unreachedFeatures_.find(keyword);
    if (later != unreachedFeatures_.end()) {
        return " (its *OpenUI at line " + Number(later->second) + " stands after the point where the reader stops)";
    }
    const auto jcl = jclFeatures_.find(keyword);
    if (jcl != jclFeatures_.end()) {
        return " (it is opened by the *JCLOpenUI at line " + Number(jcl->second) + ", which the reader drops)";
    }
    if (Starred(keyword)) {
        const FeatureRecord* unstarred = FindFeature(keyword.substr(1));
        if (unstarred != nullptr) {
            return " (the *OpenUI at line " + Number(unstarred->line) + " names it without the '*')";
        }
    }
    return "";
}

void PpdScan::CheckConstraints() {
    for (const ConstraintRecord& c : constraints_) {
        if (!c.reached) {
            continue;
        }
        constraintKeys_.insert(ConstraintKey(c.words[0], c.words[1], c.words[2], c.words[3]));
        tiedPairs_.insert(PairKey(c.words[0], c.words[2]));
        if (!c.words[1].empty() && !c.words[3].empty()) {
            forbidPairs_.insert(PairKey(c.words[0], c.words[2]));
        }
    }
    for (const ConstraintRecord& c : constraints_) {
        if (c.reached && !c.runsOn) {
            CheckConstraint(c);
        }
    }
}

void PpdScan::CheckConstraint(const ConstraintRecord& c) {
    const std::string& k1 = c.words[0];
    const std::string& o1 = c.words[1];
    const std::string& k2 = c.words[2];
    const std::string& o2 = c.words[3];
    if (k1.empty()) {
        Add(c.line, PpdSeverity::kWarning, "*UIConstraints names no feature: it has no effect");
        return;
    }
    if (k2.empty()) {
        Add(c.line, PpdSeverity::kWarning, "*UIConstraints names only " + Shown(k1) + ": it ties nothing");
        return;
    }
    bool unknown = false;
    const FeatureRecord* features[2] = {FindFeature(k1), FindFeature(k2)};
    const std::string* options[2] = {&o1, &o2};
    for (int i = 0; i < 2; ++i) {
        const std::string& keyword = c.words[2 * i];
        if (features[i] == nullptr) {
            Add(c.line, PpdSeverity::kWarning,
                "*UIConstraints names feature " + Shown(keyword) + ", which has no *OpenUI" +
                    MissingFeatureHint(keyword));
            unknown = true;
            continue;
        }
        const std::string& option = *options[i];
        if (option.empty()) {
            continue;
        }
        const std::vector<OptionRecord>& known = features[i]->options;
        const bool found = std::any_of(known.begin(), known.end(),
                                       [&](const OptionRecord& record) { return record.keyword == option; });
        if (!found) {
            Add(c.line, PpdSeverity::kWarning,
                "*UIConstraints names option " + Shown(option) + " of " + Shown(keyword) + ", which " + Shown(keyword) +
                    " does not have");
            unknown = true;
        }
    }
    if (unknown) {
        return;
    }
    // The plug-in reads a constraint only with an installable feature first
    // and a print feature second.
    const bool installableFirst = features[0]->hasSetting();
    const bool installableSecond = features[1]->installable();
    if (o1.empty() || o2.empty()) {
        if (installableFirst && !installableSecond) {
            // Tied by this statement alone, the print feature's marks under
            // that setting are all cleared and none is set.
            if (forbidPairs_.count(PairKey(k1, k2)) == 0 && reportedTies_.insert(PairKey(k1, k2)).second) {
                Add(c.line, PpdSeverity::kWarning,
                    "*UIConstraints leaves out an option word: it ties " + Shown(k1) + " to " + Shown(k2) +
                        " but can forbid nothing");
            }
        } else if (!features[0]->installable() && installableSecond && tiedPairs_.count(PairKey(k2, k1)) == 0) {
            Add(c.line, PpdSeverity::kInfo,
                "*UIConstraints leaves out an option word and names the installable feature " + Shown(k2) +
                    " second: the plug-in never uses it");
        }
        return;
    }
    if (!features[0]->installable() && installableSecond && constraintKeys_.count(ConstraintKey(k2, o2, k1, o1)) == 0) {
        Add(c.line, PpdSeverity::kWarning,
            "*UIConstraints " + Shown(k1) + " " + Shown(o1) + " " + Shown(k2) + " " + Shown(o2) +
                " names the installable feature second, which the plug-in never matches, and its mirror " + Shown(k2) +
                " " + Shown(o2) + " " + Shown(k1) + " " + Shown(o1) + " is missing");
    }
}

void PpdScan::Fill(PpdCheckResult* result) {
    for (const FeatureRecord& feature : features_) {
        if (feature.reached) {
            ++result->featureCount;
            result->optionCount += static_cast<int>(feature.options.size());
            result->installableCount += feature.hasSetting() ? 1 : 0;
        }
    }
    for (const ConstraintRecord& constraint : constraints_) {
        result->constraintCount += constraint.reached ? 1 : 0;
    }
    result->stopLine = stopLine_;
    result->findings = std::move(findings_);
}

int LineCount(const std::string& bytes) {
    int lines = 1;
    for (char c : bytes) {
        lines += c == '\n' || c == '\r' ? 1 : 0;
    }
    return lines;
}

}  // namespace

PpdCheckResult CheckPpdBytes(const std::string& fileBytes) {
    const TextModeInput input = ReadAsTextMode(fileBytes);
    PpdScan scan(input.bytes);
    scan.Parse();
    if (input.cut) {
        scan.Add(LineCount(input.bytes), PpdSeverity::kError,
                 "a 0x1A byte ends the input here: the rest of the file is never read");
    }
    scan.CheckModel();
    PpdCheckResult result;
    scan.Fill(&result);
    return result;
}

bool CheckPpdFile(const std::string& path, PpdCheckResult* result, std::string* error) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && (status.st_mode & S_IFMT) == S_IFDIR) {
        *error = "is a directory";
        return false;
    }
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = strerror(errno);
        return false;
    }
    std::string bytes;
    char chunk[65536];
    size_t count;
    while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.append(chunk, count);
    }
    const bool failed = ferror(file) != 0;
    const int readError = errno;
    fclose(file);
    if (failed) {
        *error = std::string("read error: ") + strerror(readError);
        return false;
    }
    *result = CheckPpdBytes(bytes);
    return true;
}

const char* PpdSeverityName(PpdSeverity severity) {
    switch (severity) {
        case PpdSeverity::kError:
            return "error";
        case PpdSeverity::kWarning:
            return "warning";
        case PpdSeverity::kInfo:
            break;
    }
    return "info";
}

std::string FormatPpdFinding(const std::string& path, const PpdFinding& finding) {
    std::string line = path + ":";
    if (finding.line > 0) {
        line += std::to_string(finding.line) + ":";
    }
    return line + " " + PpdSeverityName(finding.severity) + ": " + finding.message;
}

int RunPpdCheck(const std::vector<std::string>& paths, FILE* out, FILE* err) {
    if (paths.empty()) {
        fputs("kxpsui-host: --check needs at least one PPD file\n", err);
        return 2;
    }
    const bool progress = paths.size() > 3;
    int status = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        if (progress) {
            fprintf(err, "[%d/%d] %s\n", static_cast<int>(i + 1), static_cast<int>(paths.size()), path.c_str());
        }
        PpdCheckResult result;
        std::string error;
        if (!CheckPpdFile(path, &result, &error)) {
            fprintf(err, "%s: error: cannot read the file: %s\n", path.c_str(), error.c_str());
            status = 2;
            continue;
        }
        for (const PpdFinding& finding : result.findings) {
            fprintf(out, "%s\n", FormatPpdFinding(path, finding).c_str());
        }
        if (!result.findings.empty() && status == 0) {
            status = 1;
        }
    }
    fflush(out);
    return status;
}
