#include "tests/cups/corpus_util.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <new>

namespace {

std::basic_string<WCHAR> Widen(const std::string& bytes) {
    std::basic_string<WCHAR> units;
    for (unsigned char byte : bytes) {
        units += static_cast<WCHAR>(byte);
    }
    return units;
}

bool StartsWith(const std::string& line, const char* prefix) {
    return line.compare(0, strlen(prefix), prefix) == 0;
}

// A statement keyword ends at a colon or a blank.
bool IsStatement(const std::string& line, const char* keyword) {
    const size_t length = strlen(keyword);
    return StartsWith(line, keyword) &&
           (line.size() == length || line[length] == ':' || line[length] == ' ' || line[length] == '\t');
}

}  // namespace

std::vector<std::string> CorpusFileNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(KX_CORPUS_DIR, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ppd") == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CorpusFilePath(const std::string& name) {
    return std::string(KX_CORPUS_DIR) + "/" + name;
}

CorpusDocument ReadCorpusDocument(const std::string& path) {
    FILE* stream = _wfopen(Widen(path).c_str(), TEXT("r"));
    if (stream == nullptr) {
        return nullptr;
    }
    CorpusDocument document(new (std::nothrow) PpdDocument(stream));
    fclose(stream);
    return document;
}

std::string Utf8(const WCHAR* text) {
    std::string out;
    for (; *text != 0; ++text) {
        uint32_t c = *text;
        if (c >= 0xD800 && c <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[1] - 0xDC00);
            ++text;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Visible(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            snprintf(escape, sizeof(escape), "\\x%02X", c);
            out += escape;
        }
    }
    return out;
}

FileFacts ScanFile(const std::string& path) {
    FileFacts facts;
    FILE* stream = fopen(path.c_str(), "rb");
    if (stream == nullptr) {
        return facts;
    }
    std::string line;
    for (int c = fgetc(stream);; c = fgetc(stream)) {
        if (c != EOF && c != '\n' && c != '\r') {
            line += static_cast<char>(c);
            continue;
        }
        if (IsStatement(line, "*JCLOpenUI")) {
            ++facts.jclOpenUiCount;
        } else if (IsStatement(line, "*UIConstraints")) {
            facts.constraintIsNonUi.push_back(false);
        } else if (IsStatement(line, "*NonUIConstraints")) {
            facts.constraintIsNonUi.push_back(true);
        } else if (StartsWith(line, "*Custom")) {
            const size_t end = line.find_first_of(" \t:", 7);
            facts.customKeywords.insert(line.substr(7, end == std::string::npos ? std::string::npos : end - 7));
        }
        line.clear();
        if (c == EOF) {
            break;
        }
    }
    fclose(stream);
    return facts;
}
