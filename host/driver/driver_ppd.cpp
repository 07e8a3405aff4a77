#include "host/driver/driver_ppd.h"

#include <string_view>

#include "host/common/files.h"
#include "host/common/text.h"

namespace {

// The file is read once into memory and every statement is a view into it:
// only the features' and options' own texts are copied out.
typedef std::string_view Bytes;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

Bytes TrimLeft(Bytes text) {
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) {
        ++begin;
    }
    return text.substr(begin);
}

Bytes Trim(Bytes text) {
    text = TrimLeft(text);
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// <hh hh ...> becomes the bytes of the pairs; whatever is not a digit inside
// the brackets is passed over.
std::string DecodeHex(Bytes text) {
    std::string bytes;
    bool inHex = false;
    int pending = -1;
    for (char c : text) {
        if (!inHex) {
            if (c == '<') {
                inHex = true;
                pending = -1;
            } else {
                bytes.push_back(c);
            }
            continue;
        }
        if (c == '>') {
            inHex = false;
            continue;
        }
        const int digit = HexDigit(c);
        if (digit < 0) {
            continue;
        }
        if (pending < 0) {
            pending = digit;
        } else {
            bytes.push_back(static_cast<char>(pending * 16 + digit));
            pending = -1;
        }
    }
    return bytes;
}

std::u16string Decode(const std::string& bytes, UINT codePage) {
    const std::u16string text = BytesToUtf16(bytes, codePage);
    if (text.empty() && !bytes.empty()) {
        // Bytes the code page cannot read stay visible, one unit each.
        std::u16string raw;
        for (char c : bytes) {
            raw.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
        }
        return raw;
    }
    return text;
}

// "keyword/translation" before a statement's colon: the keyword up to the
// first slash and the raw translation after it (empty without a slash).
struct KeywordAndTranslation {
    Bytes keyword;
    Bytes translation;
    bool hasTranslation;
};

KeywordAndTranslation SplitKeyword(Bytes text) {
    const size_t slash = text.find('/');
    const bool hasTranslation = slash != Bytes::npos;
    return {Trim(text.substr(0, slash)), hasTranslation ? text.substr(slash + 1) : Bytes(), hasTranslation};
}

std::u16string NameOf(const KeywordAndTranslation& split, UINT codePage) {
    if (split.hasTranslation) {
        return Decode(DecodeHex(split.translation), codePage);
    }
    const Bytes bare = !split.keyword.empty() && split.keyword[0] == '*' ? split.keyword.substr(1) : split.keyword;
    return Decode(std::string(bare), codePage);
}

// One logical statement: the text before the first colon (the main keyword
// and what follows it on the line) and the value after it.
struct Statement {
    Bytes head;
    Bytes value;
};

size_t CountQuotes(Bytes text) {
    size_t count = 0;
    for (char c : text) {
        count += c == '"' ? 1 : 0;
    }
    return count;
}

size_t LineEnd(Bytes bytes, size_t pos) {
    while (pos < bytes.size() && bytes[pos] != '\n' && bytes[pos] != '\r') {
        ++pos;
    }
    return pos;
}

size_t NextLine(Bytes bytes, size_t lineEnd) {
    if (lineEnd < bytes.size() && bytes[lineEnd] == '\r') {
        ++lineEnd;
    }
    if (lineEnd < bytes.size() && bytes[lineEnd] == '\n') {
        ++lineEnd;
    }
    return lineEnd;
}

// Splits the file into statements. A value that opens a quote and does not
// close it on its line runs on over the following lines, whatever they hold.
std::vector<Statement> Statements(Bytes bytes) {
    std::vector<Statement> statements;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t end = LineEnd(bytes, pos);
        const Bytes line = bytes.substr(pos, end - pos);
        pos = NextLine(bytes, end);
        if (line.empty() || line[0] != '*' || (line.size() > 1 && line[1] == '%')) {
            continue;
        }
        size_t quotes = CountQuotes(line);
        while (quotes % 2 == 1 && pos < bytes.size()) {
            const size_t close = bytes.find('"', pos);
            if (close == Bytes::npos) {
                pos = bytes.size();
                break;
            }
            const size_t closeEnd = LineEnd(bytes, close);
            quotes = CountQuotes(bytes.substr(close + 1, closeEnd - close - 1));
            pos = NextLine(bytes, closeEnd);
        }
        const size_t colon = line.find(':');
        if (colon == Bytes::npos) {
            statements.push_back({line, Bytes()});
        } else {
            statements.push_back({line.substr(0, colon), Trim(line.substr(colon + 1))});
        }
    }
    return statements;
}

// Whether a main keyword is the open feature's "*Default..." line: "*Default"
// and the feature's keyword without its '*' (a keyword that is only "*", or
// empty, has "*Default" itself).
bool IsDefaultLine(Bytes mainKeyword, const std::string& featureKeyword) {
    const Bytes prefix = "*Default";
    const Bytes rest = featureKeyword.empty() ? Bytes() : Bytes(featureKeyword).substr(1);
    return mainKeyword.size() == prefix.size() + rest.size() && mainKeyword.substr(0, prefix.size()) == prefix &&
           mainKeyword.substr(prefix.size()) == rest;
}

}  // namespace

UINT DriverPpdCodePage(const std::string& languageEncoding) {
    if (languageEncoding == "ISOLatin1") {
        return 1252;
    }
    if (languageEncoding == "JIS83-RKSJ") {
        return 932;
    }
    return GetACP();
}

void ParseDriverPpd(const std::string& bytes, DriverPpd* ppd) {
    *ppd = DriverPpd();
    const std::vector<Statement> statements = Statements(bytes);
    // The encoding decides every name, wherever in the file it stands.
    for (const Statement& statement : statements) {
        const Bytes keyword = Trim(statement.head);
        if (keyword == "*LanguageEncoding") {
            ppd->languageEncoding = std::string(statement.value);
        } else if (keyword == "*ColorDevice") {
            ppd->colorDevice = statement.value == "True";
        }
    }
    ppd->codePage = DriverPpdCodePage(ppd->languageEncoding);

    std::string group;
    DriverPpdFeature* open = nullptr;
    for (const Statement& statement : statements) {
        // Blanks before the colon belong to a translation.
        const Bytes head = TrimLeft(statement.head);
        const size_t blank = head.find_first_of(" \t");
        const Bytes mainKeyword = head.substr(0, blank);
        const Bytes rest = blank == Bytes::npos ? Bytes() : TrimLeft(head.substr(blank));
        if (mainKeyword == "*OpenGroup") {
            group = std::string(SplitKeyword(statement.value).keyword);
        } else if (mainKeyword == "*CloseGroup") {
            group.clear();
        } else if (mainKeyword == "*OpenUI") {
            const KeywordAndTranslation split = SplitKeyword(rest);
            DriverPpdFeature feature;
            feature.keyword = std::string(split.keyword);
            feature.name = NameOf(split, ppd->codePage);
            feature.group = group;
            ppd->features.push_back(std::move(feature));
            open = &ppd->features.back();
        } else if (mainKeyword == "*CloseUI") {
            open = nullptr;
        } else if (open != nullptr && IsDefaultLine(mainKeyword, open->keyword)) {
            open->defaultOption = std::string(statement.value);
        } else if (open != nullptr && mainKeyword == open->keyword && !rest.empty()) {
            const KeywordAndTranslation split = SplitKeyword(rest);
            open->optionKeywords.emplace_back(split.keyword);
            open->optionNames.push_back(NameOf(split, ppd->codePage));
        }
    }
}

bool ReadDriverPpd(const std::string& path, DriverPpd* ppd, std::string* error) {
    std::string bytes;
    if (!ReadFileBytes(path, &bytes)) {
        *error = "cannot read " + path;
        return false;
    }
    ParseDriverPpd(bytes, ppd);
    return true;
}

bool ReadDriverPpd(const std::u16string& path, DriverPpd* ppd, std::string* error) {
    std::string bytes;
    if (!ReadFileBytes(path, &bytes)) {
        *error = "cannot read " + Utf16ToUtf8(path);
        return false;
    }
    ParseDriverPpd(bytes, ppd);
    return true;
}

int FindDriverPpdFeature(const DriverPpd& ppd, const std::string& keyword) {
    for (size_t i = 0; i < ppd.features.size(); ++i) {
        if (ppd.features[i].keyword == keyword) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindDriverPpdOption(const DriverPpdFeature& feature, const std::string& option) {
    for (size_t i = 0; i < feature.optionKeywords.size(); ++i) {
        if (feature.optionKeywords[i] == option) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
