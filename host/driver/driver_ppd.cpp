#include "host/driver/driver_ppd.h"

#include "host/common/files.h"
#include "host/common/text.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string TrimLeft(const std::string& text) {
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) {
        ++begin;
    }
    return text.substr(begin);
}

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
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
std::string DecodeHex(const std::string& text) {
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
void SplitKeyword(const std::string& text, std::string* keyword, std::string* translation, bool* hasTranslation) {
    const size_t slash = text.find('/');
    *hasTranslation = slash != std::string::npos;
    *keyword = Trim(text.substr(0, slash));
    *translation = *hasTranslation ? text.substr(slash + 1) : std::string();
}

std::u16string NameOf(const std::string& keyword, const std::string& translation, bool hasTranslation, UINT codePage) {
    if (hasTranslation) {
        return Decode(DecodeHex(translation), codePage);
    }
    const std::string bare = !keyword.empty() && keyword[0] == '*' ? keyword.substr(1) : keyword;
    return Decode(bare, codePage);
}

// One logical statement: the text before the first colon (the main keyword
// and what follows it on the line) and the value after it.
struct Statement {
    std::string head;
    std::string value;
    bool hasColon;
};

size_t CountQuotes(const std::string& text, size_t begin, size_t end) {
    size_t count = 0;
    for (size_t i = begin; i < end; ++i) {
        count += text[i] == '"' ? 1 : 0;
    }
    return count;
}

size_t LineEnd(const std::string& bytes, size_t pos) {
    while (pos < bytes.size() && bytes[pos] != '\n' && bytes[pos] != '\r') {
        ++pos;
    }
    return pos;
}

size_t NextLine(const std::string& bytes, size_t lineEnd) {
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
std::vector<Statement> Statements(const std::string& bytes) {
    std::vector<Statement> statements;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t end = LineEnd(bytes, pos);
        const std::string line = bytes.substr(pos, end - pos);
        pos = NextLine(bytes, end);
        if (line.empty() || line[0] != '*' || (line.size() > 1 && line[1] == '%')) {
            continue;
        }
        size_t quotes = CountQuotes(line, 0, line.size());
        while (quotes % 2 == 1 && pos < bytes.size()) {
            const size_t close = bytes.find('"', pos);
            if (close == std::string::npos) {
                pos = bytes.size();
                break;
            }
            const size_t closeEnd = LineEnd(bytes, close);
            quotes = CountQuotes(bytes, close + 1, closeEnd);
            pos = NextLine(bytes, closeEnd);
        }
        Statement statement;
        const size_t colon = line.find(':');
        statement.hasColon = colon != std::string::npos;
        statement.head = statement.hasColon ? line.substr(0, colon) : line;
        statement.value = statement.hasColon ? Trim(line.substr(colon + 1)) : std::string();
        statements.push_back(statement);
    }
    return statements;
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
        const std::string keyword = Trim(statement.head);
        if (keyword == "*LanguageEncoding") {
            ppd->languageEncoding = statement.value;
        } else if (keyword == "*ColorDevice") {
            ppd->colorDevice = statement.value == "True";
        }
    }
    ppd->codePage = DriverPpdCodePage(ppd->languageEncoding);

    std::string group;
    DriverPpdFeature* open = nullptr;
    for (const Statement& statement : statements) {
        // Blanks before the colon belong to a translation.
        const std::string head = TrimLeft(statement.head);
        const size_t blank = head.find_first_of(" \t");
        const std::string mainKeyword = head.substr(0, blank);
        const std::string rest = blank == std::string::npos ? std::string() : TrimLeft(head.substr(blank));
        if (mainKeyword == "*OpenGroup") {
            std::string translation;
            bool hasTranslation = false;
            SplitKeyword(statement.value, &group, &translation, &hasTranslation);
        } else if (mainKeyword == "*CloseGroup") {
            group.clear();
        } else if (mainKeyword == "*OpenUI") {
            DriverPpdFeature feature;
            std::string translation;
            bool hasTranslation = false;
            SplitKeyword(rest, &feature.keyword, &translation, &hasTranslation);
            feature.name = NameOf(feature.keyword, translation, hasTranslation, ppd->codePage);
            feature.group = group;
            ppd->features.push_back(feature);
            open = &ppd->features.back();
        } else if (mainKeyword == "*CloseUI") {
            open = nullptr;
        } else if (open != nullptr && mainKeyword == "*Default" + open->keyword.substr(1)) {
            open->defaultOption = statement.value;
        } else if (open != nullptr && mainKeyword == open->keyword && !rest.empty()) {
            std::string option;
            std::string translation;
            bool hasTranslation = false;
            SplitKeyword(rest, &option, &translation, &hasTranslation);
            open->optionKeywords.push_back(option);
            open->optionNames.push_back(NameOf(option, translation, hasTranslation, ppd->codePage));
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
