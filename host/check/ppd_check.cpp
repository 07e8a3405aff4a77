#include "host/check/ppd_check.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>

#include "host/check/check_findings.h"
#include "host/check/check_input.h"
#include "host/check/check_scan.h"

namespace {

// What is sniffed for binary data: a NUL byte, or more than one control byte
// in 16 (TAB, LF, FF and CR are text), in the file's first KiB. Text in any
// ANSI code page has neither; the bytes 0x80 to 0xFF are text there.
constexpr size_t kSniffedBytes = 1024;
constexpr size_t kControlShare = 16;

const char* const kFindingCodeNames[] = {
    "not-a-ppd",
    "end-of-input-byte",
    "second-query",
    "unclosed-block",
    "nested-block",
    "missing-word",
    "closeui-without-keyword",
    "installable-without-default",
    "no-options",
    "rendering-too-few-options",
    "rendering-colour-first",
    "same-translation",
    "constraint-incomplete",
    "constraint-unknown-feature",
    "constraint-unknown-option",
    "left-out-option",
    "one-way-constraint",
    "segment-cut",
    "text-cut",
};
static_assert(sizeof(kFindingCodeNames) / sizeof(kFindingCodeNames[0]) ==
                  static_cast<size_t>(PpdFindingCode::kTextCut) + 1,
              "one name per finding code");

bool IsControlByte(unsigned char byte) {
    return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\f' && byte != '\r') || byte == 0x7F;
}

// Why the file cannot be a PPD, and the line that shows it (0 for the
// whole file); "" when it can be one.
std::string NotAPpdReason(const std::string& fileBytes, const ScannedPpd& scanned, int* line) {
    *line = 0;
    if (fileBytes.empty()) {
        return "the file is empty";
    }
    const size_t sniffed = std::min(fileBytes.size(), kSniffedBytes);
    const size_t nul = fileBytes.find('\0');
    if (nul < sniffed) {
        return "the file holds binary data (a NUL byte at offset " + std::to_string(nul) + ")";
    }
    size_t controls = 0;
    for (size_t i = 0; i < sniffed; ++i) {
        controls += IsControlByte(static_cast<unsigned char>(fileBytes[i])) ? 1 : 0;
    }
    if (controls * kControlShare > sniffed) {
        return "the file holds binary data (" + std::to_string(controls) + " of its first " + std::to_string(sniffed) +
               " bytes are control bytes)";
    }
    if (scanned.firstTokenLine == 0) {
        return "the file holds no statement";
    }
    if (StatementCode(scanned.firstToken) != kPpdPPDAdobe) {
        *line = scanned.firstTokenLine;
        return "the file begins with '" + Shown(scanned.firstToken) + "', not with *PPD-Adobe";
    }
    return "";
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
    ScannedPpd scanned = ScanPpd(input.bytes);
    if (input.cut) {
        scanned.findings.push_back(PpdFinding{LineCount(input.bytes), PpdSeverity::kError,
                                              PpdFindingCode::kEndOfInputByte,
                                              "a 0x1A byte ends the input here: the rest of the file is never read"});
    }
    PpdCheckResult result;
    result.findings = JudgeScannedPpd(scanned, &result.stopLine);
    // Whatever else a file that is not a PPD gives is noise.
    int line = 0;
    const std::string notAPpd = NotAPpdReason(fileBytes, scanned, &line);
    if (!notAPpd.empty()) {
        result.findings.assign(
            1, PpdFinding{line, PpdSeverity::kError, PpdFindingCode::kNotAPpd, notAPpd + ": not a PPD file"});
    }
    for (const FeatureRecord& feature : scanned.features) {
        if (feature.reached) {
            ++result.featureCount;
            result.optionCount += static_cast<int>(feature.options.size());
            result.installableCount += feature.hasSetting() ? 1 : 0;
        }
    }
    for (const ConstraintRecord& constraint : scanned.constraints) {
        result.constraintCount += constraint.reached ? 1 : 0;
    }
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
    return line + " " + PpdSeverityName(finding.severity) + ": " + finding.message + " [" +
           PpdFindingCodeName(finding.code) + "]";
}

const char* PpdFindingCodeName(PpdFindingCode code) {
    return kFindingCodeNames[static_cast<size_t>(code)];
}
