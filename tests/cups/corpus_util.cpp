#include "tests/cups/corpus_util.h"

#include <stdio.h>
#include <string.h>

namespace {

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
